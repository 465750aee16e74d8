#include "update_schedule.h"

namespace dromix {

// The countdown never goes below 0: it is reset as soon as it reaches it.
bool UpdateSchedule::Tick() {
    --countdown_;
    if (countdown_ > 0) return false;
    countdown_ = kCycleCountdown;
    return true;
}

}  // namespace dromix
