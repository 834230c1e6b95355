#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>

#include "crypto/HexCodec.h"

namespace qnv::crypto {
namespace {

using namespace std::literals;

std::string allByteValues() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

TEST(CryptoHexCodec, EncodeGivesTwoUpperCaseDigitsPerByte) {
  struct Case {
    std::string_view bytes;
    std::string_view text;
  } cases[] = {
      {""sv, ""sv},
      {"\x00\x0A\xFF"sv, "000AFF"sv},
      {"\x01"sv, "01"sv},
      {"\x10"sv, "10"sv},
      {"abc"sv, "616263"sv},
      {"\xC3\xDC\xC2\xEB"sv, "C3DCC2EB"sv},  // 密码 in GBK
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hexEncode(c.bytes), c.text) << "bytes as hex: " << c.text;
  }
}

TEST(CryptoHexCodec, EncodeOfEveryByteValue) {
  const std::string text = hexEncode(allByteValues());
  ASSERT_EQ(text.size(), 512u);
  const char* digits = "0123456789ABCDEF";
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(text[2 * b], digits[b >> 4]) << "byte " << b;
    EXPECT_EQ(text[2 * b + 1], digits[b & 0xF]) << "byte " << b;
  }
}

TEST(CryptoHexCodec, DecodeReadsTwoCharacterSlices) {
  struct Case {
    std::string_view text;
    std::string_view bytes;
  } cases[] = {
      {"000AFF"sv, "\x00\x0A\xFF"sv},
      {"0aff"sv, "\x0A\xFF"sv},          // lower case accepted
      {"ABC"sv, "\xAB\x0C"sv},           // odd length: the last slice is one character
      {"4G"sv, "\x04"sv},                // a lone digit is the whole value, on either side
      {"G4"sv, "\x04"sv},
      {"GG"sv, "\x00"sv},                // no digit at all gives 0
      {""sv, ""sv},
      {"G"sv, "\x00"sv},
      {"7"sv, "\x07"sv},
      {"1-2"sv, "\x01\x02"sv},           // slices "1-" and "2"
      {"\xB0\xA1" "A\xB0"sv, "\x00\x0A"sv},  // 啊 in GBK: both bytes are skipped on their own
      {"fFfF"sv, "\xFF\xFF"sv},
      {"  "sv, "\x00"sv},
      {"0A\n0B"sv, "\x0A\x00\x0B"sv},    // "0A", "\n0" and "B": a line break is no separator
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hexDecode(c.text), c.bytes) << "text: " << c.text;
  }
}

TEST(CryptoHexCodec, DecodeLengthIsHalfRoundedUp) {
  for (std::size_t length : {0u, 1u, 2u, 3u, 4u, 31u, 32u, 65537u}) {
    EXPECT_EQ(hexDecode(std::string(length, 'z')).size(), (length + 1) / 2) << "length " << length;
  }
}

TEST(CryptoHexCodec, LongTextDecodesSliceBySlice) {
  // Mostly digits, now and then another byte: long runs are decoded many pairs at a time,
  // and every result must still be what each slice gives on its own.
  const std::string_view alphabet = "0123456789abcdefABCDEF";
  const std::string_view others = "G \xB0\n-z\xFF/:@`";
  std::string text;
  unsigned state = 7;
  for (int i = 0; i < 20001; ++i) {
    state = state * 1103515245u + 12345u;
    const unsigned pick = state >> 16;
    text += pick % 50 == 0 ? others[pick / 50 % others.size()] : alphabet[pick % alphabet.size()];
  }
  const std::string decoded = hexDecode(text);
  ASSERT_EQ(decoded.size(), (text.size() + 1) / 2);
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    const std::string_view slice = std::string_view(text).substr(2 * i, 2);
    ASSERT_EQ(static_cast<std::uint8_t>(decoded[i]), hexToInteger(slice) & 0xFF) << "slice " << i << ": " << slice;
  }
}

TEST(CryptoHexCodec, ToIntegerTakesTheLastSixteenDigits) {
  struct Case {
    std::string_view text;
    std::uint64_t value;
  } cases[] = {
      {""sv, 0},
      {"1-2"sv, 0x12},
      {"ff"sv, 0xFF},
      {"Ab"sv, 0xAB},
      {"xyz"sv, 0},
      {"FFFFFFFFFFFFFFFF"sv, 0xFFFFFFFFFFFFFFFFull},
      {"123456789ABCDEF01"sv, 0x23456789ABCDEF01ull},       // 17 digits: the first is dropped
      {"9 8765 4321 fedc ba98 7654"sv, 0x4321FEDCBA987654ull},
      {"0000000000000000000000001"sv, 1},
      {"\xC4\xE3" "1\xBA\xC3" "2"sv, 0x12},                    // GBK 你好 around the digits
      {"12345678 abcdefgh"sv, 0x12345678ABCDEFull},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hexToInteger(c.text), c.value) << "text: " << c.text;
  }
}

TEST(CryptoHexCodec, DecodeUndoesEncodeInEitherCase) {
  const std::string bytes = allByteValues();
  const std::string upper = hexEncode(bytes);
  std::string lower = upper;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(hexDecode(upper), bytes);
  EXPECT_EQ(hexDecode(lower), bytes);
}

// A document larger than several pump blocks, so that block boundaries are crossed.
std::string largeDocument() {
  std::string bytes(300 * 1024 + 7, '\0');
  unsigned state = 12345;
  for (char& c : bytes) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 16);
  }
  return bytes;
}

TEST(CryptoHexCodec, PumpingDoesNotChangeTheResult) {
  const std::string bytes = largeDocument();
  int rounds = 0;
  EventPump always([&] { ++rounds; }, std::chrono::milliseconds(0));
  const std::string text = hexEncode(bytes, &always);
  EXPECT_EQ(text, hexEncode(bytes));
  EXPECT_EQ(hexDecode(text, &always), bytes);
  const std::string odd = text.substr(0, text.size() - 1);
  EXPECT_EQ(hexDecode(odd, &always), hexDecode(odd));
  EXPECT_GT(rounds, 0);
}

TEST(CryptoHexCodec, HandlersRunDuringPumpingCanUseTheCodecThemselves) {
  // Events processed inside an encoding may start another encoding on their own data.
  const std::string bytes = largeDocument();
  std::string nestedResult;
  EventPump pump(
      [&] {
        if (nestedResult.empty()) nestedResult = hexDecode(hexEncode("nested"));
      },
      std::chrono::milliseconds(0));
  const std::string text = hexEncode(bytes, &pump);
  EXPECT_EQ(nestedResult, "nested");
  EXPECT_EQ(hexDecode(text, &pump), bytes);
}

}  // namespace
}  // namespace qnv::crypto
