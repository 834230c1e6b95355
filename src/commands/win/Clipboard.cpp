#include "commands/win/Clipboard.h"

#include <windows.h>

#include "app/win/EditorWindow.h"

namespace qnv {
namespace {

void systemKeyEvent(unsigned char virtualKey, unsigned char scanCode, unsigned long flags, std::uintptr_t extraInfo) {
  keybd_event(virtualKey, scanCode, flags, extraInfo);
}

KeyEventSender keyEventSender = systemKeyEvent;

void press(unsigned char key) { keyEventSender(key, 0, 0, 0); }
void release(unsigned char key) { keyEventSender(key, 0, KEYEVENTF_KEYUP, 0); }

}  // namespace

KeyEventSender setKeyEventSender(KeyEventSender sender) {
  const KeyEventSender previous = keyEventSender;
  keyEventSender = sender ? sender : systemKeyEvent;
  return previous;
}

void cutSelection(EditorWindow& window) { window.editorBox().cut(); }
void copySelection(EditorWindow& window) { window.editorBox().copy(); }
void pasteClipboard(EditorWindow& window) { window.editorBox().paste(); }
void undoEdit(EditorWindow& window) { window.editorBox().undo(); }

void selectAll(EditorWindow&) {
  // The keys reach whichever window has the focus once they are taken from the input
  // queue: after the context menu has closed, the editor box.
  pressKeyCombination('A', VK_CONTROL, 0, 0);
}

void pressKeyCombination(unsigned char key, unsigned char modifier, unsigned char second, unsigned char third) {
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

}  // namespace qnv
