#include "app/win/CommandBindings.h"

#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "app/win/DocumentCommands.h"
#include "app/win/EditorWindow.h"
#include "app/win/ProtectedDocument.h"
#include "commands/win/Clipboard.h"
#include "commands/win/Formatting.h"
#include "commands/win/Printing.h"
#include "files/win/ModulePath.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

using commands::CommandId;

void openSettings(EditorWindow&) { settings::openSettingsWindow(appState().settingsFile, settingsEditorLink()); }

// The print dialog, then every page on white paper; the job is named after the document.
void printWithDialog(EditorWindow& w) {
  HDC printer = ui::prompts().choosePrinter();
  if (!printer) return;
  const std::string& name = appState().displayName;
  commands::printDocument(w.editorBox(), printer, name.empty() ? L"qnv编辑器" : ui::widen(name),
                          appState().defaultFont.colour);
}

// Each command of the table and the routine behind it; the commands act on the editor box
// (and what they need of the editor), never on the window as a whole.
constexpr CommandBinding kBindings[] = {
    {CommandId::SaveDocument, [](EditorWindow& w) { saveDocument(w); }},
    {CommandId::EncryptAndSave, runEncryptWindow},
    {CommandId::ApplyHighlight,
     [](EditorWindow& w) { commands::applyHighlight(w.editorBox(), appState().highlightColour); }},
    {CommandId::ToggleBold, [](EditorWindow& w) { commands::toggleBold(w.editorBox()); }},
    {CommandId::ToggleUnderline, [](EditorWindow& w) { commands::toggleUnderline(w.editorBox()); }},
    {CommandId::ApplyStrikeThrough, [](EditorWindow& w) { commands::applyStrikeThrough(w.editorBox()); }},
    {CommandId::PickTextColour, [](EditorWindow& w) { commands::pickTextColour(w.editorBox(), w.fontColourPicker()); }},
    {CommandId::ChooseFont, [](EditorWindow& w) { commands::chooseFont(w.editorBox()); }},
    {CommandId::AlignLeft, [](EditorWindow& w) { commands::alignLeft(w.editorBox()); }},
    {CommandId::AlignCentre, [](EditorWindow& w) { commands::alignCentre(w.editorBox()); }},
    {CommandId::AlignRight, [](EditorWindow& w) { commands::alignRight(w.editorBox()); }},
    {CommandId::CutSelection, [](EditorWindow& w) { commands::cutSelection(w.editorBox()); }},
    {CommandId::CopySelection, [](EditorWindow& w) { commands::copySelection(w.editorBox()); }},
    {CommandId::PasteClipboard, [](EditorWindow& w) { commands::pasteClipboard(w.editorBox()); }},
    {CommandId::UndoEdit, [](EditorWindow& w) { commands::undoEdit(w.editorBox()); }},
    {CommandId::SelectAll, [](EditorWindow&) { commands::selectAll(); }},
    {CommandId::OpenSettings, openSettings},
    {CommandId::OpenDocument, openWithDialog},
    {CommandId::NewWindow, [](EditorWindow&) { startNewWindow(files::programModulePath()); }},
    {CommandId::OpenFindWindow, [](EditorWindow& w) { w.findReplace().showFind(w.hwnd()); }},
    {CommandId::OpenReplaceWindow, [](EditorWindow& w) { w.findReplace().showReplace(w.hwnd()); }},
    {CommandId::FindNext, [](EditorWindow& w) { w.findReplace().findAgain(w.hwnd(), commands::SearchDirection::Down); }},
    {CommandId::FindPrevious, [](EditorWindow& w) { w.findReplace().findAgain(w.hwnd(), commands::SearchDirection::Up); }},
    {CommandId::PrintDocument, printWithDialog},
    {CommandId::ResetZoom, [](EditorWindow& w) { w.resetZoom(); }},
};

}  // namespace

std::span<const CommandBinding> commandBindings() { return kBindings; }

settings::EditorLink settingsEditorLink() {
  return {appState().backgroundColour, [](uint32_t colour) { appState().highlightColour = colour; }};
}

void runCommand(EditorWindow& window, CommandId id) {
  for (const CommandBinding& b : kBindings) {
    if (b.id == id) {
      b.handler(window);
      return;
    }
  }
}

}  // namespace qnv::app
