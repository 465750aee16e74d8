#pragma once
// Folders the system names for this program and this user.
#include <string>

namespace dromix {

// The directory of the running executable, without trailing backslash (except at a drive root).
std::wstring ApplicationDirectory();
// The user's temporary folder.
std::wstring TemporaryDirectory();
// %LOCALAPPDATA%\Dromix, whether it exists or not.
std::wstring PerUserDataDirectory();

}  // namespace dromix
