#include "settings/SettingsLocation.h"

namespace qnv::settings {

SettingsChoice chooseSettingsPlace(const SettingsFacts& facts) {
  if (facts.installed) return {SettingsPlace::UserFolder, false};
  if (facts.writableBeside) return {SettingsPlace::BesideProgram, false};
  // A file that an earlier run moved there holds everything the one beside held, and more.
  if (facts.fileInUserFolder) return {SettingsPlace::UserFolder, false};
  if (facts.fileBeside) return {SettingsPlace::BesideProgram, true};
  return {SettingsPlace::UserFolder, false};
}

}  // namespace qnv::settings
