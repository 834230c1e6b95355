#include <gtest/gtest.h>

#include <string>

#include "commands/CommandTable.h"

namespace qnv::commands {
namespace {

TEST(CommandTable, KeyDownDispatch) {
  struct Case {
    int key;
    int modifiers;
    std::optional<CommandId> command;
    bool confine;
  } cases[] = {
      {'S', kCtrl, CommandId::SaveDocument, false},
      {'S', kCtrl | kShift, std::nullopt, false},
      {'S', 0, std::nullopt, false},
      {'D', kCtrl, CommandId::ApplyHighlight, false},
      {'D', kCtrl | kAlt, std::nullopt, false},  // AltGr arrives as Ctrl+Alt
      {'F', kCtrl, CommandId::ToggleBold, false},
      {'G', kCtrl, CommandId::ToggleUnderline, false},
      {'H', kCtrl, CommandId::ApplyStrikeThrough, false},
      {'Q', kCtrl, CommandId::PickTextColour, false},
      {'W', kCtrl, CommandId::ChooseFont, false},
      {'1', kCtrl, CommandId::AlignLeft, false},
      {'2', kCtrl, CommandId::AlignCentre, false},
      {'3', kCtrl, CommandId::AlignRight, false},
      {'4', kCtrl, std::nullopt, false},
      {'A', kCtrl, std::nullopt, false},
      {'X', kCtrl, std::nullopt, false},
      {kKeyF1, 0, CommandId::EncryptAndSave, false},
      {kKeyF1, kCtrl | kShift | kAlt, CommandId::EncryptAndSave, false},
      {kKeyAlt, 0, std::nullopt, true},
      {kKeyAlt, kCtrl, std::nullopt, true},
      {17, 0, std::nullopt, false},
      // Beyond the designed table, with the same exact modifier rule.
      {'O', kCtrl, CommandId::OpenDocument, false},
      {'O', kCtrl | kShift, std::nullopt, false},
      {'N', kCtrl, CommandId::NewWindow, false},
      {'P', kCtrl, CommandId::PrintDocument, false},
      {'P', 0, std::nullopt, false},
      {kKeyF3, 0, CommandId::FindNext, false},
      {kKeyF3, kShift, CommandId::FindPrevious, false},
      {kKeyF3, kCtrl, CommandId::OpenFindWindow, false},
      {kKeyF3, kCtrl | kShift, std::nullopt, false},
      {kKeyF3, kAlt, std::nullopt, false},
      {'0', kCtrl, CommandId::ResetZoom, false},
      {'0', 0, std::nullopt, false},
  };
  for (const Case& c : cases) {
    KeyDownAction a = decideKeyDown(c.key, c.modifiers);
    EXPECT_EQ(a.command, c.command) << "key " << c.key << " modifiers " << c.modifiers;
    EXPECT_EQ(a.confineCursor, c.confine) << "key " << c.key;
  }
  EXPECT_TRUE(releasesCursorOnKeyUp(kKeyAlt));
  EXPECT_FALSE(releasesCursorOnKeyUp('S'));
}

TEST(CommandTable, KeyEventsFromWindowsKeys) {
  struct Case {
    unsigned vk;
    bool ctrl, shift, alt;
    int key, modifiers;
  } cases[] = {
      {0x61, true, false, false, '1', kCtrl},   // keypad 1
      {0x60, false, false, false, '0', 0},      // keypad 0
      {0x69, true, false, false, '9', kCtrl},   // keypad 9
      {0x6D, false, false, false, 189, 0},      // keypad minus
      {0x6E, false, false, false, 190, 0},      // keypad decimal point
      {0x6F, false, true, false, 191, kShift},  // keypad divide
      {17, true, false, false, 17, 0},          // Ctrl alone does not set its own bit
      {16, true, true, false, 16, kCtrl},
      {18, false, false, true, 18, 0},
      {'S', true, true, false, 'S', kCtrl | kShift},
      {'D', true, false, true, 'D', kCtrl | kAlt},
  };
  for (const Case& c : cases) {
    KeyEvent e = keyEventOf(c.vk, c.ctrl, c.shift, c.alt);
    EXPECT_EQ(e.keyCode, c.key) << "vk " << c.vk;
    EXPECT_EQ(e.modifiers, c.modifiers) << "vk " << c.vk;
  }
}

TEST(CommandTable, ConfinementRectangles) {
  EXPECT_EQ(confinementRect(59, 0, 0, 0, 1280, 1024), (Rect{59, 0, 1221, 1024}));  // Alt pressed
  EXPECT_EQ(confinementRect(0, 0, 0, 0, 1280, 1024), (Rect{0, 0, 1280, 1024}));    // Alt released
  EXPECT_EQ(confinementRect(10, 20, 30, 40, 1280, 1024), (Rect{10, 20, 40, 60}));
  EXPECT_EQ(confinementRect(900, 0, 0, 0, 1280, 1024), (Rect{900, 0, 380, 1024})) << "passed on as computed";
}

TEST(CommandTable, ContextMenuRows) {
  // The designed 18 rows, then the rows beyond the design below a separator.
  const char* expected[] = {"加亮    (Ctrl+D)", "加粗    (Ctrl+F)", "下划线  (Ctrl+G)", "删除线  (Ctrl+H)",
                            "颜色    (Ctrl+Q)", "字体    (Ctrl+W)", nullptr,           "居左    (Ctrl+1)",
                            "居中    (Ctrl+2)", "居右    (Ctrl+3)", nullptr,           "剪切    (Ctrl+X)",
                            "复制    (Ctrl+C)", "粘贴    (Ctrl+V)", "撤销    (Ctrl+Z)", "全选    (Ctrl+A)",
                            nullptr,           "设置",
                            nullptr,           "打开... (Ctrl+O)", "最近打开",        "新建窗口 (Ctrl+N)",
                            nullptr,           "查找... (Ctrl+F3)", "替换...",         nullptr,
                            "打印... (Ctrl+P)"};
  auto entries = contextMenuEntries();
  ASSERT_EQ(entries.size(), std::size(expected));
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!expected[i]) {
      EXPECT_TRUE(entries[i].isSeparator()) << "row " << i + 1 << " is a separator";
    } else {
      ASSERT_FALSE(entries[i].isSeparator()) << "row " << i + 1;
      EXPECT_STREQ(entries[i].caption, expected[i]) << "row " << i + 1;
    }
  }
  EXPECT_EQ(entries[17].command, CommandId::OpenSettings);
  EXPECT_EQ(entries[20].submenu, Submenu::RecentFiles);
  EXPECT_FALSE(entries[20].command.has_value()) << "the submenu row runs no command itself";
  EXPECT_EQ(entries[19].command, CommandId::OpenDocument);
  EXPECT_EQ(entries[24].command, CommandId::OpenReplaceWindow);
  EXPECT_EQ(entries[26].command, CommandId::PrintDocument);
}


}  // namespace
}  // namespace qnv::commands
