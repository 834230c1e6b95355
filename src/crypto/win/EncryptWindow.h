#pragma once
// The window that asks for a password and saves the document protected (F1).

namespace qnv {

class EditorWindow;

// Opens the encrypt window modally without an owner and returns when it has closed.
void runEncryptWindow(EditorWindow& window);

}  // namespace qnv
