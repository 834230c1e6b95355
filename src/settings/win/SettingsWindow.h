#pragma once
// The settings window: default font, text colour, background, highlight colour, and the
// file association.

namespace qnv {

// Loads the settings window modally without an owner and returns when it has closed.
void openSettingsWindow();

}  // namespace qnv
