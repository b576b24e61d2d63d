#pragma once
// Which size of the skin's pictures a window shows: those drawn twice as big once a
// window's device pixel ratio is 1.5 or more, the layout's own size below that. Every
// coordinate stays in layout pixels either way.

namespace ui {

inline constexpr int PictureScaleFor(double devicePixelRatio) {
    return devicePixelRatio >= 1.5 ? 2 : 1;
}

}  // namespace ui
