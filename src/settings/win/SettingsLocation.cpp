#include "settings/win/SettingsLocation.h"

#include <windows.h>
#include <shlobj.h>

#include <string_view>
#include <utility>

#include "ProductInfo.h"
#include "files/win/ModulePath.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsValues.h"
#include "ui/win/Handles.h"
#include "ui/win/Prompts.h"
#include "ui/win/Text.h"

namespace qnv::settings {
namespace {

std::wstring inFolder(const std::wstring& folder, std::string_view name) { return folder + L"\\" + ui::widen(name); }

std::wstring folderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The file can be written: opened for writing when it exists, else created (and removed
// again) in its folder. Asking the system is the only sure test: rights, read-only media
// and locks all show here.
bool canWrite(const std::wstring& path) {
  const bool there = exists(path);
  const std::wstring probe = there ? path : folderOf(path) + L"\\qnv-write-test.tmp";
  HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, there ? OPEN_EXISTING : CREATE_NEW,
                            there ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

// "C:\A\b\" and "c:\a\B" are the same folder.
bool sameFolder(std::wstring a, std::wstring b) {
  while (!a.empty() && (a.back() == L'\\' || a.back() == L'/')) a.pop_back();
  while (!b.empty() && (b.back() == L'\\' || b.back() == L'/')) b.pop_back();
  return !a.empty() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                            static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool createFolder(const std::wstring& folder) {
  const int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS;
}

}  // namespace

SettingsPaths locateSettings(const std::wstring& programFolder, const std::wstring& userFolder, bool installed) {
  const std::wstring beside = inFolder(programFolder, kSettingsFileName);
  const std::wstring user = userFolder.empty() ? std::wstring() : inFolder(userFolder, kSettingsFileName);
  SettingsFacts facts;
  facts.installed = installed;
  facts.writableBeside = canWrite(beside);
  facts.fileBeside = exists(beside);
  facts.fileInUserFolder = !user.empty() && exists(user);
  const SettingsChoice choice = chooseSettingsPlace(facts);
  // Without an application-data folder the file stays beside the program, as designed.
  if (user.empty()) return {beside, {}};
  if (choice.place == SettingsPlace::UserFolder) return {user, {}};
  return {beside, choice.writesMoveToUserFolder ? user : std::wstring()};
}

SettingsPaths locateProgramSettings() {
  const std::wstring folder = folderOf(files::programModulePath());
  return locateSettings(folder, userSettingsFolder(), isInstalledCopy(folder));
}

bool isInstalledCopy(const std::wstring& programFolder) {
  const std::wstring key = ui::widen(QNV_UNINSTALL_KEY);
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return false;
  const ui::UniqueKey entry(raw);
  wchar_t location[MAX_PATH * 4] = {};
  DWORD bytes = sizeof location - sizeof(wchar_t);  // room for a terminating zero the value may lack
  DWORD type = 0;
  if (RegQueryValueExW(entry.get(), L"InstallLocation", nullptr, &type, reinterpret_cast<BYTE*>(location), &bytes) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return false;
  }
  return sameFolder(location, programFolder);
}

std::wstring userSettingsFolder() {
  PWSTR roaming = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming)) && roaming) {
    folder = std::wstring(roaming) + L"\\" + ui::widen(QNV_PRODUCT_NAME);
  }
  CoTaskMemFree(roaming);
  return folder;
}

bool prepareSettingsRetry(std::wstring& path, std::wstring& moveTo) {
  const std::wstring folder = folderOf(path);
  if (!exists(folder)) return createFolder(folder);
  if (moveTo.empty() || sameFolder(moveTo, path) || !createFolder(folderOf(moveTo))) return false;
  // Everything stored so far goes along; a file already there is newer and stays.
  if (!exists(moveTo) && exists(path)) {
    if (!CopyFileW(path.c_str(), moveTo.c_str(), TRUE)) return false;
    // A copy of a read-only file is read-only too.
    const DWORD attributes = GetFileAttributesW(moveTo.c_str());
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(moveTo.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  path = std::exchange(moveTo, std::wstring());
  ui::showMessage(std::wstring(kSettingsMovedMessage) + path);
  return true;
}

}  // namespace qnv::settings
