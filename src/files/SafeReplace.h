#pragma once
// Replacing a file's contents so that its own name holds the old bytes or the new bytes,
// whole, at every instant: the new bytes go to a temporary file beside it, are flushed to
// the disk, and one rename puts them in its place. Written against a small file-system
// interface (paths UTF-8) so that every failure outcome can be produced in a test.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qnv::files {

// A system error code, 0 for none. The numbers are the system's own (shown to the user in
// words); the few this code acts on are named here.
using ErrorCode = unsigned long;
inline constexpr ErrorCode kAccessDenied = 5;
inline constexpr ErrorCode kSharingViolation = 32;
inline constexpr ErrorCode kLockViolation = 33;
inline constexpr ErrorCode kFileExists = 80;
inline constexpr ErrorCode kAlreadyExists = 183;

// The file-system operations a safe replacement needs. The program uses the system's
// (files/win/FileWrite); tests use one that fails where they ask.
class FileSystem {
 public:
  enum class Entry { kMissing, kFile, kReadOnlyFile, kFolder };

  virtual ~FileSystem() = default;
  virtual Entry entryAt(const std::string& path) = 0;
  // Creates `path` (kFileExists when something has that name), writes `bytes`, flushes
  // them to the disk and closes the file. On failure a partly written file may be left.
  virtual ErrorCode writeNewFile(const std::string& path, std::string_view bytes) = 0;
  // Renames in one step, replacing an existing `to` when `replace`; returns once the new
  // name is on the disk. A failed rename changes nothing.
  virtual ErrorCode moveFile(const std::string& from, const std::string& to, bool replace) = 0;
  virtual ErrorCode removeFile(const std::string& path) = 0;
  virtual ErrorCode markReadOnly(const std::string& path) = 0;
  // The names (not paths) of the files in `folder` that match a pattern of "*" and "?".
  virtual std::vector<std::string> namesIn(const std::string& folder, std::string_view pattern) = 0;
  // A number that differs between processes and runs, for names nobody else picks.
  virtual uint32_t firstNameNumber() = 0;
  // Waits before an operation is tried again.
  virtual void pause(std::chrono::milliseconds duration) = 0;
};

// The outcome of a replacement.
struct ReplaceResult {
  ErrorCode error = 0;  // 0: the file holds the new bytes
  // Set when the file's own name holds neither the old bytes nor the new ones (the file
  // went away while it was being replaced): the new bytes are kept in this file instead,
  // and nothing ever removes it.
  std::string newBytesKeptAt;
};

// Writes `bytes` to `target` as described above. A folder or a read-only file is refused
// with kAccessDenied before anything is written.
ReplaceResult replaceFileContents(FileSystem& fs, const std::string& target, std::string_view bytes);

// The two halves, for writers that complete the temporary file themselves.
// Removes this program's stale temporary files in the target's folder, then writes `bytes`
// to a new temporary file there; its path, or the error (nothing is left behind then).
struct TemporaryFile {
  std::string path;
  ErrorCode error = 0;
};
TemporaryFile writeTemporaryBeside(FileSystem& fs, const std::string& target, std::string_view bytes);
// Puts a complete temporary file in the target's place. `targetExisted` tells whether the
// target was there before the replacement began. A rename refused because a file is in use
// (a virus scanner, an indexer or a viewer reading it for a moment) is tried again for about
// a second. On failure the temporary file is removed when the target is as it was (the
// caller still has the new bytes), and kept otherwise.
ReplaceResult moveIntoPlace(FileSystem& fs, const std::string& temporary, const std::string& target,
                            bool targetExisted);

// Temporary files of this program: "qnv", one to four hexadecimal digits, ".tmp" (the
// names the system's temporary-name service gave earlier versions, too).
bool isTemporaryName(std::string_view name);
inline constexpr std::string_view kTemporaryPattern = "qnv*.tmp";

// The folder part of a path, as a path that names the folder ("." for a bare name).
std::string folderOf(std::string_view path);

}  // namespace qnv::files
