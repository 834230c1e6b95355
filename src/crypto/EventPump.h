#pragma once
// Lets a long computation on the user-interface thread keep the windows alive: the work
// calls poll() now and then, and the pump hands control to the event loop only when the
// interval has passed since it last did, so the cost stays negligible however often
// poll() is called.
#include <chrono>
#include <cstddef>
#include <functional>

namespace qnv::crypto {

class EventPump {
 public:
  using Clock = std::chrono::steady_clock;
  using NowFunction = std::function<Clock::time_point()>;

  static constexpr std::chrono::milliseconds kDefaultInterval{15};

  // `processPendingEvents` runs the event loop until no event is pending. `now` reads the
  // clock; left empty it is the steady clock (tests pass a scripted one).
  explicit EventPump(std::function<void()> processPendingEvents,
                     std::chrono::milliseconds interval = kDefaultInterval, NowFunction now = {});

  // Runs the event loop when at least the interval has passed since the previous run (or,
  // before the first run, since construction). Reads the clock once otherwise.
  void poll();

  std::chrono::milliseconds interval() const { return interval_; }

 private:
  Clock::time_point now() const { return now_ ? now_() : Clock::now(); }

  std::function<void()> processPendingEvents_;
  std::chrono::milliseconds interval_;
  NowFunction now_;
  Clock::time_point last_;
};

// Callers working through a large buffer call poll() once per block of this many bytes of
// input: small enough that, at the codec's speed on the slowest machine we run on, a block
// takes well under a millisecond; large enough that reading the clock costs nothing.
inline constexpr std::size_t kPumpBlockBytes = 32 * 1024;

}  // namespace qnv::crypto
