#include "crypto/win/SealedKey.h"

#include <windows.h>
#include <dpapi.h>

#include <algorithm>

#include "crypto/Wipe.h"

namespace qnv::crypto {

static_assert(kKeySize % CRYPTPROTECTMEMORY_BLOCK_SIZE == 0, "the system seals whole blocks");

SealedKey::SealedKey(SealedKey&& other) noexcept : sealed_(other.sealed_), held_(other.held_) { other.clear(); }

SealedKey& SealedKey::operator=(SealedKey&& other) noexcept {
  if (this != &other) {
    sealed_ = other.sealed_;
    held_ = other.held_;
    other.clear();
  }
  return *this;
}

bool SealedKey::seal(const SecretKey& key) {
  std::copy(key.bytes().begin(), key.bytes().end(), sealed_.begin());
  held_ = CryptProtectMemory(sealed_.data(), kKeySize, CRYPTPROTECTMEMORY_SAME_PROCESS);
  if (!held_) wipeBytes(sealed_.data(), kKeySize);
  return held_;
}

std::optional<SecretKey> SealedKey::unseal() const {
  if (!held_) return std::nullopt;
  SecretKey key;
  std::copy(sealed_.begin(), sealed_.end(), key.bytes().begin());
  if (!CryptUnprotectMemory(key.bytes().data(), kKeySize, CRYPTPROTECTMEMORY_SAME_PROCESS)) return std::nullopt;
  return key;
}

void SealedKey::clear() {
  wipeBytes(sealed_.data(), kKeySize);
  held_ = false;
}

}  // namespace qnv::crypto
