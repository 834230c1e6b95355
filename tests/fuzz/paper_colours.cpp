// The print copy's colour rewrite on any document bytes: never out of bounds, RTF without a
// colour table unchanged, and nothing but colour-table entries changed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "commands/PrintLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const uint32_t colour = size >= 3 ? (data[0] | (data[1] << 8) | (data[2] << 16)) : 0xFFFFFF;
  const std::string out = qnv::commands::withPaperColours(text, colour);
  if (text.find("{\\colortbl") == std::string_view::npos && out != text) __builtin_trap();
  if (out.substr(0, 5) != text.substr(0, 5)) __builtin_trap();
  return 0;
}
