#pragma once
// The system level code that gates window capabilities: 3 and above may animate windows,
// 6 and above may blend and use per-pixel transparency, 7 and above may cast a drop shadow.
// What the display really offers is checked separately where the capability is used.

namespace ui {

struct SystemVersion {
    enum class Platform { Other, Legacy, Modern } platform = Platform::Other;
    int major = 0, minor = 0, build = 0;
};

// The code for a given system version (see the header comment for the thresholds).
int VersionCodeFor(const SystemVersion& version);
// Computed once per process. Linux desktops are at the modern level (8).
int GetOSVersionCode();

inline bool CanAnimateWindows() {
    return GetOSVersionCode() >= 3;
}
inline bool CanBlendWindows() {
    return GetOSVersionCode() >= 6;
}
inline bool CanUseDropShadow() {
    return GetOSVersionCode() >= 7;
}

}  // namespace ui
