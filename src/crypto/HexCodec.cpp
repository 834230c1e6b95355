#include "crypto/HexCodec.h"

#include <algorithm>
#include <array>
#include <cstring>

// SSE2 is part of every x86-64 processor; elsewhere the tables do all the work.
#if defined(__SSE2__)
#include <emmintrin.h>
#define QNV_HEX_SSE2 1
#else
#define QNV_HEX_SSE2 0
#endif

namespace qnv::crypto {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

constexpr std::array<std::uint8_t, 256> makeDigitValues() {
  std::array<std::uint8_t, 256> values{};
  for (int c = 0; c < 256; ++c) {
    if (c >= '0' && c <= '9') {
      values[c] = static_cast<std::uint8_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      values[c] = static_cast<std::uint8_t>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      values[c] = static_cast<std::uint8_t>(c - 'a' + 10);
    } else {
      values[c] = hex_detail::kNotHex;
    }
  }
  return values;
}

constexpr std::array<std::uint8_t, 256> kDigitValues = makeDigitValues();

// The two digits of every byte value, high half first.
constexpr std::array<std::array<char, 2>, 256> makeEncodeTable() {
  std::array<std::array<char, 2>, 256> table{};
  for (int b = 0; b < 256; ++b) {
    table[b] = {kDigits[b >> 4], kDigits[b & 0xF]};
  }
  return table;
}

constexpr std::array<std::array<char, 2>, 256> kEncodeTable = makeEncodeTable();

// The decoded byte of every two-character slice, indexed by first * 256 + second. Built on
// first use; 64 KiB, of which a hex text touches a few cache lines.
const std::uint8_t* pairTable() {
  static const std::array<std::uint8_t, 65536> table = [] {
    std::array<std::uint8_t, 65536> t{};
    for (int first = 0; first < 256; ++first) {
      for (int second = 0; second < 256; ++second) {
        t[first * 256 + second] = hex_detail::pairValue(static_cast<unsigned char>(first),
                                                        static_cast<unsigned char>(second));
      }
    }
    return t;
  }();
  return table.data();
}

}  // namespace

namespace hex_detail {

std::uint8_t digitValue(unsigned char c) { return kDigitValues[c]; }

std::uint8_t pairValue(unsigned char first, unsigned char second) {
  // hexToInteger fills slots from the right: the second character's digit lands in the low
  // half when both are digits; a lone digit, wherever it stands, is the whole value.
  const std::uint8_t high = kDigitValues[first];
  const std::uint8_t low = kDigitValues[second];
  if (high != kNotHex && low != kNotHex) return static_cast<std::uint8_t>(high << 4 | low);
  if (low != kNotHex) return low;
  if (high != kNotHex) return high;
  return 0;
}

void encodeInto(std::string_view bytes, std::uint8_t mask, char* out, EventPump* pump) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  std::size_t done = 0;
  while (done < size) {
    const std::size_t end = std::min(size, done + kPumpBlockBytes);
    std::size_t i = done;
#if QNV_HEX_SSE2
    const __m128i maskV = _mm_set1_epi8(static_cast<char>(mask));
    const __m128i lowNibble = _mm_set1_epi8(0x0F);
    const __m128i nine = _mm_set1_epi8(9);
    const __m128i zeroChar = _mm_set1_epi8('0');
    const __m128i letterGap = _mm_set1_epi8('A' - '0' - 10);
    auto digits = [&](__m128i nibbles) {
      const __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(nibbles, nine), letterGap);
      return _mm_add_epi8(_mm_add_epi8(nibbles, zeroChar), letters);
    };
    for (; i + 16 <= end; i += 16) {
      const __m128i v = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)), maskV);
      const __m128i high = digits(_mm_and_si128(_mm_srli_epi16(v, 4), lowNibble));
      const __m128i low = digits(_mm_and_si128(v, lowNibble));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i), _mm_unpacklo_epi8(high, low));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i + 16), _mm_unpackhi_epi8(high, low));
    }
#endif
    for (; i < end; ++i) {
      std::memcpy(out + 2 * i, kEncodeTable[in[i] ^ mask].data(), 2);
    }
    done = end;
    if (pump) pump->poll();
  }
}

namespace {

#if QNV_HEX_SSE2
// Decodes 16 pairs when all 32 characters are hex digits; returns false (and writes nothing)
// otherwise, leaving those pairs to the table.
inline bool decodeSixteenPairs(const unsigned char* in, std::uint8_t mask, char* out) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
  const __m128i lowByte = _mm_set1_epi16(0x00FF);
  const __m128i firsts = _mm_packus_epi16(_mm_and_si128(a, lowByte), _mm_and_si128(b, lowByte));
  const __m128i seconds = _mm_packus_epi16(_mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8));

  // Value of each character, and whether it is a digit at all: c - '0' below 10, or
  // (c | 0x20) - 'a' below 6 (only A-F and a-f land there).
  __m128i valid = _mm_set1_epi8(-1);
  auto values = [&valid](__m128i c) {
    const __m128i digit = _mm_sub_epi8(c, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digit, _mm_set1_epi8(9)), digit);
    const __m128i letter = _mm_sub_epi8(_mm_or_si128(c, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(letter, _mm_set1_epi8(5)), letter);
    valid = _mm_and_si128(valid, _mm_or_si128(isDigit, isLetter));
    return _mm_or_si128(_mm_and_si128(isDigit, digit),
                        _mm_andnot_si128(isDigit, _mm_add_epi8(letter, _mm_set1_epi8(10))));
  };
  const __m128i high = values(firsts);
  const __m128i low = values(seconds);
  if (_mm_movemask_epi8(valid) != 0xFFFF) return false;
  // Every value is below 16, so shifting 16-bit lanes moves no bit into the next byte.
  const __m128i decoded = _mm_or_si128(_mm_slli_epi16(high, 4), low);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                   _mm_xor_si128(decoded, _mm_set1_epi8(static_cast<char>(mask))));
  return true;
}
#endif

}  // namespace

void decodeInto(std::string_view text, std::uint8_t mask, char* out, EventPump* pump) {
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t pairs = text.size() / 2;
  const std::uint8_t* table = pairTable();
  auto decodeByTable = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
      const unsigned index = static_cast<unsigned>(in[2 * i]) << 8 | in[2 * i + 1];
      out[i] = static_cast<char>(table[index] ^ mask);
    }
  };
  std::size_t done = 0;
  while (done < pairs) {
    const std::size_t end = std::min(pairs, done + kPumpBlockBytes / 2);
    std::size_t i = done;
#if QNV_HEX_SSE2
    for (; i + 16 <= end; i += 16) {
      if (!decodeSixteenPairs(in + 2 * i, mask, out + i)) decodeByTable(i, i + 16);
    }
#endif
    decodeByTable(i, end);
    done = end;
    if (pump) pump->poll();
  }
  if (text.size() % 2 != 0) {
    const std::uint8_t last = kDigitValues[in[text.size() - 1]];
    out[pairs] = static_cast<char>((last == kNotHex ? 0 : last) ^ mask);
  }
}

}  // namespace hex_detail

std::string hexEncode(std::string_view bytes, EventPump* pump) {
  std::string out(2 * bytes.size(), '\0');
  hex_detail::encodeInto(bytes, 0, out.data(), pump);
  return out;
}

std::string hexDecode(std::string_view text, EventPump* pump) {
  std::string out((text.size() + 1) / 2, '\0');
  hex_detail::decodeInto(text, 0, out.data(), pump);
  return out;
}

std::uint64_t hexToInteger(std::string_view text) {
  std::uint64_t value = 0;
  int filled = 0;
  for (std::size_t i = text.size(); i > 0 && filled < 16; --i) {
    const std::uint8_t digit = kDigitValues[static_cast<unsigned char>(text[i - 1])];
    if (digit == hex_detail::kNotHex) continue;
    value |= static_cast<std::uint64_t>(digit) << (4 * filled);
    ++filled;
  }
  return value;
}

}  // namespace qnv::crypto
