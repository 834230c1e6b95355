#include "app/win/RecentFiles.h"

#include <windows.h>

#include "app/win/AppState.h"
#include "settings/RecentFiles.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

std::wstring fullPathOf(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return path;
  full.resize(length);
  return full;
}

}  // namespace

bool samePath(std::string_view a, std::string_view b) {
  const std::wstring wa = ui::widen(a), wb = ui::widen(b);
  return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()), TRUE) ==
         CSTR_EQUAL;
}

std::vector<std::string> recentFiles() { return appState().settingsFile.readRecentFiles(samePath); }

void rememberRecentFile(const std::wstring& path) {
  if (path.empty()) return;
  appState().settingsFile.writeRecentFiles(settings::withRecentFile(recentFiles(), ui::narrow(fullPathOf(path)), samePath));
}

void forgetRecentFile(const std::string& path) {
  appState().settingsFile.writeRecentFiles(settings::withoutRecentFile(recentFiles(), path, samePath));
}

}  // namespace qnv::app
