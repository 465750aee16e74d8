#pragma once
// File operations on wide paths. Writes the system refuses with "access denied" raise
// WriteRefused, so the caller can fall back to a per-user place. Tests can make the refusal happen
// for chosen directories, as it does for a standard user at C:\ or under Program Files.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "errors.h"
#include "handles.h"

namespace dromix {

class WriteRefused : public UpdateError {
public:
    using UpdateError::UpdateError;
};

class FileAccess {
public:
    // Writes into these directories (compared case-insensitively, without trailing backslash) fail
    // as access denied.
    explicit FileAccess(std::vector<std::wstring> refusedDirectories = {});

    // Creates or truncates the file for writing.
    UniqueFile Create(const std::wstring& path) const;
    static void WriteAll(const UniqueFile& file, std::span<const std::uint8_t> bytes, const std::wstring& path);
    // Flushes and closes, raising when the data may not have reached the file.
    static void Finish(UniqueFile& file, const std::wstring& path);
    // Moves `from` over `to`, replacing it in one step.
    void Replace(const std::wstring& from, const std::wstring& to) const;
    static void Delete(const std::wstring& path);

private:
    bool Refused(const std::wstring& path) const;
    std::vector<std::wstring> refused_;
};

// "C:\a\b.txt" → "C:\a" and "b.txt".
std::wstring DirectoryOf(const std::wstring& path);
std::wstring FileNameOf(const std::wstring& path);

}  // namespace dromix
