#pragma once
// Formatting commands on the editor box's selection (or insertion point). Each character
// command reads the selection's format, changes some fields and writes all five back.

namespace qnv {

class EditorWindow;

void applyHighlight(EditorWindow& window);
void toggleBold(EditorWindow& window);
void toggleUnderline(EditorWindow& window);
void applyStrikeThrough(EditorWindow& window);
// Opens the text-colour palette at the pointer and returns at once; the choice arrives
// later through applyPickedColour.
void pickTextColour(EditorWindow& window);
void applyPickedColour(EditorWindow& window);
void chooseFont(EditorWindow& window);
void alignLeft(EditorWindow& window);
void alignCentre(EditorWindow& window);
void alignRight(EditorWindow& window);

}  // namespace qnv
