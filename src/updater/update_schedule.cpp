#include "update_schedule.h"

#include <limits>

#include "errors.h"

namespace dromix {

bool UpdateSchedule::Tick() {
    if (countdown_ == std::numeric_limits<std::int16_t>::min()) throw OverflowError();
    --countdown_;
    if (countdown_ > 0) return false;
    countdown_ = kCycleCountdown;
    return true;
}

}  // namespace dromix
