#include "commands/CommandTable.h"

#include <array>

namespace qnv::commands {
namespace {

constexpr std::array<CommandRow, 25> kCommands{{
    {CommandId::ApplyHighlight, 'D', kCtrl, "加亮    (Ctrl+D)"},
    {CommandId::ToggleBold, 'F', kCtrl, "加粗    (Ctrl+F)"},
    {CommandId::ToggleUnderline, 'G', kCtrl, "下划线  (Ctrl+G)"},
    {CommandId::ApplyStrikeThrough, 'H', kCtrl, "删除线  (Ctrl+H)"},
    {CommandId::PickTextColour, 'Q', kCtrl, "颜色    (Ctrl+Q)"},
    {CommandId::ChooseFont, 'W', kCtrl, "字体    (Ctrl+W)"},
    {CommandId::AlignLeft, '1', kCtrl, "居左    (Ctrl+1)"},
    {CommandId::AlignCentre, '2', kCtrl, "居中    (Ctrl+2)"},
    {CommandId::AlignRight, '3', kCtrl, "居右    (Ctrl+3)"},
    // The editor box handles these keys itself; the menu only shows them.
    {CommandId::CutSelection, 0, 0, "剪切    (Ctrl+X)"},
    {CommandId::CopySelection, 0, 0, "复制    (Ctrl+C)"},
    {CommandId::PasteClipboard, 0, 0, "粘贴    (Ctrl+V)"},
    {CommandId::UndoEdit, 0, 0, "撤销    (Ctrl+Z)"},
    {CommandId::SelectAll, 0, 0, "全选    (Ctrl+A)"},
    {CommandId::OpenSettings, 0, 0, "设置"},
    {CommandId::SaveDocument, 'S', kCtrl, nullptr},
    {CommandId::EncryptAndSave, kKeyF1, kAnyModifiers, nullptr},
    // Beyond the designed table. None of these keys is consumed: the editor box gets each of
    // them afterwards, as it gets the designed ones, and the control does nothing with them
    // (Ctrl+O, Ctrl+N and Ctrl+P type control characters that it ignores; function keys and
    // Ctrl+0 type none). The find window's key is Ctrl+F3 because Ctrl+F and Ctrl+H are
    // designed as bold and strike-through.
    {CommandId::OpenDocument, 'O', kCtrl, "打开... (Ctrl+O)"},
    {CommandId::NewWindow, 'N', kCtrl, "新建窗口 (Ctrl+N)"},
    {CommandId::OpenFindWindow, kKeyF3, kCtrl, "查找... (Ctrl+F3)"},
    {CommandId::OpenReplaceWindow, 0, 0, "替换..."},
    {CommandId::PrintDocument, 'P', kCtrl, "打印... (Ctrl+P)"},
    {CommandId::FindNext, kKeyF3, 0, nullptr},
    {CommandId::FindPrevious, kKeyF3, kShift, nullptr},
    {CommandId::ResetZoom, '0', kCtrl, nullptr},
}};

constexpr MenuEntry entry(CommandId id) {
  for (const CommandRow& row : kCommands) {
    if (row.id == id) return MenuEntry{id, row.caption};
  }
  return MenuEntry{};
}
constexpr MenuEntry kSeparator{};

constexpr std::array<MenuEntry, 27> kMenu{{
    entry(CommandId::ApplyHighlight), entry(CommandId::ToggleBold), entry(CommandId::ToggleUnderline),
    entry(CommandId::ApplyStrikeThrough), entry(CommandId::PickTextColour), entry(CommandId::ChooseFont),
    kSeparator,
    entry(CommandId::AlignLeft), entry(CommandId::AlignCentre), entry(CommandId::AlignRight),
    kSeparator,
    entry(CommandId::CutSelection), entry(CommandId::CopySelection), entry(CommandId::PasteClipboard),
    entry(CommandId::UndoEdit), entry(CommandId::SelectAll),
    kSeparator,
    entry(CommandId::OpenSettings),
    // Rows beyond the designed menu, below it.
    kSeparator,
    entry(CommandId::OpenDocument), MenuEntry{std::nullopt, "最近打开", Submenu::RecentFiles},
    entry(CommandId::NewWindow),
    kSeparator,
    entry(CommandId::OpenFindWindow), entry(CommandId::OpenReplaceWindow),
    kSeparator,
    entry(CommandId::PrintDocument),
}};

}  // namespace

std::span<const CommandRow> commandTable() { return kCommands; }

std::span<const MenuEntry> contextMenuEntries() { return kMenu; }

const CommandRow* findCommand(CommandId id) {
  for (const CommandRow& row : kCommands) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

KeyDownAction decideKeyDown(int keyCode, int modifiers) {
  KeyDownAction action;
  if (keyCode == kKeyAlt) {
    action.confineCursor = true;
    return action;
  }
  for (const CommandRow& row : kCommands) {
    if (row.keyCode == 0 || row.keyCode != keyCode) continue;
    if (row.modifiers == kAnyModifiers || row.modifiers == modifiers) {
      action.command = row.id;
      return action;
    }
  }
  return action;
}

KeyEvent keyEventOf(unsigned vk, bool ctrlDown, bool shiftDown, bool altDown) {
  constexpr unsigned kShiftKey = 16, kCtrlKey = 17, kAltKey = 18;
  constexpr unsigned kNumpad0 = 0x60, kNumpad9 = 0x69, kSubtract = 0x6D, kDecimal = 0x6E, kDivide = 0x6F;
  int code = static_cast<int>(vk);
  if (vk >= kNumpad0 && vk <= kNumpad9) {
    code = '0' + static_cast<int>(vk - kNumpad0);
  } else if (vk == kSubtract) {
    code = 189;
  } else if (vk == kDecimal) {
    code = 190;
  } else if (vk == kDivide) {
    code = 191;
  }
  int modifiers = 0;
  if (ctrlDown && vk != kCtrlKey) modifiers |= kCtrl;
  if (shiftDown && vk != kShiftKey) modifiers |= kShift;
  if (altDown && vk != kAltKey) modifiers |= kAlt;
  return {code, modifiers};
}

Rect confinementRect(int left, int top, int width, int height, int screenWidth, int screenHeight) {
  Rect r{left, top, 0, 0};
  r.right = width != 0 ? left + width : screenWidth - left;
  r.bottom = height != 0 ? top + height : screenHeight;
  return r;
}

}  // namespace qnv::commands
