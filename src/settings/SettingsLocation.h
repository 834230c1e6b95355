#pragma once
// Where the settings file 配置.ini lives. A copy the installer put in place keeps it in the
// user's application-data folder (…\AppData\Roaming\qnv编辑器), which upgrades and uninstalls
// leave alone. Any other copy keeps it beside the program, as it always has, when it can be
// written there or is there already; otherwise in the application-data folder too.

namespace qnv::settings {

// What the program finds out about its own folder at start-up.
struct SettingsFacts {
  bool installed = false;          // the installer's entry names this program's folder
  bool writableBeside = false;     // 配置.ini beside the program can be written (or created)
  bool fileBeside = false;         // 配置.ini is beside the program
  bool fileInUserFolder = false;   // 配置.ini is in the application-data folder
};

enum class SettingsPlace {
  BesideProgram,
  UserFolder,
};

struct SettingsChoice {
  SettingsPlace place = SettingsPlace::BesideProgram;
  // The file is read beside the program, but cannot be written there: the first write
  // moves it to the application-data folder (as a copy, so nothing stored is lost), and
  // every later start finds it there.
  bool writesMoveToUserFolder = false;

  bool operator==(const SettingsChoice&) const = default;
};

SettingsChoice chooseSettingsPlace(const SettingsFacts& facts);

}  // namespace qnv::settings
