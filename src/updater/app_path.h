#pragma once
#include <string>

namespace dromix {

// The program's directory with exactly one trailing backslash: "C:\Apps" and "C:\Apps\" both give
// "C:\Apps\", and a drive root "C:\" keeps its single one.
std::string WithTrailingBackslash(std::string directory);

}  // namespace dromix
