// Opening another document in the running editor: the open dialog through the prompts seam,
// unsaved changes dealt with as closing deals with them, files that do not open leaving the
// current document alone, protected files through the unlock window; the recent-files list
// in the settings file and its submenu; a second editor.
#include <gtest/gtest.h>

#include <richedit.h>

#include "app/win/AppState.h"
#include "app/win/CommandBindings.h"
#include "app/win/DocumentCommands.h"
#include "app/win/EditorWindow.h"
#include "app/win/RecentFiles.h"
#include "commands/CommandTable.h"
#include "support/EditorFixture.h"
#include "support/ProtectedFiles.h"
#include "support/WinTestSupport.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

using ui::MessageAnswer;

const std::wstring kTitle = L"\u3000\u3000qvn-编辑器\u3000\u3000当前长度为:";
const std::wstring kUnlockCaption = L"请输入密码解锁文件";
// GBK: 中文笔记, 第二份
const std::string kFirstText = "\xD6\xD0\xCE\xC4\xB1\xCA\xBC\xC7";
const std::string kSecondText = "\xB5\xDA\xB6\xFE\xB7\xDD";

class OpenDocument : public test::EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    first = dir / L"第一.txt";
    second = dir / L"第二.qnv";
    test::writeFileBytes(first, kFirstText);
    test::writeFileBytes(second, kSecondText);
  }

  void type(const std::wstring& text) {
    SendMessageW(window->editorBox().hwnd(), EM_SETSEL, -1, -1);
    SendMessageW(window->editorBox().hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    test::pumpMessages();
  }
  // Ctrl+O as the command table runs it, answering the open dialog with `path`.
  void openThroughDialog(const std::filesystem::path& path) {
    prompts.openChoices.push_back(path.wstring());
    runCommand(*window, commands::CommandId::OpenDocument);
    test::pumpMessages();
  }
  std::string settingsText() { return test::readFileBytes(settingsFile()); }

  std::filesystem::path first, second;
};

TEST_F(OpenDocument, TheChosenFileOpensAsACommandLineDocumentDoes) {
  open(first.wstring());
  openThroughDialog(second);
  ASSERT_EQ(prompts.openDialogsShown.size(), 1u);
  const ui::FileDialogValues& shown = prompts.openDialogsShown[0];
  EXPECT_EQ(shown.title, L"打开");
  EXPECT_EQ(shown.fileTypes.size(), window->saveDialog().fileTypes.size());
  EXPECT_EQ(shown.fileTypes[0].description, L"qnv文件（*.qnv）");
  EXPECT_TRUE(shown.fileMustExist);
  EXPECT_EQ(shown.initialFolder, dir.path().wstring()) << "starts in the current document's folder";

  EXPECT_EQ(plainText(), kSecondText);
  EXPECT_EQ(appState().documentPath, ui::narrow(second.wstring()));
  EXPECT_EQ(window->caption(), L"第二.qnv" + kTitle + L"3");
  EXPECT_EQ(appState().isModified, 0);

  // Ctrl+S writes back to the opened file, as RTF.
  type(L"加");
  runCommand(*window, commands::CommandId::SaveDocument);
  EXPECT_EQ(test::readFileBytes(second).rfind("{\\rtf", 0), 0u);
  EXPECT_EQ(test::readFileBytes(first), kFirstText);

  // Cancelling the dialog changes nothing.
  prompts.openChoices.push_back(std::nullopt);
  runCommand(*window, commands::CommandId::OpenDocument);
  EXPECT_EQ(appState().documentPath, ui::narrow(second.wstring()));
}

TEST_F(OpenDocument, UnsavedChangesAreDealtWithAsClosingDoes) {
  struct Case {
    const char* name;
    std::vector<MessageAnswer> answers;  // 是否保存, then 退出？
    bool opened;
    std::string firstFileAfter;  // the current document's file afterwards ("" = as before)
  } cases[] = {
      {"save, then open", {MessageAnswer::Yes}, true, "saved"},
      {"don't save, then open", {MessageAnswer::No, MessageAnswer::Yes}, true, ""},
      {"cancel: stay", {MessageAnswer::No, MessageAnswer::No}, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::writeFileBytes(first, kFirstText);
    window.reset();
    resetState();
    open(first.wstring());
    type(L"新");
    prompts.answers.assign(c.answers.begin(), c.answers.end());
    openThroughDialog(second);
    ASSERT_GE(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, L"内容已被编辑是否保存？");
    EXPECT_EQ(prompts.messages[0].caption, L"是否保存");
    if (c.answers.size() > 1) EXPECT_EQ(prompts.messages[1].text, L"您是需要直接退出编辑不保存文件吗？");
    prompts.messages.clear();

    const std::string onDisk = test::readFileBytes(first);
    if (c.firstFileAfter == "saved") {
      EXPECT_EQ(onDisk.rfind("{\\rtf", 0), 0u) << "saved as RTF before the other opened";
    } else {
      EXPECT_EQ(onDisk, kFirstText);
    }
    EXPECT_EQ(plainText(), c.opened ? kSecondText : kFirstText + "\xD0\xC2");
    EXPECT_EQ(appState().documentPath, ui::narrow((c.opened ? second : first).wstring()));
    EXPECT_EQ(appState().isModified, c.opened ? 0 : 1);
  }
}

TEST_F(OpenDocument, AnUnnamedDocumentWhoseSaveIsCancelledStays) {
  open();
  type(L"草稿");
  prompts.answers.push_back(MessageAnswer::Yes);
  prompts.saveChoices.push_back(std::nullopt);
  openThroughDialog(second);
  EXPECT_EQ(plainText(), "\xB2\xDD\xB8\xE5");
  EXPECT_TRUE(appState().documentPath.empty());
  EXPECT_EQ(appState().isModified, 1);
}

TEST_F(OpenDocument, AFileThatCannotBeReadLeavesTheCurrentDocument) {
  open(first.wstring());
  const std::wstring captionBefore = window->caption();
  const auto locked = dir / L"锁定.qnv";
  test::writeFileBytes(locked, "locked");
  HANDLE lock = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  prompts.answers.push_back(MessageAnswer::Ok);
  openThroughDialog(locked);
  CloseHandle(lock);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text.rfind(L"无法打开文件，当前文档未改变。\r\n" + locked.wstring(), 0), 0u)
      << ui::narrow(prompts.messages[0].text);
  EXPECT_EQ(plainText(), kFirstText);
  EXPECT_EQ(appState().documentPath, ui::narrow(first.wstring()));
  EXPECT_FALSE(appState().documentPathDetached);
  EXPECT_EQ(window->caption(), captionBefore);
  EXPECT_EQ(recentFiles(), std::vector<std::string>{ui::narrow(first.wstring())}) << "only what opened";
}

TEST_F(OpenDocument, ADocumentThatIsNotShownLeavesTheCurrentOne) {
  const std::string hostile = "{\\rtf1 " + std::string(40, '{') + "x" + std::string(40, '}') + "}";
  struct Case {
    const char* name;
    const wchar_t* file;
    std::string bytes;
    MessageAnswer answer;
    std::wstring message;
  } cases[] = {
      {"RTF the control cannot survive", L"恶意.rtf", hostile, MessageAnswer::Ok,
       L"此文件的 RTF 结构超出了编辑控件能安全读取的范围（分组嵌套超过 30 层）"},
      {"too large for the machine", L"巨大.txt", std::string(1 << 20, 'x') + "\r\n", MessageAnswer::Ok,
       L"文件过大，无法打开。"},
      {"large, and the user says no", L"大.txt", std::string(200 << 10, 'x') + "\r\n", MessageAnswer::No,
       L"打开此文件需要较多的内存或时间"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    prompts.messages.clear();
    open(first.wstring());
    appState().physicalMemory = [] { return app::PhysicalMemory{100 << 20, 40 << 20}; };
    const std::wstring captionBefore = window->caption();
    const auto path = dir / c.file;
    test::writeFileBytes(path, c.bytes);
    prompts.answers.push_back(c.answer);
    openThroughDialog(path);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text.rfind(c.message, 0), 0u) << ui::narrow(prompts.messages[0].text);
    if (c.answer == MessageAnswer::Ok) EXPECT_NE(prompts.messages[0].text.find(L"当前文档未改变。"), std::wstring::npos);
    EXPECT_EQ(plainText(), kFirstText);
    EXPECT_EQ(appState().documentPath, ui::narrow(first.wstring()));
    EXPECT_FALSE(appState().documentPathDetached);
    EXPECT_EQ(window->caption(), captionBefore);
    EXPECT_EQ(test::readFileBytes(path), c.bytes);
    window.reset();
  }
}

TEST_F(OpenDocument, ProtectedFilesOpenThroughTheUnlockWindow) {
  const auto locked = dir / L"秘密.qnv";
  std::filesystem::copy_file(test::dataDir() / L"protected" / L"chinese-password.qnv", locked);
  open(first.wstring());

  // Given up: the current document stays, with its path and name.
  auto ran = test::whenWindowShows(kUnlockCaption, [](HWND unlock) { PostMessageW(unlock, WM_CLOSE, 0, 0); });
  openThroughDialog(locked);
  EXPECT_TRUE(*ran);
  EXPECT_EQ(plainText(), kFirstText);
  EXPECT_EQ(appState().documentPath, ui::narrow(first.wstring()));
  EXPECT_FALSE(appState().documentPathDetached);
  EXPECT_EQ(window->caption(), L"第一.txt" + kTitle + L"4");

  // Unlocked: the document is the protected one; the list holds its path, never its text.
  ran = test::whenWindowShows(kUnlockCaption, [](HWND unlock) {
    test::typePassword(unlock, L"密码");
    test::clickAction(unlock);
  });
  openThroughDialog(locked);
  EXPECT_TRUE(*ran);
  EXPECT_EQ(appState().documentPath, ui::narrow(locked.wstring()));
  EXPECT_FALSE(appState().keptProtection.empty());
  EXPECT_EQ(window->caption(), kTitle) << "a protected document shows no name";
  EXPECT_EQ(recentFiles().front(), ui::narrow(locked.wstring()));
  EXPECT_EQ(settingsText().find("\xC4\xE3\xBA\xC3"), std::string::npos) << "no word of the document in the settings";
}

TEST_F(OpenDocument, RecentFilesAreKeptInTheirOwnSectionMostRecentFirst) {
  open(first.wstring());
  EXPECT_EQ(recentFiles(), std::vector<std::string>{ui::narrow(first.wstring())}) << "opened at start-up";
  openThroughDialog(second);
  // A save under another name is remembered too.
  const auto copy = dir / L"副本.txt";
  prompts.saveChoices.push_back(copy.wstring());
  appState().documentPathDetached = true;
  runCommand(*window, commands::CommandId::SaveDocument);
  const std::vector<std::string> expected = {ui::narrow(copy.wstring()), ui::narrow(second.wstring()),
                                             ui::narrow(first.wstring())};
  EXPECT_EQ(recentFiles(), expected);
  // GBK section name 最近文件 and keys 1 to 3, beside the designed section.
  const std::string ini = settingsText();
  EXPECT_NE(ini.find("[\xD7\xEE\xBD\xFC\xCE\xC4\xBC\xFE]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("1=" + ui::toAnsi(copy.wstring())), std::string::npos) << ini;
  EXPECT_NE(ini.find("3=" + ui::toAnsi(first.wstring())), std::string::npos) << ini;

  // The same file in other letters goes on top instead of twice.
  std::wstring upper = first.wstring();
  for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
  rememberRecentFile(upper);
  EXPECT_EQ(recentFiles().size(), 3u);
  EXPECT_TRUE(samePath(recentFiles().front(), ui::narrow(first.wstring())));
}

TEST_F(OpenDocument, TheSubmenuListsTheFilesAndOpensTheChosenOne) {
  open(first.wstring());
  rememberRecentFile(second.wstring());
  const auto gone = dir / L"已删除 & 旧.qnv";
  rememberRecentFile(gone.wstring());

  std::vector<std::wstring> rows;
  std::vector<UINT> ids;
  {
    test::Soon inspect([&] {
      HMENU menu = reinterpret_cast<HMENU>(SendMessageW(FindWindowW(L"#32768", nullptr), MN_GETHMENU, 0, 0));
      if (!menu) return false;
      HMENU recent = GetSubMenu(menu, 20);
      for (int i = 0; recent && i < GetMenuItemCount(recent); ++i) {
        wchar_t caption[512] = {};
        GetMenuStringW(recent, static_cast<UINT>(i), caption, 511, MF_BYPOSITION);
        rows.push_back(caption);
        ids.push_back(GetMenuItemID(recent, i));
      }
      EndMenu();
      return true;
    });
    SendMessageW(window->editorBox().hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, 0);
  }
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], L"1  " + dir.path().wstring() + L"\\已删除 && 旧.qnv") << "an ampersand shows as itself";
  EXPECT_EQ(rows[1], L"2  " + second.wstring());
  EXPECT_EQ(rows[2], L"3  " + first.wstring());

  // A file that is gone: a message, and off the list.
  prompts.answers.push_back(MessageAnswer::Ok);
  SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(ids[0], 0), 0);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, L"找不到文件，已从“最近打开”中移除。\r\n" + gone.wstring());
  EXPECT_EQ(recentFiles().size(), 2u);
  EXPECT_EQ(appState().documentPath, ui::narrow(first.wstring()));

  // One that is there opens.
  SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(ids[1], 0), 0);
  EXPECT_EQ(appState().documentPath, ui::narrow(second.wstring()));
  EXPECT_EQ(plainText(), kSecondText);
}

TEST_F(OpenDocument, AnEmptyListShowsAGreyRow) {
  open();
  UINT state = 0;
  std::wstring caption;
  {
    test::Soon inspect([&] {
      HMENU menu = reinterpret_cast<HMENU>(SendMessageW(FindWindowW(L"#32768", nullptr), MN_GETHMENU, 0, 0));
      if (!menu) return false;
      HMENU recent = GetSubMenu(menu, 20);
      wchar_t text[64] = {};
      GetMenuStringW(recent, 0, text, 63, MF_BYPOSITION);
      caption = text;
      state = GetMenuState(recent, 0, MF_BYPOSITION);
      EndMenu();
      return true;
    });
    SendMessageW(window->editorBox().hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, 0);
  }
  EXPECT_EQ(caption, L"（无）");
  EXPECT_TRUE(state & MF_GRAYED);
}

TEST_F(OpenDocument, ANewWindowThatCannotStartIsReported) {
  open();
  prompts.answers.push_back(MessageAnswer::Ok);
  EXPECT_FALSE(startNewWindow((dir / L"没有这个程序.exe").wstring()));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text.rfind(L"无法打开新窗口。\r\n", 0), 0u);
}

}  // namespace
}  // namespace qnv::app
