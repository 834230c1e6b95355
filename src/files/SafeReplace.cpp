#include "files/SafeReplace.h"

#include <cstdio>

namespace qnv::files {
namespace {

using namespace std::chrono_literals;

constexpr int kNameAttempts = 64;
constexpr int kKeptNameAttempts = 20;
// The waits between tries of a rename refused because a file is in use: 1.05 s in all.
constexpr std::chrono::milliseconds kInUsePauses[] = {10ms, 20ms, 40ms, 80ms, 150ms, 250ms, 250ms, 250ms};

// The errors of a file that another program has open, which it may close at any moment.
bool isInUse(ErrorCode error) { return error == kAccessDenied || error == kSharingViolation || error == kLockViolation; }

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// `name` inside `folder`, as folderOf gives folders back.
std::string pathIn(const std::string& folder, std::string_view name) {
  if (folder.empty() || isSeparator(folder.back()) || folder.back() == ':') return folder + std::string(name);
  return folder + "\\" + std::string(name);
}

std::string_view nameOf(std::string_view path) {
  const size_t slash = path.find_last_of("\\/:");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string temporaryName(uint32_t number) {
  char name[16];
  std::snprintf(name, sizeof name, "qnv%04X.tmp", static_cast<unsigned>(number & 0xFFFF));
  return name;
}

void removeStaleTemporaries(FileSystem& fs, const std::string& folder) {
  for (const std::string& name : fs.namesIn(folder, kTemporaryPattern)) {
    if (!isTemporaryName(name)) continue;
    const std::string path = pathIn(folder, name);
    // Read-only ones hold bytes a failed save had to keep; a file still open elsewhere (a
    // save of another copy of the program under way) refuses the removal.
    if (fs.entryAt(path) == FileSystem::Entry::kFile) fs.removeFile(path);
  }
}

// "笔记.qnv" -> "笔记（未保存的新内容）.qnv", then "笔记（未保存的新内容 2）.qnv", ...
std::string keptName(std::string_view targetName, int attempt) {
  const size_t dot = targetName.find_last_of('.');
  const std::string_view stem = dot == std::string_view::npos || dot == 0 ? targetName : targetName.substr(0, dot);
  const std::string_view extension = stem.size() == targetName.size() ? std::string_view() : targetName.substr(dot);
  std::string name(stem);
  name += "（未保存的新内容";
  if (attempt > 0) name += " " + std::to_string(attempt + 1);
  name += "）";
  name += extension;
  return name;
}

// The new bytes are in `temporary` only: gives them a name of their own beside the target
// if it can, marks them read-only where they are otherwise, and says where they are.
std::string keepNewBytes(FileSystem& fs, const std::string& temporary, const std::string& target) {
  const std::string folder = folderOf(target);
  for (int attempt = 0; attempt < kKeptNameAttempts; ++attempt) {
    const std::string kept = pathIn(folder, keptName(nameOf(target), attempt));
    if (fs.moveFile(temporary, kept, false) == 0) return kept;
    if (fs.entryAt(kept) == FileSystem::Entry::kMissing) break;  // not a name clash: renaming fails here
  }
  fs.markReadOnly(temporary);  // so that no later save in this folder removes it as stale
  return temporary;
}

}  // namespace

bool isTemporaryName(std::string_view name) {
  if (name.size() < 3 + 1 + 4 || !equalsIgnoringCase(name.substr(0, 3), "qnv") ||
      !equalsIgnoringCase(name.substr(name.size() - 4), ".tmp")) {
    return false;
  }
  const std::string_view digits = name.substr(3, name.size() - 7);
  if (digits.empty() || digits.size() > 4) return false;
  for (char c : digits) {
    if (!isHexDigit(c)) return false;
  }
  return true;
}

std::string folderOf(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string_view::npos) {
    const size_t colon = path.find(':');
    return colon == std::string_view::npos ? std::string(".") : std::string(path.substr(0, colon + 1));
  }
  // Keep the separator of a root ("C:\", "\") so the folder still names the root.
  if (slash == 0 || (slash == 2 && path[1] == ':')) return std::string(path.substr(0, slash + 1));
  return std::string(path.substr(0, slash));
}

TemporaryFile writeTemporaryBeside(FileSystem& fs, const std::string& target, std::string_view bytes) {
  const std::string folder = folderOf(target);
  removeStaleTemporaries(fs, folder);
  const uint32_t first = fs.firstNameNumber();
  ErrorCode error = kFileExists;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    // Steps through the names in an order of its own for each first number.
    const std::string path = pathIn(folder, temporaryName(first + static_cast<uint32_t>(attempt) * 40503u));
    error = fs.writeNewFile(path, bytes);
    if (error == 0) return {path, 0};
    if (error == kFileExists || error == kAlreadyExists) continue;
    fs.removeFile(path);  // a partly written file holds nothing anybody needs
    return {{}, error};
  }
  return {{}, error};
}

ReplaceResult moveIntoPlace(FileSystem& fs, const std::string& temporary, const std::string& target,
                            bool targetExisted) {
  ErrorCode error = fs.moveFile(temporary, target, true);
  for (const std::chrono::milliseconds pause : kInUsePauses) {
    if (error == 0 || !isInUse(error)) break;
    // A target made read-only or taken away meanwhile is dealt with below.
    if (targetExisted && fs.entryAt(target) != FileSystem::Entry::kFile) break;
    fs.pause(pause);
    error = fs.moveFile(temporary, target, true);
  }
  if (error == 0) return {};
  // A rename that fails changes nothing; the target is looked at all the same, because the
  // temporary file may now be the only copy of the new bytes on the disk.
  if (!targetExisted || fs.entryAt(target) != FileSystem::Entry::kMissing) {
    // The target is as it was (or never was): the caller still has the new bytes.
    fs.removeFile(temporary);
    return {error, {}};
  }
  if (fs.entryAt(temporary) == FileSystem::Entry::kMissing) return {error, {}};
  // The target went away meanwhile: the new bytes take its place if they can now.
  if (fs.moveFile(temporary, target, false) == 0) return {};
  return {error, keepNewBytes(fs, temporary, target)};
}

ReplaceResult replaceFileContents(FileSystem& fs, const std::string& target, std::string_view bytes) {
  const FileSystem::Entry entry = fs.entryAt(target);
  if (entry == FileSystem::Entry::kFolder || entry == FileSystem::Entry::kReadOnlyFile) return {kAccessDenied, {}};
  const TemporaryFile temporary = writeTemporaryBeside(fs, target, bytes);
  if (temporary.error != 0) return {temporary.error, {}};
  return moveIntoPlace(fs, temporary.path, target, entry == FileSystem::Entry::kFile);
}

}  // namespace qnv::files
