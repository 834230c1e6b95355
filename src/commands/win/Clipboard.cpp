#include "commands/win/Clipboard.h"

namespace qnv {

void cutSelection(EditorWindow&) {}
void copySelection(EditorWindow&) {}
void pasteClipboard(EditorWindow&) {}
void undoEdit(EditorWindow&) {}
void selectAll(EditorWindow&) {}
void pressKeyCombination(unsigned char, unsigned char, unsigned char, unsigned char) {}

}  // namespace qnv
