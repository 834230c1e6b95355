// Feeds any bytes to the strong-format reader as a file's content, and protects them as a
// document to check that unlocking gives them back.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "crypto/EventPump.h"
#include "crypto/StrongFormat.h"

namespace {

using qnv::crypto::StrongUnlock;

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "strong format mismatch: %s\n", what);
    std::abort();
  }
}

// Costs this fuzzer lets a file ask for; the reader accepts up to 10 passes and 1 GiB, which
// is too slow for thousands of runs a second.
bool cheap(const qnv::crypto::Argon2Parameters& costs) { return costs.passes <= 2 && costs.memoryKiB <= 256; }

const qnv::crypto::StrongKey& documentKey() {
  static const qnv::crypto::StrongKey key = [] {
    std::optional<qnv::crypto::StrongKey> derived =
        qnv::crypto::deriveStrongKey("abc", qnv::crypto::Salt{}, {1, 8, 1}, nullptr);
    require(derived.has_value(), "key derivation");
    return std::move(*derived);
  }();
  return key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  qnv::crypto::EventPump pump([] {}, std::chrono::milliseconds(0));

  // As a file, tried with a password none of the corpus files was written with. Nothing may
  // open: a tag is never guessed.
  const std::optional<qnv::crypto::StrongHeader> header = qnv::crypto::readStrongHeader(input);
  require(!header || (input.size() >= qnv::crypto::kStrongMinimumSize && qnv::crypto::isStrongFile(input)),
          "header of a short or foreign file");
  if (!header || cheap(header->parameters)) {
    const StrongUnlock unlocked = qnv::crypto::unlockStrongFile(input, "fuzz", &pump);
    require(unlocked.status != StrongUnlock::Status::Unlocked, "a forged file opened");
    require((unlocked.status == StrongUnlock::Status::Damaged) == !header, "damaged only when the header is");
    require(unlocked.document.empty() && !unlocked.key, "something of a refused file");
  }

  // As a document: protected, then unlocked with the same key.
  qnv::crypto::Nonce nonce{};
  std::memcpy(nonce.data(), data, std::min(size, nonce.size()));
  const std::optional<std::string> file = qnv::crypto::strongFileContent(input, documentKey(), nonce, &pump);
  require(file && file->size() == size + qnv::crypto::kStrongMinimumSize, "file size");
  const std::optional<qnv::crypto::StrongHeader> written = qnv::crypto::readStrongHeader(*file);
  require(written && written->nonce == nonce && written->salt == documentKey().salt, "written header");
  std::string opened(size, '\0');
  std::array<std::uint8_t, qnv::crypto::kTagSize> tag{};
  std::memcpy(tag.data(), file->data() + file->size() - tag.size(), tag.size());
  require(qnv::crypto::aes256GcmDecrypt(documentKey().key.bytes(), nonce,
                                        std::string_view(*file).substr(0, qnv::crypto::kStrongHeaderSize),
                                        std::string_view(*file).substr(qnv::crypto::kStrongHeaderSize, size),
                                        opened.data(), tag, &pump),
          "tag of a written file");
  require(opened == input, "round trip");
  return 0;
}
