#pragma once
// The settings file 配置.ini, section "设置", read and written key by key through the
// system's INI service at the moment a value is needed or changes. Nothing is cached. Where
// the file is: settings/win/SettingsLocation.h.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <vector>

#include "settings/RecentFiles.h"
#include "settings/SettingsValues.h"

namespace qnv::settings {

class SettingsFile {
 public:
  SettingsFile() = default;
  // `moveTo`: where the file moves when it cannot be written at `path` (SettingsLocation.h).
  explicit SettingsFile(std::wstring path, std::wstring moveTo = {})
      : path_(std::move(path)), moveTo_(std::move(moveTo)) {}

  const std::wstring& settingsPath() const { return path_; }
  bool settingsExist() const;

  // The key's value, or nullopt when the file, the section or the key is missing.
  std::optional<std::string> readSettingIfPresent(std::string_view key) const;
  std::string readSetting(std::string_view key) const;
  int32_t readIntSetting(std::string_view key) const;
  bool readFlagSetting(std::string_view key) const;
  SettingReader settingsReader() const;

  // Each returns whether the write succeeded; callers may ignore it. A write creates the
  // file's folder when it is missing, and moves the file when it cannot be written.
  bool writeSetting(std::string_view key, std::string_view text) const;
  bool writeIntSetting(std::string_view key, int32_t value) const;
  bool writeFlagSetting(std::string_view key, bool value) const;
  bool writeColourSetting(std::string_view key, uint32_t colour) const;

  // The section "最近文件": the recently used documents' paths (UTF-8), most recent first.
  // Reading leaves out empty entries and repeats; writing replaces the whole section in one
  // write of the file.
  std::vector<std::string> readRecentFiles(const SamePath& same) const;
  bool writeRecentFiles(const std::vector<std::string>& paths) const;

 private:
  // A write may move the file for the rest of the run.
  mutable std::wstring path_;
  mutable std::wstring moveTo_;
};

}  // namespace qnv::settings
