// Formatting a document as a user does: the right-click menu by keyboard and by mouse, the
// shortcuts, the text-colour palette at the pointer, and the highlight colour chosen in the
// settings window a moment before; every result is read back from the saved RTF.
#include <gtest/gtest.h>

#include "e2e/Driver.h"

namespace qnv::e2e {
namespace {

const std::wstring kTitle = L"\u3000\u3000qvn-编辑器\u3000\u3000当前长度为:";

// Text as RTF writes it: each byte of the ANSI code page as \'xx.
std::string rtfText(const std::wstring& text) {
  std::string out;
  char hex[8];
  for (unsigned char c : ansi(text)) {
    snprintf(hex, sizeof hex, "\\'%02x", c);
    out += hex;
  }
  return out;
}

// The child of `parent` at a point of its client area.
HWND childAt(HWND parent, int x, int y) { return ChildWindowFromPointEx(parent, {x, y}, CWP_SKIPTRANSPARENT); }

class CommandsJourney : public testing::Test {
 protected:
  // Starts the program on `document` (which need not exist) and types `text`.
  HWND startTyping(Session& s, const std::filesystem::path& document, const std::wstring& text) {
    s.start(document.empty() ? L"" : L"\"" + document.wstring() + L"\"");
    HWND editor = s.editorWindow();
    EXPECT_TRUE(editor);
    s.focus(editor);
    s.typeText(text);
    EXPECT_TRUE(waitFor([&] {
      const std::wstring caption = windowText(editor);
      return caption.size() > kTitle.size() &&
             caption.substr(caption.size() - std::to_wstring(text.size()).size()) == std::to_wstring(text.size());
    })) << "typed";
    return editor;
  }

  // Right-clicks in the editor box, a little further right each time (two clicks at one
  // place would make a double click); returns the open menu.
  HWND openMenu(const Session& s, HWND editor, POINT* at = nullptr) {
    POINT p = centreOf(GetDlgItem(editor, 100));
    p.x += 20 * menusOpened_++;
    click(p, true);
    if (at) *at = p;
    return waitForClass(s, L"#32768");
  }

  std::string saveWithCtrlS(const Session& s, const std::filesystem::path& document, const std::string& expected) {
    s.pressChord({VK_CONTROL, 'S'});
    std::string rtf;
    waitFor([&] {
      rtf = test::readFileBytes(document);
      return rtf.find(expected) != std::string::npos;
    });
    return rtf;
  }

 private:
  int menusOpened_ = 0;
};

TEST_F(CommandsJourney, ContextMenuByKeyboardAndByMouse) {
  Session s;
  const auto doc = s.folder() / L"格式.qnv";
  HWND editor = startTyping(s, doc, L"加粗的文字");
  s.pressChord({VK_CONTROL, 'A'});

  // 加粗 is the second item: Down twice, then Enter.
  POINT at{};
  HWND menu = openMenu(s, editor, &at);
  ASSERT_TRUE(menu) << "the menu opens on the right button";
  RECT r;
  GetWindowRect(menu, &r);
  EXPECT_EQ(r.left, at.x + 3);
  EXPECT_EQ(r.top, at.y + 3);
  s.pressChord({VK_DOWN});
  s.pressChord({VK_DOWN});
  s.pressChord({VK_RETURN});
  ASSERT_TRUE(gone(s, L"#32768"));
  std::string rtf = saveWithCtrlS(s, doc, "{\\rtf");
  EXPECT_TRUE(waitFor([&] {
    rtf = test::readFileBytes(doc);
    return switchesOn(rtf, "b");
  })) << rtf;

  // 加亮 is the first item: clicked with the mouse. No highlight colour is set, so red.
  menu = openMenu(s, editor);
  ASSERT_TRUE(menu);
  GetWindowRect(menu, &r);
  click({r.left + 30, r.top + 10});
  ASSERT_TRUE(gone(s, L"#32768"));
  rtf = saveWithCtrlS(s, doc, "\\red255\\green0\\blue0");
  EXPECT_NE(rtf.find("\\red255\\green0\\blue0"), std::string::npos) << rtf;
  EXPECT_TRUE(switchesOn(rtf, "b")) << "still bold";
  EXPECT_NE(rtf.find(rtfText(L"加粗的文字")), std::string::npos) << rtf;

  s.requestClose();
  EXPECT_EQ(s.waitForExit(), 0u);
}

TEST_F(CommandsJourney, CtrlDUsesTheHighlightColourChosenInTheSettingsWindowAMomentBefore) {
  Session s;
  HWND editor = startTyping(s, {}, L"highlight me");

  // 设置 is the last designed item, the seventh from the bottom below the rows beyond the
  // design: Up from no selection reaches the bottom one first.
  ASSERT_TRUE(openMenu(s, editor));
  for (int i = 0; i < 7; ++i) s.pressChord({VK_UP});
  s.pressChord({VK_RETURN});
  HWND settings = s.waitForCaption(L"设置");
  ASSERT_TRUE(settings);

  // The highlight picker shows red (no settings file); one cell right is orange.
  HWND picker = childAt(settings, 440 + 24, 16 + 12);
  ASSERT_EQ(className(picker), L"qnvColourPicker");
  PostMessageW(picker, WM_LBUTTONUP, 0, 0);
  ASSERT_TRUE(waitForClass(s, L"qnvColourPalette"));
  s.pressChord({VK_RIGHT});
  s.pressChord({VK_RETURN});
  ASSERT_TRUE(gone(s, L"qnvColourPalette"));
  EXPECT_TRUE(waitFor([&] { return test::readFileBytes(s.settingsFile()).find(ansi(L"高亮色=39423")) != std::string::npos; }))
      << test::readFileBytes(s.settingsFile());
  PostMessageW(settings, WM_CLOSE, 0, 0);
  ASSERT_TRUE(waitFor([&] { return !IsWindow(settings); }));

  s.focus(editor);
  s.pressChord({VK_CONTROL, 'A'});
  s.pressChord({VK_CONTROL, 'D'});
  s.pressChord({VK_CONTROL, 'S'});
  HWND dialog = s.waitForCaption(L"保存为");
  ASSERT_TRUE(dialog);
  const auto target = s.folder() / L"高亮.qnv";
  s.chooseFileInSaveDialog(dialog, target.wstring());
  ASSERT_TRUE(waitFor([&] { return !test::readFileBytes(target).empty(); }));
  const std::string rtf = test::readFileBytes(target);
  EXPECT_NE(rtf.find("\\red255\\green153\\blue0"), std::string::npos) << rtf;
  s.requestClose();
  EXPECT_EQ(s.waitForExit(), 0u);
}

TEST_F(CommandsJourney, CtrlQOpensThePaletteAtThePointerAndTheChoiceColoursTheSelection) {
  Session s;
  const auto doc = s.folder() / L"颜色.qnv";
  HWND editor = startTyping(s, doc, L"blue text");
  s.pressChord({VK_CONTROL, 'A'});
  RECT box;
  GetWindowRect(GetDlgItem(editor, 100), &box);
  const POINT at{box.left + 60, box.top + 50};
  moveTo(at);
  s.pressChord({VK_CONTROL, 'Q'});
  HWND palette = waitForClass(s, L"qnvColourPalette");
  ASSERT_TRUE(palette);
  RECT r;
  GetWindowRect(palette, &r);
  EXPECT_EQ(r.left, at.x);
  EXPECT_EQ(r.top, at.y + 24) << "one swatch height below the pointer";

  // The cell in row 2, column 6 is pure blue; clicked with the mouse.
  POINT cell{5 + 5 * 22 + 9, 5 + 1 * 22 + 9};
  ClientToScreen(palette, &cell);
  click(cell);
  ASSERT_TRUE(gone(s, L"qnvColourPalette"));
  const std::string rtf = saveWithCtrlS(s, doc, "\\red0\\green0\\blue255");
  EXPECT_NE(rtf.find("\\red0\\green0\\blue255"), std::string::npos) << rtf;
  s.requestClose();
  EXPECT_EQ(s.waitForExit(), 0u);
}

TEST_F(CommandsJourney, AltConfinesThePointerUntilReleasedOrTheProgramEnds) {
  Session s;
  s.start();
  HWND editor = s.editorWindow();
  ASSERT_TRUE(editor);
  s.focus(editor);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const auto clip = [] {
    RECT r{};
    GetClipCursor(&r);
    return r;
  };
  const auto is = [&](RECT expected) {
    return waitFor([&] {
      const RECT r = clip();
      return EqualRect(&r, &expected) != FALSE;
    });
  };
  RECT outer;
  GetWindowRect(editor, &outer);
  const RECT band{outer.left + 9, 0, screenWidth - (outer.left + 9), screenHeight};
  const RECT whole{0, 0, screenWidth, screenHeight};
  // A held key repeats its key-down; Wine may refuse the first clip while the window is
  // still being mapped.
  const auto holdAlt = [&] {
    return waitFor([&] {
      key(VK_MENU, false);
      const RECT r = clip();
      return EqualRect(&r, &band) != FALSE;
    });
  };

  EXPECT_TRUE(holdAlt()) << "Alt held";
  key(VK_MENU, true);
  EXPECT_TRUE(is(whole)) << "Alt released";
  s.pressChord({VK_ESCAPE});  // Alt alone leaves the window in menu mode

  EXPECT_TRUE(holdAlt()) << "Alt held again";
  s.requestClose();
  EXPECT_EQ(s.waitForExit(), 0u);
  key(VK_MENU, true);
  const RECT after = clip();
  EXPECT_TRUE(EqualRect(&after, &whole)) << "free once the program has ended";
}

}  // namespace
}  // namespace qnv::e2e
