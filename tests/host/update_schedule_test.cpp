#include "update_schedule.h"

#include <gtest/gtest.h>

namespace dromix {
namespace {

// Ticks until the next due cycle, counting the due tick itself.
int TicksUntilDue(UpdateSchedule& schedule) {
    for (int ticks = 1; ticks <= 100000; ++ticks) {
        if (schedule.Tick()) return ticks;
    }
    return -1;
}

TEST(UpdateSchedule, FirstCycleFiveTicksAfterLoadThenEvery3600) {
    UpdateSchedule schedule;
    schedule.Load();
    EXPECT_EQ(TicksUntilDue(schedule), 5);
    // Reset when due, before the cycle runs, so a long cycle does not delay the next one.
    EXPECT_EQ(TicksUntilDue(schedule), 3600);
    EXPECT_EQ(TicksUntilDue(schedule), 3600);
    // A resume from sleep brings the cycle 15 ticks later, and the hour counts from that cycle.
    schedule.Resume();
    EXPECT_EQ(TicksUntilDue(schedule), 15);
    EXPECT_EQ(TicksUntilDue(schedule), 3600);

    // A shorter first countdown (the tests' builds) changes only the first wait.
    UpdateSchedule sooner(1);
    sooner.Load();
    EXPECT_EQ(TicksUntilDue(sooner), 1);
    EXPECT_EQ(TicksUntilDue(sooner), 3600);
}

TEST(UpdateSchedule, TickWithoutLoadIsDueAtOnce) {
    // The countdown starts at 0 until the window loads: the first tick takes it below 1.
    UpdateSchedule schedule;
    EXPECT_TRUE(schedule.Tick());
    EXPECT_EQ(TicksUntilDue(schedule), 3600);
}

}  // namespace
}  // namespace dromix
