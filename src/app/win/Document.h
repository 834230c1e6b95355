#pragma once
// Opening the command-line document and saving the document.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/DocumentSize.h"

namespace qnv::app {

class EditorWindow;

// The machine's physical memory now, from the system.
PhysicalMemory systemPhysicalMemory();

// Loads the file named by documentPath into the editor box, or hands a protected file to
// the unlock window, and sets the caption. Returns whether the file's document is in the box
// (read, at least in part, or unlocked). A file that cannot be read, that is too large for
// the machine's memory, or whose RTF the control could not survive is reported; the
// document is then left empty and without a save target of its own, or, when `replacing`
// the document of a running editor, the current one stays as it is. For a large file the
// user is asked first.
bool openDocument(EditorWindow& window, bool replacing = false);

// The largest file of this kind that opening reads on this machine.
uint64_t documentReadLimit(DocumentKind kind);

// Puts a document's text (from `path`) into the editor box. RTF is checked first: RTF the
// control could not survive is refused with a message and leaves the box empty; RTF the
// control reports it could not read leaves what it read. Either way the document then has
// no save target of its own, so the file is never overwritten. Returns whether the whole
// text was loaded.
bool loadDocumentText(EditorWindow& window, std::string_view text, const std::wstring& path);

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

// "保存失败" with the path and the system's reason for the error code; when the new bytes
// could only be kept in another file, also where they are.
void reportSaveFailure(const std::wstring& target, unsigned long error, const std::wstring& newBytesKeptAt = {});

}  // namespace qnv::app
