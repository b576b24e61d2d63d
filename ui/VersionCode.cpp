#include "ui/VersionCode.h"

namespace ui {

int VersionCodeFor(const SystemVersion& v) {
    using P = SystemVersion::Platform;
    if (v.platform == P::Legacy) {
        if (v.minor < 10)
            return 1;
        if (v.minor < 90)
            return v.build < 2222 ? 3 : 4;
        return 5;
    }
    if (v.platform == P::Modern) {
        if (v.major < 5)
            return 2;
        if (v.major == 5)
            return v.build <= 2195 ? 6 : 7;
        return 8;
    }
    return 0;
}

int GetOSVersionCode() {
    static const int code = VersionCodeFor({SystemVersion::Platform::Modern, 6, 0, 0});
    return code;
}

}  // namespace ui
