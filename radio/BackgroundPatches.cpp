#include "radio/BackgroundPatches.h"

#include <QPainter>

namespace radio {

void BackgroundPatches::Keep(const QImage& background, std::initializer_list<QRect> areas) {
    patches_.clear();
    for (const QRect& area : areas) {
        const QRect clipped = area.intersected(background.rect());
        if (!clipped.isEmpty())
            patches_.emplace_back(clipped, background.copy(clipped));
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
    painter.drawImage(rect.topLeft(), patch->second, rect.translated(-patch->first.topLeft()));
    return true;
}

}  // namespace radio
