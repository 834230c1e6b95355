#include "crypto/Gcrypt.h"

#include <gcrypt.h>

namespace qnv::crypto {

bool gcryptReady() {
  static const bool ready = [] {
    if (!gcry_check_version(GCRYPT_VERSION)) return false;
    // The keys this program derives live in its own protected buffers; libgcrypt's
    // locked-memory pool is not needed.
    gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    return true;
  }();
  return ready;
}

}  // namespace qnv::crypto
