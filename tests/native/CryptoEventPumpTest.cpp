#include <gtest/gtest.h>

#include <string>

#include "crypto/EventPump.h"
#include "crypto/HexCodec.h"
#include "crypto/ProtectedFormat.h"

namespace qnv::crypto {
namespace {

using std::chrono::milliseconds;

// A clock that only moves when the test moves it, and counts how often it is read.
struct ScriptedClock {
  EventPump::Clock::time_point now{};
  int reads = 0;
  EventPump::NowFunction function() {
    return [this] {
      ++reads;
      return now;
    };
  }
  void advance(milliseconds by) { now += by; }
};

TEST(CryptoEventPump, RunsOnlyWhenTheIntervalHasPassed) {
  ScriptedClock clock;
  int rounds = 0;
  EventPump pump([&] { ++rounds; }, milliseconds(15), clock.function());

  struct Step {
    int advanceMs;
    int roundsAfter;
  } steps[] = {
      {0, 0},   // the first interval counts from construction
      {14, 0},  //
      {1, 1},   // 15 ms after construction
      {0, 1},   // right after a round
      {14, 1},  //
      {1, 2},   // 15 ms after the round
      {100, 3}, // a long pause gives one round, not several
      {0, 3},
  };
  int index = 0;
  for (const Step& s : steps) {
    clock.advance(milliseconds(s.advanceMs));
    pump.poll();
    EXPECT_EQ(rounds, s.roundsAfter) << "step " << index;
    ++index;
  }
}

TEST(CryptoEventPump, IntervalCountsFromTheEndOfALongRound) {
  ScriptedClock clock;
  int rounds = 0;
  // The round itself takes 40 ms (say a message box was open during it).
  EventPump pump(
      [&] {
        ++rounds;
        clock.advance(milliseconds(40));
      },
      milliseconds(15), clock.function());
  clock.advance(milliseconds(15));
  pump.poll();
  ASSERT_EQ(rounds, 1);
  clock.advance(milliseconds(10));
  pump.poll();
  EXPECT_EQ(rounds, 1) << "only 10 ms since the round ended";
  clock.advance(milliseconds(5));
  pump.poll();
  EXPECT_EQ(rounds, 2);
}

TEST(CryptoEventPump, PollingFromInsideARoundDoesNotStartAnother) {
  ScriptedClock clock;
  int rounds = 0;
  EventPump* self = nullptr;
  EventPump pump(
      [&] {
        ++rounds;
        self->poll();
      },
      milliseconds(15), clock.function());
  self = &pump;
  clock.advance(milliseconds(20));
  pump.poll();
  EXPECT_EQ(rounds, 1);
}

TEST(CryptoEventPump, DefaultsToFifteenMilliseconds) {
  EventPump pump([] {});
  EXPECT_EQ(pump.interval(), milliseconds(15));
  EventPump empty{std::function<void()>{}, milliseconds(0)};
  empty.poll();  // no function: nothing to run, no crash
}

// The codec looks at the clock about once per block: often enough that a round is never far
// off on a slow machine, yet never once per byte.
TEST(CryptoEventPump, CodecReadsTheClockOncePerBlockNotPerByte) {
  const std::size_t size = 1 << 20;
  const std::string document(size, 'x');
  const std::string hex = hexEncode(document);
  const std::string file = protectedFileContent(document, "0150983CD", nullptr);
  struct Case {
    const char* name;
    std::function<void(EventPump&)> run;
  } cases[] = {
      {"hexEncode", [&](EventPump& p) { hexEncode(document, &p); }},
      {"hexDecode", [&](EventPump& p) { hexDecode(hex, &p); }},
      {"protectedFileContent", [&](EventPump& p) { protectedFileContent(document, "0150983CD", &p); }},
      {"encryptText", [&](EventPump& p) { encryptText(document, "0150983CD", &p); }},
      {"decryptText", [&](EventPump& p) { decryptText(file.substr(4), "0150983CD", &p); }},
  };
  for (const Case& c : cases) {
    ScriptedClock clock;
    EventPump pump([] {}, milliseconds(15), clock.function());
    clock.reads = 0;
    c.run(pump);
    EXPECT_GE(clock.reads, static_cast<int>(size / (64 * 1024))) << c.name;
    EXPECT_LE(clock.reads, static_cast<int>(size / 1024)) << c.name;
  }
}

TEST(CryptoEventPump, CodecRunsTheLoopAsTimePasses) {
  // Every clock read is 1 ms later: a 1 MiB document read in blocks takes well over 15 ms.
  ScriptedClock clock;
  int rounds = 0;
  EventPump pump([&] { ++rounds; }, milliseconds(15), [&] {
    clock.advance(milliseconds(1));
    return clock.now;
  });
  const std::string document(1 << 20, 'x');
  EXPECT_EQ(hexDecode(hexEncode(document, &pump), &pump), document);
  EXPECT_GE(rounds, 1);
}

}  // namespace
}  // namespace qnv::crypto
