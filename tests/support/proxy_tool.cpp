// dromix_proxy: the current user's proxy setting from the command line, for scripts/run and the
// test run's fixture that puts it back whatever happened to the tests.
//   dromix_proxy --through PORT   requests go to 127.0.0.1:PORT
//   dromix_proxy --reset          no proxy, as a new prefix has it
#include <cstdio>
#include <cwchar>
#include <exception>

#include "proxy_setting.h"

int wmain(int argc, wchar_t** argv) {
    try {
        dromix::testing::InternetSettings settings;
        if (argc == 3 && std::wcscmp(argv[1], L"--through") == 0) {
            const int port = std::wcstol(argv[2], nullptr, 10);
            if (port > 0 && port < 65536) {
                settings.Through(port);
                return 0;
            }
        } else if (argc == 2 && std::wcscmp(argv[1], L"--reset") == 0) {
            settings.Reset();
            return 0;
        }
        std::fprintf(stderr, "usage: dromix_proxy --through PORT | --reset\n");
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dromix_proxy: %s\n", e.what());
        return 1;
    }
}
