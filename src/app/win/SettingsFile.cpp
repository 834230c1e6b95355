#include "app/win/SettingsFile.h"

#include <windows.h>

#include <vector>

#include "ui/Text.h"

namespace qnv {
namespace {

constexpr DWORD kReadBufferChars = 10240;
// Returned by the INI service for a missing key; no stored value looks like this.
constexpr wchar_t kMissing[] = L"\x01\x02\x03qnv-missing";

std::wstring& overridePath() {
  static std::wstring path;
  return path;
}

std::wstring defaultSettingsPath() {
  std::wstring module(MAX_PATH, L'\0');
  while (true) {
    const DWORD n = GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
    if (n < module.size()) {
      module.resize(n);
      break;
    }
    module.resize(module.size() * 2);
  }
  const size_t slash = module.find_last_of(L"\\/");
  const std::wstring dir = slash == std::wstring::npos ? L"." : module.substr(0, slash);
  return dir + L"\\" + ui::widen(kSettingsFileName);
}

}  // namespace

std::wstring settingsPath() { return overridePath().empty() ? defaultSettingsPath() : overridePath(); }

void setSettingsPath(std::wstring path) { overridePath() = std::move(path); }

bool settingsExist() { return GetFileAttributesW(settingsPath().c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<std::string> readSettingIfPresent(std::string_view key) {
  std::vector<wchar_t> buffer(kReadBufferChars, L'\0');
  const std::wstring section = ui::widen(kSettingsSection), name = ui::widen(key), path = settingsPath();
  const DWORD n = GetPrivateProfileStringW(section.c_str(), name.c_str(), kMissing, buffer.data(), kReadBufferChars,
                                           path.c_str());
  const std::wstring_view value(buffer.data(), n);
  if (value == kMissing) return std::nullopt;
  return ui::narrow(value);
}

std::string readSetting(std::string_view key) { return readSettingIfPresent(key).value_or(std::string()); }

int32_t readIntSetting(std::string_view key) { return parseSettingInt(readSetting(key)); }

bool readFlagSetting(std::string_view key) { return parseSettingFlag(readSetting(key)); }

SettingReader settingsReader() { return [](std::string_view key) { return readSettingIfPresent(key); }; }

bool writeSetting(std::string_view key, std::string_view text) {
  const std::wstring section = ui::widen(kSettingsSection), name = ui::widen(key), value = ui::widen(text),
                     path = settingsPath();
  return WritePrivateProfileStringW(section.c_str(), name.c_str(), value.c_str(), path.c_str()) != FALSE;
}

bool writeIntSetting(std::string_view key, int32_t value) { return writeSetting(key, formatSettingInt(value)); }

bool writeFlagSetting(std::string_view key, bool value) { return writeSetting(key, formatSettingFlag(value)); }

bool writeColourSetting(std::string_view key, uint32_t colour) {
  return writeSetting(key, formatSettingColour(colour));
}

}  // namespace qnv
