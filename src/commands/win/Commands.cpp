#include "commands/win/Commands.h"

#include <windows.h>

#include "app/win/Document.h"
#include "app/win/EditorWindow.h"
#include "commands/win/Clipboard.h"
#include "commands/win/Formatting.h"
#include "crypto/win/EncryptWindow.h"
#include "settings/win/SettingsWindow.h"

namespace qnv {
namespace {

using Handler = void (*)(EditorWindow&);

struct Binding {
  CommandId id;
  Handler handler;
};

// Each command of the table and the routine behind it.
constexpr Binding kBindings[] = {
    {CommandId::SaveDocument, [](EditorWindow& w) { saveDocument(w); }},
    {CommandId::EncryptAndSave, runEncryptWindow},
    {CommandId::ApplyHighlight, applyHighlight},
    {CommandId::ToggleBold, toggleBold},
    {CommandId::ToggleUnderline, toggleUnderline},
    {CommandId::ApplyStrikeThrough, applyStrikeThrough},
    {CommandId::PickTextColour, pickTextColour},
    {CommandId::ChooseFont, chooseFont},
    {CommandId::AlignLeft, alignLeft},
    {CommandId::AlignCentre, alignCentre},
    {CommandId::AlignRight, alignRight},
    {CommandId::CutSelection, cutSelection},
    {CommandId::CopySelection, copySelection},
    {CommandId::PasteClipboard, pasteClipboard},
    {CommandId::UndoEdit, undoEdit},
    {CommandId::SelectAll, selectAll},
    {CommandId::OpenSettings, [](EditorWindow&) { openSettingsWindow(); }},
};

}  // namespace

void runCommand(EditorWindow& window, CommandId id) {
  for (const Binding& b : kBindings) {
    if (b.id == id) {
      b.handler(window);
      return;
    }
  }
}

void confineCursor(int left, int top, int width, int height) {
  const Rect r = confinementRect(left, top, width, height, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  const RECT clip{r.left, r.top, r.right, r.bottom};
  ClipCursor(&clip);
}

void releaseCursor() { confineCursor(0, 0, 0, 0); }

}  // namespace qnv
