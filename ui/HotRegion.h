#pragma once
// Hot areas of a skinned window: each maps clicks to a command id and is live only in the
// skin modes its mask names.

#include <QPoint>
#include <QRegion>

#include <memory>
#include <vector>

class QWidget;

namespace ui {

class CHotRegion {
  public:
    CHotRegion(int id, int modeMask, QRegion region);

    int Id() const { return id_; }
    bool Contains(const QPoint& p) const { return region_.contains(p); }
    bool LiveIn(int mode) const { return (modeMask_ & mode) != 0; }

  private:
    int id_;
    int modeMask_;
    QRegion region_;
};

class CSkinBase {
  public:
    virtual ~CSkinBase();

    virtual bool Attach(QWidget* window) = 0;
    // The command id hit by a click, or 0.
    virtual int ClickTest(const QPoint& point) = 0;
    virtual void Paint() = 0;
    virtual void RunRegionCommand(int id) = 0;

    CHotRegion& AddRegion(std::unique_ptr<CHotRegion> region);
    const std::vector<std::unique_ptr<CHotRegion>>& Regions() const { return regions_; }
    int Mode() const { return mode_; }
    void SetMode(int mode) { mode_ = mode; }
    QWidget* DrawWindow() const { return drawWindow_; }

  protected:
    void SetDrawWindow(QWidget* window) { drawWindow_ = window; }

  private:
    std::vector<std::unique_ptr<CHotRegion>> regions_;
    int mode_ = 0;
    QWidget* drawWindow_ = nullptr;
};

}  // namespace ui
