#pragma once
// The editor's commands as data: one table serves the keyboard dispatcher and the
// context menu. The Win32 side binds each id to its handler.
#include <optional>
#include <span>
#include <string_view>

namespace qnv::commands {

enum class CommandId {
  SaveDocument,
  EncryptAndSave,
  ApplyHighlight,
  ToggleBold,
  ToggleUnderline,
  ApplyStrikeThrough,
  PickTextColour,
  ChooseFont,
  AlignLeft,
  AlignCentre,
  AlignRight,
  CutSelection,
  CopySelection,
  PasteClipboard,
  UndoEdit,
  SelectAll,
  OpenSettings,
  // Beyond the designed table: documents, search, printing and zoom.
  OpenDocument,
  NewWindow,
  OpenFindWindow,
  OpenReplaceWindow,
  FindNext,
  FindPrevious,
  PrintDocument,
  ResetZoom,
};

// Modifier bits delivered with key events.
enum Modifier : int { kCtrl = 1, kShift = 2, kAlt = 4 };

inline constexpr int kKeyAlt = 18;
inline constexpr int kKeyF1 = 112;
inline constexpr int kKeyF3 = 114;
inline constexpr int kKeyEnter = 13;
inline constexpr int kAnyModifiers = -1;

struct CommandRow {
  CommandId id;
  int keyCode;           // 0: not in the shortcut table
  int modifiers;         // exact state required, or kAnyModifiers
  const char* caption;   // UTF-8 menu caption; nullptr: not in the menu
};

// Every command, in menu order; the rows without a caption are keyboard-only.
std::span<const CommandRow> commandTable();

// The submenus of the context menu; their rows are filled in when the menu opens.
enum class Submenu { None, RecentFiles };

// The context menu "右键菜单", top to bottom; an entry with neither a command nor a submenu
// is a separator.
struct MenuEntry {
  std::optional<CommandId> command;
  const char* caption = nullptr;
  Submenu submenu = Submenu::None;
  bool isSeparator() const { return !command && submenu == Submenu::None; }
};
std::span<const MenuEntry> contextMenuEntries();
inline constexpr std::string_view kContextMenuName = "右键菜单";

const CommandRow* findCommand(CommandId id);

// What a key-down in the editor box asks for. The key itself is never consumed.
struct KeyDownAction {
  bool confineCursor = false;
  std::optional<CommandId> command;
};
KeyDownAction decideKeyDown(int keyCode, int modifiers);

// A key-up of Alt releases the pointer confinement.
inline bool releasesCursorOnKeyUp(int keyCode) { return keyCode == kKeyAlt; }

// Turns a Windows key message into the key event the handlers see: keypad digits become
// main-row digits, keypad minus, decimal point and divide become 189, 190 and 191, and
// the modifier bits come from the key state, without the pressed modifier's own bit.
struct KeyEvent {
  int keyCode;
  int modifiers;
};
KeyEvent keyEventOf(unsigned virtualKey, bool ctrlDown, bool shiftDown, bool altDown);

// The pointer confinement rectangle for confineCursor(left, top, width, height).
struct Rect {
  int left, top, right, bottom;
  bool operator==(const Rect&) const = default;
};
Rect confinementRect(int left, int top, int width, int height, int screenWidth, int screenHeight);

}  // namespace qnv::commands
