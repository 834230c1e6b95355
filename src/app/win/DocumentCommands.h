#pragma once
// Opening another document in the running editor (the open dialog and the recent-files
// list), and starting a second editor.
#include <string>

namespace qnv::app {

class EditorWindow;

// Ctrl+O: the open dialog, then the chosen file opens in this window.
void openWithDialog(EditorWindow& window);

// A row of "最近打开": the file opens in this window; a file that is gone is taken off the
// list with a message.
void openRecentFile(EditorWindow& window, const std::string& path);

// Opens the file at `path` in this window as the program opens a command-line document,
// after the unsaved changes have been dealt with as closing deals with them. A file that
// cannot be read, an unlock given up, or a save or question cancelled leaves the current
// document as it was. Returns whether the file was opened.
bool openInThisWindow(EditorWindow& window, const std::wstring& path);

// Ctrl+N: starts `program` (the running program's path) with no document. A failure is
// shown with the system's reason.
bool startNewWindow(const std::wstring& program);

}  // namespace qnv::app
