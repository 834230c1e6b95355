#pragma once
// Drives qnv.exe as a user would: one copy of the program in a folder of its own (so it has
// its own settings file), started with a command line, its windows found by caption,
// keys typed with SendInput, buttons pressed and files checked on disk. Every wait polls
// with a deadline.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/RtfText.h"
#include "support/WinTestSupport.h"

namespace qnv::e2e {

using test::switchesOn;

using namespace std::chrono_literals;

void setProgramPath(const std::wstring& path);

// Polls `done` every 20 ms until it holds or the deadline passes.
bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds deadline = 10s);

std::wstring windowText(HWND hwnd);
std::wstring className(HWND hwnd);

class Session {
 public:
  Session();
  // Runs the program at `program` where it is (an installed copy), without a copy of its own.
  explicit Session(std::filesystem::path program);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const std::filesystem::path& folder() const { return dir_.path(); }
  std::filesystem::path settingsFile() const { return folder() / L"配置.ini"; }

  // Starts the program with `arguments` after its name, exactly as given.
  void start(const std::wstring& arguments = {});
  DWORD processId() const { return pi_.dwProcessId; }
  // Ends the process at once, as a crash or the task manager would.
  void kill();

  // The folder the program gets as LOCALAPPDATA: one of its own, so that what one journey
  // leaves there does not reach another; a later session may share an earlier one's.
  const std::filesystem::path& localAppData() const { return localAppData_; }
  void shareLocalAppDataOf(const Session& earlier) { localAppData_ = earlier.localAppData_; }
  std::filesystem::path recoveryFolder() const { return localAppData_ / L"qnv编辑器" / L"恢复"; }

  // The visible top-level windows of the program.
  std::vector<HWND> windows() const;
  // Waits for a visible window of the program whose caption satisfies `match`.
  HWND waitForWindow(const std::function<bool(const std::wstring&)>& match, std::chrono::milliseconds deadline = 10s) const;
  HWND waitForCaption(const std::wstring& caption, std::chrono::milliseconds deadline = 10s) const;
  // The editor window (found by its window class).
  HWND editorWindow(std::chrono::milliseconds deadline = 10s) const;
  // The text of a message box of the program with this caption, once it is up.
  HWND waitForMessageBox(const std::wstring& caption, std::chrono::milliseconds deadline = 10s) const;

  // Keyboard input through the system's input queue, to the window that has the focus.
  void focus(HWND hwnd) const;
  void typeText(const std::wstring& text) const;
  void pressChord(std::initializer_list<WORD> keys) const;

  // Presses a dialog's button as a click would.
  void clickButton(HWND dialog, int id) const;
  // Types the path into a save dialog's file name and confirms it.
  void chooseFileInSaveDialog(HWND dialog, const std::wstring& path) const;

  // Waits for the process to end; its exit code, or nullopt on time-out.
  std::optional<DWORD> waitForExit(std::chrono::milliseconds deadline = 15s);
  // Asks the editor window to close, as its close box does.
  void requestClose() const;
  // Closes a modified document without saving it, answering the two questions as a user
  // would (No to saving, Yes to leaving); whether both were asked.
  bool leaveWithoutSaving() const;

 private:
  test::TempDir dir_;
  std::filesystem::path exe_;
  std::filesystem::path localAppData_ = dir_.path() / L"AppData";
  PROCESS_INFORMATION pi_{};
};

// A message box's text (its static control).
std::wstring messageBoxText(HWND box);

// Input, pointer and text helpers shared by the journeys.
// The text in the ANSI code page, as the program writes it.
std::string ansi(const std::wstring& text);
void key(WORD vk, bool up);
POINT pointer();
// Moves the pointer to a screen point as a mouse would. Under Wine the program may read an
// older pointer position back from the display for a moment, so this waits until the
// position has stayed put for a while, moving again if it has slipped back.
void moveTo(POINT p);
void click(POINT p, bool right = false);
POINT centreOf(HWND hwnd);
// A visible window of the program of this class, once it is up.
HWND waitForClass(const Session& s, const std::wstring& cls, std::chrono::milliseconds deadline = 10s);
bool gone(const Session& s, const std::wstring& cls);
// Opens the settings window through its row of the right-click menu (the menu opened by a
// right click, the row chosen with the keys); the window once it is up.
HWND openSettingsFromMenu(const Session& s, HWND editor);

}  // namespace qnv::e2e
