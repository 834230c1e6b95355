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

void sendKey(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
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
  wchar_t buffer[4096] = {};
  SendMessageTimeoutW(hwnd, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000,
                      nullptr);
  return buffer;
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
  if (!CreateProcessW(exe_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &si,
                      &pi_)) {
    throw std::runtime_error("could not start qnv.exe");
  }
  WaitForInputIdle(pi_.hProcess, 10000);
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
  for (WORD k : keys) sendKey(k, false);
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) sendKey(*it, true);
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

std::wstring messageBoxText(HWND box) { return windowText(GetDlgItem(box, 0xFFFF)); }

}  // namespace qnv::e2e
