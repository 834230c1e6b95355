#include "commands/win/Clipboard.h"

#include <windows.h>

namespace qnv::commands {

void cutSelection(const ui::EditorBox& box) { box.cut(); }
void copySelection(const ui::EditorBox& box) { box.copy(); }
void pasteClipboard(const ui::EditorBox& box) { box.paste(); }
void undoEdit(const ui::EditorBox& box) { box.undo(); }

void sendSystemKeyEvent(unsigned char virtualKey, unsigned char scanCode, unsigned long flags,
                        std::uintptr_t extraInfo) {
  keybd_event(virtualKey, scanCode, flags, extraInfo);
}

void pressKeyCombination(unsigned char key, unsigned char modifier, unsigned char second, unsigned char third,
                         KeyEventSender send) {
  const auto press = [send](unsigned char k) { send(k, 0, 0, 0); };
  const auto release = [send](unsigned char k) { send(k, 0, KEYEVENTF_KEYUP, 0); };
  // Releases in the order of the presses: the key goes up last, after its modifier.
  if (third != 0) press(third);
  if (second != 0) press(second);
  if (modifier != 0) press(modifier);
  press(key);
  if (third != 0) release(third);
  if (second != 0) release(second);
  if (modifier != 0) release(modifier);
  release(key);
}

void selectAll(KeyEventSender send) {
  // The keys reach whichever window has the focus once they are taken from the input
  // queue: after the context menu has closed, the editor box.
  pressKeyCombination('A', VK_CONTROL, 0, 0, send);
}

}  // namespace qnv::commands
