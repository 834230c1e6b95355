// Cut, copy, paste and undo through the editor box, and select all as synthesised keys.
#include <gtest/gtest.h>

#include <richedit.h>

#include <memory>
#include <string>
#include <vector>

#include "app/win/AppState.h"
#include "app/win/EditorWindow.h"
#include "app/win/SettingsFile.h"
#include "commands/win/Clipboard.h"
#include "support/ScriptedPrompts.h"
#include "support/WinTestSupport.h"

namespace qnv {
namespace {

struct KeyEvent {
  unsigned char key;
  unsigned char scanCode;
  unsigned long flags;
  std::uintptr_t extraInfo;
  bool operator==(const KeyEvent&) const = default;
};

std::vector<KeyEvent>& recorded() {
  static std::vector<KeyEvent> events;
  return events;
}

void record(unsigned char key, unsigned char scanCode, unsigned long flags, std::uintptr_t extraInfo) {
  recorded().push_back({key, scanCode, flags, extraInfo});
}

// Records the key events instead of sending them, for as long as it lives.
class RecordedKeys {
 public:
  RecordedKeys() : previous_(setKeyEventSender(record)) { recorded().clear(); }
  ~RecordedKeys() { setKeyEventSender(previous_); }
  RecordedKeys(const RecordedKeys&) = delete;
  RecordedKeys& operator=(const RecordedKeys&) = delete;
  const std::vector<KeyEvent>& events() const { return recorded(); }

 private:
  KeyEventSender previous_;
};

KeyEvent down(unsigned char key) { return {key, 0, 0, 0}; }
KeyEvent up(unsigned char key) { return {key, 0, KEYEVENTF_KEYUP, 0}; }

std::string describe(const std::vector<KeyEvent>& events) {
  std::string out;
  for (const KeyEvent& e : events) {
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
    std::vector<KeyEvent> expected;
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
    pressKeyCombination(c.key, c.modifier, c.second, c.third);
    EXPECT_EQ(keys.events(), c.expected) << c.name << ": " << describe(keys.events());
  }
}

class ClipboardTest : public testing::Test {
 protected:
  void SetUp() override {
    resetAppState();
    setSettingsPath((dir / L"配置.ini").wstring());
    window = std::make_unique<EditorWindow>();
    ASSERT_TRUE(window->open(SW_SHOW));
    SetForegroundWindow(window->hwnd());
    SetFocus(window->editorBox().hwnd());
    test::pumpMessages();
  }
  void TearDown() override {
    window.reset();
    test::pumpMessages();
    setSettingsPath({});
  }

  HWND box() { return window->editorBox().hwnd(); }
  void setText(const std::wstring& text) {
    SendMessageW(box(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(box(), EM_EMPTYUNDOBUFFER, 0, 0);
    test::pumpMessages();
    appState().isModified = 0;
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

  test::TempDir dir;
  test::ScriptedPrompts prompts;
  std::unique_ptr<EditorWindow> window;
};

TEST_F(ClipboardTest, SelectAllTypesCtrlA) {
  RecordedKeys keys;
  selectAll(*window);
  EXPECT_EQ(keys.events(), (std::vector<KeyEvent>{down(VK_CONTROL), down('A'), up(VK_CONTROL), up('A')}))
      << describe(keys.events());
}

TEST_F(ClipboardTest, SelectAllSelectsTheWholeDocumentThroughTheFocusedBox) {
  setText(L"第一行\r第二行 end");
  const std::wstring before = text();
  select(2, 2);
  ASSERT_EQ(GetFocus(), box());
  selectAll(*window);
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
  copySelection(*window);
  EXPECT_EQ(clipboardText(), L"world");
  EXPECT_EQ(text(), L"你好 world");
  EXPECT_EQ(appState().isModified, 0) << "copying changes nothing";

  select(0, 2);
  cutSelection(*window);
  test::pumpMessages();
  EXPECT_EQ(clipboardText(), L"你好");
  EXPECT_EQ(text(), L" world");
  EXPECT_EQ(appState().isModified, 1) << "a cut is a content change";
  EXPECT_EQ(window->caption().substr(window->caption().size() - 1), L"6") << "the caption shows the new length";

  select(6, 6);
  pasteClipboard(*window);
  EXPECT_EQ(text(), L" world你好");

  undoEdit(*window);
  EXPECT_EQ(text(), L" world");
  undoEdit(*window);
  EXPECT_EQ(text(), L"你好 world");
}

TEST_F(ClipboardTest, NothingToActOnChangesNoText) {
  setText(L"abc");
  select(1, 1);
  cutSelection(*window);
  copySelection(*window);
  EXPECT_EQ(text(), L"abc");

  ASSERT_TRUE(OpenClipboard(window->hwnd()));
  EmptyClipboard();
  CloseClipboard();
  pasteClipboard(*window);
  undoEdit(*window);  // nothing to undo
  EXPECT_EQ(text(), L"abc");
}

}  // namespace
}  // namespace qnv
