#pragma once
// The right-click menu "右键菜单".
#include <windows.h>

#include <optional>

#include "commands/CommandTable.h"

namespace qnv::commands {

// Pops the menu up 3 pixels right of and below the pointer, owned by `owner`. Returns when
// the menu has closed; the chosen item arrives later at the owner as a WM_COMMAND.
void showContextMenu(HWND owner);

// The command behind a menu item's id, for the owner's WM_COMMAND.
std::optional<CommandId> commandOfMenuItem(int itemId);

}  // namespace qnv::commands
