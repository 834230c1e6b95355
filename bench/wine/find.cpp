// Find and replace in the real editor window under Wine, beside the control's own search:
//   find the one match at the end of a 10 MB document   vs EM_FINDTEXTEXW of the same text
//   replace all 10,000 matches in a 1 MB document        (time, and how long the window
//                                                          took to answer another thread)
// Usage: bench_find.exe [rounds]   (prints figures; asserts nothing). The first search of a
// window also fills the memory that holds the document's text for every later search.
#include <windows.h>
#include <commdlg.h>
#include <richedit.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/win/AppState.h"
#include "app/win/EditorWindow.h"
#include "ui/win/Handles.h"
#include "ui/win/Prompts.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace qnv;

double msSince(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Answers the one message a replace-all shows, and nothing else is asked.
struct QuietPrompts final : ui::Prompts {
  ui::MessageAnswer message(std::wstring_view, std::wstring_view, ui::MessageButtons) override {
    return ui::MessageAnswer::Ok;
  }
  bool saveFileName(ui::SaveDialogValues&) override { return false; }
  bool openFileName(ui::FileDialogValues&) override { return false; }
  bool chooseFont(ui::FontDialogValues&) override { return false; }
  bool chooseColour(uint32_t&) override { return false; }
  HDC choosePrinter() override { return nullptr; }
  void exitProcess(int) override {}
};

// Lines of GBK Chinese and ASCII up to `bytes`, as plain text.
std::string lines(size_t bytes, const std::string& line) {
  std::string text;
  text.reserve(bytes);
  while (text.size() + line.size() <= bytes) text += line;
  return text;
}

// While alive, another thread sends the window a message every 10 ms and records the
// longest time until it was answered: how long the window did not respond.
class ResponseWatch {
 public:
  explicit ResponseWatch(HWND window)
      : thread_([this, window] {
          while (!stop_) {
            const auto t = Clock::now();
            DWORD_PTR result = 0;
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
            longest_ = std::max(longest_.load(), msSince(t));
            Sleep(10);
          }
          done_ = true;
        }) {}
  ~ResponseWatch() { stop(); }
  // The window keeps answering (this thread pumps) until the watch has ended.
  double stop() {
    stop_ = true;
    while (!done_) {
      pump();
      Sleep(1);
    }
    if (thread_.joinable()) thread_.join();
    return longest_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> done_{false};
  std::atomic<double> longest_{0};
  std::thread thread_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 3;
  ui::OleInit ole;
  LoadLibraryW(L"riched20.dll");
  const auto dir = std::filesystem::temp_directory_path() / L"qnv-bench-find";
  std::filesystem::create_directories(dir);
  app::resetAppState((dir / L"配置.ini").wstring());
  QuietPrompts prompts;
  ui::setPrompts(&prompts);

  // GBK: 中文笔记
  const std::string line = "\xD6\xD0\xCE\xC4\xB1\xCA\xBC\xC7 The quick brown fox jumps over the lazy dog 0123456789\r\n";
  {
    app::EditorWindow window;
    window.open(SW_SHOWNOACTIVATE);
    window.editorBox().setContextType(ui::EditorBox::kPlainText);
    window.editorBox().setContext(lines(10u << 20, line) + "needle");
    pump();
    HWND box = window.editorBox().hwnd();
    const std::wstring needle = L"needle";
    for (const bool matchCase : {true, false}) {
      std::vector<double> control, ours;
      LONG controlAt = -1;
      ui::TextRange oursAt;
      for (int r = 0; r < rounds; ++r) {
        FINDTEXTEXW ft{};
        ft.chrg = {0, -1};
        ft.lpstrText = needle.c_str();
        auto t = Clock::now();
        controlAt = static_cast<LONG>(SendMessageW(box, EM_FINDTEXTEXW, FR_DOWN | (matchCase ? FR_MATCHCASE : 0),
                                                   reinterpret_cast<LPARAM>(&ft)));
        control.push_back(msSince(t));

        window.editorBox().select({0, 0});
        t = Clock::now();
        window.findReplace().findNext({u"needle", matchCase, false}, commands::SearchDirection::Down);
        ours.push_back(msSince(t));
        oursAt = window.editorBox().selection();
      }
      std::printf("find the last match of 10 MB (%s): qnv %6.0f ms (first search %6.0f ms)   EM_FINDTEXTEXW %6.0f ms"
                  "   ratio %.2f, first %.2f (target <= 1.2)   [found at %zu, control at %ld]\n",
                  matchCase ? "match case " : "ignore case", median(ours), ours.front(), median(control),
                  median(ours) / median(control), ours.front() / median(control), oursAt.start, controlAt);
    }
  }
  {
    app::EditorWindow window;
    window.open(SW_SHOWNOACTIVATE);
    window.editorBox().setContextType(ui::EditorBox::kPlainText);
    // 10,000 lines of about 100 bytes, one "fox" each: 1 MB.
    window.editorBox().setContext(lines(10000 * line.size(), line));
    pump();
    ResponseWatch watch(window.hwnd());
    const auto t = Clock::now();
    const size_t replaced = window.findReplace().replaceAll({u"fox", true, false}, u"cat");
    const double ms = msSince(t);
    const double longestWait = watch.stop();
    std::printf("replace all in 1 MB: %zu replaced in %6.0f ms (%.2f ms each); the window answered within %.0f ms\n",
                replaced, ms, ms / static_cast<double>(replaced), longestWait);
  }
  ui::setPrompts(nullptr);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
