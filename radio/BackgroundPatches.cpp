#include "radio/BackgroundPatches.h"

#include <QPainter>

namespace radio {

namespace {
QRect Scaled(const QRect& r, qreal scale) {
    return QRectF(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale)
        .toAlignedRect();
}
}  // namespace

void BackgroundPatches::Keep(const QImage& background, std::initializer_list<QRect> areas) {
    patches_.clear();
    const qreal scale = background.devicePixelRatio();
    const QRect whole(QPoint(0, 0), background.deviceIndependentSize().toSize());
    for (const QRect& area : areas) {
        const QRect clipped = area.intersected(whole);
        if (clipped.isEmpty())
            continue;
        QImage patch = background.copy(Scaled(clipped, scale));
        patch.setDevicePixelRatio(scale);
        patches_.emplace_back(clipped, std::move(patch));
    }
}

const std::pair<QRect, QImage>* BackgroundPatches::Holding(const QRect& rect) const {
    for (const auto& patch : patches_) {
        if (patch.first.contains(rect))
            return &patch;
    }
    return nullptr;
}

bool BackgroundPatches::Covers(const QRect& rect) const {
    return Holding(rect) != nullptr;
}

bool BackgroundPatches::Restore(QPainter& painter, const QRect& rect) const {
    const auto* patch = Holding(rect);
    if (!patch)
        return false;
    const QImage& image = patch->second;
    painter.drawImage(rect.topLeft(), image,
                      Scaled(rect.translated(-patch->first.topLeft()), image.devicePixelRatio()));
    return true;
}

}  // namespace radio
