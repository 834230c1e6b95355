// Where the settings file lives: beside a portable copy whose folder can be written, in the
// user's application-data folder for an installed copy or a folder that cannot be written,
// and moved there by the first write when a file beside the program cannot be written.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "ProductInfo.h"
#include "settings/win/SettingsFile.h"
#include "settings/win/SettingsLocation.h"
#include "support/ScriptedPrompts.h"
#include "support/WinTestSupport.h"
#include "ui/win/Handles.h"
#include "ui/win/Text.h"

namespace qnv::settings {
namespace {

namespace fs = std::filesystem;

class SettingsLocationTest : public testing::Test {
 protected:
  fs::path program() const { return dir / L"程序"; }
  fs::path user() const { return dir / L"AppData" / L"qnv编辑器"; }
  fs::path beside() const { return program() / L"配置.ini"; }
  fs::path inUserFolder() const { return user() / L"配置.ini"; }

  // What start-up finds, as a settings file.
  SettingsFile start(bool installed = false) const {
    const SettingsPaths paths = locateSettings(program().wstring(), user().wstring(), installed);
    return SettingsFile(paths.path, paths.moveTo);
  }

  test::TempDir dir;
  test::ScriptedPrompts prompts;
};

TEST_F(SettingsLocationTest, PortableCopyInAWritableFolderKeepsThemBesideItself) {
  fs::create_directories(program());
  const SettingsFile file = start();
  EXPECT_EQ(fs::path(file.settingsPath()), beside());
  EXPECT_TRUE(file.writeIntSetting("字体大小", 14));
  EXPECT_TRUE(fs::exists(beside()));
  EXPECT_FALSE(fs::exists(user())) << "nothing in the application-data folder";
  EXPECT_EQ(start().readIntSetting("字体大小"), 14);
}

TEST_F(SettingsLocationTest, InstalledCopyKeepsThemInTheUserFolder) {
  fs::create_directories(program());
  const SettingsFile file = start(true);
  EXPECT_EQ(fs::path(file.settingsPath()), inUserFolder());
  EXPECT_FALSE(file.settingsExist()) << "created on the first write";
  EXPECT_TRUE(file.writeIntSetting("长", 420)) << "the folder is made by the write";
  EXPECT_TRUE(fs::exists(inUserFolder()));
  EXPECT_FALSE(fs::exists(beside()));
  EXPECT_EQ(start(true).readIntSetting("长"), 420);
}

TEST_F(SettingsLocationTest, FolderThatCannotBeWrittenFallsBackToTheUserFolder) {
  // The program's folder cannot take a new file: here it does not exist, which no file can
  // be created in either (the tests run with rights that read-only folders do not stop).
  const SettingsFile file = start();
  EXPECT_EQ(fs::path(file.settingsPath()), inUserFolder());
  EXPECT_TRUE(file.writeIntSetting("宽", 640));
  EXPECT_TRUE(prompts.messages.empty()) << "nothing moved, nothing to tell";
  const SettingsFile next = start();
  EXPECT_EQ(fs::path(next.settingsPath()), inUserFolder()) << "the next start";
  EXPECT_EQ(next.readIntSetting("宽"), 640);
}

TEST_F(SettingsLocationTest, FileBesideAProgramThatCannotBeWrittenMovesOnTheFirstWrite) {
  fs::create_directories(program());
  ASSERT_TRUE(SettingsFile(beside().wstring()).writeIntSetting("字体大小", 14));
  ASSERT_TRUE(SettingsFile(beside().wstring()).writeSetting("字体名称", "楷体"));
  // Readable, but no one may write it while this handle is open.
  const ui::UniqueHandle lock(CreateFileW(beside().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_NE(lock.get(), INVALID_HANDLE_VALUE);

  const SettingsFile file = start();
  EXPECT_EQ(fs::path(file.settingsPath()), beside()) << "read from beside the program";
  EXPECT_EQ(file.readIntSetting("字体大小"), 14);

  prompts.answers.push_back(ui::MessageAnswer::Ok);
  EXPECT_TRUE(file.writeIntSetting("字体色", 255));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, std::wstring(kSettingsMovedMessage) + inUserFolder().wstring());
  EXPECT_EQ(fs::path(file.settingsPath()), inUserFolder());
  EXPECT_TRUE(file.writeIntSetting("长", 420));
  EXPECT_EQ(prompts.messages.size(), 1u) << "told once";

  const SettingsFile next = start();
  EXPECT_EQ(fs::path(next.settingsPath()), inUserFolder()) << "the next start reads the moved file";
  EXPECT_EQ(next.readIntSetting("字体大小"), 14) << "what was beside the program came along";
  EXPECT_EQ(next.readSetting("字体名称"), "楷体");
  EXPECT_EQ(next.readIntSetting("字体色"), 255);
  EXPECT_EQ(next.readIntSetting("长"), 420);
  EXPECT_EQ(SettingsFile(beside().wstring()).readIntSetting("字体色"), 0) << "the file beside is left as it was";
}

TEST_F(SettingsLocationTest, InstalledCopyIsKnownByTheInstallersEntry) {
  const std::wstring key = ui::widen(QNV_UNINSTALL_KEY);
  HKEY raw = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr),
            ERROR_SUCCESS);
  ui::UniqueKey entry(raw);
  const std::wstring location = L"C:\\Users\\测试\\AppData\\Local\\Programs\\qnv编辑器";
  RegSetValueExW(entry.get(), L"InstallLocation", 0, REG_SZ, reinterpret_cast<const BYTE*>(location.c_str()),
                 static_cast<DWORD>((location.size() + 1) * sizeof(wchar_t)));
  entry.reset();
  struct Case {
    const wchar_t* folder;
    bool installed;
  } cases[] = {
      {L"C:\\Users\\测试\\AppData\\Local\\Programs\\qnv编辑器", true},
      {L"c:\\users\\测试\\appdata\\local\\programs\\QNV编辑器\\", true},
      {L"D:\\便携\\qnv编辑器", false},
      {L"C:\\Users\\测试\\AppData\\Local\\Programs", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isInstalledCopy(c.folder), c.installed) << ui::narrow(c.folder);
  RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
  EXPECT_FALSE(isInstalledCopy(cases[0].folder)) << "without the entry";
}

}  // namespace
}  // namespace qnv::settings
