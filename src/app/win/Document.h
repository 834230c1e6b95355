#pragma once
// Opening the command-line document and saving the document.
#include <optional>
#include <string>
#include <string_view>

namespace qnv::app {

class EditorWindow;

// The largest document file that is read; larger files are refused with a message.
inline constexpr unsigned long long kMaxDocumentBytes = 256ull << 20;

// Loads the file named by documentPath into the editor box, or hands a protected file to
// the unlock window, and sets the caption. Returns whether the file's document is in the box
// (read, or unlocked). When `replacing` the document of a running editor, a file that cannot
// be read is reported and changes nothing.
bool openDocument(EditorWindow& window, bool replacing = false);

// Ctrl+S. A document unlocked from a protected file in this run is first offered to be
// written protected again, with the password that unlocked it. Returns whether the
// document was written.
bool saveDocument(EditorWindow& window);

// The close prompt's Yes: writes the document (asking about the protection as Ctrl+S does)
// and ends the program. Returns false (the close is refused and the window shown again)
// when the user cancelled or the write failed.
bool saveAndExit(EditorWindow& window);

// documentPath, while the document may be written back there; nullopt for an unnamed
// document and for one whose file must not be overwritten.
std::optional<std::wstring> ownSaveTarget();

// The save dialog, showing the name chosen last; the chosen name, or nullopt on Cancel.
std::optional<std::wstring> chooseInSaveDialog(EditorWindow& window);

// Where a save writes: the document's own target, otherwise a name chosen in the save
// dialog, which also sets the box's format from the chosen extension. nullopt when the
// dialog was cancelled.
std::optional<std::wstring> chooseSaveTarget(EditorWindow& window);

// Writes bytes to the target as one step; a failure is shown as "保存失败" with the path and
// the system's reason, and false returned.
bool writeDocumentFile(const std::wstring& target, std::string_view bytes);

// "保存失败" with the path and the system's reason for the error code.
void reportSaveFailure(const std::wstring& target, unsigned long error);

}  // namespace qnv::app
