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

TEST(UpdateSchedule, FirstCycleFiveTicksAfterLoad) {
    UpdateSchedule schedule;
    schedule.Load();
    EXPECT_EQ(schedule.Countdown(), 5);
    for (int tick = 1; tick <= 4; ++tick) EXPECT_FALSE(schedule.Tick()) << tick;
    EXPECT_TRUE(schedule.Tick());
    // Reset before the cycle runs, so the cycle's own length does not delay the next one.
    EXPECT_EQ(schedule.Countdown(), 3600);
    EXPECT_FALSE(schedule.Tick());
    EXPECT_EQ(schedule.Countdown(), 3599);
}

TEST(UpdateSchedule, LaterCyclesEvery3600Ticks) {
    UpdateSchedule schedule;
    schedule.Load();
    EXPECT_EQ(TicksUntilDue(schedule), 5);
    EXPECT_EQ(TicksUntilDue(schedule), 3600);
    EXPECT_EQ(TicksUntilDue(schedule), 3600);
}

TEST(UpdateSchedule, OnlyTicksMoveTheCountdown) {
    // Reading it (as a manual cycle's caller might) changes nothing; the schedule has no other input.
    UpdateSchedule schedule;
    schedule.Load();
    schedule.Tick();
    schedule.Tick();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(schedule.Countdown(), 3);
    EXPECT_EQ(TicksUntilDue(schedule), 3);
}

TEST(UpdateSchedule, TickWithoutLoadIsDueAtOnce) {
    // The countdown starts at 0 until the window loads: the first tick takes it below 1.
    UpdateSchedule schedule;
    EXPECT_EQ(schedule.Countdown(), 0);
    EXPECT_TRUE(schedule.Tick());
    EXPECT_EQ(schedule.Countdown(), 3600);
}

}  // namespace
}  // namespace dromix
