#pragma once
// Cut, copy, paste, undo and select all.
#include <cstdint>

#include "ui/win/EditorBox.h"

namespace qnv::commands {

void cutSelection(const ui::EditorBox& box);
void copySelection(const ui::EditorBox& box);
void pasteClipboard(const ui::EditorBox& box);
void undoEdit(const ui::EditorBox& box);

// Sends one key event, with keybd_event's arguments: virtual key, scan code, flags (0 or
// KEYEVENTF_KEYUP) and extra information.
using KeyEventSender = void (*)(unsigned char virtualKey, unsigned char scanCode, unsigned long flags,
                                std::uintptr_t extraInfo);
// The system's keybd_event.
void sendSystemKeyEvent(unsigned char virtualKey, unsigned char scanCode, unsigned long flags,
                        std::uintptr_t extraInfo);

// Synthesises key presses: third, second and modifier down, key down, then the releases in
// the same order (the key last). A zero code is absent.
void pressKeyCombination(unsigned char key, unsigned char modifier, unsigned char second, unsigned char third,
                         KeyEventSender send = sendSystemKeyEvent);

// Types Ctrl+A on the user's behalf, so the box with the focus selects everything itself.
void selectAll(KeyEventSender send = sendSystemKeyEvent);

}  // namespace qnv::commands
