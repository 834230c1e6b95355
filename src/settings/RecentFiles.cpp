#include "settings/RecentFiles.h"

#include <algorithm>

namespace qnv::settings {

std::string recentFileKey(size_t index) { return std::to_string(index + 1); }

std::vector<std::string> readRecentFiles(const SettingReader& read, const SamePath& same) {
  std::vector<std::string> list;
  for (size_t i = 0; i < kMaxRecentFiles; ++i) {
    const std::optional<std::string> path = read(recentFileKey(i));
    if (!path || path->empty()) continue;
    if (std::none_of(list.begin(), list.end(), [&](const std::string& p) { return same(p, *path); })) {
      list.push_back(*path);
    }
  }
  return list;
}

std::vector<std::string> withoutRecentFile(std::vector<std::string> list, std::string_view path,
                                           const SamePath& same) {
  std::erase_if(list, [&](const std::string& p) { return same(p, path); });
  return list;
}

std::vector<std::string> withRecentFile(std::vector<std::string> list, std::string_view path, const SamePath& same) {
  list = withoutRecentFile(std::move(list), path, same);
  list.insert(list.begin(), std::string(path));
  if (list.size() > kMaxRecentFiles) list.resize(kMaxRecentFiles);
  return list;
}

}  // namespace qnv::settings
