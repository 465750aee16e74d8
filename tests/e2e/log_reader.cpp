// dromix_log_reader OUTFILE: writes the text of the running Dromix's log box to OUTFILE (UTF-8), for
// scripts/run to show what the program did. Exits 1 when no Dromix window is found within 10 s.
#include <windows.h>

#include <cstdio>
#include <string>

#include "program_driver.h"
#include "resource.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: dromix_log_reader OUTFILE\n", stderr);
        return 2;
    }
    HWND main = nullptr;
    for (int i = 0; i < 100 && !main; ++i) {
        main = FindWindowW(L"Dromix.MainWindow", L"Dromix");
        if (!main) Sleep(100);
    }
    HWND log = main ? GetDlgItem(main, IDC_LOG) : nullptr;
    if (!log) return 1;
    const std::wstring text = dromix::testing::TextOf(log);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
    FILE* out = _wfopen(argv[1], L"wb");
    if (!out) return 1;
    std::fwrite(utf8.data(), 1, utf8.size(), out);
    std::fclose(out);
    return 0;
}
