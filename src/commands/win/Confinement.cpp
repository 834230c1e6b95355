#include "commands/win/Confinement.h"

#include <windows.h>

#include "commands/CommandTable.h"

namespace qnv::commands {

void confineCursor(int left, int top, int width, int height) {
  const Rect r = confinementRect(left, top, width, height, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  const RECT clip{r.left, r.top, r.right, r.bottom};
  ClipCursor(&clip);
}

void releaseCursor() { confineCursor(0, 0, 0, 0); }

}  // namespace qnv::commands
