// MD5 through the CryptoAPI hash service. Every step that fails releases what the earlier
// steps acquired and gives the empty text.
#include <windows.h>
#include <wincrypt.h>

#include "crypto/win/CryptoApiDigest.h"

#include "crypto/Digest.h"

namespace qnv::crypto {

namespace {

// Owns the provider context, then the hash object; the hash goes first, as CryptoAPI wants.
class HashSession {
 public:
  HashSession() = default;
  HashSession(const HashSession&) = delete;
  HashSession& operator=(const HashSession&) = delete;
  ~HashSession() {
    if (hash_) CryptDestroyHash(hash_);
    if (provider_) CryptReleaseContext(provider_, 0);
  }

  bool acquire() {
    if (CryptAcquireContextA(&provider_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) return true;
    provider_ = 0;
    if (CryptAcquireContextA(&provider_, nullptr, nullptr, PROV_RSA_FULL, 0)) return true;
    provider_ = 0;
    return false;
  }

  bool createMd5() {
    if (CryptCreateHash(provider_, CALG_MD5, 0, 0, &hash_)) return true;
    hash_ = 0;
    return false;
  }

  HCRYPTHASH hash() const { return hash_; }

 private:
  HCRYPTPROV provider_ = 0;
  HCRYPTHASH hash_ = 0;
};

}  // namespace

std::string cryptoApiMd5HexDigest(std::string_view bytes) {
  // CryptHashData takes a 32-bit length and is called once over the whole input.
  if (bytes.size() > MAXDWORD) return {};

  HashSession session;
  if (!session.acquire() || !session.createMd5()) return {};

  const auto* data = bytes.empty() ? nullptr : reinterpret_cast<const BYTE*>(bytes.data());
  if (!CryptHashData(session.hash(), data, static_cast<DWORD>(bytes.size()), 0)) return {};

  BYTE digest[16] = {};
  DWORD length = sizeof digest;
  if (!CryptGetHashParam(session.hash(), HP_HASHVAL, digest, &length, 0)) return {};
  if (length > sizeof digest) length = sizeof digest;

  return lowerHexDigits(digest, length);
}

}  // namespace qnv::crypto
