#include "crypto/win/UserProtection.h"

#include <windows.h>
#include <dpapi.h>

#include <limits>

#include "crypto/Wipe.h"

namespace qnv::crypto {
namespace {

// Binds the blobs to this program: another program's use of the same user's protection
// cannot unprotect them by accident.
constexpr char kEntropy[] = "qnv-recovery-snapshot";

DATA_BLOB blobOf(std::string_view bytes) {
  return {static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()))};
}

DATA_BLOB entropy() { return blobOf(std::string_view(kEntropy, sizeof kEntropy - 1)); }

// Takes the system's output into a string and frees it; wipes it first when it was plain.
std::string takeOutput(DATA_BLOB& out, bool wipeAfter) {
  std::string bytes(reinterpret_cast<const char*>(out.pbData), out.cbData);
  if (wipeAfter) wipeBytes(out.pbData, out.cbData);
  LocalFree(out.pbData);
  return bytes;
}

}  // namespace

std::optional<std::string> protectForUser(std::string_view bytes) {
  if (bytes.size() > std::numeric_limits<DWORD>::max()) return std::nullopt;
  DATA_BLOB in = blobOf(bytes);
  DATA_BLOB extra = entropy();
  DATA_BLOB out{};
  if (!CryptProtectData(&in, L"qnv编辑器", &extra, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
    return std::nullopt;
  }
  return takeOutput(out, false);
}

std::optional<std::string> unprotectForUser(std::string_view blob) {
  if (blob.size() > std::numeric_limits<DWORD>::max()) return std::nullopt;
  DATA_BLOB in = blobOf(blob);
  DATA_BLOB extra = entropy();
  DATA_BLOB out{};
  if (!CryptUnprotectData(&in, nullptr, &extra, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
    return std::nullopt;
  }
  return takeOutput(out, true);
}

}  // namespace qnv::crypto
