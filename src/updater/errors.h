#pragma once
// Errors raised inside the update cycle. The cycle's one handler logs "Error: " + what().
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

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

// The end of every sentence about a size limit: "larger than 64 MiB".
inline std::string LargerThan(std::size_t limit) {
    return "larger than " + std::to_string(limit / (1024 * 1024)) + " MiB";
}

// Running out of memory, in one wording: "Not enough memory to " + what could not be done. The cycle's
// own sentence is a constant, as building one may itself find no memory.
inline constexpr char kNotEnoughMemoryToUpdate[] = "Not enough memory to finish the update";
inline std::string NotEnoughMemoryTo(std::string_view what) {
    return "Not enough memory to " + std::string(what);
}

}  // namespace dromix
