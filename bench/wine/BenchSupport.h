#pragma once
// What the timed scenarios under Wine share: times in milliseconds, medians, the longest wait
// for the event loop, and the document they work on.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "ui/win/Handles.h"
#include "ui/win/Text.h"

namespace qnv::bench {

using Clock = std::chrono::steady_clock;

inline double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Records when the event loop runs, so that the longest wait between two runs is known.
struct GapRecorder {
  Clock::time_point last;
  double longest = 0;

  void start() {
    last = Clock::now();
    longest = 0;
  }
  void mark() {
    longest = std::max(longest, millisecondsSince(last));
    last = Clock::now();
  }
};

// What the editor's windows need of the process, as the program's start-up gives it: OLE,
// the common controls and the rich-text control.
struct EditorProcess {
  ui::OleInit ole;
  EditorProcess() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    LoadLibraryW(L"riched20.dll");
  }
};

// A folder of this run's own for a benchmark's files: qnv-bench-<name>-<process id>.
inline std::filesystem::path scratchFolder(const std::wstring& name) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / (L"qnv-bench-" + name + L"-" + std::to_wstring(GetCurrentProcessId()));
  std::filesystem::create_directories(folder);
  return folder;
}

// Lines of ASCII with some Chinese (or ASCII alone), in the ANSI code page, `bytes` long.
inline std::string makeDocument(size_t bytes, bool asciiOnly = false) {
  std::string text;
  text.reserve(bytes + 128);
  for (int line = 0; text.size() < bytes; ++line) {
    if (asciiOnly) {
      text += "line " + std::to_string(line) + " the quick brown fox jumps over the lazy dog, ";
    } else {
      text += ui::toAnsi(L"第" + std::to_wstring(line) + L"行：the quick brown fox jumps over the lazy dog, 中文文本 ");
    }
    text += "0123456789 abcdefghijklmnopqrstuvwxyz\r\n";
  }
  text.resize(bytes);
  return text;
}

}  // namespace qnv::bench
