#include "util/io/WindowPosition.h"

#include "util/Profile.h"

#include <climits>

namespace util {

namespace {
Position Centred(const PositionInput& in) {
    return {in.workArea.left + (in.workArea.width - in.windowWidth) / 2,
            in.workArea.top + (in.workArea.height - in.windowHeight) / 2};
}
}  // namespace

Position RestoredWindowPosition(const PositionInput& in) {
    const Position centre = Centred(in);
    const Position pos{in.storedX.value_or(in.x.value_or(centre.x)),
                       in.storedY.value_or(in.y.value_or(centre.y))};
    // Corner arithmetic in 64 bits: a hand-edited huge value must not overflow.
    const long long right = static_cast<long long>(pos.x) + in.windowWidth;
    const long long bottom = static_cast<long long>(pos.y) + in.windowHeight;
    const bool onScreen =
        right >= INT_MIN && right <= INT_MAX && bottom >= INT_MIN && bottom <= INT_MAX &&
        in.virtualScreen.Contains(static_cast<int>(right), static_cast<int>(bottom));
    return onScreen ? pos : centre;
}

Position RestoreWindowPosition(const std::string& section, PositionInput in) {
    constexpr int kAbsent = INT_MIN;
    const int x = TheProfile().GetInt(section, "WndX", kAbsent);
    const int y = TheProfile().GetInt(section, "WndY", kAbsent);
    if (x != kAbsent)
        in.storedX = x;
    if (y != kAbsent)
        in.storedY = y;
    return RestoredWindowPosition(in);
}

void SaveWindowPosition(const std::string& section, int x, int y) {
    TheProfile().WriteInt(section, "WndX", x);
    TheProfile().WriteInt(section, "WndY", y);
}

}  // namespace util
