#pragma once
// The right-click menu "右键菜单".
#include <windows.h>

#include <optional>
#include <span>
#include <string>

#include "commands/CommandTable.h"

namespace qnv::commands {

// Pops the menu up 3 pixels right of and below the pointer, owned by `owner`, with the
// recently used documents (UTF-8 paths, most recent first) in its submenu "最近打开". Returns
// when the menu has closed; the chosen item arrives later at the owner as a WM_COMMAND.
void showContextMenu(HWND owner, std::span<const std::string> recentFiles = {});

// The command behind a menu item's id, for the owner's WM_COMMAND.
std::optional<CommandId> commandOfMenuItem(int itemId);

// The index in the recent-files list behind a menu item's id.
std::optional<size_t> recentFileOfMenuItem(int itemId);

// The caption of the recent-files row at `index`: its number and the path, shown as it is.
std::wstring recentFileCaption(size_t index, const std::string& path);

}  // namespace qnv::commands
