#include "crypto/StrongFormat.h"

#include <gcrypt.h>

#include <algorithm>
#include <cstring>

#include "crypto/Gcrypt.h"
#include "crypto/Wipe.h"

namespace qnv::crypto {
namespace {

constexpr std::uint32_t kMaxPasses = 10;
constexpr std::uint32_t kMaxLanes = 16;
constexpr std::uint32_t kMaxMemoryKiB = 1048576;  // 1 GiB

// Field offsets of the header.
constexpr std::size_t kVersionAt = 5;
constexpr std::size_t kDerivationAt = 6;
constexpr std::size_t kPassesAt = 7;
constexpr std::size_t kMemoryAt = 11;
constexpr std::size_t kLanesAt = 15;
constexpr std::size_t kSaltAt = 16;
constexpr std::size_t kCipherAt = 32;
constexpr std::size_t kNonceAt = 33;
static_assert(kNonceAt + kNonceSize == kStrongHeaderSize);

std::uint8_t byteAt(std::string_view bytes, std::size_t at) { return static_cast<std::uint8_t>(bytes[at]); }

std::uint32_t littleEndianAt(std::string_view bytes, std::size_t at) {
  return std::uint32_t{byteAt(bytes, at)} | std::uint32_t{byteAt(bytes, at + 1)} << 8 |
         std::uint32_t{byteAt(bytes, at + 2)} << 16 | std::uint32_t{byteAt(bytes, at + 3)} << 24;
}

void putLittleEndian(char* out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void writeHeader(char* out, const Argon2Parameters& parameters, const Salt& salt, const Nonce& nonce) {
  std::memcpy(out, kStrongFamilyMarker.data(), kStrongFamilyMarker.size());
  out[kVersionAt] = kStrongVersion;
  out[kDerivationAt] = static_cast<char>(kArgon2idId);
  putLittleEndian(out + kPassesAt, parameters.passes);
  putLittleEndian(out + kMemoryAt, parameters.memoryKiB);
  out[kLanesAt] = static_cast<char>(parameters.lanes);
  std::memcpy(out + kSaltAt, salt.data(), salt.size());
  out[kCipherAt] = static_cast<char>(kAes256GcmId);
  std::memcpy(out + kNonceAt, nonce.data(), nonce.size());
}

// libgcrypt hands Argon2's work out as jobs, one per lane and segment, and waits for each
// round of them. They are run at once, one after the other, and the event loop gets its
// turn between them.
struct JobRunner {
  EventPump* pump;
};

int runJob(void* context, gcry_kdf_job_fn_t job, void* job_data) {
  job(job_data);
  auto* runner = static_cast<JobRunner*>(context);
  if (runner->pump) {
    try {
      runner->pump->poll();
    } catch (...) {
      return -1;  // nothing may cross libgcrypt; the derivation fails
    }
  }
  return 0;
}

int jobsDone(void*) { return 0; }

// Owns a libgcrypt cipher handle set up for AES-256-GCM with a key, a nonce and the
// associated data.
class GcmCipher {
 public:
  GcmCipher(std::span<const std::uint8_t, kKeySize> key, std::span<const std::uint8_t, kNonceSize> nonce,
            std::string_view associatedData) {
    if (!gcryptReady()) return;
    if (gcry_cipher_open(&handle_, GCRY_CIPHER_AES256, GCRY_CIPHER_MODE_GCM, 0) != 0) {
      handle_ = nullptr;
      return;
    }
    ready_ = gcry_cipher_setkey(handle_, key.data(), key.size()) == 0 &&
             gcry_cipher_setiv(handle_, nonce.data(), nonce.size()) == 0 &&
             (associatedData.empty() ||
              gcry_cipher_authenticate(handle_, associatedData.data(), associatedData.size()) == 0);
  }
  GcmCipher(const GcmCipher&) = delete;
  GcmCipher& operator=(const GcmCipher&) = delete;
  // Closing wipes the key schedule.
  ~GcmCipher() {
    if (handle_) gcry_cipher_close(handle_);
  }

  bool ready() const { return ready_; }

  // Runs `step` (gcry_cipher_encrypt or gcry_cipher_decrypt) over `in` into `out` one block
  // at a time, polling the pump between blocks; every block but the last is a whole number
  // of cipher blocks, as GCM requires.
  template <typename Step>
  bool process(Step step, std::string_view in, char* out, EventPump* pump) {
    for (std::size_t at = 0; at < in.size(); at += kPumpBlockBytes) {
      const std::size_t n = std::min(kPumpBlockBytes, in.size() - at);
      if (at + n == in.size()) gcry_cipher_final(handle_);
      if (step(handle_, out + at, n, in.data() + at, n) != 0) return false;
      if (pump) pump->poll();
    }
    return true;
  }

  gcry_cipher_hd_t handle() const { return handle_; }

 private:
  gcry_cipher_hd_t handle_ = nullptr;
  bool ready_ = false;
};

}  // namespace

bool parametersAccepted(const Argon2Parameters& p) {
  return p.passes >= 1 && p.passes <= kMaxPasses && p.lanes >= 1 && p.lanes <= kMaxLanes &&
         p.memoryKiB >= 8 * p.lanes && p.memoryKiB <= kMaxMemoryKiB;
}

bool isStrongFile(std::string_view fileBytes) { return fileBytes.starts_with(kStrongFamilyMarker); }

std::optional<StrongHeader> readStrongHeader(std::string_view fileBytes) {
  if (fileBytes.size() < kStrongMinimumSize || !isStrongFile(fileBytes)) return std::nullopt;
  if (fileBytes[kVersionAt] != kStrongVersion || byteAt(fileBytes, kDerivationAt) != kArgon2idId ||
      byteAt(fileBytes, kCipherAt) != kAes256GcmId) {
    return std::nullopt;
  }
  StrongHeader header;
  header.parameters.passes = littleEndianAt(fileBytes, kPassesAt);
  header.parameters.memoryKiB = littleEndianAt(fileBytes, kMemoryAt);
  header.parameters.lanes = byteAt(fileBytes, kLanesAt);
  if (!parametersAccepted(header.parameters)) return std::nullopt;
  std::memcpy(header.salt.data(), fileBytes.data() + kSaltAt, kSaltSize);
  std::memcpy(header.nonce.data(), fileBytes.data() + kNonceAt, kNonceSize);
  return header;
}

SecretKey::SecretKey(SecretKey&& other) noexcept : bytes_(other.bytes_) { wipeBytes(other.bytes_.data(), kKeySize); }

SecretKey& SecretKey::operator=(SecretKey&& other) noexcept {
  if (this != &other) {
    bytes_ = other.bytes_;
    wipeBytes(other.bytes_.data(), kKeySize);
  }
  return *this;
}

SecretKey::~SecretKey() { wipeBytes(bytes_.data(), kKeySize); }

bool argon2id(std::string_view password, std::span<const std::uint8_t> salt, const Argon2Parameters& parameters,
              std::span<std::uint8_t> out, EventPump* pump, std::string_view secret,
              std::string_view associatedData) {
  if (!gcryptReady()) return false;
  const unsigned long costs[4] = {static_cast<unsigned long>(out.size()), parameters.passes, parameters.memoryKiB,
                                  parameters.lanes};
  gcry_kdf_hd_t handle = nullptr;
  if (gcry_kdf_open(&handle, GCRY_KDF_ARGON2, GCRY_KDF_ARGON2ID, costs, 4, password.data(), password.size(),
                    salt.data(), salt.size(), secret.empty() ? nullptr : secret.data(), secret.size(),
                    associatedData.empty() ? nullptr : associatedData.data(), associatedData.size()) != 0) {
    return false;
  }
  JobRunner runner{pump};
  const gcry_kdf_thread_ops_t jobs{&runner, &runJob, &jobsDone};
  const bool done = gcry_kdf_compute(handle, &jobs) == 0 && gcry_kdf_final(handle, out.size(), out.data()) == 0;
  gcry_kdf_close(handle);
  if (!done) wipeBytes(out.data(), out.size());
  return done;
}

bool aes256GcmEncrypt(std::span<const std::uint8_t, kKeySize> key, std::span<const std::uint8_t, kNonceSize> nonce,
                      std::string_view associatedData, std::string_view plain, char* out,
                      std::span<std::uint8_t, kTagSize> tag, EventPump* pump) {
  GcmCipher cipher(key, nonce, associatedData);
  return cipher.ready() &&
         cipher.process(gcry_cipher_encrypt, plain, out, pump) &&
         gcry_cipher_gettag(cipher.handle(), tag.data(), tag.size()) == 0;
}

bool aes256GcmDecrypt(std::span<const std::uint8_t, kKeySize> key, std::span<const std::uint8_t, kNonceSize> nonce,
                      std::string_view associatedData, std::string_view cipherText, char* out,
                      std::span<const std::uint8_t, kTagSize> tag, EventPump* pump) {
  GcmCipher cipher(key, nonce, associatedData);
  const bool opened =
      cipher.ready() && cipher.process(gcry_cipher_decrypt, cipherText, out, pump) &&
      gcry_cipher_checktag(cipher.handle(), tag.data(), tag.size()) == 0;
  // Text that failed its tag is nobody's document.
  if (!opened && !cipherText.empty()) wipeBytes(out, cipherText.size());
  return opened;
}

std::optional<StrongKey> deriveStrongKey(std::string_view passwordBytes, const Salt& salt,
                                         const Argon2Parameters& parameters, EventPump* pump) {
  if (!parametersAccepted(parameters)) return std::nullopt;
  StrongKey key{parameters, salt, {}};
  if (!argon2id(passwordBytes, salt, parameters, key.key.bytes(), pump)) return std::nullopt;
  return key;
}

std::optional<std::string> strongFileContent(std::string_view documentBytes, const StrongKey& key, const Nonce& nonce,
                                             EventPump* pump) {
  std::string out(kStrongHeaderSize + documentBytes.size() + kTagSize, '\0');
  writeHeader(out.data(), key.parameters, key.salt, nonce);
  std::array<std::uint8_t, kTagSize> tag{};
  const std::string_view header(out.data(), kStrongHeaderSize);
  if (!aes256GcmEncrypt(key.key.bytes(), nonce, header, documentBytes, out.data() + kStrongHeaderSize, tag, pump)) {
    return std::nullopt;
  }
  std::memcpy(out.data() + kStrongHeaderSize + documentBytes.size(), tag.data(), kTagSize);
  return out;
}

StrongUnlock unlockStrongFile(std::string_view fileBytes, std::string_view passwordBytes, EventPump* pump) {
  StrongUnlock result;
  const std::optional<StrongHeader> header = readStrongHeader(fileBytes);
  if (!header) return result;

  std::optional<StrongKey> key = deriveStrongKey(passwordBytes, header->salt, header->parameters, pump);
  if (!key) {
    result.status = StrongUnlock::Status::KeyFailed;
    return result;
  }

  const std::size_t cipherSize = fileBytes.size() - kStrongMinimumSize;
  const std::string_view cipherText = fileBytes.substr(kStrongHeaderSize, cipherSize);
  std::array<std::uint8_t, kTagSize> tag{};
  std::memcpy(tag.data(), fileBytes.data() + kStrongHeaderSize + cipherSize, kTagSize);
  std::string document(cipherSize, '\0');
  if (!aes256GcmDecrypt(key->key.bytes(), header->nonce, fileBytes.substr(0, kStrongHeaderSize), cipherText,
                        document.data(), tag, pump)) {
    result.status = StrongUnlock::Status::Mismatch;
    return result;
  }
  // The document ends at its first zero byte; what follows is wiped before it is let go.
  if (const void* nul = std::memchr(document.data(), 0, document.size())) {
    const auto end = static_cast<std::size_t>(static_cast<const char*>(nul) - document.data());
    wipeBytes(document.data() + end, document.size() - end);
    document.resize(end);
  }
  result.status = StrongUnlock::Status::Unlocked;
  result.document = std::move(document);
  result.key = std::move(key);
  return result;
}

}  // namespace qnv::crypto
