#pragma once
// The window that asks for the password of a protected document and unlocks it.

namespace qnv {

class EditorWindow;

// Opens the unlock window modally for the protected file at documentPath and returns when
// it has closed. The editor box then holds the unlocked document, or stays empty.
void runUnlockWindow(EditorWindow& window);

}  // namespace qnv
