#pragma once
// Where a window goes when its remembered position is restored. Pure arithmetic over the
// screens, so it is tested without a display; the window code supplies the rectangles.

#include <optional>
#include <string>

namespace util {

struct ScreenRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool Contains(int x, int y) const {
        return x >= left && y >= top && x < left + width && y < top + height;
    }
};

struct PositionInput {
    int windowWidth = 0, windowHeight = 0;
    int primaryWidth = 0, primaryHeight = 0;  // primary screen size
    ScreenRect virtualScreen;                 // all monitors together
    int x = -1, y = -1;                       // caller's defaults; -1 = centred
    std::optional<int> storedX, storedY;      // "WndX" / "WndY" when present
};

struct Position {
    int x = 0, y = 0;
    bool operator==(const Position&) const = default;
};

// Defaults of -1 become the centre of the primary screen; stored values override the
// defaults; a result whose bottom-right corner is off the virtual screen is centred.
Position RestoredWindowPosition(const PositionInput& in);

// Reads WndX/WndY of the section from the settings store and computes the position.
Position RestoreWindowPosition(const std::string& section, PositionInput in);
void SaveWindowPosition(const std::string& section, int x, int y);

}  // namespace util
