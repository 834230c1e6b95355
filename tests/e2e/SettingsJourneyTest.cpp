// The settings window as a user meets it: opened from the right-click menu, its pickers and
// the system font dialog write the settings file, the next start applies what was stored,
// and "关联文件" registers the document type for the user.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <optional>

#include "e2e/Driver.h"

namespace qnv::e2e {
namespace {

HWND childAt(HWND parent, int x, int y) { return ChildWindowFromPointEx(parent, {x, y}, CWP_SKIPTRANSPARENT); }

// Chooses a colour in a picker of the settings window with the keyboard: the palette opens
// on the current colour, `steps` moves the selection, Enter chooses.
void chooseWithKeys(const Session& s, HWND picker, std::initializer_list<WORD> steps) {
  PostMessageW(picker, WM_LBUTTONUP, 0, 0);
  ASSERT_TRUE(waitForClass(s, L"qnvColourPalette"));
  for (WORD k : steps) s.pressChord({k});
  s.pressChord({VK_RETURN});
  ASSERT_TRUE(gone(s, L"qnvColourPalette"));
}

std::optional<std::wstring> userClassText(const std::wstring& subKey) {
  wchar_t data[1024] = {};
  DWORD bytes = sizeof data;
  const std::wstring key = L"Software\\Classes\\" + subKey;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data, &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(data);
}

void removeAssociation() {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\qnv");
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\.qnv");
}

TEST(SettingsJourney, TheWindowWritesItsKeysAndTheNextStartAppliesThem) {
  Session s;
  s.start();
  HWND editor = s.editorWindow();
  ASSERT_TRUE(editor);
  s.focus(editor);
  HWND settings = openSettingsFromMenu(s, editor);
  ASSERT_TRUE(settings);
  RECT outer;
  GetWindowRect(settings, &outer);
  EXPECT_EQ(outer.left, 50);
  EXPECT_EQ(outer.top, 50);
  EXPECT_EQ(outer.right - outer.left, 620);
  EXPECT_EQ(outer.bottom - outer.top, 84 + 24) << "the designed height and a row for 强加密";
  EXPECT_FALSE(IsWindowEnabled(editor)) << "modal";

  // Text colour: white is shown; one cell left is a light violet (0xFF99CC as 0x00BBGGRR).
  chooseWithKeys(s, childAt(settings, 96 + 24, 16 + 12), {VK_LEFT});
  // Background: black is shown; one cell right is brown (0x003399).
  chooseWithKeys(s, childAt(settings, 296 + 24, 16 + 12), {VK_RIGHT});
  EXPECT_TRUE(waitFor([&] {
    const std::string ini = test::readFileBytes(s.settingsFile());
    return ini.find(ansi(L"字体色=16751052")) != std::string::npos && ini.find(ansi(L"背景色=13209")) != std::string::npos;
  })) << test::readFileBytes(s.settingsFile());

  // "更改": the system font dialog; a face, bold italic and 16 points, then OK.
  HWND change = FindWindowExW(settings, nullptr, L"Button", L"更改");
  ASSERT_TRUE(change);
  PostMessageW(change, BM_CLICK, 0, 0);
  HWND dialog = nullptr;
  ASSERT_TRUE(waitFor([&] {
    for (HWND hwnd : s.windows()) {
      if (className(hwnd) == L"#32770" && GetDlgItem(hwnd, cmb1) && GetDlgItem(hwnd, cmb3)) dialog = hwnd;
    }
    return dialog != nullptr;
  })) << "the font dialog opens";
  const auto select = [&](int combo, const wchar_t* text) {
    HWND box = GetDlgItem(dialog, combo);
    const LRESULT index = SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    if (index == CB_ERR) return false;
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    return true;
  };
  ASSERT_TRUE(select(cmb1, L"Tahoma")) << "Wine's own Tahoma is listed";
  HWND styles = GetDlgItem(dialog, cmb2);
  ASSERT_GE(SendMessageW(styles, CB_GETCOUNT, 0, 0), 4);
  SendMessageW(styles, CB_SETCURSEL, 3, 0);  // regular, italic, bold, bold italic
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb2, CBN_SELCHANGE), reinterpret_cast<LPARAM>(styles));
  ASSERT_TRUE(select(cmb3, L"16"));
  s.clickButton(dialog, IDOK);
  const std::string expectedFont =
      ansi(L"加粗=真\r\n倾斜=真\r\n下划线=假\r\n删除线=假\r\n字体大小=16\r\n字体名称=Tahoma\r\n");
  EXPECT_TRUE(waitFor([&] { return test::readFileBytes(s.settingsFile()).find(expectedFont) != std::string::npos; }))
      << test::readFileBytes(s.settingsFile());

  PostMessageW(settings, WM_CLOSE, 0, 0);
  ASSERT_TRUE(waitFor([&] { return !IsWindow(settings); }));
  s.requestClose();
  ASSERT_EQ(s.waitForExit(), 0u);

  // The next start: typed text takes the stored font and colour; the box the background.
  const auto doc = s.folder() / L"重启.qnv";
  s.start(L"\"" + doc.wstring() + L"\"");
  editor = s.editorWindow();
  ASSERT_TRUE(editor);
  s.focus(editor);
  s.typeText(L"restart");
  s.pressChord({VK_CONTROL, 'S'});
  std::string rtf;
  ASSERT_TRUE(waitFor([&] {
    rtf = test::readFileBytes(doc);
    return rtf.find("restart") != std::string::npos;
  }));
  EXPECT_NE(rtf.find("Tahoma"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\fs32"), std::string::npos) << rtf;
  EXPECT_TRUE(switchesOn(rtf, "b") && switchesOn(rtf, "i")) << "italic is read back too: " << rtf;
  EXPECT_NE(rtf.find("\\red204\\green153\\blue255"), std::string::npos) << rtf;

  RECT box;
  GetWindowRect(GetDlgItem(editor, 100), &box);
  HDC screen = GetDC(nullptr);
  const COLORREF background = GetPixel(screen, box.right - 40, box.bottom - 20);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(background, RGB(0x99, 0x33, 0x00)) << std::hex << background;

  s.requestClose();
  EXPECT_EQ(s.waitForExit(), 0u);
}

TEST(SettingsJourney, AssociateFilesRegistersTheDocumentTypeForTheUser) {
  removeAssociation();
  Session s;
  s.start();
  HWND editor = s.editorWindow();
  ASSERT_TRUE(editor);
  s.focus(editor);
  HWND settings = openSettingsFromMenu(s, editor);
  ASSERT_TRUE(settings);
  HWND associate = FindWindowExW(settings, nullptr, L"Button", L"关联文件");
  ASSERT_TRUE(associate);
  PostMessageW(associate, BM_CLICK, 0, 0);
  ASSERT_TRUE(waitFor([&] { return userClassText(L".qnv").has_value(); })) << "the extension key is written last";

  const std::wstring exe = (s.folder() / L"qnv.exe").wstring();
  EXPECT_EQ(userClassText(L"qnv"), L"qnv");
  EXPECT_EQ(userClassText(L"qnv\\Shell\\Open\\Command"), L"\"" + exe + L"\" \"%1\"");
  EXPECT_EQ(userClassText(L"qnv\\DefaultIcon"), exe + L",0");
  EXPECT_EQ(userClassText(L".qnv"), L"qnv");
  DWORD flags = 0, bytes = sizeof flags, type = 0;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Classes\\qnv", L"EditFlags", RRF_RT_ANY, &type, &flags,
                         &bytes),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(flags, 2u);
  for (HWND hwnd : s.windows()) {
    EXPECT_NE(messageBoxText(hwnd), L"文件关联失败。") << "no failure was reported";
  }

  PostMessageW(settings, WM_CLOSE, 0, 0);
  ASSERT_TRUE(waitFor([&] { return !IsWindow(settings); }));
  s.requestClose();
  EXPECT_EQ(s.waitForExit(), 0u);
  removeAssociation();
}

}  // namespace
}  // namespace qnv::e2e
