#include "crypto/Digest.h"

namespace qnv {

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

}  // namespace qnv
