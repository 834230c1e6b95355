#include "crypto/EventPump.h"

#include <utility>

namespace qnv::crypto {

EventPump::EventPump(std::function<void()> processPendingEvents, std::chrono::milliseconds interval,
                     NowFunction now)
    : processPendingEvents_(std::move(processPendingEvents)), interval_(interval), now_(std::move(now)) {
  last_ = this->now();
}

void EventPump::poll() {
  const Clock::time_point start = now();
  if (start - last_ < interval_) return;
  // Stamp before running the loop, so that a handler which polls this pump from inside the
  // loop does not start another round at once; stamp again afterwards, so that the interval
  // counts from the end of a round that took a while (a modal box opened inside it).
  last_ = start;
  if (processPendingEvents_) processPendingEvents_();
  last_ = now();
}

}  // namespace qnv::crypto
