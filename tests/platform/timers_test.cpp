#include "platform/timers.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/clock.h"

namespace {

struct Recorder : platform::TimerOwner {
  std::vector<unsigned int> ticks;
  void OnTimer(unsigned int id) override { ticks.push_back(id); }
};

struct PolledTimersTest : ::testing::Test {
  platform::ManualClock clock{1000};
  platform::PolledTimers timers{clock, [this](unsigned int ms) { clock.Advance(ms); }};
  Recorder owner;
};

TEST_F(PolledTimersTest, FiresOnlyOncePeriodHasPassedAndKeepsPeriod) {
  timers.SetTimer(&owner, 1, 40);
  clock.Advance(39);
  EXPECT_FALSE(timers.DispatchOne());
  clock.Advance(1);
  EXPECT_TRUE(timers.DispatchOne());
  EXPECT_FALSE(timers.DispatchOne());  // one tick per period, not per dispatch
  clock.Advance(40);
  EXPECT_TRUE(timers.DispatchOne());
  EXPECT_EQ(owner.ticks, (std::vector<unsigned int>{1, 1}));
}

TEST_F(PolledTimersTest, LateTimerFiresOnceAndKilledTimerNever) {
  timers.SetTimer(&owner, 1, 40);
  timers.SetTimer(&owner, 2, 40);
  clock.Advance(500);  // far behind: a window timer does not catch up tick by tick
  EXPECT_TRUE(timers.DispatchOne());
  EXPECT_TRUE(timers.DispatchOne());
  EXPECT_FALSE(timers.DispatchOne());
  timers.KillTimer(&owner, 1);
  clock.Advance(40);
  while (timers.DispatchOne()) {
  }
  EXPECT_EQ(owner.ticks, (std::vector<unsigned int>{1, 2, 2}));
  timers.KillTimers(&owner);
  EXPECT_FALSE(timers.IsActive(&owner, 2));
}

TEST_F(PolledTimersTest, PumpForRunsEveryDueTickInTheSpan) {
  timers.SetTimer(&owner, 7, 40);
  timers.PumpFor(200);
  EXPECT_EQ(owner.ticks.size(), 5u);
  EXPECT_EQ(clock.GetTickCount(), 1200u);
}

TEST_F(PolledTimersTest, SurvivesClockWrap) {
  clock.Set(0xFFFFFFF0u);
  timers.SetTimer(&owner, 1, 40);
  clock.Advance(39);
  EXPECT_FALSE(timers.DispatchOne());
  clock.Advance(1);
  EXPECT_TRUE(timers.DispatchOne());
}

}  // namespace
