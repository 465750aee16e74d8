#pragma once
// The description of the UpdateError a call raises, or "" when it succeeds.
#include <string>

#include "errors.h"

namespace dromix::testing {

template <typename Call>
std::string ErrorOf(Call&& call) {
    try {
        call();
    } catch (const UpdateError& e) {
        return e.what();
    }
    return {};
}

}  // namespace dromix::testing
