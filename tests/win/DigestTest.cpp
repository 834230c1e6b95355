// The CryptoAPI back end of the password digest, and a protected fixture unlocked with it:
// it must agree with the native back end that the core tests use.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <string>
#include <string_view>

#include "crypto/Digest.h"
#include "crypto/win/CryptoApiDigest.h"
#include "support/Rfc1321.h"
#include "crypto/ProtectedFormat.h"
#include "support/WinTestSupport.h"
#include "ui/win/Text.h"

namespace qnv::crypto {
namespace {

using namespace std::literals;

TEST(CryptoApiDigest, Rfc1321TestSuite) {
  for (const test::DigestVector& c : test::kRfc1321Suite) {
    EXPECT_EQ(cryptoApiMd5HexDigest(c.input), c.digest) << "input: \"" << c.input << "\"";
  }
}

TEST(CryptoApiDigest, HashesExactlyTheGivenBytesInOneCall) {
  EXPECT_EQ(cryptoApiMd5HexDigest("a\0b"sv), "70350f6027bce3713f6b76473084309b");
  EXPECT_EQ(cryptoApiMd5HexDigest(std::string(1000000, 'a')), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(CryptoApiDigest, EmptyPasswordHashesNoData) {
  EXPECT_EQ(passwordCheckValue("", cryptoApiMd5HexDigest), "1D8CD98F0");
}

TEST(CryptoApiDigest, ChinesePasswordIsHashedAsItsAnsiBytes) {
  const std::string password = ui::toAnsi(L"密码");
  EXPECT_EQ(password, "\xC3\xDC\xC2\xEB") << "the ANSI code page is not GBK";
  EXPECT_EQ(passwordCheckValue("\xC3\xDC\xC2\xEB", cryptoApiMd5HexDigest), "293E30F0C");
}

TEST(CryptoApiDigest, UnlocksAProtectedFixture) {
  const std::string file = test::readFileBytes(test::dataDir() / L"protected" / L"chinese-password.qnv");
  ASSERT_TRUE(isProtectedText(file));
  const auto document = decryptText(removeProtectedMarker(textUpToFirstNul(file)),
                                    passwordCheckValue("\xC3\xDC\xC2\xEB", cryptoApiMd5HexDigest), nullptr);  // 密码
  ASSERT_TRUE(document.has_value());
  EXPECT_EQ(*document, ui::toAnsi(L"你好，世界\r\n第二行"));
}

TEST(CryptoApiDigest, AgreesWithThePortableDigest) {
  std::string bytes;
  for (int n = 0; n < 300; n += 37) {
    bytes.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(i * 131 + n);
    EXPECT_EQ(cryptoApiMd5HexDigest(bytes), md5HexDigest(bytes)) << n << " bytes";
  }
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
}  // namespace qnv::crypto
