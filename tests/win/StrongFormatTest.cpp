// The strong format's building blocks under Wine, as the program links them: libgcrypt's
// Argon2id gives the same keys as natively, the system's generator and memory protection
// work, and passwords with characters outside the ANSI code page are told apart.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "crypto/StrongFormat.h"
#include "crypto/win/SealedKey.h"
#include "crypto/win/SystemRandom.h"
#include "support/WinTestSupport.h"
#include "ui/win/Text.h"

namespace qnv::crypto {
namespace {

std::string hexOf(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (std::uint8_t b : bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0xF];
  }
  return hex;
}

TEST(StrongFormatUnderWine, Argon2idGivesTheSameKeysAsNatively) {
  // RFC 9106, section 5.3.
  std::array<std::uint8_t, 16> salt{};
  salt.fill(2);
  std::array<std::uint8_t, 32> tag{};
  ASSERT_TRUE(argon2id(std::string(32, '\x01'), salt, {3, 32, 4}, tag, nullptr, std::string(8, '\x03'),
                       std::string(12, '\x04')));
  EXPECT_EQ(hexOf(tag), "0d640df58d78766c08c037a34a8b53c9d01ef0452d75b65eb52520e96b01e659");

  // The costs the program writes; the expected key is the reference library's
  // (python3-argon2: hash_secret_raw(b"password", bytes(range(16)), 3, 65536, 4, 32, Type.ID)).
  Salt counting{};
  for (std::size_t i = 0; i < counting.size(); ++i) counting[i] = static_cast<std::uint8_t>(i);
  const std::optional<StrongKey> key = deriveStrongKey("password", counting, Argon2Parameters{}, nullptr);
  ASSERT_TRUE(key);
  EXPECT_EQ(hexOf(key->key.bytes()), "bd4ace85c295fb38d844e16771a9e43925282ac982c8656be55a2ef6cf20fd58");
}

TEST(StrongFormatUnderWine, TheSystemsGeneratorGivesFreshBytes) {
  std::array<std::uint8_t, 16> first{}, second{};
  ASSERT_TRUE(systemRandomBytes(first));
  ASSERT_TRUE(systemRandomBytes(second));
  EXPECT_NE(first, second);
  EXPECT_NE(first, decltype(first){});
}

TEST(StrongFormatUnderWine, ASealedKeyComesBackWholeAndIsWipedWhenCleared) {
  SecretKey key;
  for (std::size_t i = 0; i < kKeySize; ++i) key.bytes()[i] = static_cast<std::uint8_t>(0xA0 + i);
  SealedKey sealed;
  EXPECT_TRUE(sealed.empty());
  EXPECT_FALSE(sealed.unseal());
  ASSERT_TRUE(sealed.seal(key));
  // (Windows encrypts the kept bytes; Wine 8's CryptProtectMemory leaves them as they are.)
  for (int i = 0; i < 2; ++i) {
    const std::optional<SecretKey> back = sealed.unseal();
    ASSERT_TRUE(back);
    EXPECT_EQ(hexOf(back->bytes()), hexOf(key.bytes()));
  }
  SealedKey moved = std::move(sealed);
  EXPECT_TRUE(sealed.empty());
  EXPECT_EQ(sealed.sealedBytes(), (std::array<std::uint8_t, kKeySize>{}));
  ASSERT_TRUE(moved.unseal());
  moved.clear();
  EXPECT_FALSE(moved.unseal());
  EXPECT_EQ(moved.sealedBytes(), (std::array<std::uint8_t, kKeySize>{}));
}

TEST(StrongFormatUnderWine, PasswordsOutsideTheAnsiCodePageAreToldApart) {
  struct Case {
    std::wstring password;
    std::optional<std::string> bytes;
  } cases[] = {
      {L"", std::string()},
      {L"abc 123", std::string("abc 123")},
      {L"密码", std::string("\xC3\xDC\xC2\xEB")},
      {L"全角ＡＢＣ", std::string("\xC8\xAB\xBD\xC7\xA3\xC1\xA3\xC2\xA3\xC3")},
      {L"密码\U0001F600", std::nullopt},  // an emoji
      {L"\u0E01", std::nullopt},          // Thai
      {std::wstring(1, wchar_t(0xD800)), std::nullopt},  // half a surrogate pair
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ui::narrow(c.password));
    EXPECT_EQ(ui::toAnsiExactly(c.password), c.bytes);
  }
}

}  // namespace
}  // namespace qnv::crypto
