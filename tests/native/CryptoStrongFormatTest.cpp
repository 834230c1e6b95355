// The strong protected format: libgcrypt's Argon2id and AES-256-GCM against published
// vectors, files written by an independent implementation (tests/data/strong), round trips,
// and every way a file can be changed, cut short or made hostile.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "crypto/EventPump.h"
#include "crypto/StrongFormat.h"

namespace qnv::crypto {
namespace {

using Status = StrongUnlock::Status;

std::string fromHex(std::string_view hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
  }
  return bytes;
}

template <typename Bytes>
std::string toHex(const Bytes& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (auto b : bytes) {
    const auto v = static_cast<std::uint8_t>(b);
    hex += kDigits[v >> 4];
    hex += kDigits[v & 0xF];
  }
  return hex;
}

template <typename Array>
Array arrayOf(std::string_view bytes) {
  Array out{};
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<std::uint8_t>(bytes[i]);
  return out;
}

// Bytes first, first + 1, ... as a salt or nonce, the way the fixture script makes them.
template <typename Array>
Array counting(int first) {
  Array out{};
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<std::uint8_t>(first + i);
  return out;
}

std::string readFixture(const std::string& name) {
  std::ifstream in(std::string(QNV_TEST_DATA_DIR) + "/strong/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// An event pump that counts its rounds; an interval of zero runs the loop at every poll.
struct CountingPump {
  int rounds = 0;
  EventPump pump{[this] { ++rounds; }, std::chrono::milliseconds(0)};
};

constexpr Argon2Parameters kLightCosts{1, 8, 1};
const std::string kGbkText = "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\r\n\xB5\xDA\xB6\xFE\xD0\xD0";  // 你好，世界 第二行
const std::string kRtf =
    "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\n"
    "\\f0\\fs18 \\'d6\\'d0\\'ce\\'c4 RTF\\par\n}\n";

StrongKey keyFor(std::string_view password, const Argon2Parameters& costs, const Salt& salt = counting<Salt>(0)) {
  std::optional<StrongKey> key = deriveStrongKey(password, salt, costs, nullptr);
  EXPECT_TRUE(key.has_value());
  return key ? std::move(*key) : StrongKey{};
}

std::string fileFor(std::string_view document, const StrongKey& key, const Nonce& nonce = counting<Nonce>(100)) {
  std::optional<std::string> file = strongFileContent(document, key, nonce, nullptr);
  EXPECT_TRUE(file.has_value());
  return file.value_or("");
}

TEST(CryptoStrongFormat, Argon2idGivesTheVectorOfRfc9106) {
  // RFC 9106, section 5.3: Argon2id, version 0x13, with a secret and associated data.
  const std::string password(32, '\x01');
  const std::string salt(16, '\x02');
  const std::string secret(8, '\x03');
  const std::string associatedData(12, '\x04');
  std::array<std::uint8_t, 32> tag{};
  CountingPump events;
  ASSERT_TRUE(argon2id(password, arrayOf<std::array<std::uint8_t, 16>>(salt), {3, 32, 4}, tag, &events.pump, secret,
                       associatedData));
  EXPECT_EQ(toHex(tag), "0d640df58d78766c08c037a34a8b53c9d01ef0452d75b65eb52520e96b01e659");
  EXPECT_EQ(events.rounds, 3 * 4 * 4) << "the event loop ran after every lane of every slice of every pass";
}

TEST(CryptoStrongFormat, Aes256GcmGivesThePublishedVectors) {
  // The AES-256 cases (13 to 16) of McGrew and Viega, "The Galois/Counter Mode of Operation".
  const std::string k15 = "feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308";
  const std::string p15 =
      "d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a721c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657"
      "ba637b391aafd255";
  const std::string c15 =
      "522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0a"
      "bcc9f662898015ad";
  struct Case {
    const char* name;
    std::string key, nonce, associatedData, plain, cipher, tag;
  } cases[] = {
      {"13: empty", std::string(64, '0'), std::string(24, '0'), "", "", "", "530f8afbc74536b9a963b4f1c4cb738b"},
      {"14: one block", std::string(64, '0'), std::string(24, '0'), "", std::string(32, '0'),
       "cea7403d4d606b6e074ec5d3baf39d18", "d0d1c8a799996bf0265b98b5d48ab919"},
      {"15: four blocks", k15, "cafebabefacedbaddecaf888", "", p15, c15, "b094dac5d93471bdec1a502270e3cc6c"},
      {"16: associated data, a part block", k15, "cafebabefacedbaddecaf888", "feedfacedeadbeeffeedfacedeadbeefabaddad2",
       p15.substr(0, 120), c15.substr(0, 120), "76fc6ece0f4e1768cddf8853bb2d551b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto key = arrayOf<std::array<std::uint8_t, kKeySize>>(fromHex(c.key));
    const auto nonce = arrayOf<Nonce>(fromHex(c.nonce));
    const std::string plain = fromHex(c.plain);
    const std::string associatedData = fromHex(c.associatedData);

    std::string cipher(plain.size(), '\0');
    std::array<std::uint8_t, kTagSize> tag{};
    ASSERT_TRUE(aes256GcmEncrypt(key, nonce, associatedData, plain, cipher.data(), tag, nullptr));
    EXPECT_EQ(toHex(cipher), c.cipher);
    EXPECT_EQ(toHex(tag), c.tag);

    std::string back(cipher.size(), '\0');
    EXPECT_TRUE(aes256GcmDecrypt(key, nonce, associatedData, cipher, back.data(), tag, nullptr));
    EXPECT_EQ(back, plain);

    tag[15] ^= 1;
    std::string refused(cipher.size(), 'x');
    EXPECT_FALSE(aes256GcmDecrypt(key, nonce, associatedData, cipher, refused.data(), tag, nullptr));
    EXPECT_EQ(refused, std::string(cipher.size(), '\0')) << "nothing of a refused text is left";
  }
}

// The fixtures of tests/data/strong, made by make_fixtures.py there.
struct Fixture {
  const char* name;
  std::string password;
  std::string document;
  Argon2Parameters costs;
  int saltFrom;
  int nonceFrom;
};

const Fixture kFixtures[] = {
    {"chinese-password.qnv", "\xC3\xDC\xC2\xEB", kGbkText, {3, 65536, 4}, 0, 100},
    {"rtf-document.qnv", "\xC3\xD8\xC3\xDC" "123", kRtf, {3, 65536, 4}, 16, 112},
    {"light-costs.qnv", "abc", "hello, world", {1, 8, 1}, 32, 124},
    {"empty-document.qnv", "abc", "", {2, 64, 2}, 48, 136},
};

TEST(CryptoStrongFormat, OpensFilesOfAnotherImplementationAndWritesTheSameBytes) {
  for (const Fixture& f : kFixtures) {
    SCOPED_TRACE(f.name);
    const std::string file = readFixture(f.name);
    ASSERT_EQ(file.size(), kStrongMinimumSize + f.document.size());

    StrongUnlock unlocked = unlockStrongFile(file, f.password, nullptr);
    ASSERT_EQ(unlocked.status, Status::Unlocked);
    EXPECT_EQ(unlocked.document, f.document);
    ASSERT_TRUE(unlocked.key);
    EXPECT_EQ(unlocked.key->parameters.passes, f.costs.passes);
    EXPECT_EQ(unlocked.key->parameters.memoryKiB, f.costs.memoryKiB);
    EXPECT_EQ(unlocked.key->parameters.lanes, f.costs.lanes);
    EXPECT_EQ(unlocked.key->salt, counting<Salt>(f.saltFrom));

    // The writer, given the same key and nonce, makes exactly the other implementation's file.
    EXPECT_EQ(toHex(fileFor(f.document, *unlocked.key, counting<Nonce>(f.nonceFrom))), toHex(file));

    EXPECT_EQ(unlockStrongFile(file, f.password + "x", nullptr).status, Status::Mismatch);
  }
}

TEST(CryptoStrongFormat, RoundTrips) {
  std::string allBytes;
  for (int b = 1; b < 256; ++b) allBytes += static_cast<char>(b);
  std::string large;
  while (large.size() < (10u << 20)) large += "\xB5\xDA" + std::to_string(large.size()) + " line of text\r\n";
  struct Case {
    const char* name;
    std::string document;
    std::string opened;
  } cases[] = {
      {"empty", "", ""},
      {"RTF", kRtf, kRtf},
      {"plain GBK text", kGbkText, kGbkText},
      {"every byte value but zero", allBytes, allBytes},
      {"one block", std::string(kPumpBlockBytes, 'a'), std::string(kPumpBlockBytes, 'a')},
      {"one block and a byte", std::string(kPumpBlockBytes + 1, 'b'), std::string(kPumpBlockBytes + 1, 'b')},
      {"a zero byte ends the document", std::string("before\0after", 12), "before"},
      {"10 MB", large, large},
  };
  const StrongKey key = keyFor("\xC3\xDC\xC2\xEB", kLightCosts);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CountingPump events;
    const std::optional<std::string> file = strongFileContent(c.document, key, counting<Nonce>(100), &events.pump);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size(), kStrongMinimumSize + c.document.size());
    EXPECT_EQ(file->find(c.opened.substr(0, 64)), c.opened.empty() ? 0u : std::string::npos)
        << "the document is not in the file";
    EXPECT_GE(events.rounds, static_cast<int>(c.document.size() / kPumpBlockBytes));

    const StrongUnlock unlocked = unlockStrongFile(*file, "\xC3\xDC\xC2\xEB", nullptr);
    ASSERT_EQ(unlocked.status, Status::Unlocked);
    EXPECT_TRUE(unlocked.document == c.opened);
  }
}

TEST(CryptoStrongFormat, AFreshNonceOrSaltChangesEveryByteAfterTheHeader) {
  const StrongKey key = keyFor("abc", kLightCosts);
  const std::string document(64, 'a');
  const std::string first = fileFor(document, key, counting<Nonce>(1));
  const std::string second = fileFor(document, key, counting<Nonce>(2));
  const std::string otherSalt = fileFor(document, keyFor("abc", kLightCosts, counting<Salt>(1)), counting<Nonce>(1));
  EXPECT_EQ(first.substr(0, 33), second.substr(0, 33)) << "same key: same header up to the nonce";
  for (std::size_t i = kStrongHeaderSize; i + 8 <= first.size(); i += 8) {
    EXPECT_NE(first.substr(i, 8), second.substr(i, 8)) << "at " << i;
    EXPECT_NE(first.substr(i, 8), otherSalt.substr(i, 8)) << "at " << i;
  }
}

// Writes a 32-bit little-endian number at `at`.
void putNumber(std::string& file, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
}

TEST(CryptoStrongFormat, ChangedFieldsAreRefusedAtOnceOrFailTheTag) {
  const std::string original = fileFor("hello", keyFor("abc", kLightCosts));
  struct Case {
    const char* name;
    std::function<void(std::string&)> change;
    Status status;
  } cases[] = {
      {"marker", [](std::string& f) { f[1] = 'Q'; }, Status::Damaged},
      {"version 1", [](std::string& f) { f[5] = '1'; }, Status::Damaged},
      {"version 3", [](std::string& f) { f[5] = '3'; }, Status::Damaged},
      {"key derivation 0", [](std::string& f) { f[6] = 0; }, Status::Damaged},
      {"key derivation 2", [](std::string& f) { f[6] = 2; }, Status::Damaged},
      {"passes 0", [](std::string& f) { putNumber(f, 7, 0); }, Status::Damaged},
      {"passes 11", [](std::string& f) { putNumber(f, 7, 11); }, Status::Damaged},
      {"passes 4294967295", [](std::string& f) { putNumber(f, 7, 0xFFFFFFFF); }, Status::Damaged},
      {"passes 10", [](std::string& f) { putNumber(f, 7, 10); }, Status::Mismatch},
      {"memory 7, below 8 per lane", [](std::string& f) { putNumber(f, 11, 7); }, Status::Damaged},
      {"memory 1048577 KiB", [](std::string& f) { putNumber(f, 11, 1048577); }, Status::Damaged},
      {"memory 4294967295 KiB", [](std::string& f) { putNumber(f, 11, 0xFFFFFFFF); }, Status::Damaged},
      {"memory 16 KiB", [](std::string& f) { putNumber(f, 11, 16); }, Status::Mismatch},
      {"lanes 0", [](std::string& f) { f[15] = 0; }, Status::Damaged},
      {"lanes 17", [](std::string& f) { f[15] = 17; }, Status::Damaged},
      {"lanes 2 with memory 8", [](std::string& f) { f[15] = 2; }, Status::Damaged},
      {"lanes 2 with memory 16", [](std::string& f) {
         f[15] = 2;
         putNumber(f, 11, 16);
       }, Status::Mismatch},
      {"salt", [](std::string& f) { f[16] ^= 1; }, Status::Mismatch},
      {"salt, last byte", [](std::string& f) { f[31] ^= 0x80; }, Status::Mismatch},
      {"cipher 0", [](std::string& f) { f[32] = 0; }, Status::Damaged},
      {"cipher 2", [](std::string& f) { f[32] = 2; }, Status::Damaged},
      {"nonce", [](std::string& f) { f[33] ^= 1; }, Status::Mismatch},
      {"nonce, last byte", [](std::string& f) { f[44] ^= 0x80; }, Status::Mismatch},
      {"ciphertext", [](std::string& f) { f[45] ^= 1; }, Status::Mismatch},
      {"tag", [](std::string& f) { f[f.size() - 16] ^= 1; }, Status::Mismatch},
      {"tag, last byte", [](std::string& f) { f.back() ^= 0x80; }, Status::Mismatch},
      {"a byte more", [](std::string& f) { f += 'x'; }, Status::Mismatch},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string file = original;
    c.change(file);
    CountingPump events;
    const StrongUnlock unlocked = unlockStrongFile(file, "abc", &events.pump);
    EXPECT_EQ(unlocked.status, c.status);
    EXPECT_EQ(unlocked.document, "");
    EXPECT_FALSE(unlocked.key);
    EXPECT_EQ(readStrongHeader(file).has_value(), c.status != Status::Damaged);
    if (c.status == Status::Damaged) EXPECT_EQ(events.rounds, 0) << "refused before any work";
  }

  // Whatever single byte changes, the file never opens.
  for (std::size_t at = 0; at < original.size(); ++at) {
    for (const std::uint8_t flip : {0x01, 0x80}) {
      std::string file = original;
      file[at] = static_cast<char>(file[at] ^ flip);
      EXPECT_NE(unlockStrongFile(file, "abc", nullptr).status, Status::Unlocked) << "byte " << at << " ^ " << +flip;
    }
  }
}

TEST(CryptoStrongFormat, FilesCutShortAreRefused) {
  const std::string original = fileFor("hello, world", keyFor("abc", kLightCosts));
  for (std::size_t size = 0; size < original.size(); ++size) {
    const std::string file = original.substr(0, size);
    const Status expected = size < kStrongMinimumSize ? Status::Damaged : Status::Mismatch;
    EXPECT_EQ(unlockStrongFile(file, "abc", nullptr).status, expected) << size << " bytes";
  }
}

TEST(CryptoStrongFormat, TheBoundsOfTheCosts) {
  struct Case {
    Argon2Parameters costs;
    bool accepted;
  } cases[] = {
      {{3, 65536, 4}, true},        {{1, 8, 1}, true},           {{10, 1048576, 16}, true}, {{10, 128, 16}, true},
      {{0, 65536, 4}, false},       {{11, 65536, 4}, false},     {{3, 65536, 0}, false},    {{3, 65536, 17}, false},
      {{3, 31, 4}, false},          {{3, 127, 16}, false},       {{3, 1048577, 4}, false},  {{3, 0, 1}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parametersAccepted(c.costs), c.accepted)
        << "t " << c.costs.passes << ", m " << c.costs.memoryKiB << ", p " << c.costs.lanes;
    if (c.costs.memoryKiB <= 65536) {
      EXPECT_EQ(deriveStrongKey("abc", Salt{}, c.costs, nullptr).has_value(), c.accepted)
          << "t " << c.costs.passes << ", m " << c.costs.memoryKiB << ", p " << c.costs.lanes;
    }
  }
}

TEST(CryptoStrongFormat, PasswordsThatGiveNoKey) {
  const std::string file = fileFor("hello", keyFor("abc", kLightCosts));
  EXPECT_EQ(unlockStrongFile(file, "abd", nullptr).status, Status::Mismatch);
  EXPECT_EQ(unlockStrongFile(file, "ABC", nullptr).status, Status::Mismatch);
  EXPECT_EQ(unlockStrongFile(file, "", nullptr).status, Status::KeyFailed) << "libgcrypt takes no empty password";
}

TEST(CryptoStrongFormat, TheFamilyIsToldByItsMarker) {
  struct Case {
    std::string_view bytes;
    bool strong;
  } cases[] = {{".qnv#2", true}, {".qnv#", true}, {".qnv#9", true}, {".qnv", false},
               {".qnv0150983CD", false}, {".QNV#2", false}, {"", false}, {"#.qnv#2", false}};
  for (const Case& c : cases) EXPECT_EQ(isStrongFile(c.bytes), c.strong) << c.bytes;
}

}  // namespace
}  // namespace qnv::crypto
