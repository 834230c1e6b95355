#pragma once
// Cut, copy, paste, undo and select all.

namespace qnv {

class EditorWindow;

void cutSelection(EditorWindow& window);
void copySelection(EditorWindow& window);
void pasteClipboard(EditorWindow& window);
void undoEdit(EditorWindow& window);
// Types Ctrl+A on the user's behalf, so the box with the focus selects everything itself.
void selectAll(EditorWindow& window);

// Synthesises key presses: third, second and modifier down, key down, then the releases in
// the same order (the key last). A zero code is absent.
void pressKeyCombination(unsigned char key, unsigned char modifier, unsigned char second, unsigned char third);

}  // namespace qnv
