#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "crypto/Digest.h"
#include "support/Rfc1321.h"

namespace qnv::crypto {
namespace {

using namespace std::literals;

TEST(CryptoDigest, Rfc1321TestSuite) {
  for (const test::DigestVector& c : test::kRfc1321Suite) {
    EXPECT_EQ(md5HexDigest(c.input), c.digest) << "input: \"" << c.input << "\"";
  }
}

TEST(CryptoDigest, HashesExactlyTheGivenBytes) {
  // Zero bytes inside count, and nothing is added at the end.
  EXPECT_EQ(md5HexDigest("\0"sv), "93b885adfe0da089cdf634904fd59f71");
  EXPECT_EQ(md5HexDigest("a\0b"sv), "70350f6027bce3713f6b76473084309b");
}

TEST(CryptoDigest, CheckValueFromDigest) {
  struct Case {
    std::string_view digest;
    std::string_view check;
  } cases[] = {
      {"900150983cd24fb0d6963f7d28e17f72", "0150983CD"},
      {"d41d8cd98f00b204e9800998ecf8427e", "1D8CD98F0"},
      {"", ""},                        // a failed digest
      {"0123456789", ""},              // too short
      {"0123456789a", "23456789A"},    // just long enough
      {"ABcdef0123456", "CDEF01234"},  // upper-cased whatever it was
  };
  for (const Case& c : cases) {
    EXPECT_EQ(checkValueFromDigest(c.digest), c.check) << "digest: " << c.digest;
  }
}

TEST(CryptoDigest, PasswordCheckValue) {
  struct Case {
    const char* name;
    std::string_view password;
    std::string_view check;
  } cases[] = {
      {"empty password: the digest of no bytes", ""sv, "1D8CD98F0"sv},
      {"abc", "abc"sv, "0150983CD"sv},
      {"密码 as GBK bytes", "\xC3\xDC\xC2\xEB"sv, "293E30F0C"sv},
      {"密码 as UTF-8 bytes differs", "\xE5\xAF\x86\xE7\xA0\x81"sv, "105204604"sv},
      {"case matters", "ABC"sv, "2FBDD2B1D"sv},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(passwordCheckValue(c.password), c.check) << c.name;
  }
}

}  // namespace
}  // namespace qnv::crypto
