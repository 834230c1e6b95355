#pragma once
// Everything modal that asks the user, and ending the process, goes through Prompts:
// the program uses the Win32 implementation, tests install a scripted one.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qnv::ui {

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// The caption of a message box opened without a title.
inline constexpr std::wstring_view kDefaultMessageCaption = L"信息：";

struct FileType {
  std::wstring description;
  std::wstring pattern;
};

// The values of a save-file or open-file dialog. After OK, fileName holds the chosen full
// path; a cancel leaves every value as it was.
struct FileDialogValues {
  std::wstring title;
  std::vector<FileType> fileTypes;
  int initialFilter = 1;  // 1-based, as the system dialog counts
  std::wstring defaultExtension;
  std::wstring fileName;
  bool overwritePrompt = false;
  bool pathMustExist = false;
  bool fileMustExist = false;
  // The folder the dialog shows first when fileName names none; empty: the system's choice.
  std::wstring initialFolder;
};
using SaveDialogValues = FileDialogValues;

// The values of the font dialog (screen fonts, with effects and colour). A size of 0
// leaves the dialog's own default. On Cancel nothing changes.
struct FontDialogValues {
  std::wstring fontName;
  int size = 0;  // points
  uint32_t colour = 0;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
};

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A message box without an owner window, modal for the whole program.
  virtual MessageAnswer message(std::wstring_view text, std::wstring_view caption, MessageButtons buttons) = 0;
  // Each returns true for OK and false for Cancel.
  virtual bool saveFileName(SaveDialogValues& dialog) = 0;
  virtual bool openFileName(FileDialogValues& dialog) = 0;
  virtual bool chooseFont(FontDialogValues& values) = 0;
  virtual bool chooseColour(uint32_t& colour) = 0;
  // The print dialog: a device context of the chosen printer, which the caller deletes, or
  // nullptr for Cancel. Without any printer the system says so itself and nullptr comes back.
  virtual HDC choosePrinter() = 0;
  // Ends the program: its message loop stops, the program cleans up and the process ends
  // with `code`, without any further handler of its windows. A scripted implementation
  // records the call and returns.
  virtual void exitProcess(int code) = 0;
};

Prompts& prompts();
// Installs `p` for all later calls; nullptr restores the Win32 implementation.
void setPrompts(Prompts* p);

MessageAnswer showMessage(std::wstring_view text, std::wstring_view caption = kDefaultMessageCaption,
                          MessageButtons buttons = MessageButtons::Ok);

}  // namespace qnv::ui
