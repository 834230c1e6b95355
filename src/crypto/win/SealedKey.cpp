#include "crypto/win/SealedKey.h"

#include <windows.h>
#include <dpapi.h>

#include <algorithm>

#include "crypto/Wipe.h"
#include "crypto/win/SystemFunction.h"

namespace qnv::crypto {
namespace {

BOOL protectMemory(void* bytes, DWORD size) {
  static const auto protect = systemFunction<decltype(CryptProtectMemory)>(L"crypt32.dll", "CryptProtectMemory");
  return protect && protect(bytes, size, CRYPTPROTECTMEMORY_SAME_PROCESS);
}

BOOL unprotectMemory(void* bytes, DWORD size) {
  static const auto unprotect = systemFunction<decltype(CryptUnprotectMemory)>(L"crypt32.dll", "CryptUnprotectMemory");
  return unprotect && unprotect(bytes, size, CRYPTPROTECTMEMORY_SAME_PROCESS);
}

}  // namespace

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
  held_ = protectMemory(sealed_.data(), kKeySize);
  if (!held_) wipeBytes(sealed_.data(), kKeySize);
  return held_;
}

std::optional<SecretKey> SealedKey::unseal() const {
  if (!held_) return std::nullopt;
  SecretKey key;
  std::copy(sealed_.begin(), sealed_.end(), key.bytes().begin());
  if (!unprotectMemory(key.bytes().data(), kKeySize)) return std::nullopt;
  return key;
}

void SealedKey::clear() {
  wipeBytes(sealed_.data(), kKeySize);
  held_ = false;
}

}  // namespace qnv::crypto
