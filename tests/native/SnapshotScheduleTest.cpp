#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <vector>

#include "app/SnapshotSchedule.h"

namespace qnv::app {
namespace {

using Action = SnapshotSchedule::Action;
using std::chrono::milliseconds;

// One call at a time in milliseconds after the start: a change, or a look at what is due
// (with the document modified or not), then when the schedule wants to be asked again (-1:
// never).
struct Step {
  int at;
  enum { Change, Due, NotModified } what;
  Action expected;
  int next;
};

struct Case {
  const char* name;
  std::vector<Step> steps;
};

constexpr Action N = Action::None;
constexpr Action T = Action::Take;
constexpr Action D = Action::Discard;

TEST(SnapshotSchedule, Cases) {
  // A long check interval, so that the cases show the snapshots' own timing.
  const SnapshotSchedule::Timing timing{milliseconds(3000), milliseconds(30000), milliseconds(10000)};
  const Case cases[] = {
      {"nothing changed: nothing due, never asked", {{0, Step::Due, N, -1}, {5000, Step::Due, N, -1}}},
      {"one change: taken 3 s after it, then looked at regularly",
       {{0, Step::Change, N, 3000},
        {2999, Step::Due, N, 3000},
        {3000, Step::Due, T, 13000},
        {13000, Step::Due, N, 23000},
        {14000, Step::Due, N, 23000}}},
      {"each change moves the pause on",
       {{0, Step::Change, N, 3000}, {2000, Step::Change, N, 5000}, {4000, Step::Change, N, 7000}, {7000, Step::Due, T, 17000}}},
      {"typing without a pause is kept 30 s after its first change",
       {{0, Step::Change, N, 3000}, {2900, Step::Change, N, 5900}, {29000, Step::Change, N, 30000}, {30000, Step::Due, T, 40000}}},
      {"a change after a snapshot is taken after its own pause, or the next look if sooner",
       {{0, Step::Change, N, 3000}, {3000, Step::Due, T, 13000}, {4000, Step::Change, N, 7000}, {11000, Step::Change, N, 13000}}},
      {"no longer modified: the kept snapshot goes, once",
       {{0, Step::Change, N, 3000}, {3000, Step::Due, T, 13000}, {4000, Step::NotModified, D, -1}, {5000, Step::NotModified, N, -1}}},
      {"no longer modified before any snapshot: nothing to discard",
       {{0, Step::Change, N, 3000}, {3000, Step::NotModified, N, -1}}},
      {"saved while new changes were pending: discarded and nothing taken",
       {{0, Step::Change, N, 3000}, {3000, Step::Due, T, 13000}, {3500, Step::Change, N, 6500}, {6500, Step::NotModified, D, -1}}},
      {"a change after the discard starts again",
       {{0, Step::Change, N, 3000},
        {3000, Step::Due, T, 13000},
        {4000, Step::NotModified, D, -1},
        {9000, Step::Change, N, 12000},
        {12000, Step::Due, T, 22000}}},
  };
  for (const Case& c : cases) {
    SnapshotSchedule schedule(timing);
    const auto start = SnapshotSchedule::Clock::time_point{} + std::chrono::hours(1);
    for (const Step& step : c.steps) {
      const auto now = start + milliseconds(step.at);
      Action action = Action::None;
      if (step.what == Step::Change) {
        schedule.changed(now);
      } else {
        action = schedule.due(now, step.what == Step::Due);
      }
      EXPECT_EQ(action, step.expected) << c.name << ", at " << step.at;
      const std::optional<SnapshotSchedule::Clock::time_point> next = schedule.nextCheck();
      EXPECT_EQ(next ? static_cast<int>(std::chrono::duration_cast<milliseconds>(*next - start).count()) : -1,
                step.next)
          << c.name << ", at " << step.at;
    }
  }
}

// Typing a key every half second for 100 s, with the schedule asked whenever it wants to be,
// as the editor's timer does: a snapshot at least every 30 s while typing goes on, and one
// 3 s after it stops.
TEST(SnapshotSchedule, ContinuousTypingIsKeptAtLeastEvery30Seconds) {
  SnapshotSchedule schedule;
  const auto start = SnapshotSchedule::Clock::time_point{} + std::chrono::hours(1);
  std::vector<int> taken;
  for (int at = 0; at <= 110000; at += 100) {
    const auto now = start + milliseconds(at);
    if (at % 500 == 0 && at <= 100000) schedule.changed(now);
    const auto next = schedule.nextCheck();
    if (next && *next <= now && schedule.due(now, true) == Action::Take) taken.push_back(at);
  }
  ASSERT_EQ(taken, (std::vector<int>{30000, 60500, 91000, 103000}));
}

TEST(SnapshotSchedule, ASnapshotOnDiskAlreadyIsLookedAtAndDiscarded) {
  SnapshotSchedule schedule;
  const auto now = SnapshotSchedule::Clock::now();
  schedule.keeping(now);
  EXPECT_EQ(schedule.nextCheck(), now + std::chrono::seconds(1));
  EXPECT_EQ(schedule.due(now + std::chrono::seconds(1), true), Action::None) << "still modified: kept";
  EXPECT_EQ(schedule.due(now + std::chrono::seconds(2), false), Action::Discard);
}

TEST(SnapshotSchedule, TakenNowOnlyWhenSomethingIsPending) {
  SnapshotSchedule schedule;
  const auto now = SnapshotSchedule::Clock::now();
  EXPECT_FALSE(schedule.takeNow(now));
  EXPECT_FALSE(schedule.nextCheck());
  schedule.changed(now);
  EXPECT_TRUE(schedule.takeNow(now + std::chrono::milliseconds(10)));
  EXPECT_FALSE(schedule.pending());
  EXPECT_EQ(schedule.nextCheck(), now + std::chrono::milliseconds(10) + std::chrono::seconds(1)) << "kept, looked at";
  EXPECT_FALSE(schedule.takeNow(now + std::chrono::seconds(2)));
}

TEST(SnapshotSchedule, ForgetLeavesNothingPendingOrKept) {
  SnapshotSchedule schedule;
  const auto now = SnapshotSchedule::Clock::now();
  schedule.changed(now);
  schedule.keeping(now);
  schedule.forget();
  EXPECT_FALSE(schedule.pending());
  EXPECT_FALSE(schedule.nextCheck());
  EXPECT_EQ(schedule.due(now + std::chrono::minutes(1), false), Action::None);
}

}  // namespace
}  // namespace qnv::app
