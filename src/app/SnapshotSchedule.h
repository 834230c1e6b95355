#pragma once
// When an editor takes a recovery snapshot of its modified document, and when the one it
// keeps must go. A snapshot is taken a short while after the last change (typing has
// paused), and at the latest a longer while after the first change it does not hold yet (so
// that continuous typing is kept too). A kept snapshot goes as soon as the document is found
// no longer modified; while one is kept, that is looked at regularly. The caller passes the
// time to every call and asks when to call again.
#include <chrono>
#include <optional>

namespace qnv::app {

struct SnapshotTiming {
  std::chrono::steady_clock::duration idle = std::chrono::seconds(3);      // after the last change
  std::chrono::steady_clock::duration longest = std::chrono::seconds(30);  // after the first change not yet kept
  std::chrono::steady_clock::duration check = std::chrono::seconds(1);     // between looks at a kept snapshot
};

class SnapshotSchedule {
 public:
  using Clock = std::chrono::steady_clock;
  using Timing = SnapshotTiming;

  enum class Action { None, Take, Discard };

  explicit SnapshotSchedule(Timing timing = {}) : timing_(timing) {}

  // The document changed.
  void changed(Clock::time_point now);
  // What to do now, for a document that is (or is no longer) modified: take a snapshot,
  // discard the one that is kept, or nothing.
  Action due(Clock::time_point now, bool modified);
  // When `due` has something to look at next; nullopt while nothing is pending or kept.
  std::optional<Clock::time_point> nextCheck() const;

  // Whether changes are pending; if so they count as taken now (the session ends).
  bool takeNow(Clock::time_point now);
  // A snapshot of the whole document is on disk already (the one it was restored from).
  void keeping(Clock::time_point now);
  // The kept snapshot was discarded and nothing is pending.
  void forget();

  bool pending() const { return pending_; }

 private:
  Clock::time_point takeAt() const;

  Timing timing_;
  bool pending_ = false;  // changes that no snapshot holds yet
  Clock::time_point firstChange_{};
  Clock::time_point lastChange_{};
  bool kept_ = false;  // a snapshot may be on disk
  Clock::time_point checkAt_{};
};

}  // namespace qnv::app
