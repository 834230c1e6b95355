#include "commands/win/Formatting.h"

namespace qnv {

void applyHighlight(EditorWindow&) {}
void toggleBold(EditorWindow&) {}
void toggleUnderline(EditorWindow&) {}
void applyStrikeThrough(EditorWindow&) {}
void pickTextColour(EditorWindow&) {}
void applyPickedColour(EditorWindow&) {}
void chooseFont(EditorWindow&) {}
void alignLeft(EditorWindow&) {}
void alignCentre(EditorWindow&) {}
void alignRight(EditorWindow&) {}

}  // namespace qnv
