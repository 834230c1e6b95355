#pragma once
// The strong protected format: the document encrypted with AES-256-GCM under a key derived
// from the password with Argon2id, every header byte authenticated. Byte layout:
//
//   offset  size  field
//        0     6  ".qnv#2": the legacy marker, "#" (never a hex digit, so never the start of a
//                 legacy body), then the version "2"
//        6     1  key derivation: 1 = Argon2id (RFC 9106, version 0x13)
//        7     4  t, passes, little-endian unsigned
//       11     4  m, memory in KiB, little-endian unsigned
//       15     1  p, lanes
//       16    16  salt
//       32     1  cipher: 1 = AES-256-GCM
//       33    12  nonce
//       45     n  the document's bytes, encrypted
//     45+n    16  the GCM tag; the associated data is bytes 0-44
//
// The key is Argon2id of the password's bytes (ANSI code page) with that salt, t, m and p:
// 32 bytes, no secret, no associated data. All of it is libgcrypt's.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "crypto/EventPump.h"

namespace qnv::crypto {

// What begins every file of this format family, whatever its version.
inline constexpr std::string_view kStrongFamilyMarker = ".qnv#";
inline constexpr char kStrongVersion = '2';
inline constexpr std::uint8_t kArgon2idId = 1;
inline constexpr std::uint8_t kAes256GcmId = 1;

inline constexpr std::size_t kSaltSize = 16;
inline constexpr std::size_t kNonceSize = 12;
inline constexpr std::size_t kKeySize = 32;
inline constexpr std::size_t kTagSize = 16;
inline constexpr std::size_t kStrongHeaderSize = 45;
inline constexpr std::size_t kStrongMinimumSize = kStrongHeaderSize + kTagSize;

using Salt = std::array<std::uint8_t, kSaltSize>;
using Nonce = std::array<std::uint8_t, kNonceSize>;

// Argon2id's cost parameters. The defaults are what this program writes.
struct Argon2Parameters {
  std::uint32_t passes = 3;         // t
  std::uint32_t memoryKiB = 65536;  // m
  std::uint32_t lanes = 4;          // p
};

// Whether a file may ask for these costs: t 1-10, p 1-16, m from 8·p to 1048576 (1 GiB).
// Anything else is refused before any work is done.
bool parametersAccepted(const Argon2Parameters& parameters);

// Whether a protected file's bytes belong to this format family (".qnv#"); any other file
// that begins with ".qnv" is of the legacy format.
bool isStrongFile(std::string_view fileBytes);

struct StrongHeader {
  Argon2Parameters parameters;
  Salt salt{};
  Nonce nonce{};
};

// The header of a file of this format; nullopt when the file is shorter than 61 bytes, names
// another version, key derivation or cipher, or asks for costs parametersAccepted refuses.
std::optional<StrongHeader> readStrongHeader(std::string_view fileBytes);

// A key in memory, overwritten when it goes. Moving it leaves zeros behind.
class SecretKey {
 public:
  SecretKey() = default;
  SecretKey(const SecretKey&) = delete;
  SecretKey& operator=(const SecretKey&) = delete;
  SecretKey(SecretKey&& other) noexcept;
  SecretKey& operator=(SecretKey&& other) noexcept;
  ~SecretKey();

  std::span<std::uint8_t, kKeySize> bytes() { return bytes_; }
  std::span<const std::uint8_t, kKeySize> bytes() const { return bytes_; }

 private:
  std::array<std::uint8_t, kKeySize> bytes_{};
};

// Argon2id (RFC 9106, version 0x13) of `password` with `salt` into all of `out`. `secret`
// and `associatedData` are Argon2's optional inputs (the format uses neither). Polls `pump`
// (when given) between the segments of the computation, a few milliseconds apart. False
// when libgcrypt refuses (an empty password, costs it cannot meet, no memory).
bool argon2id(std::string_view password, std::span<const std::uint8_t> salt, const Argon2Parameters& parameters,
              std::span<std::uint8_t> out, EventPump* pump, std::string_view secret = {},
              std::string_view associatedData = {});

// AES-256-GCM with a 12-byte nonce: `plain` encrypted into `out` (room for plain.size()
// bytes) and its tag into `tag`. Polls `pump` once per block. False when libgcrypt fails.
bool aes256GcmEncrypt(std::span<const std::uint8_t, kKeySize> key, std::span<const std::uint8_t, kNonceSize> nonce,
                      std::string_view associatedData, std::string_view plain, char* out,
                      std::span<std::uint8_t, kTagSize> tag, EventPump* pump);

// The reverse: `cipher` decrypted into `out` (room for cipher.size() bytes). False when the
// tag does not match (another key, or any byte changed) or libgcrypt fails; `out` then
// holds zeros.
bool aes256GcmDecrypt(std::span<const std::uint8_t, kKeySize> key, std::span<const std::uint8_t, kNonceSize> nonce,
                      std::string_view associatedData, std::string_view cipher, char* out,
                      std::span<const std::uint8_t, kTagSize> tag, EventPump* pump);

// What writing a file of this format needs besides the document and a fresh nonce.
struct StrongKey {
  Argon2Parameters parameters;
  Salt salt{};
  SecretKey key;
};

// The key of a password (its ANSI code page bytes) for this salt and these costs; nullopt
// when the derivation fails or the costs are not accepted.
std::optional<StrongKey> deriveStrongKey(std::string_view passwordBytes, const Salt& salt,
                                         const Argon2Parameters& parameters, EventPump* pump);

// The whole file for a document. nullopt when the cipher fails.
std::optional<std::string> strongFileContent(std::string_view documentBytes, const StrongKey& key, const Nonce& nonce,
                                             EventPump* pump);

// Opening a file of this format with a password.
struct StrongUnlock {
  enum class Status {
    Unlocked,
    Damaged,    // readStrongHeader refused the file
    KeyFailed,  // the key could not be derived (an empty password, no memory)
    Mismatch,   // the tag did not match: a wrong password, or a changed byte
  };
  Status status = Status::Damaged;
  // When unlocked: the document, which ends at its first zero byte, and the key that opened
  // it, for saves that keep the protection.
  std::string document;
  std::optional<StrongKey> key;
};
StrongUnlock unlockStrongFile(std::string_view fileBytes, std::string_view passwordBytes, EventPump* pump);

}  // namespace qnv::crypto
