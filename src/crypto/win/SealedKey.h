#pragma once
// A key kept in memory between uses: encrypted with the system's memory protection
// (CryptProtectMemory, for this process only) while it is kept, unsealed into a copy only
// for the moment it is used, and wiped when it goes.
#include <array>
#include <cstdint>
#include <optional>

#include "crypto/StrongFormat.h"

namespace qnv::crypto {

class SealedKey {
 public:
  SealedKey() = default;
  SealedKey(const SealedKey&) = delete;
  SealedKey& operator=(const SealedKey&) = delete;
  SealedKey(SealedKey&& other) noexcept;
  SealedKey& operator=(SealedKey&& other) noexcept;
  ~SealedKey() { clear(); }

  // Keeps a sealed copy of `key` in place of what was kept; false (and nothing kept) when
  // the system refuses.
  bool seal(const SecretKey& key);
  // A copy of the kept key; nullopt when nothing is kept or the system refuses.
  std::optional<SecretKey> unseal() const;

  bool empty() const { return !held_; }
  void clear();

  // The bytes as kept (tests: they are not the key's, where the system really seals).
  const std::array<std::uint8_t, kKeySize>& sealedBytes() const { return sealed_; }

 private:
  std::array<std::uint8_t, kKeySize> sealed_{};
  bool held_ = false;
};

}  // namespace qnv::crypto
