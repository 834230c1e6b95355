#pragma once
// The password digest: MD5 through the platform's hash service, and the nine-character check
// value that a protected document stores in place of its password.
#include <string>
#include <string_view>

namespace qnv {

// The MD5 digest of exactly `bytes` as 32 lower-case hex digits, or empty when the hash
// service fails at any step. One back end per platform: CryptoAPI on Windows
// (crypto/win/DigestCryptoApi.cpp), OpenSSL natively (crypto/DigestNative.cpp).
std::string md5HexDigest(std::string_view bytes);

// Characters 3 to 11 (counting from 1) of a digest text, upper-cased; empty when the digest
// is shorter than 11 characters, which includes the empty digest of a failed hash.
std::string checkValueFromDigest(std::string_view digest);

// The check value of a password given as its ANSI code page bytes: 9 upper-case hex digits,
// or empty when the hash service failed.
inline std::string passwordCheckValue(std::string_view passwordBytes) {
  return checkValueFromDigest(md5HexDigest(passwordBytes));
}

}  // namespace qnv
