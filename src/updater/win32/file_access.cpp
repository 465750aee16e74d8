#include "file_access.h"

#include <algorithm>

#include "system_error.h"
#include "wide_text.h"

namespace dromix {
namespace {

[[noreturn]] void ThrowFileError(DWORD error, const char* action, const std::wstring& path) {
    const std::string context = std::string("Cannot ") + action + " < " + WideToUtf8(path) + " >";
    if (error == ERROR_ACCESS_DENIED) throw WriteRefused(context + ": " + SystemMessage(error));
    ThrowSystemError(error, context);
}

}  // namespace

UniqueFile FileAccess::Create(const std::wstring& path) const {
    UniqueFile file(createFile_(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file) ThrowFileError(GetLastError(), "write", path);
    return file;
}

void FileAccess::WriteAll(const UniqueFile& file, std::span<const std::uint8_t> bytes, const std::wstring& path) {
    while (!bytes.empty()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data(), piece, &written, nullptr) || written == 0) {
            ThrowFileError(GetLastError(), "write", path);
        }
        bytes = bytes.subspan(written);
    }
}

void FileAccess::Finish(UniqueFile& file, const std::wstring& path) {
    if (!FlushFileBuffers(file.get())) ThrowFileError(GetLastError(), "write", path);
    if (!file.close()) ThrowFileError(GetLastError(), "write", path);
}

void FileAccess::Replace(const std::wstring& from, const std::wstring& to) {
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ThrowFileError(GetLastError(), "replace", to);
    }
}

void FileAccess::Delete(const std::wstring& path) {
    if (!DeleteFileW(path.c_str())) ThrowFileError(GetLastError(), "delete", path);
}

std::wstring DirectoryOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    // A drive root keeps its backslash: "C:\".
    if (slash == 2 && path[1] == L':') return path.substr(0, 3);
    return path.substr(0, slash);
}

std::wstring FileNameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace dromix
