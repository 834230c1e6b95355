// Feeds any bytes to the recovery snapshot reader, as a decrypted snapshot file's content;
// whatever it accepts must be written back to exactly the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "app/RecoverySnapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::optional<qnv::app::RecoverySnapshot> snapshot = qnv::app::readSnapshot(input);
  if (snapshot && qnv::app::snapshotBytes(*snapshot) != input) {
    std::fprintf(stderr, "a snapshot read back differently\n");
    std::abort();
  }
  return 0;
}
