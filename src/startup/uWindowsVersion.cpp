#include "startup/uWindowsVersion.h"

const TWindowsVersion& WindowsVersion() {
    static const TWindowsVersion version = [] {
        TWindowsVersion v;
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (GetVersionExA(&info)) {
#pragma GCC diagnostic pop
            v.Major = info.dwMajorVersion;
            v.Minor = info.dwMinorVersion;
            v.Platform = info.dwPlatformId;
        }
        return v;
    }();
    return version;
}
