#include "user_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "file_access.h"
#include "path_join.h"
#include "system_error.h"
#include "wide_text.h"

namespace dromix {

std::wstring ApplicationDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) ThrowLastError("Cannot find the program's directory");
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // truncated: long paths exceed MAX_PATH
    }
    return DirectoryOf(path);
}

std::wstring TemporaryDirectory() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, path);
    if (length == 0 || length > MAX_PATH) ThrowLastError("Cannot find the temporary folder");
    return std::wstring(path, length);
}

std::wstring PerUserDataDirectory() {
    wchar_t base[MAX_PATH] = {};
    const HRESULT result = SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                            SHGFP_TYPE_CURRENT, base);
    if (FAILED(result)) ThrowSystemError(static_cast<DWORD>(result), "Cannot find the local application data folder");
    return JoinPath(std::wstring(base), std::wstring_view(L"Dromix"));
}

}  // namespace dromix
