#pragma once
// Find and replace in the editor box through the system's modeless find and replace windows.
// Matching, the wrap-around and the matches of a replace-all are the core's (TextSearch);
// this side asks the control for its text and selection and tells the user what happened.
#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "commands/TextSearch.h"
#include "ui/win/EditorBox.h"

// The find windows' request record (commdlg.h's FINDREPLACEW, whose header's names would
// clash with the command ids).
struct tagFINDREPLACEW;

namespace qnv::commands {

// The system's case mapping, one code unit for one.
void foldWithSystemCase(std::u16string& text);

class FindReplace {
 public:
  explicit FindReplace(ui::EditorBox& box);
  ~FindReplace();
  FindReplace(const FindReplace&) = delete;
  FindReplace& operator=(const FindReplace&) = delete;

  // Opens the find or the replace window beside `owner`, or brings the open one forward. It
  // starts with the selected text when that is a short piece of one line, else with the text
  // searched last.
  void showFind(HWND owner);
  void showReplace(HWND owner);
  // F3 and Shift+F3: the next or previous match of the text searched last, with its options;
  // before the first search they open the find window.
  void findAgain(HWND owner, SearchDirection direction);

  // Handles the windows' FINDMSGSTRING message; false for any other message.
  bool handleMessage(UINT msg, LPARAM lParam);
  // The open find or replace window, for the message loop's IsDialogMessage; else nullptr.
  HWND dialog() const { return dialog_; }

  // Selects the next match in `direction` from the selection, after the message
  // "已到达文档末尾，从头继续查找。" (or its upward twin) when the search went round; says
  // "找不到"…"" when there is none. Returns whether a match is selected.
  bool findNext(const SearchQuery& query, SearchDirection direction);
  // Replaces the selection when it is a match, then finds the next one.
  void replaceCurrent(const SearchQuery& query, std::u16string_view replacement, SearchDirection direction);
  // Replaces every match in the document and says how many were replaced. Returns that count.
  size_t replaceAll(const SearchQuery& query, std::u16string_view replacement);

 private:
  void show(HWND owner, bool replace);
  void remember(const SearchQuery& query);
  // The document's text as it is now, and a search of it; the text stays in textBuffer_,
  // whose memory serves the next search again.
  TextSearch searchOf(const SearchQuery& query);

  ui::EditorBox& box_;
  HWND dialog_ = nullptr;
  bool dialogReplaces_ = false;
  std::unique_ptr<tagFINDREPLACEW> request_;
  std::array<wchar_t, 256> findText_{};
  std::array<wchar_t, 256> replaceText_{};
  SearchQuery last_;
  std::u16string textBuffer_;
};

}  // namespace qnv::commands
