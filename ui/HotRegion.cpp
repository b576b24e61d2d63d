#include "ui/HotRegion.h"

#include <QPainter>
#include <QWidget>

CHotRegion::CHotRegion(int id, int modeMask, QRegion region, int sound)
    : id_(id), modeMask_(modeMask), region_(std::move(region)), sound_(sound) {}

void CHotRegion::SetHoverPicture(QImage picture, const QRect& position) {
    hoverPicture_ = std::move(picture);
    position_ = position;
}

bool CHotRegion::SetHovered(bool hovered, QWidget* drawWindow) {
    const bool entered = !hovered_ && hovered;
    // The owner's paint draws the hover picture; a change only asks for a repaint there.
    if (!hoverPicture_.isNull() && drawWindow && hovered_ != hovered)
        drawWindow->update(position_);
    hovered_ = hovered;
    return entered && sound_ != 0;
}

CSkinBase::~CSkinBase() = default;

bool CSkinBase::HoverTest(const QPoint& point) {
    bool any = false;
    for (auto& region : regions_) {
        const bool under = region->Contains(point) && region->LiveIn(mode_) && !region->Disabled();
        region->SetHovered(under, drawWindow_);
        any = any || under;
    }
    return any;
}

CHotRegion& CSkinBase::AddRegion(std::unique_ptr<CHotRegion> region) {
    regions_.push_back(std::move(region));
    return *regions_.back();
}
