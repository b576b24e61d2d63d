#pragma once
// Hot areas of a skinned window: each maps clicks in its region to a command id.

#include <QPoint>
#include <QRegion>

#include <memory>
#include <vector>

class QWidget;

namespace ui {

class CHotRegion {
  public:
    CHotRegion(int id, QRegion region);

    int Id() const { return id_; }
    bool Contains(const QPoint& p) const { return region_.contains(p); }

  private:
    int id_;
    QRegion region_;
};

class CSkinBase {
  public:
    virtual ~CSkinBase();

    virtual bool Attach(QWidget* window) = 0;
    // The command id hit by a click, or 0.
    virtual int ClickTest(const QPoint& point) = 0;
    virtual void Paint() = 0;

    CHotRegion& AddRegion(std::unique_ptr<CHotRegion> region);
    const std::vector<std::unique_ptr<CHotRegion>>& Regions() const { return regions_; }

  private:
    std::vector<std::unique_ptr<CHotRegion>> regions_;
};

}  // namespace ui
