#include "e2e/Driver.h"

#include <thread>

namespace qnv::e2e {
namespace {

std::filesystem::path& programPath() {
  static std::filesystem::path path;
  return path;
}

struct EnumState {
  DWORD pid;
  std::vector<HWND>* out;
};

BOOL CALLBACK collect(HWND hwnd, LPARAM lParam) {
  auto* state = reinterpret_cast<EnumState*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == state->pid && IsWindowVisible(hwnd)) state->out->push_back(hwnd);
  return TRUE;
}


}  // namespace

void setProgramPath(const std::wstring& path) {
  std::string narrow(path.begin(), path.end());
  programPath() = path.size() && path[0] == L'/' ? std::filesystem::path(test::hostPathToWindows(narrow))
                                                 : std::filesystem::path(path);
}

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

std::wstring windowText(HWND hwnd) {
  DWORD_PTR length = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 2000,
                      &copied);
  text.resize(std::min<size_t>(static_cast<size_t>(copied), text.size() - 1));
  return text;
}

std::wstring className(HWND hwnd) {
  wchar_t buffer[256] = {};
  GetClassNameW(hwnd, buffer, static_cast<int>(std::size(buffer)));
  return buffer;
}

Session::Session() {
  exe_ = dir_.path() / L"qnv.exe";
  std::filesystem::copy_file(programPath(), exe_);
}

Session::Session(std::filesystem::path program) : exe_(std::move(program)) {}

Session::~Session() {
  if (pi_.hProcess) {
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(pi_.hProcess, 1);
      WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
}

void Session::start(const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + exe_.wstring() + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  const std::wstring workDir = dir_.path().wstring();
  // The program inherits this process's environment, with its own LOCALAPPDATA.
  std::filesystem::create_directories(localAppData_);
  std::wstring previous(32768, L'\0');
  previous.resize(GetEnvironmentVariableW(L"LOCALAPPDATA", previous.data(), static_cast<DWORD>(previous.size())));
  SetEnvironmentVariableW(L"LOCALAPPDATA", localAppData_.c_str());
  const BOOL started = CreateProcessW(exe_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     workDir.c_str(), &si, &pi_);
  SetEnvironmentVariableW(L"LOCALAPPDATA", previous.empty() ? nullptr : previous.c_str());
  if (!started) throw std::runtime_error("could not start qnv.exe");
  WaitForInputIdle(pi_.hProcess, 10000);
}

void Session::kill() {
  TerminateProcess(pi_.hProcess, 1);
  WaitForSingleObject(pi_.hProcess, 5000);
}

std::vector<HWND> Session::windows() const {
  std::vector<HWND> out;
  EnumState state{pi_.dwProcessId, &out};
  EnumWindows(collect, reinterpret_cast<LPARAM>(&state));
  return out;
}

HWND Session::waitForWindow(const std::function<bool(const std::wstring&)>& match,
                            std::chrono::milliseconds deadline) const {
  HWND found = nullptr;
  waitFor(
      [&] {
        for (HWND hwnd : windows()) {
          if (match(windowText(hwnd))) {
            found = hwnd;
            return true;
          }
        }
        return false;
      },
      deadline);
  return found;
}

HWND Session::waitForCaption(const std::wstring& caption, std::chrono::milliseconds deadline) const {
  return waitForWindow([&](const std::wstring& text) { return text == caption; }, deadline);
}

HWND Session::editorWindow(std::chrono::milliseconds deadline) const {
  HWND found = nullptr;
  waitFor(
      [&] {
        for (HWND hwnd : windows()) {
          if (className(hwnd) == L"qnvWindow" && GetDlgItem(hwnd, 100)) {
            found = hwnd;
            return true;
          }
        }
        return false;
      },
      deadline);
  return found;
}

HWND Session::waitForMessageBox(const std::wstring& caption, std::chrono::milliseconds deadline) const {
  HWND found = nullptr;
  waitFor(
      [&] {
        for (HWND hwnd : windows()) {
          if (className(hwnd) == L"#32770" && windowText(hwnd) == caption) {
            found = hwnd;
            return true;
          }
        }
        return false;
      },
      deadline);
  return found;
}

void Session::focus(HWND hwnd) const {
  SetForegroundWindow(hwnd);
  waitFor([&] { return GetForegroundWindow() == hwnd; }, 3s);
}

void Session::typeText(const std::wstring& text) const {
  for (wchar_t c : text) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wScan = in[1].ki.wScan = c;
    in[0].ki.dwFlags = KEYEVENTF_UNICODE;
    in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
  }
}

void Session::pressChord(std::initializer_list<WORD> keys) const {
  for (WORD k : keys) key(k, false);
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) key(*it, true);
}

void Session::clickButton(HWND dialog, int id) const {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Session::chooseFileInSaveDialog(HWND dialog, const std::wstring& path) const {
  HWND name = GetDlgItem(dialog, 0x47c);
  if (!name) name = GetDlgItem(dialog, 0x480);
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  clickButton(dialog, IDOK);
}

std::optional<DWORD> Session::waitForExit(std::chrono::milliseconds deadline) {
  if (WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(deadline.count())) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(pi_.hProcess, &code);
  return code;
}

void Session::requestClose() const { PostMessageW(editorWindow(), WM_CLOSE, 0, 0); }

bool Session::leaveWithoutSaving() const {
  requestClose();
  HWND ask = waitForMessageBox(L"是否保存");
  if (!ask) return false;
  clickButton(ask, IDNO);
  HWND quit = waitForMessageBox(L"退出？");
  if (!quit) return false;
  clickButton(quit, IDYES);
  return true;
}

std::wstring messageBoxText(HWND box) { return windowText(GetDlgItem(box, 0xFFFF)); }

// The text in the ANSI code page, as the program writes it.
std::string ansi(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

void key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
}

POINT pointer() {
  POINT p{};
  GetCursorPos(&p);
  return p;
}

// Moves the pointer to a screen point as a mouse would. Under Wine the program may read an
// older pointer position back from the display for a moment, so this waits until the
// position has stayed put for a while, moving again if it has slipped back.
void moveTo(POINT p) {
  const auto move = [&] {
    SetCursorPos(p.x, p.y);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(p.x, 65536, GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = MulDiv(p.y, 65536, GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
  };
  move();
  auto since = std::chrono::steady_clock::now();
  waitFor(
      [&] {
        const POINT now = pointer();
        if (now.x != p.x || now.y != p.y) {
          move();
          since = std::chrono::steady_clock::now();
          return false;
        }
        return std::chrono::steady_clock::now() - since > 300ms;
      },
      5s);
}

void click(POINT p, bool right) {
  moveTo(p);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

POINT centreOf(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A visible window of the program of this class, once it is up.
HWND waitForClass(const Session& s, const std::wstring& cls, std::chrono::milliseconds deadline) {
  HWND found = nullptr;
  waitFor(
      [&] {
        for (HWND hwnd : s.windows()) {
          if (className(hwnd) == cls) {
            found = hwnd;
            return true;
          }
        }
        return false;
      },
      deadline);
  return found;
}

bool gone(const Session& s, const std::wstring& cls) {
  return waitFor([&] {
    for (HWND hwnd : s.windows()) {
      if (className(hwnd) == cls) return false;
    }
    return true;
  });
}

HWND openSettingsFromMenu(const Session& s, HWND editor) {
  RECT box;
  GetWindowRect(GetDlgItem(editor, 100), &box);
  click({box.left + 80, box.top + 60}, true);
  if (!waitForClass(s, L"#32768")) return nullptr;
  // 设置 is the last designed row, the seventh from the bottom below the rows beyond the
  // design: Up from no selection reaches the bottom row first.
  for (int i = 0; i < 7; ++i) s.pressChord({VK_UP});
  s.pressChord({VK_RETURN});
  return s.waitForCaption(L"设置");
}

}  // namespace qnv::e2e
