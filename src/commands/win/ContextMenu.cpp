#include "commands/win/ContextMenu.h"

#include <windows.h>

#include "ui/win/Handles.h"
#include "ui/win/Text.h"
#include "ui/win/Window.h"

namespace qnv::commands {
namespace {

// Menu item ids are this base plus the row's index in the menu.
constexpr int kFirstMenuItemId = 0x4000;
// The menu opens this far right of and below the pointer, in 96-DPI units.
constexpr int kOffsetFromPointer = 3;

}  // namespace

void showContextMenu(HWND owner) {
  ui::UniqueMenu menu(CreatePopupMenu());
  const auto entries = contextMenuEntries();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].command) {
      AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu.get(), MF_STRING, kFirstMenuItemId + i, ui::widen(entries[i].caption).c_str());
    }
  }
  POINT pointer{};
  GetCursorPos(&pointer);
  const int offset = ui::scaleToDpi(kOffsetFromPointer, ui::windowDpi(owner));
  TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, pointer.x + offset, pointer.y + offset,
                 0, owner, nullptr);
}

std::optional<CommandId> commandOfMenuItem(int itemId) {
  const auto entries = contextMenuEntries();
  const int index = itemId - kFirstMenuItemId;
  if (index < 0 || index >= static_cast<int>(entries.size())) return std::nullopt;
  return entries[static_cast<size_t>(index)].command;
}

}  // namespace qnv::commands
