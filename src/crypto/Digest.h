#pragma once
// The password digest: MD5 rendered as hex digits, and the nine-character check value that a
// protected document stores in place of its password.
#include <cstddef>
#include <string>
#include <string_view>

namespace qnv::crypto {

// Two lower-case hex digits per byte, high half first.
std::string lowerHexDigits(const unsigned char* bytes, std::size_t count);

// The MD5 digest of exactly `bytes` as 32 lower-case hex digits, through libgcrypt; empty when
// the library fails. The program takes its check values through the system's hash service
// instead (crypto/win/CryptoApiDigest.h); this one is the portable reference.
std::string md5HexDigest(std::string_view bytes);

// A digest function: 32 lower-case hex digits, or empty on failure.
using Md5Function = std::string (*)(std::string_view bytes);

// Characters 3 to 11 (counting from 1) of a digest text, upper-cased; empty when the digest
// is shorter than 11 characters, which includes the empty digest of a failed hash.
std::string checkValueFromDigest(std::string_view digest);

// The check value of a password given as its ANSI code page bytes: 9 upper-case hex digits,
// or empty when the digest failed.
inline std::string passwordCheckValue(std::string_view passwordBytes, Md5Function md5 = md5HexDigest) {
  return checkValueFromDigest(md5(passwordBytes));
}

}  // namespace qnv::crypto
