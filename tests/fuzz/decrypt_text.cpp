// Feeds any bytes to the protected-format reader as a file's content, and protects them as a
// document to check that unlocking gives them back.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "crypto/Digest.h"
#include "crypto/HexCodec.h"
#include "crypto/ProtectedFormat.h"

namespace {

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "protected format mismatch: %s\n", what);
    std::abort();
  }
}

// The marker scan written out character by character.
std::string referenceRemoveMarker(std::string_view text) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  std::size_t i = 0;
  while (i < text.size()) {
    if (i + 4 <= text.size() && text[i] == '.' && lower(text[i + 1]) == 'q' && lower(text[i + 2]) == 'n' &&
        lower(text[i + 3]) == 'v') {
      return std::string(text.substr(0, i)) + std::string(text.substr(i + 4));
    }
    i += (static_cast<unsigned char>(text[i]) >= 0x80) ? 2 : 1;
  }
  return std::string(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  qnv::crypto::EventPump pump([] {}, std::chrono::milliseconds(0));

  // As a file: read up to the first zero byte, marker removed, unlocked.
  const std::string text = qnv::crypto::textUpToFirstNul(input);
  (void)qnv::crypto::isProtectedText(text);
  const std::string body = qnv::crypto::removeProtectedMarker(text);
  require(body == referenceRemoveMarker(text), "removeProtectedMarker");
  require(qnv::crypto::removeProtectedMarker(input) == referenceRemoveMarker(input), "removeProtectedMarker, raw bytes");
  (void)qnv::crypto::decryptText(body, "0150983CD", &pump);
  require(!qnv::crypto::decryptText(body, "", &pump), "an empty check value matched");
  if (!body.empty()) {
    // Take the stored check value as the password's, so that the body is decoded.
    const std::size_t checkAt = body.size() > 9 ? body.size() - 9 : 0;
    const std::optional<std::string> document = qnv::crypto::decryptText(body, std::string_view(body).substr(checkAt), &pump);
    require(document.has_value(), "the stored check value did not match itself");
    const std::string expected =
        qnv::crypto::textUpToFirstNul(qnv::crypto::scrambleBytes(qnv::crypto::hexDecode(std::string_view(body).substr(0, checkAt))));
    require(*document == expected, "decryptText");
  }

  // As a document: protected, then unlocked with the same password.
  const std::string check = qnv::crypto::passwordCheckValue(input.substr(0, 32));
  require(check.size() == 9, "check value length");
  const std::string file = qnv::crypto::protectedFileContent(input, check, &pump);
  require(file.size() == 2 * size + 13, "file length");
  require(qnv::crypto::isProtectedText(file), "marker");
  require(file.find_first_not_of("0123456789ABCDEF", 4) == std::string::npos, "file characters");
  const std::optional<std::string> unlocked = qnv::crypto::decryptText(qnv::crypto::removeProtectedMarker(file), check, &pump);
  require(unlocked == qnv::crypto::textUpToFirstNul(input), "round trip");
  return 0;
}
