#include "commands/win/ContextMenu.h"

#include <windows.h>

#include "settings/RecentFiles.h"
#include "ui/win/Handles.h"
#include "ui/win/Text.h"
#include "ui/win/Window.h"

namespace qnv::commands {
namespace {

// Menu item ids are this base plus the row's index in the menu.
constexpr int kFirstMenuItemId = 0x4000;
// The menu opens this far right of and below the pointer, in 96-DPI units.
constexpr int kOffsetFromPointer = 3;
// The recent-files submenu's items: this base plus the entry's index in the list.
constexpr int kFirstRecentFileId = 0x4100;

// The submenu of the recently used documents; a grey "（无）" while there are none.
HMENU recentFilesMenu(std::span<const std::string> recentFiles) {
  HMENU menu = CreatePopupMenu();
  if (recentFiles.empty()) AppendMenuW(menu, MF_STRING | MF_GRAYED, 0, L"（无）");
  for (size_t i = 0; i < recentFiles.size() && i < settings::kMaxRecentFiles; ++i) {
    AppendMenuW(menu, MF_STRING, kFirstRecentFileId + i, recentFileCaption(i, recentFiles[i]).c_str());
  }
  return menu;
}

}  // namespace

std::wstring recentFileCaption(size_t index, const std::string& path) {
  std::wstring caption = std::to_wstring(index + 1) + L"  ";
  // An ampersand would mark the next letter as the item's key instead of being shown.
  for (wchar_t c : ui::widen(path)) {
    caption += c;
    if (c == L'&') caption += L'&';
  }
  return caption;
}

void showContextMenu(HWND owner, std::span<const std::string> recentFiles) {
  ui::UniqueMenu menu(CreatePopupMenu());
  const auto entries = contextMenuEntries();
  for (size_t i = 0; i < entries.size(); ++i) {
    const MenuEntry& entry = entries[i];
    if (entry.isSeparator()) {
      AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    } else if (entry.submenu == Submenu::RecentFiles) {
      // The menu owns the submenu from here on and destroys it with itself.
      AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(recentFilesMenu(recentFiles)),
                  ui::widen(entry.caption).c_str());
    } else {
      AppendMenuW(menu.get(), MF_STRING, kFirstMenuItemId + i, ui::widen(entry.caption).c_str());
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

std::optional<size_t> recentFileOfMenuItem(int itemId) {
  const int index = itemId - kFirstRecentFileId;
  if (index < 0 || index >= static_cast<int>(settings::kMaxRecentFiles)) return std::nullopt;
  return static_cast<size_t>(index);
}

}  // namespace qnv::commands
