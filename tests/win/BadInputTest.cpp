// Damaged or unreadable inputs of the application shell: the editor opens with usable
// values and never overwrites what it could not read.
#include <gtest/gtest.h>

#include <memory>

#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "app/win/EditorWindow.h"
#include "support/EditorFixture.h"
#include "support/WinTestSupport.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {


class BadInput : public test::EditorFixture {};

TEST_F(BadInput, ALockedDocumentOpensEmptyAndIsNeverOverwritten) {
  const auto path = dir / L"锁定.txt";
  test::writeFileBytes(path, "precious");
  HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  prompts.answers.push_back(ui::MessageAnswer::Ok);
  EditorWindow& w = open(path.wstring());
  CloseHandle(lock);

  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_NE(prompts.messages[0].text.find(path.wstring()), std::wstring::npos);
  EXPECT_EQ(w.editorBox().textLength(), 0);
  EXPECT_EQ(w.caption().rfind(L"锁定.txt", 0), 0u) << "the name still goes into the caption";

  // Ctrl+S asks for a name instead of writing over the file it could not read.
  SendMessageW(w.editorBox().hwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"new"));
  prompts.saveChoices.push_back(std::nullopt);
  EXPECT_FALSE(saveDocument(w));
  EXPECT_EQ(prompts.saveDialogsShown.size(), 1u);
  EXPECT_EQ(test::readFileBytes(path), "precious");
}

TEST_F(BadInput, OddSettingsFilesGiveAUsableWindow) {
  const std::string gbkSection = "[\xC9\xE8\xD6\xC3]\r\n";
  struct Case {
    const char* name;
    std::string bytes;
    int height, width, size;
  } cases[] = {
      {"empty file", "", 500, 600, 11},
      {"zero and negative", gbkSection + "\xB3\xA4=0\r\n\xBF\xED=-1\r\n\xD7\xD6\xCC\xE5\xB4\xF3\xD0\xA1=0\r\n", 150, 200, 11},
      {"full-width digits", gbkSection + "\xB3\xA4=\xA3\xB4\xA3\xB2\xA3\xB0\r\n", 420, 600, 11},  // ４２０
      {"UTF-8 keys do not match", "[设置]\r\n长=300\r\n", 500, 600, 11},
      {"huge value", gbkSection + "\xB3\xA4=" + std::string(100000, '7') + "\r\n", 2147483647, 600, 11},
      {"binary", std::string("\x00\xFF\xFE[\x01]\n=\n\x80\x81", 12), 500, 600, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    test::writeFileBytes(settingsFile(), c.bytes);
    EditorWindow& w = open();
    EXPECT_EQ(appState().windowHeight, c.height);
    EXPECT_EQ(appState().windowWidth, c.width);
    EXPECT_EQ(w.editorBox().selectionCharFormat().size, c.size);
    EXPECT_FALSE(appState().defaultFont.fontName.empty());
    window.reset();
  }
}

TEST_F(BadInput, AnUnreadableSettingsFileReadsAsEmpty) {
  test::writeFileBytes(settingsFile(), "[\xC9\xE8\xD6\xC3]\r\n\xB3\xA4=300\r\n");
  HANDLE lock = CreateFileW(settingsFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  open();
  CloseHandle(lock);
  EXPECT_EQ(appState().windowHeight, 500);
  EXPECT_EQ(appState().windowWidth, 600);
}

}  // namespace
}  // namespace qnv::app
