// The cross toolchain, GoogleTest and the Wine runner work together.
#include <windows.h>

#include <gtest/gtest.h>

#include "update_cycle.h"

TEST(WindowsSmoke, RunsUnderWindowsWithTheProgramDirectory) {
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    EXPECT_NE(wcsstr(path, L"windows_smoke_test.exe"), nullptr);
    OSVERSIONINFOW version{sizeof version, 0, 0, 0, 0, {}};
    EXPECT_TRUE(GetVersionExW(&version));
}
