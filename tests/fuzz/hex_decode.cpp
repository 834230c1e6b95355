// Fuzzes the hex codec against a plain, slot-by-slot rendering of its rules.
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "crypto/HexCodec.h"

namespace {

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "hex codec mismatch: %s\n", what);
    std::abort();
  }
}

int referenceDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Sixteen four-bit slots filled from the right while scanning from the last character.
std::uint64_t referenceToInteger(std::string_view text) {
  std::array<int, 16> slots{};
  int next = 15;
  for (std::size_t i = text.size(); i-- > 0 && next >= 0;) {
    const int digit = referenceDigit(text[i]);
    if (digit < 0) continue;
    slots[next--] = digit;
  }
  std::uint32_t high = 0;
  std::uint32_t low = 0;
  for (int s = 0; s < 8; ++s) high = high * 16 + static_cast<std::uint32_t>(slots[s]);
  for (int s = 8; s < 16; ++s) low = low * 16 + static_cast<std::uint32_t>(slots[s]);
  return static_cast<std::uint64_t>(high) << 32 | low;
}

// Positions 1, 3, 5, ... counted from 1; slices of two characters, the last one possibly one.
std::string referenceDecode(std::string_view text) {
  std::string bytes;
  for (std::size_t i = 1; i <= text.size(); i += 2) {
    bytes += static_cast<char>(referenceToInteger(text.substr(i - 1, 2)) & 0xFF);
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  require(qnv::crypto::hexToInteger(text) == referenceToInteger(text), "hexToInteger");
  const std::string expected = referenceDecode(text);
  require(qnv::crypto::hexDecode(text) == expected, "hexDecode");
  qnv::crypto::EventPump pump([] {}, std::chrono::milliseconds(0));
  require(qnv::crypto::hexDecode(text, &pump) == expected, "hexDecode with a pump");

  const std::string encoded = qnv::crypto::hexEncode(text, &pump);
  require(encoded.size() == 2 * size, "hexEncode length");
  require(encoded.find_first_not_of("0123456789ABCDEF") == std::string::npos, "hexEncode digits");
  require(qnv::crypto::hexDecode(encoded) == text, "hexDecode of hexEncode");
  return 0;
}
