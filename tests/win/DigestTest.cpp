// The CryptoAPI back end of the password digest, and a protected fixture unlocked with it:
// it must agree with the native back end that the core tests use.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <string>
#include <string_view>

#include "crypto/Digest.h"
#include "crypto/ProtectedFormat.h"
#include "support/WinTestSupport.h"
#include "ui/Text.h"

namespace qnv {
namespace {

using namespace std::literals;

TEST(CryptoApiDigest, Rfc1321TestSuite) {
  struct Case {
    std::string_view input;
    std::string_view digest;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(md5HexDigest(c.input), c.digest) << "input: \"" << c.input << "\"";
  }
}

TEST(CryptoApiDigest, HashesExactlyTheGivenBytesInOneCall) {
  EXPECT_EQ(md5HexDigest("a\0b"sv), "70350f6027bce3713f6b76473084309b");
  EXPECT_EQ(md5HexDigest(std::string(1000000, 'a')), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(CryptoApiDigest, EmptyPasswordHashesNoData) {
  EXPECT_EQ(passwordCheckValue(""), "1D8CD98F0");
}

TEST(CryptoApiDigest, ChinesePasswordIsHashedAsItsAnsiBytes) {
  const std::string password = ui::toAnsi(L"密码");
  EXPECT_EQ(password, "\xC3\xDC\xC2\xEB") << "the ANSI code page is not GBK";
  EXPECT_EQ(passwordCheckValue("\xC3\xDC\xC2\xEB"), "293E30F0C");
}

TEST(CryptoApiDigest, UnlocksAProtectedFixture) {
  const std::string file = test::readFileBytes(test::dataDir() / L"protected" / L"chinese-password.qnv");
  ASSERT_TRUE(isProtectedText(file));
  const auto document = decryptText(removeProtectedMarker(textUpToFirstNul(file)),
                                    passwordCheckValue("\xC3\xDC\xC2\xEB"), nullptr);  // 密码
  ASSERT_TRUE(document.has_value());
  EXPECT_EQ(*document, ui::toAnsi(L"你好，世界\r\n第二行"));
}

TEST(CryptoProtectedFormatOnWindows, RoundTripOfALargeDocument) {
  // The codec as this compiler built it: many blocks, every byte value but zero.
  std::string document(300 * 1024 + 5, '\0');
  for (std::size_t i = 0; i < document.size(); ++i) document[i] = static_cast<char>(1 + i * 7 % 255);
  const std::string check = passwordCheckValue("abc");
  int rounds = 0;
  EventPump pump([&] { ++rounds; }, std::chrono::milliseconds(0));
  const std::string file = protectedFileContent(document, check, &pump);
  ASSERT_EQ(file.size(), 2 * document.size() + 13);
  EXPECT_EQ(decryptText(removeProtectedMarker(file), check, &pump), document);
  std::string lower = file;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  lower.replace(lower.size() - 9, 9, check);
  EXPECT_EQ(decryptText(removeProtectedMarker(lower), check, &pump), document);
  EXPECT_GT(rounds, 0);
}

}  // namespace
}  // namespace qnv
