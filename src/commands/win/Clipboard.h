#pragma once
// Cut, copy, paste, undo and select all.
#include <cstdint>

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

// Where pressKeyCombination sends each key event, with keybd_event's arguments: virtual
// key, scan code, flags (0 or KEYEVENTF_KEYUP) and extra information. The system's
// keybd_event unless replaced (tests record the sequence).
using KeyEventSender = void (*)(unsigned char virtualKey, unsigned char scanCode, unsigned long flags,
                                std::uintptr_t extraInfo);
// Installs `sender`, or the system's keybd_event for nullptr; returns the one it replaces.
KeyEventSender setKeyEventSender(KeyEventSender sender);

}  // namespace qnv
