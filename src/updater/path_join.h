#pragma once
// Joining a folder and a name in a Windows path, for narrow (UTF-8) and wide text alike.
#include <string>
#include <string_view>

namespace dromix {

// "C:\Apps" and "C:\Apps\" both give "C:\Apps\", and a drive root "C:\" keeps its single one.
template <typename Char>
std::basic_string<Char> WithTrailingBackslash(std::basic_string<Char> directory) {
    if (directory.empty() || directory.back() != Char('\\')) directory += Char('\\');
    return directory;
}

// `name` in `directory`, with exactly one backslash between them.
template <typename Char>
std::basic_string<Char> JoinPath(std::basic_string<Char> directory, std::basic_string_view<Char> name) {
    return WithTrailingBackslash(std::move(directory)).append(name);
}

}  // namespace dromix
