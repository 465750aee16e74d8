// dromix_display_mode: the resolution of the desktop it runs on, as a display's settings change it.
// The end-to-end test starts it on a Wine virtual desktop (the one kind of screen under Wine whose
// resolution can change): Wine keeps the display settings a process first found, so the test's own
// process, which has used the tests' display, cannot change them.
//   dromix_display_mode WIDTH HEIGHT      exit code 0 once the desktop has that resolution
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = argc == 3 ? std::wcstoul(argv[1], nullptr, 10) : 0;
    mode.dmPelsHeight = argc == 3 ? std::wcstoul(argv[2], nullptr, 10) : 0;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    if (mode.dmPelsWidth == 0 || mode.dmPelsHeight == 0) {
        std::fprintf(stderr, "usage: dromix_display_mode WIDTH HEIGHT\n");
        return 2;
    }
    const LONG result = ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr);
    if (result != DISP_CHANGE_SUCCESSFUL) std::fprintf(stderr, "dromix_display_mode: refused (%ld)\n", result);
    return result == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
}
