#include "support/WinTestSupport.h"

#include <map>
#include <memory>
#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include <random>

namespace qnv::test {

void pumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (true) {
    pumpMessages();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

std::wstring hostPathToWindows(const std::string& hostPath) {
  if (hostPath.empty() || hostPath[0] != '/') {
    return std::wstring(hostPath.begin(), hostPath.end());
  }
  std::wstring out = L"Z:";
  int n = MultiByteToWideChar(CP_UTF8, 0, hostPath.data(), static_cast<int>(hostPath.size()), nullptr, 0);
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, hostPath.data(), static_cast<int>(hostPath.size()), wide.data(), n);
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  return out + wide;
}

std::filesystem::path dataDir() { return std::filesystem::path(hostPathToWindows(QNV_TEST_DATA_DIR)); }

TempDir::TempDir() {
  std::random_device rd;
  std::filesystem::path base = std::filesystem::temp_directory_path();
  path_ = base / (L"qnv-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(rd()));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string readFileBytes(const std::filesystem::path& path) {
  // Shares everything, so that polling a file never stands in the way of the program
  // replacing it.
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

void writeFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

HWND threadWindowWithCaption(const std::wstring& caption);

namespace {

struct Watch {
  std::wstring caption;
  std::function<void(HWND)> action;
  std::shared_ptr<bool> ran;
  std::chrono::steady_clock::time_point deadline;
};

std::map<UINT_PTR, Watch>& watches() {
  static std::map<UINT_PTR, Watch> all;
  return all;
}

struct FindState {
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK findByCaption(HWND hwnd, LPARAM lParam) {
  auto* state = reinterpret_cast<FindState*>(lParam);
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  if (IsWindowVisible(hwnd) && *state->caption == text) {
    state->found = hwnd;
    return FALSE;
  }
  return TRUE;
}


void CALLBACK watchTick(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = watches().find(id);
  if (it == watches().end()) return;
  Watch& watch = it->second;
  HWND window = threadWindowWithCaption(watch.caption);
  const auto now = std::chrono::steady_clock::now();
  if (!*watch.ran) {
    if (watch.ran.use_count() == 1) {
      // Nobody waits for it any more.
      KillTimer(nullptr, id);
      watches().erase(id);
    } else if (window) {
      *watch.ran = true;  // before acting: the action may run this loop again
      watch.deadline = now + std::chrono::seconds(10);
      auto action = watch.action;
      action(window);
    } else if (now > watch.deadline) {
      KillTimer(nullptr, id);
      watches().erase(id);
    }
    return;
  }
  if (!window) {
    KillTimer(nullptr, id);
    watches().erase(id);
  } else if (now > watch.deadline) {
    ADD_FAILURE() << "the window stayed open after its action";
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
}

}  // namespace

std::shared_ptr<bool> whenWindowShows(const std::wstring& caption, std::function<void(HWND)> action) {
  auto ran = std::make_shared<bool>(false);
  const UINT_PTR id = SetTimer(nullptr, 0, 10, watchTick);
  watches()[id] = Watch{caption, std::move(action), ran, std::chrono::steady_clock::now() + std::chrono::seconds(20)};
  return ran;
}

HWND threadWindowWithCaption(const std::wstring& caption) {
  FindState state{&caption, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), findByCaption, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

}  // namespace qnv::test

#include "support/EditorFixture.h"
#include "ui/win/Text.h"

namespace qnv::test {

app::EditorWindow& EditorFixture::open(const std::wstring& document, bool foreground) {
  app::appState().documentPath = ui::narrow(document);
  window = std::make_unique<app::EditorWindow>();
  EXPECT_TRUE(window->open(foreground ? SW_SHOW : SW_SHOWNOACTIVATE));
  if (foreground) {
    SetForegroundWindow(window->hwnd());
    SetFocus(window->editorBox().hwnd());
  }
  pumpMessages();
  return *window;
}

std::string EditorFixture::plainText() const {
  ui::EditorBox& box = window->editorBox();
  const int type = box.contextType();
  box.setContextType(ui::EditorBox::kPlainText);
  std::string text = box.context();
  box.setContextType(type);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace qnv::test
