#include "settings/win/SettingsFile.h"

#include <windows.h>

#include <vector>

#include "settings/win/SettingsLocation.h"
#include "ui/win/Text.h"

namespace qnv::settings {
namespace {

constexpr DWORD kReadBufferChars = 10240;
// Returned by the INI service for a missing key; no stored value looks like this.
constexpr wchar_t kMissing[] = L"\x01\x02\x03qnv-missing";

}  // namespace

bool SettingsFile::settingsExist() const { return GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<std::string> SettingsFile::readSettingIfPresent(std::string_view key) const {
  std::vector<wchar_t> buffer(kReadBufferChars, L'\0');
  const std::wstring section = ui::widen(kSettingsSection), name = ui::widen(key);
  const DWORD n = GetPrivateProfileStringW(section.c_str(), name.c_str(), kMissing, buffer.data(), kReadBufferChars,
                                           path_.c_str());
  const std::wstring_view value(buffer.data(), n);
  if (value == kMissing) return std::nullopt;
  return ui::narrow(value);
}

std::string SettingsFile::readSetting(std::string_view key) const {
  return readSettingIfPresent(key).value_or(std::string());
}

int32_t SettingsFile::readIntSetting(std::string_view key) const { return parseSettingInt(readSetting(key)); }

bool SettingsFile::readFlagSetting(std::string_view key) const { return parseSettingFlag(readSetting(key)); }

SettingReader SettingsFile::settingsReader() const {
  return [path = path_](std::string_view key) { return SettingsFile(path).readSettingIfPresent(key); };
}

bool SettingsFile::writeSetting(std::string_view key, std::string_view text) const {
  const std::wstring section = ui::widen(kSettingsSection), name = ui::widen(key), value = ui::widen(text);
  const auto write = [&] {
    return WritePrivateProfileStringW(section.c_str(), name.c_str(), value.c_str(), path_.c_str()) != FALSE;
  };
  return write() || (prepareSettingsRetry(path_, moveTo_) && write());
}

bool SettingsFile::writeIntSetting(std::string_view key, int32_t value) const {
  return writeSetting(key, formatSettingInt(value));
}

bool SettingsFile::writeFlagSetting(std::string_view key, bool value) const {
  return writeSetting(key, formatSettingFlag(value));
}

bool SettingsFile::writeColourSetting(std::string_view key, uint32_t colour) const {
  return writeSetting(key, formatSettingColour(colour));
}

std::vector<std::string> SettingsFile::readRecentFiles(const SamePath& same) const {
  const std::wstring section = ui::widen(kRecentFilesSection);
  const auto read = [&](std::string_view key) -> std::optional<std::string> {
    std::vector<wchar_t> buffer(kReadBufferChars, L'\0');
    const std::wstring name = ui::widen(key);
    const DWORD n = GetPrivateProfileStringW(section.c_str(), name.c_str(), L"", buffer.data(), kReadBufferChars,
                                             path_.c_str());
    return ui::narrow(std::wstring_view(buffer.data(), n));
  };
  return settings::readRecentFiles(read, same);
}

bool SettingsFile::writeRecentFiles(const std::vector<std::string>& paths) const {
  // "1=path\0" ... "\0": the section's whole contents.
  std::wstring lines;
  for (size_t i = 0; i < paths.size() && i < kMaxRecentFiles; ++i) {
    lines += ui::widen(recentFileKey(i)) + L"=" + ui::widen(paths[i]);
    lines += L'\0';
  }
  lines += L'\0';
  const std::wstring section = ui::widen(kRecentFilesSection);
  const auto write = [&] { return WritePrivateProfileSectionW(section.c_str(), lines.c_str(), path_.c_str()) != FALSE; };
  // Moved as every other write moves it when it cannot be written where it is.
  return write() || (prepareSettingsRetry(path_, moveTo_) && write());
}

}  // namespace qnv::settings
