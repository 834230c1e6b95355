#include "settings/win/SettingsFile.h"

#include <windows.h>

#include <vector>

#include "files/win/FileWrite.h"
#include "settings/ProfileCheck.h"
#include "settings/win/SettingsLocation.h"
#include "ui/win/Prompts.h"
#include "ui/win/Text.h"

namespace qnv::settings {
namespace {

constexpr DWORD kReadBufferChars = 10240;
// Returned by the INI service for a missing key; no stored value looks like this.
constexpr wchar_t kMissing[] = L"\x01\x02\x03qnv-missing";
// A settings file larger than this is not copied (nor written).
constexpr uint64_t kMaxSettingsFileBytes = 64u << 20;

bool systemProfileWriter(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                         const std::wstring& file) {
  return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}

// Makes the INI service read `file` from the disk next time instead of from its cache.
void forgetCachedProfile(const std::wstring& file) { WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str()); }

// A list of zero-terminated strings from one of the INI service's list functions, which
// return the buffer's size less two when it was too small.
std::vector<std::wstring> profileList(const std::function<DWORD(wchar_t*, DWORD)>& read) {
  std::vector<wchar_t> buffer(4096);
  DWORD n = 0;
  for (;;) {
    n = read(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n + 2 < buffer.size()) break;
    buffer.resize(buffer.size() * 2);
  }
  std::vector<std::wstring> items;
  for (size_t i = 0; i < n;) {
    const std::wstring item(buffer.data() + i);
    if (item.empty()) break;
    i += item.size() + 1;
    items.push_back(item);
  }
  return items;
}

// Everything the INI service reads from `file`.
Profile profileOf(const std::wstring& file) {
  forgetCachedProfile(file);
  Profile profile;
  for (const std::wstring& name : profileList([&](wchar_t* b, DWORD n) {
         return GetPrivateProfileSectionNamesW(b, n, file.c_str());
       })) {
    ProfileSection section{ui::narrow(name), {}};
    for (const std::wstring& entry : profileList([&](wchar_t* b, DWORD n) {
           return GetPrivateProfileSectionW(name.c_str(), b, n, file.c_str());
         })) {
      section.entries.push_back(ui::narrow(entry));
    }
    profile.push_back(std::move(section));
  }
  return profile;
}

// Why a written file came back wrong: a full disk, if the folder has next to no room left.
unsigned long shortWriteError(const std::wstring& file) {
  const std::wstring folder = ui::widen(files::folderOf(ui::narrow(file)));
  ULARGE_INTEGER free{};
  if (GetDiskFreeSpaceExW(folder.c_str(), &free, nullptr, nullptr) && free.QuadPart < (1u << 20)) return ERROR_DISK_FULL;
  return ERROR_WRITE_FAULT;
}

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
  const ProfileWriter& writeKey = writeProfile_ ? writeProfile_ : systemProfileWriter;
  const std::wstring section = ui::widen(kSettingsSection), name = ui::widen(key), value = ui::widen(text);
  return change([&](const std::wstring& copy) { return writeKey(section, name, value, copy); },
                [&](const Profile& before, const Profile& after) {
                  return onlyKeyChanged(before, after, kSettingsSection, key, text);
                });
}

bool SettingsFile::change(const CopyWriter& write, const ProfileJudge& expected) const {
  Outcome outcome = changeOnce(write, expected);
  if (outcome.error != 0 && outcome.keptAt.empty() && prepareSettingsRetry(path_, moveTo_)) {
    outcome = changeOnce(write, expected);
  }
  if (outcome.error != 0) reportWriteFailure(outcome.error, outcome.keptAt);
  return outcome.error == 0;
}

SettingsFile::Outcome SettingsFile::changeOnce(const CopyWriter& write, const ProfileJudge& expected) const {
  files::SystemFileSystem fs;
  const std::string path = ui::narrow(path_);
  const files::FileSystem::Entry entry = fs.entryAt(path);
  if (entry == files::FileSystem::Entry::kFolder || entry == files::FileSystem::Entry::kReadOnlyFile) {
    return {files::kAccessDenied, {}};
  }
  const files::FileReadResult original = files::readWholeFile(path_, kMaxSettingsFileBytes);
  if (original.error != 0 && original.exists) return {original.error, {}};
  const files::TemporaryFile copy = files::writeTemporaryBeside(fs, path, original.bytes);
  if (copy.error != 0) return {copy.error, {}};

  const std::wstring copyPath = ui::widen(copy.path);
  const Profile before = profileOf(copyPath);
  unsigned long error = 0;
  if (!write(copyPath)) {
    error = GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
  } else if (!expected(before, profileOf(copyPath))) {
    error = shortWriteError(copyPath);
  }
  forgetCachedProfile(copyPath);
  if (error != 0) {
    fs.removeFile(copy.path);
    return {error, {}};
  }
  const files::ReplaceResult result = files::moveIntoPlace(fs, copy.path, path, entry == files::FileSystem::Entry::kFile);
  forgetCachedProfile(path_);
  return {result.error, ui::widen(result.newBytesKeptAt)};
}

void SettingsFile::reportWriteFailure(unsigned long error, const std::wstring& keptAt) const {
  if (failureReported_) return;
  failureReported_ = true;
  std::wstring text = L"无法保存设置，本次运行中的设置更改可能不会保留。\r\n" + path_ + L"\r\n" + ui::systemMessage(error);
  if (!keptAt.empty()) text += L"\r\n原设置文件已不在原处，新的设置保存在：\r\n" + keptAt;
  ui::showMessage(text);
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
  std::vector<std::string> entries;
  for (size_t i = 0; i < paths.size() && i < kMaxRecentFiles; ++i) {
    entries.push_back(recentFileKey(i) + "=" + paths[i]);
    lines += ui::widen(entries.back());
    lines += L'\0';
  }
  lines += L'\0';
  const std::wstring section = ui::widen(kRecentFilesSection);
  return change(
      [&](const std::wstring& copy) { return WritePrivateProfileSectionW(section.c_str(), lines.c_str(), copy.c_str()) != FALSE; },
      [&](const Profile& before, const Profile& after) {
        return onlySectionReplaced(before, after, kRecentFilesSection, entries);
      });
}

}  // namespace qnv::settings
