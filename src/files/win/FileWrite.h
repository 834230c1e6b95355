#pragma once
// Writing and reading whole files.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qnv::files {

// Writes `bytes` to `path` so that the old file or the new one is whole at every moment:
// a temporary file in the same folder is written and flushed, then replaces the target in
// one step. Returns the system error code on failure (the target is then untouched).
std::optional<unsigned long> replaceFileContents(const std::wstring& path, std::string_view bytes);

// Reads a whole file of at most maxBytes. On failure `error` holds the system error code and
// `bytes` is empty; `exists` tells a missing file from one that could not be read.
struct FileReadResult {
  std::string bytes;
  unsigned long error = 0;  // 0 when read
  bool exists = false;
};
FileReadResult readWholeFile(const std::wstring& path, uint64_t maxBytes);

}  // namespace qnv::files
