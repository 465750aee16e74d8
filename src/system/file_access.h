#pragma once
// File operations on wide paths. A write refused for a reason of its place (its rights, its drive,
// its share, its name, another program holding the file) raises WriteRefused, so the caller can fall
// back to a per-user place. Files are created through a call that tests can replace, to refuse
// chosen directories as Windows does for a standard user at C:\ or under Program Files.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "errors.h"
#include "handles.h"

namespace dromix {

class WriteRefused : public UpdateError {
public:
    using UpdateError::UpdateError;
};

// The system's CreateFileW, or a stand-in with its signature.
using CreateFileCall = decltype(&::CreateFileW);

class FileAccess {
public:
    explicit FileAccess(CreateFileCall createFile = &::CreateFileW) : createFile_(createFile) {}

    // Creates or truncates the file for writing.
    UniqueFile Create(const std::wstring& path) const;
    static void WriteAll(const UniqueFile& file, std::span<const std::uint8_t> bytes, const std::wstring& path);
    // Flushes and closes, raising when the data may not have reached the file.
    static void Finish(UniqueFile& file, const std::wstring& path);
    // Moves `from` over `to`, replacing it in one step.
    static void Replace(const std::wstring& from, const std::wstring& to);
    static void Delete(const std::wstring& path);
    // Makes the folder at `path` unless it is there.
    static void MakeFolder(const std::wstring& path);

private:
    CreateFileCall createFile_;
};

// The name every file operation hands the system for `path`: itself when it is short, otherwise its
// extended-length form ("\\?\C:\..." or "\\?\UNC\server\share\..."), which has no MAX_PATH limit.
// Messages keep naming `path`.
std::wstring SystemPath(const std::wstring& path);

// "C:\a\b.txt" → "C:\a" and "b.txt".
std::wstring DirectoryOf(const std::wstring& path);
std::wstring FileNameOf(const std::wstring& path);

}  // namespace dromix
