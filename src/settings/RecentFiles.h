#pragma once
// The list of recently opened or saved documents, kept in the settings file's section
// "最近文件" under the keys "1" to "10", most recent first. Only paths are kept, never a
// document's text. Paths are UTF-8; the Win32 side converts at the file.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/SettingsValues.h"

namespace qnv::settings {

inline constexpr std::string_view kRecentFilesSection = "最近文件";
inline constexpr size_t kMaxRecentFiles = 10;

// Whether two paths name the same file (on Windows: compared without regard to case, as the
// file system does).
using SamePath = std::function<bool(std::string_view, std::string_view)>;

// The key of the list's entry at `index` (0 is the most recent): "1" to "10".
std::string recentFileKey(size_t index);

// The list as the file holds it: keys "1" to "10" in order; empty values, and paths already
// listed under an earlier key, are left out.
std::vector<std::string> readRecentFiles(const SettingReader& read, const SamePath& same);

// `path` first, any other entry for the same file removed, at most kMaxRecentFiles kept.
std::vector<std::string> withRecentFile(std::vector<std::string> list, std::string_view path, const SamePath& same);

// The list without any entry for the file at `path`.
std::vector<std::string> withoutRecentFile(std::vector<std::string> list, std::string_view path,
                                           const SamePath& same);

}  // namespace qnv::settings
