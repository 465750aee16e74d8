#pragma once
// Relative URLs resolved by the system's URL combiner.
#include <string>

namespace dromix {

std::string CombineUrl(const std::string& base, const std::string& relative);

}  // namespace dromix
