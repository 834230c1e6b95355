#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "crypto/Digest.h"
#include "crypto/ProtectedFormat.h"

namespace qnv::crypto {
namespace {

using namespace std::literals;

constexpr std::string_view kCheckAbc = "0150983CD";  // check value of the password "abc"

std::string allByteValues() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

TEST(CryptoProtectedFormat, ScrambleUsesTheLowByteOfTheMask) {
  const std::string bytes = allByteValues();
  const std::string scrambled = scrambleBytes(bytes);
  ASSERT_EQ(scrambled.size(), bytes.size());
  for (int b = 0; b < 256; ++b) {
    const std::int32_t expected = (b ^ 7215) & 0xFF;
    EXPECT_EQ(static_cast<std::uint8_t>(scrambled[b]), expected) << "byte " << b;
  }
  EXPECT_EQ(scrambleBytes(scrambled), bytes);
  EXPECT_EQ(scrambleBytes(""), "");
}

TEST(CryptoProtectedFormat, RecognisesTheMarkerByteForByte) {
  struct Case {
    std::string_view text;
    bool isProtected;
  } cases[] = {
      {".qnv", true},    {".qnv0150983CD", true}, {".QNV0150983CD", false}, {".Qnv", false},
      {".qn", false},    {"", false},             {" .qnv", false},         {"{\\rtf1 .qnv}", false},
      {"\xEF\xBB\xBF.qnv", false},  // a byte-order mark in front is not skipped
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isProtectedText(c.text), c.isProtected) << "text: " << c.text;
  }
}

TEST(CryptoProtectedFormat, TextEndsAtTheFirstZeroByte) {
  struct Case {
    std::string_view bytes;
    std::string_view text;
  } cases[] = {
      {""sv, ""sv}, {"abc"sv, "abc"sv}, {"ab\0cd"sv, "ab"sv}, {"\0abc"sv, ""sv}, {"abc\0"sv, "abc"sv},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(textUpToFirstNul(c.bytes), c.text) << "expected: " << c.text;
  }
}

TEST(CryptoProtectedFormat, EncryptTextIsScrambledHexThenCheckValue) {
  EXPECT_EQ(encryptText("\x00\x0A\xFF"sv, kCheckAbc, nullptr), "2F25D0"s + std::string(kCheckAbc));
  EXPECT_EQ(encryptText("", kCheckAbc, nullptr), kCheckAbc);
  EXPECT_EQ(encryptText("", "", nullptr), "");
}

TEST(CryptoProtectedFormat, FileIsMarkerBodyAndCheckValue) {
  const std::string documents[] = {"", "a", "hello, world", "\xC4\xE3\xBA\xC3", allByteValues(),
                                   std::string(100000, '\n')};
  for (const std::string& document : documents) {
    const std::string file = protectedFileContent(document, kCheckAbc, nullptr);
    const std::string name = "document of " + std::to_string(document.size()) + " bytes";
    ASSERT_EQ(file.size(), 2 * document.size() + 13) << name;
    EXPECT_TRUE(isProtectedText(file)) << name;
    EXPECT_EQ(file.find_first_not_of("0123456789ABCDEF", 4), std::string::npos) << name;
    EXPECT_EQ(file.substr(file.size() - 9), kCheckAbc) << name;
    EXPECT_EQ(file.substr(4), encryptText(document, kCheckAbc, nullptr)) << name;
  }
}

TEST(CryptoProtectedFormat, EmptyDocumentGivesMarkerAndCheckValue) {
  EXPECT_EQ(protectedFileContent("", kCheckAbc, nullptr), ".qnv0150983CD");
}

TEST(CryptoProtectedFormat, NoContentWithoutACheckValue) {
  // The hash service failed: a file without its check value could never be unlocked, so
  // there is nothing to write, whatever the document.
  EXPECT_EQ(protectedFileContent("", "", nullptr), "");
  EXPECT_EQ(protectedFileContent("some document", "", nullptr), "");
}

TEST(CryptoProtectedFormat, PasswordsChangeOnlyTheLastNineCharacters) {
  const std::string document = "same document";
  const std::string first = protectedFileContent(document, passwordCheckValue("first"), nullptr);
  const std::string second = protectedFileContent(document, passwordCheckValue("second"), nullptr);
  ASSERT_EQ(first.size(), second.size());
  EXPECT_EQ(first.substr(0, first.size() - 9), second.substr(0, second.size() - 9));
  EXPECT_NE(first.substr(first.size() - 9), second.substr(second.size() - 9));
}

TEST(CryptoProtectedFormat, RemovesTheFirstMarkerOnACharacterBoundary) {
  struct Case {
    std::string_view text;
    std::string_view result;
  } cases[] = {
      {".qnvABC", "ABC"},
      {".QNVabc", "abc"},              // letters compared without regard to case
      {".qNv", ""},
      {"x.qnv.qnv", "x.qnv"},          // only the first occurrence
      {"no marker", "no marker"},
      {".qn", ".qn"},
      {"", ""},
      {",qnv", ",qnv"},                // the dot is a dot
      {"\xB0.qnvX", "\xB0.qnvX"},      // the dot is the second byte of a double-byte character
      {"\xB0x.qnvX", "\xB0xX"},        // here the marker starts on a character boundary
      {"\xB0\xA1.qnv", "\xB0\xA1"},    // 啊 then the marker
      {"abc\xB0", "abc\xB0"},          // a lead byte with nothing after it
      {"\xB0.qnv.qnv", "\xB0.qnv"},    // the scan resumes after the double-byte character
  };
  for (const Case& c : cases) {
    EXPECT_EQ(removeProtectedMarker(c.text), c.result) << "text: " << c.text;
  }
}

TEST(CryptoProtectedFormat, DecryptChecksTheStoredCheckValue) {
  struct Case {
    const char* name;
    std::string_view text;
    std::string_view check;
    std::optional<std::string_view> document;
  } cases[] = {
      {"right check value", "6E6D0150983CD", kCheckAbc, "AB"},
      {"check value only", "0150983CD", kCheckAbc, ""},
      {"wrong check value", "6E6D0150983CE", kCheckAbc, std::nullopt},
      {"stored check value in lower case", "6E6D0150983cd", kCheckAbc, std::nullopt},
      {"fewer than nine characters", "0150983C", kCheckAbc, std::nullopt},
      {"nothing after the marker", "", kCheckAbc, std::nullopt},
      {"failed digest never matches", "", "", std::nullopt},
      {"failed digest, body present", "6E6D0150983CD", "", std::nullopt},
      {"odd body: one more byte from the last digit", "6E6DE0150983CD", kCheckAbc, "AB!"},
      {"lower-case body", "6e6d0150983CD", kCheckAbc, "AB"},
      {"pair with one non-hex character", "6Z6D0150983CD", kCheckAbc, ")B"},  // 0x06 ^ 0x2F, 0x6D ^ 0x2F
      {"decoded zero byte ends the text", "6E2F6D0150983CD", kCheckAbc, "A"},
      {"body of non-hex characters", "GGGG0150983CD", kCheckAbc, "//"},  // 0x00 ^ 0x2F each
  };
  for (const Case& c : cases) {
    const std::optional<std::string> document = decryptText(c.text, c.check, nullptr);
    ASSERT_EQ(document.has_value(), c.document.has_value()) << c.name;
    if (document) EXPECT_EQ(*document, *c.document) << c.name;
  }
}

TEST(CryptoProtectedFormat, DecryptUndoesEncrypt) {
  const std::string documents[] = {"", "hello", "\xC4\xE3\xBA\xC3\r\n", "{\\rtf1 x}", allByteValues().substr(1)};
  const std::string passwords[] = {"", "abc", "\xC3\xDC\xC2\xEB"};
  for (const std::string& document : documents) {
    for (const std::string& password : passwords) {
      const std::string check = passwordCheckValue(password);
      const std::string file = protectedFileContent(document, check, nullptr);
      const std::string name = "document \"" + document + "\", password \"" + password + "\"";
      ASSERT_TRUE(isProtectedText(file)) << name;
      EXPECT_EQ(decryptText(removeProtectedMarker(file), check, nullptr), document) << name;
      if (!password.empty()) {
        EXPECT_EQ(decryptText(removeProtectedMarker(file), passwordCheckValue(""), nullptr), std::nullopt)
            << name << ", wrong password";
      }
    }
  }
}

TEST(CryptoProtectedFormat, PumpingDoesNotChangeTheResult) {
  std::string document(200 * 1024 + 3, '\0');
  for (std::size_t i = 0; i < document.size(); ++i) document[i] = static_cast<char>(1 + i % 255);
  int rounds = 0;
  EventPump always([&] { ++rounds; }, std::chrono::milliseconds(0));
  const std::string file = protectedFileContent(document, kCheckAbc, &always);
  EXPECT_EQ(file, protectedFileContent(document, kCheckAbc, nullptr));
  EXPECT_EQ(encryptText(document, kCheckAbc, &always), file.substr(4));
  EXPECT_EQ(decryptText(file.substr(4), kCheckAbc, &always), document);
  EXPECT_GT(rounds, 0);
}

std::string readFixture(const std::string& name) {
  std::ifstream in(std::string(QNV_TEST_DATA_DIR) + "/protected/" + name, std::ios::binary);
  EXPECT_TRUE(in) << "fixture " << name;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

constexpr std::string_view kRtfDocument =
    "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\n"
    "\\f0\\fs18 \\'d6\\'d0\\'ce\\'c4 RTF\\par\n"
    "}\n";

TEST(CryptoProtectedFormat, UnlocksTheFixtures) {
  // Files and passwords are described in tests/data/protected/README.md.
  struct Case {
    const char* file;
    std::string_view password;
    std::optional<std::string_view> document;
  } cases[] = {
      {"empty-document.qnv", "abc", ""},
      {"empty-password.qnv", "", "hello, world"},
      {"chinese-password.qnv", "\xC3\xDC\xC2\xEB",  // 密码
       "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\r\n\xB5\xDA\xB6\xFE\xD0\xD0"},  // 你好，世界 第二行
      {"zero-byte.qnv", "abc", "before"},
      {"odd-length.qnv", "abc", "AB!"},
      {"lower-case-body.qnv", "abc", "Lower case digits"},
      {"lower-case-check.qnv", "abc", std::nullopt},
      {"truncated.qnv", "abc", std::nullopt},
      {"rtf-document.qnv", "\xC3\xD8\xC3\xDC" "123", kRtfDocument},  // 秘密123
      // Wrong passwords.
      {"empty-password.qnv", "abc", std::nullopt},
      {"chinese-password.qnv", "\xE5\xAF\x86\xE7\xA0\x81", std::nullopt},  // 密码 as UTF-8
      {"rtf-document.qnv", "", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::string text = textUpToFirstNul(readFixture(c.file));
    ASSERT_TRUE(isProtectedText(text)) << c.file;
    const std::optional<std::string> document =
        decryptText(removeProtectedMarker(text), passwordCheckValue(c.password), nullptr);
    ASSERT_EQ(document.has_value(), c.document.has_value()) << c.file << " with password " << c.password;
    if (document) EXPECT_EQ(*document, *c.document) << c.file;
  }
}

}  // namespace
}  // namespace qnv::crypto
