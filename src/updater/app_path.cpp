#include "app_path.h"

namespace dromix {

std::string WithTrailingBackslash(std::string directory) {
    if (directory.empty() || directory.back() != '\\') directory += '\\';
    return directory;
}

}  // namespace dromix
