#include "crypto/Digest.h"

namespace qnv::crypto {

std::string lowerHexDigits(const unsigned char* bytes, std::size_t count) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * count);
  for (std::size_t i = 0; i < count; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0xF];
  }
  return text;
}

std::string checkValueFromDigest(std::string_view digest) {
  constexpr std::size_t kFirst = 2;   // skip the two digits of digest byte 0
  constexpr std::size_t kLength = 9;  // bytes 1 to 4 and the high digit of byte 5
  if (digest.size() < kFirst + kLength) return {};
  std::string value(digest.substr(kFirst, kLength));
  for (char& c : value) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return value;
}

}  // namespace qnv::crypto
