#include "crypto/win/SystemRandom.h"

#include <windows.h>
#include <bcrypt.h>

#include <climits>

#include "crypto/win/SystemFunction.h"

namespace qnv::crypto {

bool systemRandomBytes(std::span<std::uint8_t> bytes) {
  static const auto generate = systemFunction<decltype(BCryptGenRandom)>(L"bcrypt.dll", "BCryptGenRandom");
  if (!generate || bytes.size() > ULONG_MAX) return false;
  return generate(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG) >= 0;
}

}  // namespace qnv::crypto
