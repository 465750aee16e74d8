#pragma once
// Errors raised inside the update cycle. The cycle's one handler logs "Error: " + what().
#include <stdexcept>
#include <string>

namespace dromix {

// Any failure of a step of the cycle; what() is the description the log shows.
class UpdateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A signed 16-bit value left its range, as the locator's position of the closing marker can.
class OverflowError : public UpdateError {
public:
    OverflowError() : UpdateError("Overflow") {}
};

}  // namespace dromix
