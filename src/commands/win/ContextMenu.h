#pragma once
// The right-click menu "右键菜单".
#include <optional>

#include "commands/CommandTable.h"

namespace qnv {

class EditorWindow;

// Pops the menu up 3 pixels right of and below the pointer, owned by the editor window.
// Returns when the menu has closed; the chosen item arrives later as a WM_COMMAND.
void showContextMenu(EditorWindow& window);

// The command behind a menu item's id, for the window's WM_COMMAND.
std::optional<CommandId> commandOfMenuItem(int itemId);

}  // namespace qnv
