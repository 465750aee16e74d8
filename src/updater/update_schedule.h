#pragma once
// The hourly schedule: a countdown of timer ticks, the first cycle five ticks after the window loads.
#include <cstdint>

namespace dromix {

inline constexpr std::int16_t kFirstCountdown = 5;
inline constexpr std::int16_t kCycleCountdown = 3600;
inline constexpr unsigned kTickMilliseconds = 1000;

class UpdateSchedule {
public:
    // `firstCountdown` other than five only in the tests' builds, which may start the first cycle sooner.
    explicit UpdateSchedule(std::int16_t firstCountdown = kFirstCountdown) : first_(firstCountdown) {}

    // When the main window loads.
    void Load() { countdown_ = first_; }

    // One timer tick. Returns true when a cycle is due now; the countdown has then already been
    // reset, so a long cycle does not delay the next one.
    bool Tick();

private:
    std::int16_t first_;
    std::int16_t countdown_ = 0;
};

}  // namespace dromix
