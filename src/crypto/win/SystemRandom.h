#pragma once
// Random bytes from the system's cryptographic generator, for salts and nonces.
#include <cstdint>
#include <span>

namespace qnv::crypto {

// Fills `bytes` from the system's preferred generator (BCryptGenRandom); false when it fails.
bool systemRandomBytes(std::span<std::uint8_t> bytes);

}  // namespace qnv::crypto
