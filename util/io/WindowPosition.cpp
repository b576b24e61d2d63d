#include "util/io/WindowPosition.h"

#include "util/Profile.h"

#include <climits>

namespace util {

namespace {
Position Centred(const PositionInput& in) {
    return {(in.primaryWidth - in.windowWidth) / 2, (in.primaryHeight - in.windowHeight) / 2};
}
}  // namespace

Position RestoredWindowPosition(const PositionInput& in) {
    const Position centre = Centred(in);
    Position pos{in.x == -1 ? centre.x : in.x, in.y == -1 ? centre.y : in.y};
    if (in.storedX)
        pos.x = *in.storedX;
    if (in.storedY)
        pos.y = *in.storedY;
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
