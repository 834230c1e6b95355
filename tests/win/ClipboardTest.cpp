// Cut, copy, paste and undo through the editor box, and select all as synthesised keys.
#include <gtest/gtest.h>

#include <richedit.h>

#include <memory>
#include <string>
#include <vector>

#include "commands/win/Clipboard.h"
#include "support/EditorFixture.h"
#include "support/WinTestSupport.h"

namespace qnv::commands {
namespace {

struct SentKey {
  unsigned char key;
  unsigned char scanCode;
  unsigned long flags;
  std::uintptr_t extraInfo;
  bool operator==(const SentKey&) const = default;
};

std::vector<SentKey>& recorded() {
  static std::vector<SentKey> events;
  return events;
}

void record(unsigned char key, unsigned char scanCode, unsigned long flags, std::uintptr_t extraInfo) {
  recorded().push_back({key, scanCode, flags, extraInfo});
}

// Collects the key events sent through `record` while it lives.
class RecordedKeys {
 public:
  RecordedKeys() { recorded().clear(); }
  const std::vector<SentKey>& events() const { return recorded(); }
};

SentKey down(unsigned char key) { return {key, 0, 0, 0}; }
SentKey up(unsigned char key) { return {key, 0, KEYEVENTF_KEYUP, 0}; }

std::string describe(const std::vector<SentKey>& events) {
  std::string out;
  for (const SentKey& e : events) {
    out += std::to_string(e.key) + (e.flags & KEYEVENTF_KEYUP ? " up" : " down") + "; ";
  }
  return out;
}

std::wstring clipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

TEST(Clipboard, PressKeyCombinationPressesInOrderAndReleasesInTheSameOrder) {
  struct Case {
    const char* name;
    unsigned char key, modifier, second, third;
    std::vector<SentKey> expected;
  } cases[] = {
      {"Ctrl+A", 'A', VK_CONTROL, 0, 0, {down(VK_CONTROL), down('A'), up(VK_CONTROL), up('A')}},
      {"Ctrl+Shift+K", 'K', VK_CONTROL, VK_SHIFT, 0,
       {down(VK_SHIFT), down(VK_CONTROL), down('K'), up(VK_SHIFT), up(VK_CONTROL), up('K')}},
      {"all four", 'K', VK_CONTROL, VK_SHIFT, VK_MENU,
       {down(VK_MENU), down(VK_SHIFT), down(VK_CONTROL), down('K'), up(VK_MENU), up(VK_SHIFT), up(VK_CONTROL),
        up('K')}},
      {"third without second", 'X', VK_CONTROL, 0, VK_MENU,
       {down(VK_MENU), down(VK_CONTROL), down('X'), up(VK_MENU), up(VK_CONTROL), up('X')}},
  };
  for (const Case& c : cases) {
    RecordedKeys keys;
    pressKeyCombination(c.key, c.modifier, c.second, c.third, record);
    EXPECT_EQ(keys.events(), c.expected) << c.name << ": " << describe(keys.events());
  }
}

class ClipboardTest : public test::EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    open({}, true);
  }

  HWND box() { return window->editorBox().hwnd(); }
  void setText(const std::wstring& text) {
    SendMessageW(box(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(box(), EM_EMPTYUNDOBUFFER, 0, 0);
    test::pumpMessages();
    app::appState().isModified = 0;
  }
  std::wstring text() {
    std::wstring buffer(static_cast<size_t>(window->editorBox().textLength()) + 1, L'\0');
    buffer.resize(static_cast<size_t>(
        GetWindowTextW(box(), buffer.data(), static_cast<int>(buffer.size()))));
    return buffer;
  }
  void select(int from, int to) { SendMessageW(box(), EM_SETSEL, from, to); }
  CHARRANGE selection() {
    CHARRANGE r{};
    SendMessageW(box(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r;
  }

  const ui::EditorBox& editorBox() const { return window->editorBox(); }
};

TEST_F(ClipboardTest, SelectAllTypesCtrlA) {
  RecordedKeys keys;
  selectAll(record);
  EXPECT_EQ(keys.events(), (std::vector<SentKey>{down(VK_CONTROL), down('A'), up(VK_CONTROL), up('A')}))
      << describe(keys.events());
}

TEST_F(ClipboardTest, SelectAllSelectsTheWholeDocumentThroughTheFocusedBox) {
  setText(L"第一行\r第二行 end");
  const std::wstring before = text();
  select(2, 2);
  ASSERT_EQ(GetFocus(), box());
  selectAll();
  EXPECT_TRUE(test::pumpUntil([&] {
    const CHARRANGE r = selection();
    return r.cpMin == 0 && r.cpMax >= window->editorBox().textLength();
  })) << "selection " << selection().cpMin << ".." << selection().cpMax;
  EXPECT_EQ(GetKeyState(VK_CONTROL) & 0x8000, 0) << "Ctrl is released afterwards";
  EXPECT_EQ(text(), before) << "nothing typed";
}

TEST_F(ClipboardTest, CutCopyPasteAndUndoGoThroughTheBox) {
  setText(L"你好 world");

  select(3, 8);
  copySelection(editorBox());
  EXPECT_EQ(clipboardText(), L"world");
  EXPECT_EQ(text(), L"你好 world");
  EXPECT_EQ(app::appState().isModified, 0) << "copying changes nothing";

  select(0, 2);
  cutSelection(editorBox());
  test::pumpMessages();
  EXPECT_EQ(clipboardText(), L"你好");
  EXPECT_EQ(text(), L" world");
  EXPECT_EQ(app::appState().isModified, 1) << "a cut is a content change";
  EXPECT_EQ(window->caption().substr(window->caption().size() - 1), L"6") << "the caption shows the new length";

  select(6, 6);
  pasteClipboard(editorBox());
  EXPECT_EQ(text(), L" world你好");

  undoEdit(editorBox());
  EXPECT_EQ(text(), L" world");
  undoEdit(editorBox());
  EXPECT_EQ(text(), L"你好 world");
}

TEST_F(ClipboardTest, NothingToActOnChangesNoText) {
  setText(L"abc");
  select(1, 1);
  cutSelection(editorBox());
  copySelection(editorBox());
  EXPECT_EQ(text(), L"abc");

  ASSERT_TRUE(OpenClipboard(window->hwnd()));
  EmptyClipboard();
  CloseClipboard();
  pasteClipboard(editorBox());
  undoEdit(editorBox());  // nothing to undo
  EXPECT_EQ(text(), L"abc");
}

}  // namespace
}  // namespace qnv::commands
