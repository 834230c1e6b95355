#include "commands/win/Formatting.h"

#include <windows.h>

#include "app/win/AppState.h"
#include "app/win/EditorWindow.h"
#include "ui/Prompts.h"
#include "ui/Text.h"

namespace qnv {
namespace {

// The colour of applyHighlight when no highlight colour has been chosen: pure red.
constexpr uint32_t kFallbackHighlight = 255;

// Reads the selection's character format, lets `change` edit it and writes all five fields
// back, so fields the command does not touch are written with the values read.
template <typename Change>
void changeSelectionFormat(EditorWindow& window, Change change) {
  ui::EditorBox& box = window.editorBox();
  CharFormat format = box.selectionCharFormat();
  change(format);
  box.setSelectionCharFormat(format);
}

void align(EditorWindow& window, Alignment alignment) {
  ui::EditorBox& box = window.editorBox();
  ParaFormat format = box.paraFormat();
  format.alignment = alignment;
  box.setParaFormat(format);
}

}  // namespace

void applyHighlight(EditorWindow& window) {
  const uint32_t highlight = appState().highlightColour;
  changeSelectionFormat(window, [highlight](CharFormat& f) { f.colour = highlight != 0 ? highlight : kFallbackHighlight; });
}

void toggleBold(EditorWindow& window) {
  changeSelectionFormat(window, [](CharFormat& f) { f.effects ^= kBold; });
}

void toggleUnderline(EditorWindow& window) {
  changeSelectionFormat(window, [](CharFormat& f) { f.effects ^= kUnderline; });
}

void applyStrikeThrough(EditorWindow& window) {
  // Sets, never toggles: struck-through text stays struck through.
  changeSelectionFormat(window, [](CharFormat& f) { f.effects |= kStrikeOut; });
}

void pickTextColour(EditorWindow& window) {
  ui::ColourPicker& picker = window.fontColourPicker();
  picker.setColour(window.editorBox().selectionCharFormat().colour);

  // The pointer in the window's client coordinates.
  POINT pointer{};
  GetCursorPos(&pointer);
  POINT origin{0, 0};
  ClientToScreen(window.hwnd(), &origin);
  picker.moveTo(pointer.x - origin.x, pointer.y - origin.y);

  // A left-button-up opens the palette just below the (hidden) swatch, that is at the
  // pointer and one swatch height lower. The palette stays open on its own; the choice
  // arrives through applyPickedColour.
  SendMessageW(picker.hwnd(), WM_LBUTTONUP, 0, 0);
}

void applyPickedColour(EditorWindow& window) {
  const uint32_t colour = window.fontColourPicker().colour();
  changeSelectionFormat(window, [colour](CharFormat& f) { f.colour = colour; });
}

void chooseFont(EditorWindow& window) {
  changeSelectionFormat(window, [](CharFormat& f) {
    // Preset from the selection. The dialog's effects are neither set nor read, and its
    // result is not looked at: after Cancel it still holds the values written in, so the
    // selection gets its own name, size and colour again.
    ui::FontDialogValues dialog;
    dialog.colour = f.colour;
    dialog.size = f.size;
    dialog.fontName = ui::widen(f.fontName);
    ui::prompts().chooseFont(dialog);
    f.colour = dialog.colour;
    f.size = dialog.size;
    f.fontName = ui::narrow(dialog.fontName);
  });
}

void alignLeft(EditorWindow& window) { align(window, kAlignLeft); }
void alignCentre(EditorWindow& window) { align(window, kAlignCentre); }
void alignRight(EditorWindow& window) { align(window, kAlignRight); }

}  // namespace qnv
