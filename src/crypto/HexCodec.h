#pragma once
// Hexadecimal text for the protected document format: upper-case on writing, lenient on
// reading (any byte that is not a hex digit is ignored).
#include <cstdint>
#include <string>
#include <string_view>

#include "crypto/EventPump.h"

namespace qnv::crypto {

// Two upper-case hex digits per byte, high half first; empty bytes give an empty text.
// Polls `pump` (when given) while it works.
std::string hexEncode(std::string_view bytes, EventPump* pump = nullptr);

// One byte per two-character slice of `text` (the last slice has one character when the
// length is odd): the low eight bits of hexToInteger of the slice. A text of length L gives
// L / 2 bytes rounded up. Never fails. Polls `pump` (when given) while it works.
std::string hexDecode(std::string_view text, EventPump* pump = nullptr);

// The value of the last (at most) 16 hex digits of `text`, upper or lower case; every other
// byte is skipped on its own, including each byte of a double-byte character.
std::uint64_t hexToInteger(std::string_view text);

namespace hex_detail {

// 0-15 for the bytes 0-9, A-F and a-f; kNotHex for every other byte.
inline constexpr std::uint8_t kNotHex = 0xFF;
std::uint8_t digitValue(unsigned char c);

// The byte that hexDecode gives for the two-character slice (first, second).
std::uint8_t pairValue(unsigned char first, unsigned char second);

// Decodes `text` as hexDecode does into `out`, which has room for (text.size() + 1) / 2
// bytes, and exclusive-ors every byte with `mask`. Polls `pump` once per block.
void decodeInto(std::string_view text, std::uint8_t mask, char* out, EventPump* pump);

// Encodes `bytes`, each exclusive-ored with `mask` first, as hexEncode does into `out`, which
// has room for 2 * bytes.size() characters. Polls `pump` once per block.
void encodeInto(std::string_view bytes, std::uint8_t mask, char* out, EventPump* pump);

}  // namespace hex_detail

}  // namespace qnv::crypto
