#include "crypto/win/SystemRandom.h"

#include <windows.h>
#include <bcrypt.h>

#include <climits>

namespace qnv::crypto {

bool systemRandomBytes(std::span<std::uint8_t> bytes) {
  if (bytes.size() > ULONG_MAX) return false;
  return BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG) >= 0;
}

}  // namespace qnv::crypto
