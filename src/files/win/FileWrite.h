#pragma once
// Writing and reading whole files through the system.
#include <cstdint>
#include <string>
#include <string_view>

#include "files/SafeReplace.h"

namespace qnv::files {

// The system's file system for the safe replacement. Every path is used in its long form
// ("\\?\C:\..."), so folders of any depth work.
class SystemFileSystem final : public FileSystem {
 public:
  Entry entryAt(const std::string& path) override;
  ErrorCode writeNewFile(const std::string& path, std::string_view bytes) override;
  ErrorCode moveFile(const std::string& from, const std::string& to, bool replace) override;
  ErrorCode removeFile(const std::string& path) override;
  ErrorCode markReadOnly(const std::string& path) override;
  std::vector<std::string> namesIn(const std::string& folder, std::string_view pattern) override;
  uint32_t firstNameNumber() override;
  void pause(std::chrono::milliseconds duration) override;
};

// A path as the system's file functions take it at any length: absolute, in the long form
// for drive and network paths; device paths as they are.
std::wstring longPathForm(std::wstring_view path);

// Writes `bytes` to `path` so that the old file or the new one is whole at every moment
// (files/SafeReplace.h), through the system's file system.
ReplaceResult replaceFileContents(const std::wstring& path, std::string_view bytes);

// Reads a whole file of at most maxBytes. On failure `error` holds the system error code and
// `bytes` is empty; `exists` tells a missing file from one that could not be read.
struct FileReadResult {
  std::string bytes;
  unsigned long error = 0;  // 0 when read
  bool exists = false;
};
FileReadResult readWholeFile(const std::wstring& path, uint64_t maxBytes);

// A file's size and its first bytes (at most `count`), read without reading the rest.
struct FileHead {
  uint64_t size = 0;
  std::string bytes;
  unsigned long error = 0;  // 0 when read
  bool exists = false;
};
FileHead readFileHead(const std::wstring& path, size_t count);

}  // namespace qnv::files
