// Feeds any bytes to the RTF structural check, as a document and behind an RTF header: it
// must never read outside the bytes, and a refusal must point into them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/RtfCheck.h"

namespace {

void check(const std::string& rtf) {
  const qnv::app::RtfCheckResult result = qnv::app::checkRtf(rtf, 936);
  if (result.problem != qnv::app::RtfProblem::kNone && result.offset >= rtf.size()) {
    std::fprintf(stderr, "refusal outside the document: %zu of %zu\n", result.offset, rtf.size());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  check(input);
  check("{\\rtf1\\ansi " + input);
  return 0;
}
