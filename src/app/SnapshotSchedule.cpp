#include "app/SnapshotSchedule.h"

#include <algorithm>
#include <utility>

namespace qnv::app {

void SnapshotSchedule::changed(Clock::time_point now) {
  if (!pending_) firstChange_ = now;
  pending_ = true;
  lastChange_ = now;
}

SnapshotSchedule::Clock::time_point SnapshotSchedule::takeAt() const {
  return std::min(lastChange_ + timing_.idle, firstChange_ + timing_.longest);
}

SnapshotSchedule::Action SnapshotSchedule::due(Clock::time_point now, bool modified) {
  if (!modified) {
    // Saved, given up, or the changes were only the document being loaded.
    pending_ = false;
    return std::exchange(kept_, false) ? Action::Discard : Action::None;
  }
  if (pending_ && now >= takeAt()) {
    keeping(now);
    return Action::Take;
  }
  if (kept_ && now >= checkAt_) checkAt_ = now + timing_.check;
  return Action::None;
}

std::optional<SnapshotSchedule::Clock::time_point> SnapshotSchedule::nextCheck() const {
  if (pending_ && kept_) return std::min(takeAt(), checkAt_);
  if (pending_) return takeAt();
  if (kept_) return checkAt_;
  return std::nullopt;
}

bool SnapshotSchedule::takeNow(Clock::time_point now) {
  if (!pending_) return false;
  keeping(now);
  return true;
}

void SnapshotSchedule::keeping(Clock::time_point now) {
  pending_ = false;
  kept_ = true;
  checkAt_ = now + timing_.check;
}

void SnapshotSchedule::forget() {
  pending_ = false;
  kept_ = false;
}

}  // namespace qnv::app
