#pragma once
// Test hooks: the end-to-end tests shorten the transfer time-outs so that a hanging or dripping
// server costs them seconds instead of minutes, and the wait for the first cycle so that each program
// they start costs one second instead of five (and the wait after a resume, one instead of fifteen).
// Only builds configured with DROMIX_TEST_HOOKS=ON read them; the shipped program reads no environment
// at all.
#include "update_schedule.h"
#include "win32_system_operations.h"

namespace dromix {

// The system operations' options: the product's own, except for the time-outs named by
// DROMIX_TEST_TIMEOUT_MS (connect and receive) and DROMIX_TEST_DEADLINE_MS (a whole transfer), when set.
Win32SystemOperations::Options SystemOptionsWithTestHooks();

// The schedule: the seconds from start to the first cycle are five, or DROMIX_TEST_FIRST_CYCLE_S (1 to
// 5) when set; those from a resume to its cycle fifteen, or DROMIX_TEST_RESUME_S (1 to 15).
UpdateSchedule ScheduleWithTestHooks();

}  // namespace dromix
