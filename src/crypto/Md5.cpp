// MD5 through libgcrypt: the portable reference digest (native tests, fuzzing, benchmarks and
// cross-checks of the system's hash service).
#include <gcrypt.h>

#include "crypto/Digest.h"
#include "crypto/Gcrypt.h"

namespace qnv::crypto {

std::string md5HexDigest(std::string_view bytes) {
  if (!gcryptReady()) return {};
  unsigned char digest[16] = {};
  gcry_md_hash_buffer(GCRY_MD_MD5, digest, bytes.data(), bytes.size());
  return lowerHexDigits(digest, sizeof digest);
}

}  // namespace qnv::crypto
