#pragma once
// Formatting commands on the editor box's selection (or insertion point). Each character
// command reads the selection's format, changes some fields and writes all five back.
#include <cstdint>

#include "ui/win/ColourPicker.h"
#include "ui/win/EditorBox.h"

namespace qnv::commands {

// The selection takes `highlightColour`, or pure red while no highlight colour is chosen (0).
void applyHighlight(const ui::EditorBox& box, uint32_t highlightColour);
void toggleBold(const ui::EditorBox& box);
void toggleUnderline(const ui::EditorBox& box);
void applyStrikeThrough(const ui::EditorBox& box);
// Opens the (hidden) picker's palette at the pointer, preset with the selection's colour, and
// returns at once; the choice arrives later through the picker's colour-chosen event, whose
// handler calls applyPickedColour. The picker is a child of the window the pointer is
// measured against.
void pickTextColour(const ui::EditorBox& box, ui::ColourPicker& picker);
void applyPickedColour(const ui::EditorBox& box, uint32_t colour);
// The font dialog preset with the selection's name, size and colour; its result is not
// looked at, so a cancel writes the values read back.
void chooseFont(const ui::EditorBox& box);
void alignLeft(const ui::EditorBox& box);
void alignCentre(const ui::EditorBox& box);
void alignRight(const ui::EditorBox& box);

}  // namespace qnv::commands
