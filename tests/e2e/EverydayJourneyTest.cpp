// Journeys beyond the design, as a new user makes them: opening another document through
// the real open dialog while the current one has unsaved changes, finding the next and the
// previous match, the recent-files list across a restart, and a second editor window.
#include <gtest/gtest.h>

#include "e2e/Driver.h"

namespace qnv::e2e {
namespace {

const std::wstring kTitle = L"\u3000\u3000qvn-编辑器\u3000\u3000当前长度为:";

// The editor box's selection, read as another process can: EM_GETSEL's packed result.
std::pair<int, int> selectionOf(HWND editor) {
  const DWORD packed = static_cast<DWORD>(SendMessageW(GetDlgItem(editor, 100), EM_GETSEL, 0, 0));
  return {LOWORD(packed), HIWORD(packed)};
}

TEST(EverydayJourney, OpenThroughTheDialogWithUnsavedChanges) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::wstring, int>> answers;  // message box caption, button
    bool opens;
    bool savesFirst;
  } cases[] = {
      {"save", {{L"是否保存", IDYES}}, true, true},
      {"don't save", {{L"是否保存", IDNO}, {L"退出？", IDYES}}, true, false},
      {"cancel", {{L"是否保存", IDNO}, {L"退出？", IDNO}}, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Session s;
    const auto current = s.folder() / L"当前.txt";
    const auto other = s.folder() / L"另一个.qnv";
    test::writeFileBytes(current, "abc");
    test::writeFileBytes(other, ansi(L"另一个文档"));
    s.start(L"\"" + current.wstring() + L"\"");
    HWND editor = s.editorWindow();
    ASSERT_TRUE(editor);
    ASSERT_TRUE(waitFor([&] { return windowText(editor) == L"当前.txt" + kTitle + L"3"; }));
    s.focus(editor);
    s.typeText(L"新");
    ASSERT_TRUE(waitFor([&] { return windowText(editor) == L"当前.txt" + kTitle + L"4"; }));

    s.pressChord({VK_CONTROL, 'O'});
    HWND dialog = s.waitForCaption(L"打开");
    ASSERT_TRUE(dialog) << "the system's open dialog";
    s.chooseFileInSaveDialog(dialog, other.wstring());
    for (const auto& [caption, button] : c.answers) {
      HWND box = s.waitForMessageBox(caption);
      ASSERT_TRUE(box) << ansi(caption);
      s.clickButton(box, button);
    }
    if (c.opens) {
      EXPECT_TRUE(waitFor([&] { return windowText(editor) == L"另一个.qnv" + kTitle + L"5"; }));
    } else {
      EXPECT_TRUE(waitFor([&] { return !IsWindow(dialog) && s.windows().size() == 1; }));
      EXPECT_EQ(windowText(editor), L"当前.txt" + kTitle + L"4");
    }
    const std::string onDisk = test::readFileBytes(current);
    if (c.savesFirst) {
      EXPECT_EQ(onDisk.rfind("{\\rtf", 0), 0u) << "saved before the other opened";
      EXPECT_NE(onDisk.find("\\'d0\\'c2"), std::string::npos) << onDisk;
    } else {
      EXPECT_EQ(onDisk, "abc");
    }
  }
}

TEST(EverydayJourney, FindNextAndPreviousWithTheWrapAround) {
  Session s;
  const auto doc = s.folder() / L"水果.txt";
  test::writeFileBytes(doc, ansi(L"苹果 香蕉 苹果 橘子 苹果"));
  s.start(L"\"" + doc.wstring() + L"\"");
  HWND editor = s.editorWindow();
  ASSERT_TRUE(editor);
  s.focus(editor);

  s.pressChord({VK_CONTROL, VK_F3});
  HWND find = s.waitForCaption(L"查找");
  ASSERT_TRUE(find) << "Ctrl+F3 opens the find window";
  SendMessageW(GetDlgItem(find, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"苹果"));
  s.clickButton(find, IDOK);
  EXPECT_TRUE(waitFor([&] { return selectionOf(editor) == std::pair{0, 2}; }));
  s.clickButton(find, IDOK);
  EXPECT_TRUE(waitFor([&] { return selectionOf(editor) == std::pair{6, 8}; }));
  s.clickButton(find, IDCANCEL);
  ASSERT_TRUE(waitFor([&] { return !IsWindow(find); }));

  // F3 and Shift+F3 in the editor go on with the same search.
  s.focus(editor);
  s.pressChord({VK_F3});
  EXPECT_TRUE(waitFor([&] { return selectionOf(editor) == std::pair{12, 14}; }));
  s.pressChord({VK_F3});
  HWND wrapped = s.waitForMessageBox(L"信息：");
  ASSERT_TRUE(wrapped);
  EXPECT_EQ(messageBoxText(wrapped), L"已到达文档末尾，从头继续查找。");
  s.clickButton(wrapped, IDOK);
  EXPECT_TRUE(waitFor([&] { return selectionOf(editor) == std::pair{0, 2}; }));
  s.focus(editor);
  s.pressChord({VK_SHIFT, VK_F3});
  wrapped = s.waitForMessageBox(L"信息：");
  ASSERT_TRUE(wrapped);
  EXPECT_EQ(messageBoxText(wrapped), L"已到达文档开头，从末尾继续查找。");
  s.clickButton(wrapped, IDOK);
  EXPECT_TRUE(waitFor([&] { return selectionOf(editor) == std::pair{12, 14}; }));
  s.focus(editor);
  s.pressChord({VK_SHIFT, VK_F3});
  EXPECT_TRUE(waitFor([&] { return selectionOf(editor) == std::pair{6, 8}; }));

  s.requestClose();
  EXPECT_EQ(s.waitForExit(), 0u) << "finding changed nothing";
}

TEST(EverydayJourney, RecentFilesAcrossARestart) {
  Session s;
  const auto doc = s.folder() / L"周报.qnv";
  test::writeFileBytes(doc, "{\\rtf1 weekly}");
  s.start(L"\"" + doc.wstring() + L"\"");
  HWND editor = s.editorWindow();
  ASSERT_TRUE(editor);
  ASSERT_TRUE(waitFor([&] { return windowText(editor) == L"周报.qnv" + kTitle + L"6"; }));
  s.requestClose();
  ASSERT_EQ(s.waitForExit(), 0u);
  const std::string ini = test::readFileBytes(s.settingsFile());
  EXPECT_NE(ini.find(ansi(L"[最近文件]")), std::string::npos) << ini;
  EXPECT_NE(ini.find("1=" + ansi(doc.wstring())), std::string::npos) << ini;

  // Started again with no document: 最近打开 is the fifth row from the bottom.
  s.start();
  editor = s.editorWindow();
  ASSERT_TRUE(editor);
  s.focus(editor);
  click(centreOf(GetDlgItem(editor, 100)), true);
  ASSERT_TRUE(waitForClass(s, L"#32768"));
  for (int i = 0; i < 5; ++i) s.pressChord({VK_UP});
  s.pressChord({VK_RIGHT});
  s.pressChord({VK_RETURN});
  EXPECT_TRUE(waitFor([&] { return windowText(editor) == L"周报.qnv" + kTitle + L"6"; })) << "reopened from the list";
  s.requestClose();
  EXPECT_EQ(s.waitForExit(), 0u);
}

TEST(EverydayJourney, CtrlNStartsASecondEditor) {
  Session s;
  s.start();
  HWND editor = s.editorWindow();
  ASSERT_TRUE(editor);
  s.focus(editor);
  s.pressChord({VK_CONTROL, 'N'});
  // Another process's editor window, with the designed caption of an empty document.
  struct Search {
    DWORD ownPid;
    HWND found = nullptr;
  } search{s.processId()};
  EXPECT_TRUE(waitFor([&] {
    EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
          auto* search = reinterpret_cast<Search*>(lParam);
          DWORD pid = 0;
          GetWindowThreadProcessId(hwnd, &pid);
          if (pid != search->ownPid && IsWindowVisible(hwnd) && className(hwnd) == L"qnvWindow" &&
              windowText(hwnd) == L"\u3000\u3000qvn-编辑器") {
            search->found = hwnd;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  })) << "a second editor";
  if (search.found) {
    DWORD pid = 0;
    GetWindowThreadProcessId(search.found, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (process) {
      EXPECT_EQ(WaitForSingleObject(process, 15000), WAIT_OBJECT_0) << "the second editor closes on its own";
      CloseHandle(process);
    }
  }
  s.requestClose();
  EXPECT_EQ(s.waitForExit(), 0u);
}

}  // namespace
}  // namespace qnv::e2e
