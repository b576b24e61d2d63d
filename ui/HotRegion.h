#pragma once
// Hot areas of a skinned window: each maps clicks to a command id, may show a picture while
// the mouse is over it, and is live only in the skin modes its mask names.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include <memory>
#include <vector>

class QWidget;

class CHotRegion {
  public:
    CHotRegion(int id, int modeMask, QRegion region, int sound = 0);

    int Id() const { return id_; }
    int ModeMask() const { return modeMask_; }
    const QRegion& Region() const { return region_; }
    bool Hovered() const { return hovered_; }
    bool Contains(const QPoint& p) const { return region_.contains(p); }
    bool LiveIn(int mode) const { return (modeMask_ & mode) != 0; }

    // A picture drawn at `position` while hovered; `disabled` (when given and true) keeps
    // the region from counting as under the mouse.
    void SetHoverPicture(QImage picture, const QRect& position);
    void SetDisabledFlag(const bool* disabled) { disabled_ = disabled; }
    bool Disabled() const { return disabled_ && *disabled_; }

    // Returns true when the state changed from not hovered to hovered (a sound would start).
    bool SetHovered(bool hovered, QWidget* drawWindow);

    const QImage& HoverPicture() const { return hoverPicture_; }
    const QRect& Position() const { return position_; }
    int Sound() const { return sound_; }

  private:
    int id_;
    int modeMask_;
    QRegion region_;
    int sound_;
    bool hovered_ = false;
    QImage hoverPicture_;
    QRect position_;
    const bool* disabled_ = nullptr;
};

class CSkinBase {
  public:
    virtual ~CSkinBase();

    virtual bool Attach(QWidget* window) = 0;
    // Updates every region's hover state for a point in window coordinates; true when at
    // least one region is under the mouse.
    virtual bool HoverTest(const QPoint& point);
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
