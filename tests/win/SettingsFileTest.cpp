// Writing the settings file under Wine: through a checked copy that replaces the file in one
// step, so a full disk or a locked file never leaves it cut short; failures are reported
// once per run.
#include <gtest/gtest.h>

#include "app/win/AppState.h"
#include "settings/win/SettingsFile.h"
#include "support/EditorFixture.h"
#include "support/WinTestSupport.h"
#include "ui/win/Text.h"

namespace qnv::settings {
namespace {

using ui::MessageAnswer;

// GBK: [设置] 长=500 宽=600, then a section of another part of the program.
const std::string kSettings = "[\xC9\xE8\xD6\xC3]\r\n\xB3\xA4=500\r\n\xBF\xED=600\r\n[\xD7\xEE\xBD\xFC]\r\n1=C:\\a.qnv\r\n";
const std::wstring kFailure = L"无法保存设置，本次运行中的设置更改可能不会保留。";

class SettingsFileTest : public test::EditorFixture {
 protected:
  const SettingsFile& file() const { return app::appState().settingsFile; }
  std::vector<std::wstring> filesInFolder() const {
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.push_back(entry.path().filename());
    return names;
  }
};

TEST_F(SettingsFileTest, AWriteKeepsEverythingElseAndLeavesNothingBeside) {
  test::writeFileBytes(settingsFile(), kSettings);
  ASSERT_TRUE(file().writeIntSetting(key::kHeight, 720));
  EXPECT_EQ(file().readIntSetting(key::kHeight), 720);
  EXPECT_EQ(file().readIntSetting(key::kWidth), 600);
  const std::string bytes = test::readFileBytes(settingsFile());
  EXPECT_NE(bytes.find("\xB3\xA4=720"), std::string::npos) << "still in the ANSI code page";
  EXPECT_NE(bytes.find("1=C:\\a.qnv"), std::string::npos) << "other sections stay";
  EXPECT_EQ(filesInFolder(), std::vector<std::wstring>{L"配置.ini"});

  // A file that does not exist yet is created, with its section.
  std::filesystem::remove(settingsFile());
  ASSERT_TRUE(file().writeSetting(key::kFontName, "楷体"));
  EXPECT_EQ(file().readSetting(key::kFontName), "楷体");
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(SettingsFileTest, AFullDiskNeverCutsTheFileShortAndIsReportedOnce) {
  test::writeFileBytes(settingsFile(), kSettings);
  // The INI service on a full disk: it writes part of the file and reports success.
  app::appState().settingsFile.setProfileWriter(
      [](const std::wstring& section, const std::wstring& key, const std::wstring& value, const std::wstring& path) {
        WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path.c_str());
        const std::string written = test::readFileBytes(path);
        test::writeFileBytes(path, written.substr(0, written.size() / 2));
        return true;
      });
  prompts.answers.push_back(MessageAnswer::Ok);
  EXPECT_FALSE(file().writeIntSetting(key::kHeight, 720));
  EXPECT_FALSE(file().writeIntSetting(key::kWidth, 900));
  ASSERT_EQ(prompts.messages.size(), 1u) << "once per run";
  EXPECT_EQ(prompts.messages[0].text.rfind(kFailure + L"\r\n" + settingsFile().wstring() + L"\r\n", 0), 0u)
      << ui::narrow(prompts.messages[0].text);
  EXPECT_EQ(test::readFileBytes(settingsFile()), kSettings) << "the file as it was";
  EXPECT_EQ(filesInFolder(), std::vector<std::wstring>{L"配置.ini"});
}

TEST_F(SettingsFileTest, ALockedOrReadOnlyFileIsReportedAndLeftAlone) {
  struct Case {
    const char* name;
    std::function<HANDLE()> lock;  // returns a handle to close afterwards, if any
  } cases[] = {
      {"open in another program",
       [&] { return CreateFileW(settingsFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr); }},
      {"read-only",
       [&] {
         SetFileAttributesW(settingsFile().c_str(), FILE_ATTRIBUTE_READONLY);
         return INVALID_HANDLE_VALUE;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    prompts.messages.clear();
    test::writeFileBytes(settingsFile(), kSettings);
    HANDLE lock = c.lock();
    prompts.answers.push_back(MessageAnswer::Ok);
    EXPECT_FALSE(file().writeIntSetting(key::kHeight, 720));
    EXPECT_FALSE(file().writeFlagSetting(key::kBold, true));
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
    SetFileAttributesW(settingsFile().c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text.rfind(kFailure, 0), 0u);
    EXPECT_EQ(test::readFileBytes(settingsFile()), kSettings);
    EXPECT_EQ(filesInFolder(), std::vector<std::wstring>{L"配置.ini"});
  }
}

TEST_F(SettingsFileTest, ClosingWithAnUnwritableSettingsFileSaysSoOnce) {
  test::writeFileBytes(settingsFile(), kSettings);
  app::EditorWindow& w = open();
  SetFileAttributesW(settingsFile().c_str(), FILE_ATTRIBUTE_READONLY);
  prompts.answers.push_back(MessageAnswer::Ok);
  SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
  SetFileAttributesW(settingsFile().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_FALSE(w.isAlive());
  ASSERT_EQ(prompts.messages.size(), 1u) << "the height and the width, one message";
  EXPECT_EQ(prompts.messages[0].text.rfind(kFailure, 0), 0u);
  EXPECT_EQ(test::readFileBytes(settingsFile()), kSettings);
}

}  // namespace
}  // namespace qnv::settings
