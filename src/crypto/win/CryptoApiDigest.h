#pragma once
// MD5 through the system's hash service (CryptoAPI), the digest the program's check values
// are taken with.
#include <string>
#include <string_view>

namespace qnv::crypto {

// The MD5 digest of exactly `bytes` as 32 lower-case hex digits, or empty when the hash
// service fails at any step (every context and hash object acquired is released).
std::string cryptoApiMd5HexDigest(std::string_view bytes);

}  // namespace qnv::crypto
