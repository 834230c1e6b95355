#pragma once
// The settings file 配置.ini, section "设置", read and written key by key through the
// system's INI service at the moment a value is needed or changes. Nothing is cached. Where
// the file is: settings/win/SettingsLocation.h.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <vector>

#include "settings/ProfileCheck.h"
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

  // Each stores one key. The INI service writes it into a copy of the file beside it, the
  // copy is read back and checked, and then replaces the file in one step: a full disk or
  // a failure at any moment leaves the file as it was or with the new value, never cut
  // short. A write that fails creates the file's folder when it is missing, or moves the
  // file when it cannot be written where it is, and tries once more; a failure after that
  // is reported once per run (reportWriteFailure). Each returns whether the value was
  // stored; callers may ignore it.
  bool writeSetting(std::string_view key, std::string_view text) const;
  bool writeIntSetting(std::string_view key, int32_t value) const;
  bool writeFlagSetting(std::string_view key, bool value) const;
  bool writeColourSetting(std::string_view key, uint32_t colour) const;

  // The section "最近文件": the recently used documents' paths (UTF-8), most recent first.
  // Reading leaves out empty entries and repeats; writing replaces the whole section in one
  // write of the file, checked and replaced as a key is.
  std::vector<std::string> readRecentFiles(const SamePath& same) const;
  bool writeRecentFiles(const std::vector<std::string>& paths) const;

  // Tells the user that the settings could not be stored, with the reason, and where a new
  // copy was kept if there is one; only the first time in a run (this object's life), so
  // that a failing folder does not ask for OK at every change.
  void reportWriteFailure(unsigned long error, const std::wstring& keptAt = {}) const;

  // Writes one key of a section into a file, as the system's INI service does; tests put a
  // failing one in its place.
  using ProfileWriter = std::function<bool(const std::wstring& section, const std::wstring& key,
                                           const std::wstring& value, const std::wstring& file)>;
  void setProfileWriter(ProfileWriter writer) { writeProfile_ = std::move(writer); }

 private:
  using CopyWriter = std::function<bool(const std::wstring& copy)>;
  using ProfileJudge = std::function<bool(const Profile& before, const Profile& after)>;
  struct Outcome {
    unsigned long error = 0;
    std::wstring keptAt;  // where the new contents are when the file went away meanwhile
  };
  // One change of the file: `write` applies it to a copy of the file, `expected` tells
  // whether the copy then holds what it should; the copy then replaces the file. Retried
  // and reported as described at writeSetting.
  bool change(const CopyWriter& write, const ProfileJudge& expected) const;
  Outcome changeOnce(const CopyWriter& write, const ProfileJudge& expected) const;

  // A write may move the file for the rest of the run.
  mutable std::wstring path_;
  mutable std::wstring moveTo_;
  ProfileWriter writeProfile_;
  mutable bool failureReported_ = false;
};

}  // namespace qnv::settings
