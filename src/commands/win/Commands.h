#pragma once
// Runs the editor's commands by id, for the keyboard dispatcher and the context menu.
#include "commands/CommandTable.h"

namespace qnv {

class EditorWindow;

void runCommand(EditorWindow& window, CommandId id);

// Confines the mouse pointer to (left, top, width, height) on the primary screen; a zero
// width or height extends to the screen's far edge.
void confineCursor(int left, int top, int width, int height);
// Lets the pointer move over the whole primary screen again.
void releaseCursor();

}  // namespace qnv
