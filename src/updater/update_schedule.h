#pragma once
// The hourly schedule: a countdown of timer ticks, the first cycle five ticks after the window loads
// and one fifteen ticks after a resume from sleep.
#include <cstdint>

namespace dromix {

inline constexpr std::int16_t kFirstCountdown = 5;
inline constexpr std::int16_t kCycleCountdown = 3600;
// The countdown stands still while the machine sleeps; after a resume the network needs a few seconds.
inline constexpr std::int16_t kResumeCountdown = 15;
inline constexpr unsigned kTickMilliseconds = 1000;

class UpdateSchedule {
public:
    // Other countdowns than the usual ones only in the tests' builds, which may start cycles sooner.
    explicit UpdateSchedule(std::int16_t firstCountdown = kFirstCountdown,
                            std::int16_t resumeCountdown = kResumeCountdown)
        : first_(firstCountdown), resume_(resumeCountdown) {}

    // When the main window loads.
    void Load() { countdown_ = first_; }

    // One timer tick. Returns true when a cycle is due now; the countdown has then already been
    // reset, so a long cycle does not delay the next one.
    bool Tick();

    // After a resume from sleep or hibernation: a cycle comes after the resume countdown, and it then
    // resets the countdown to the hour as always.
    void Resume() { countdown_ = resume_; }

private:
    std::int16_t first_;
    std::int16_t resume_;
    std::int16_t countdown_ = 0;
};

}  // namespace dromix
