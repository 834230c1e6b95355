#pragma once
// The recently used documents of the settings file (section "最近文件"): every document
// opened or saved goes on top, by its full path.
#include <string>
#include <string_view>
#include <vector>

namespace qnv::app {

// Whether two paths (UTF-8) name the same file, compared as the file system does: without
// regard to case.
bool samePath(std::string_view a, std::string_view b);

// The list as the settings file holds it now.
std::vector<std::string> recentFiles();

// Puts the document at `path` (made a full path) on top of the list.
void rememberRecentFile(const std::wstring& path);

// Takes the document at `path` off the list.
void forgetRecentFile(const std::string& path);

}  // namespace qnv::app
