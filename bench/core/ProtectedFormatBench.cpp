// Throughput of the hex codec and the protected format on a 10 MB document, next to a plain
// memory copy of the same bytes. Every figure counts document bytes (the hex text is twice
// as long), so the rates compare directly.
#include <benchmark/benchmark.h>

#include <cstring>
#include <optional>
#include <random>
#include <string>

#include "crypto/EventPump.h"
#include "crypto/HexCodec.h"
#include "crypto/ProtectedFormat.h"

namespace {

constexpr std::size_t kDocumentBytes = 10 * 1000 * 1000;
constexpr std::string_view kCheckValue = "0150983CD";

// Pseudo-random bytes without zeros, so that unlocking returns the whole document.
const std::string& document() {
  static const std::string bytes = [] {
    std::string b(kDocumentBytes, '\0');
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> byte(1, 255);
    for (char& c : b) c = static_cast<char>(byte(random));
    return b;
  }();
  return bytes;
}

const std::string& hexText() {
  static const std::string text = qnv::hexEncode(document());
  return text;
}

const std::string& protectedFile() {
  static const std::string file = qnv::protectedFileContent(document(), kCheckValue, nullptr);
  return file;
}

// A pump as the windows use it, with an event loop that has nothing to do.
qnv::EventPump idlePump() { return qnv::EventPump([] {}); }

void BM_Memcpy(benchmark::State& state) {
  const std::string& source = document();
  std::string target(source.size(), '\0');
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void BM_HexEncode(benchmark::State& state) {
  const bool pumped = state.range(0) != 0;
  qnv::EventPump pump = idlePump();
  for (auto _ : state) {
    std::string text = qnv::hexEncode(document(), pumped ? &pump : nullptr);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kDocumentBytes));
}
BENCHMARK(BM_HexEncode)->ArgName("pump")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_HexDecode(benchmark::State& state) {
  const bool pumped = state.range(0) != 0;
  qnv::EventPump pump = idlePump();
  for (auto _ : state) {
    std::string bytes = qnv::hexDecode(hexText(), pumped ? &pump : nullptr);
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kDocumentBytes));
}
BENCHMARK(BM_HexDecode)->ArgName("pump")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ProtectedFileContent(benchmark::State& state) {
  qnv::EventPump pump = idlePump();
  for (auto _ : state) {
    std::string file = qnv::protectedFileContent(document(), kCheckValue, &pump);
    benchmark::DoNotOptimize(file.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kDocumentBytes));
}
BENCHMARK(BM_ProtectedFileContent)->Unit(benchmark::kMillisecond);

void BM_DecryptText(benchmark::State& state) {
  qnv::EventPump pump = idlePump();
  const std::string body = qnv::removeProtectedMarker(protectedFile());
  for (auto _ : state) {
    std::optional<std::string> text = qnv::decryptText(body, kCheckValue, &pump);
    if (!text || text->size() != kDocumentBytes) {
      state.SkipWithError("unlocking did not give the document back");
      break;
    }
    benchmark::DoNotOptimize(text->data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kDocumentBytes));
}
BENCHMARK(BM_DecryptText)->Unit(benchmark::kMillisecond);

}  // namespace
