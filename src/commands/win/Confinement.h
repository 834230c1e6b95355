#pragma once
// Confining the mouse pointer to a band of the primary screen while Alt is held.

namespace qnv::commands {

// Confines the mouse pointer to (left, top, width, height) on the primary screen; a zero
// width or height extends to the screen's far edge.
void confineCursor(int left, int top, int width, int height);
// Lets the pointer move over the whole primary screen again.
void releaseCursor();

}  // namespace qnv::commands
