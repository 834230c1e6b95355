#pragma once
// The settings file of this copy of the program: the choice of settings/SettingsLocation.h,
// made from what the system says about the program's folder, and the moves a write makes
// when the file cannot be written where it is.
#include <string>

namespace qnv::settings {

struct SettingsPaths {
  std::wstring path;    // where the file is read and written
  std::wstring moveTo;  // where a write moves it when it cannot be written at `path`; empty: nowhere
};

// programFolder: the folder of qnv.exe; userFolder: the application-data folder of the
// program (…\AppData\Roaming\qnv编辑器), which need not exist yet.
SettingsPaths locateSettings(const std::wstring& programFolder, const std::wstring& userFolder, bool installed);
// The settings of the running program.
SettingsPaths locateProgramSettings();

// The installer's entry among the current user's installed programs names this folder as
// where it installed the program: the copy there was put in place by the installer.
bool isInstalledCopy(const std::wstring& programFolder);
// The current user's application-data folder for the program; empty if the system does not
// say where that is.
std::wstring userSettingsFolder();

// Called when a write to `path` has failed; true when a second try may succeed. A folder
// that does not exist yet is created. A file that cannot be written where it is moves to
// `moveTo`, as a copy of what it holds, and the user is told once where the settings are
// kept from now on (`path` becomes `moveTo`, and `moveTo` is cleared).
bool prepareSettingsRetry(std::wstring& path, std::wstring& moveTo);

// The message that tells where the settings moved, before the new path.
inline constexpr std::wstring_view kSettingsMovedMessage =
    L"程序所在的文件夹中的设置无法保存，设置已改存到：\n";

}  // namespace qnv::settings
