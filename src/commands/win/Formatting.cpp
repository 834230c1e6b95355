#include "commands/win/Formatting.h"

#include <windows.h>

#include "settings/SettingsValues.h"
#include "ui/win/Prompts.h"
#include "ui/win/Text.h"

namespace qnv::commands {
namespace {

// Reads the selection's character format, lets `change` edit it and writes all five fields
// back, so fields the command does not touch are written with the values read.
template <typename Change>
void changeSelectionFormat(const ui::EditorBox& box, Change change) {
  ui::CharFormat format = box.selectionCharFormat();
  change(format);
  box.setSelectionCharFormat(format);
}

void align(const ui::EditorBox& box, ui::Alignment alignment) {
  ui::ParaFormat format = box.paraFormat();
  format.alignment = alignment;
  box.setParaFormat(format);
}

}  // namespace

void applyHighlight(const ui::EditorBox& box, uint32_t highlightColour) {
  const uint32_t colour = highlightColour != 0 ? highlightColour : settings::kFallbackHighlightColour;
  changeSelectionFormat(box, [colour](ui::CharFormat& f) { f.colour = colour; });
}

void toggleBold(const ui::EditorBox& box) {
  changeSelectionFormat(box, [](ui::CharFormat& f) { f.effects ^= ui::kBold; });
}

void toggleUnderline(const ui::EditorBox& box) {
  changeSelectionFormat(box, [](ui::CharFormat& f) { f.effects ^= ui::kUnderline; });
}

void applyStrikeThrough(const ui::EditorBox& box) {
  // Sets, never toggles: struck-through text stays struck through.
  changeSelectionFormat(box, [](ui::CharFormat& f) { f.effects |= ui::kStrikeOut; });
}

void pickTextColour(const ui::EditorBox& box, ui::ColourPicker& picker) {
  picker.setColour(box.selectionCharFormat().colour);

  // The pointer in the client coordinates of the picker's window.
  POINT pointer{};
  GetCursorPos(&pointer);
  POINT origin{0, 0};
  ClientToScreen(GetParent(picker.hwnd()), &origin);
  picker.moveTo(pointer.x - origin.x, pointer.y - origin.y);

  // A left-button-up opens the palette just below the (hidden) swatch, that is at the
  // pointer and one swatch height lower. The palette stays open on its own.
  SendMessageW(picker.hwnd(), WM_LBUTTONUP, 0, 0);
}

void applyPickedColour(const ui::EditorBox& box, uint32_t colour) {
  changeSelectionFormat(box, [colour](ui::CharFormat& f) { f.colour = colour; });
}

void chooseFont(const ui::EditorBox& box) {
  changeSelectionFormat(box, [](ui::CharFormat& f) {
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

void alignLeft(const ui::EditorBox& box) { align(box, ui::kAlignLeft); }
void alignCentre(const ui::EditorBox& box) { align(box, ui::kAlignCentre); }
void alignRight(const ui::EditorBox& box) { align(box, ui::kAlignRight); }

}  // namespace qnv::commands
