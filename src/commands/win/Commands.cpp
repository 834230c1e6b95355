#include "commands/win/Commands.h"

#include <windows.h>

#include "app/win/Document.h"
#include "app/win/EditorWindow.h"

namespace qnv {

void runCommand(EditorWindow& window, CommandId id) {
  switch (id) {
    case CommandId::SaveDocument:
      saveDocument(window);
      break;
    default:
      break;
  }
}

void confineCursor(int left, int top, int width, int height) {
  const Rect r = confinementRect(left, top, width, height, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  const RECT clip{r.left, r.top, r.right, r.bottom};
  ClipCursor(&clip);
}

void releaseCursor() { confineCursor(0, 0, 0, 0); }

}  // namespace qnv
