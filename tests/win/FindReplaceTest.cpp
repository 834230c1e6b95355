// Find and replace over the real editor box: the next and previous match with the messages
// of the wrap-around and of nothing found, replacing one and all (undoable), F3 and Shift+F3,
// and the system's modeless find window beside the editor.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>
#include <richedit.h>

#include "app/win/AppState.h"
#include "app/win/CommandBindings.h"
#include "app/win/EditorWindow.h"
#include "commands/CommandTable.h"
#include "support/EditorFixture.h"
#include "support/WinTestSupport.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

using commands::SearchDirection;
using commands::SearchQuery;
using ui::MessageAnswer;
using ui::TextRange;

const std::wstring kWrappedDown = L"已到达文档末尾，从头继续查找。";
const std::wstring kWrappedUp = L"已到达文档开头，从末尾继续查找。";

class FindReplaceTest : public test::EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    open({}, true);
  }
  void load(const std::wstring& text) {
    SetWindowTextW(window->editorBox().hwnd(), text.c_str());
    window->editorBox().select({0, 0});
    test::pumpMessages();
  }
  std::wstring text() {
    const std::u16string t = window->editorBox().text();
    return std::wstring(t.begin(), t.end());
  }
  TextRange selection() { return window->editorBox().selection(); }
  commands::FindReplace& find() { return window->findReplace(); }
  std::vector<std::wstring> messageTexts() {
    std::vector<std::wstring> out;
    for (const auto& m : prompts.messages) out.push_back(m.text);
    prompts.messages.clear();
    return out;
  }
};

TEST_F(FindReplaceTest, NextAndPreviousMatchesWithTheirMessages) {
  load(L"中文笔记 note Note NOTE 笔记");
  struct Step {
    const char* name;
    SearchQuery query;
    SearchDirection direction;
    TextRange selectedAfter;
    std::vector<std::wstring> messages;
  } steps[] = {
      {"first, case ignored", {u"note", false, false}, SearchDirection::Down, {5, 9}, {}},
      {"second", {u"note", false, false}, SearchDirection::Down, {10, 14}, {}},
      {"third", {u"note", false, false}, SearchDirection::Down, {15, 19}, {}},
      {"round to the start", {u"note", false, false}, SearchDirection::Down, {5, 9}, {kWrappedDown}},
      {"up, round to the end", {u"note", false, false}, SearchDirection::Up, {15, 19}, {kWrappedUp}},
      {"up", {u"note", false, false}, SearchDirection::Up, {10, 14}, {}},
      {"with case", {u"NOTE", true, false}, SearchDirection::Down, {15, 19}, {}},
      {"Chinese", {u"笔记", false, false}, SearchDirection::Down, {20, 22}, {}},
      {"Chinese, round", {u"笔记", false, false}, SearchDirection::Down, {2, 4}, {kWrappedDown}},
      {"not found: the selection stays", {u"没有", false, false}, SearchDirection::Down, {2, 4}, {L"找不到\"没有\""}},
      {"whole word", {u"not", false, true}, SearchDirection::Down, {2, 4}, {L"找不到\"not\""}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    for (size_t i = 0; i < s.messages.size(); ++i) prompts.answers.push_back(MessageAnswer::Ok);
    find().findNext(s.query, s.direction);
    EXPECT_EQ(selection(), s.selectedAfter);
    EXPECT_EQ(messageTexts(), s.messages);
  }
}

TEST_F(FindReplaceTest, F3AndShiftF3RepeatTheLastSearchAndOpenTheWindowBeforeAny) {
  load(L"ab ab ab");
  // Nothing searched yet: F3 opens the find window.
  runCommand(*window, commands::CommandId::FindNext);
  ASSERT_NE(find().dialog(), nullptr);
  EXPECT_TRUE(IsWindowVisible(find().dialog()));
  DestroyWindow(find().dialog());
  test::pumpMessages();

  find().findNext({u"ab", true, false}, SearchDirection::Down);
  EXPECT_EQ(selection(), (TextRange{0, 2}));
  runCommand(*window, commands::CommandId::FindNext);
  EXPECT_EQ(selection(), (TextRange{3, 5}));
  runCommand(*window, commands::CommandId::FindNext);
  EXPECT_EQ(selection(), (TextRange{6, 8}));
  runCommand(*window, commands::CommandId::FindPrevious);
  EXPECT_EQ(selection(), (TextRange{3, 5}));
}

TEST_F(FindReplaceTest, ReplaceOneThenTheNext) {
  load(L"cat cat dog cat");
  const SearchQuery cat{u"cat", false, true};
  // The selection is no match yet: the first replace only finds.
  find().replaceCurrent(cat, u"猫", SearchDirection::Down);
  EXPECT_EQ(text(), L"cat cat dog cat");
  EXPECT_EQ(selection(), (TextRange{0, 3}));
  find().replaceCurrent(cat, u"猫", SearchDirection::Down);
  EXPECT_EQ(text(), L"猫 cat dog cat");
  EXPECT_EQ(selection(), (TextRange{2, 5}));
  EXPECT_EQ(appState().isModified, 1);
}

TEST_F(FindReplaceTest, ReplaceAllSaysHowManyAndCanBeUndone) {
  std::wstring original;
  for (int i = 0; i < 150; ++i) original += L"Fox fox 狐狸\r";
  load(original);
  const std::wstring before = text();
  appState().isModified = 0;
  prompts.answers.push_back(MessageAnswer::Ok);
  EXPECT_EQ(find().replaceAll({u"fox", false, false}, u"狐"), 300u);
  EXPECT_EQ(messageTexts(), std::vector<std::wstring>{L"已替换 300 处。"});
  std::wstring expected;
  for (int i = 0; i < 150; ++i) expected += L"狐 狐 狐狸\r";
  EXPECT_EQ(text(), expected);
  EXPECT_EQ(appState().isModified, 1) << "one content change reported";
  EXPECT_NE(window->caption().find(L"当前长度为:"), std::wstring::npos);

  // Every replacement can be taken back, beyond the control's usual hundred steps.
  for (int i = 0; i < 400 && SendMessageW(window->editorBox().hwnd(), EM_CANUNDO, 0, 0); ++i) {
    SendMessageW(window->editorBox().hwnd(), EM_UNDO, 0, 0);
  }
  EXPECT_EQ(text(), before);

  prompts.answers.push_back(MessageAnswer::Ok);
  EXPECT_EQ(find().replaceAll({u"wolf", false, false}, u"x"), 0u);
  EXPECT_EQ(messageTexts(), std::vector<std::wstring>{L"找不到\"wolf\""});
}

TEST_F(FindReplaceTest, TheSystemFindWindowSearchesTheEditor) {
  load(L"一二三 一二三");
  window->editorBox().select({0, 3});
  runCommand(*window, commands::CommandId::OpenFindWindow);
  HWND dialog = find().dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsWindowVisible(dialog));
  // The selection is what it starts with.
  wchar_t what[64] = {};
  GetDlgItemTextW(dialog, edt1, what, 63);
  EXPECT_STREQ(what, L"一二三");
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), window->hwnd());

  // "查找下一个" finds the next one.
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  test::pumpMessages();
  EXPECT_EQ(selection(), (TextRange{4, 7}));

  // The replace window takes the find window's place.
  runCommand(*window, commands::CommandId::OpenReplaceWindow);
  EXPECT_FALSE(IsWindow(dialog));
  dialog = find().dialog();
  ASSERT_NE(dialog, nullptr);
  SetDlgItemTextW(dialog, edt1, L"二");
  SetDlgItemTextW(dialog, edt2, L"两");
  prompts.answers.push_back(MessageAnswer::Ok);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(psh2, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, psh2)));
  test::pumpMessages();
  EXPECT_EQ(text(), L"一两三 一两三");
  EXPECT_EQ(messageTexts(), std::vector<std::wstring>{L"已替换 2 处。"});

  // Closing the window: the editor forgets it.
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  test::pumpMessages();
  EXPECT_EQ(find().dialog(), nullptr);
}

}  // namespace
}  // namespace qnv::app
