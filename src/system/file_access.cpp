#include "file_access.h"

#include <algorithm>

#include "system_error.h"
#include "wide_text.h"

namespace dromix {
namespace {

// The errors that say this place cannot be written while another may be: the caller then writes in
// the per-user place. A full disk, a spent quota, no memory, a failing medium or a wrong call say
// nothing of the sort and are reported. docs/file-places.md gives the reason for each.
bool PlaceCannotBeWritten(DWORD error) {
    switch (error) {
    // This user may not write here.
    case ERROR_ACCESS_DENIED:          // C:\ and Program Files for a standard user; a folder in the file's place
    case ERROR_NETWORK_ACCESS_DENIED:  // the share refuses this user
    case ERROR_PRIVILEGE_NOT_HELD:     // the place asks for a right this user lacks
    // The place is not there.
    case ERROR_FILE_NOT_FOUND:         // creating a file: its drive or device is gone (Wine: a missing drive)
    case ERROR_PATH_NOT_FOUND:         // the folder is gone, or (without the long form) too deep
    case ERROR_INVALID_DRIVE:          // no such drive
    case ERROR_DIRECTORY:              // a file stands where a folder of the path should be
    case ERROR_BAD_NETPATH:            // the server cannot be reached
    case ERROR_BAD_NET_NAME:           // the share is not there
    case ERROR_NETNAME_DELETED:        // the share went away
    case ERROR_DEV_NOT_EXIST:          // the removable drive or network resource went away
    // The drive takes no writes.
    case ERROR_NOT_READY:              // no medium in the drive
    case ERROR_WRITE_PROTECT:          // the medium is write-protected
    // The name does not fit the place.
    case ERROR_FILENAME_EXCED_RANGE:   // too long for the file system there
    case ERROR_INVALID_NAME:           // the file system there does not take the name
    // Another program holds the file that stands there.
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return true;
    default:
        return false;
    }
}

[[noreturn]] void ThrowFileError(DWORD error, const char* action, const std::wstring& path) {
    const std::string context = std::string("Cannot ") + action + " < " + WideToUtf8(path) + " >";
    if (PlaceCannotBeWritten(error)) throw WriteRefused(context + ": " + SystemMessage(error));
    ThrowSystemError(error, context);
}

}  // namespace

UniqueFile FileAccess::Create(const std::wstring& path) const {
    UniqueFile file(createFile_(SystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
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
    if (!MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ThrowFileError(GetLastError(), "replace", to);
    }
}

void FileAccess::Delete(const std::wstring& path) {
    if (!DeleteFileW(SystemPath(path).c_str())) ThrowFileError(GetLastError(), "delete", path);
}

void FileAccess::MakeFolder(const std::wstring& path) {
    if (!CreateDirectoryW(SystemPath(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        ThrowLastError("Cannot create the folder < " + WideToUtf8(path) + " >");
    }
}

std::wstring SystemPath(const std::wstring& path) {
    // A folder's name must leave room for an 8.3 file name in MAX_PATH; one bound serves both.
    constexpr std::size_t kShortEnough = MAX_PATH - 12;
    if (path.size() < kShortEnough || path.starts_with(LR"(\\?\)") || path.starts_with(LR"(\\.\)")) return path;
    // The extended form is taken literally: "/", "." and ".." are resolved first.
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = size ? GetFullPathNameW(path.c_str(), size, full.data(), nullptr) : 0;
    // Without a whole name, the call that uses it reports what is wrong with the name.
    if (length == 0 || length >= size) return path;
    full.resize(length);
    if (full.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + full.substr(2);
    return LR"(\\?\)" + full;
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
