#include "crypto/Wipe.h"

namespace qnv::crypto {

void wipeBytes(void* data, std::size_t size) {
  // Writes through a volatile pointer are never removed as dead stores.
  volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = 0;
}

}  // namespace qnv::crypto
