// Encrypt-and-save and unlock of a 10 MB document in the real editor window, against the
// rich-edit control's own stream-out and stream-in of the same document, and the longest
// time the event loop waits while they run. Prints figures; asserts nothing.
//
//   scripts/wine-exec build/NAME-win/bench/bench_protected.exe [megabytes] [rounds] [ascii]
//
// The document is lines of ASCII with some Chinese (or ASCII alone with a third argument).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "app/win/EditorWindow.h"
#include "crypto/Digest.h"
#include "crypto/ProtectedFormat.h"
#include "app/win/ProtectedDocument.h"
#include "ui/win/Handles.h"
#include "ui/win/Text.h"
#include "ui/win/Window.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace qnv;
using namespace qnv::app;
using namespace qnv::crypto;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
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

GapRecorder gaps;

// The document: lines of ASCII with some Chinese, in the ANSI code page, `bytes` long.
bool asciiOnly = false;
std::string makeDocument(size_t bytes) {
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const size_t megabytes = argc > 1 ? static_cast<size_t>(_wtoi(argv[1])) : 10;
  const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 3;
  asciiOnly = argc > 3;

  ui::OleInit ole;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  LoadLibraryW(L"riched20.dll");

  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / (L"qnv-bench-protected-" + std::to_wstring(GetCurrentProcessId()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path target = folder / L"bench.qnv";

  resetAppState((folder / L"配置.ini").wstring());
  ProtectedWork& hooks = appState().protectedWork;
  hooks.processEvents = [] {
    gaps.mark();
    ui::processPendingEvents();
  };

  // Each stream-in goes into a fresh, empty editor, as the unlock at start-up does: Wine's
  // control takes far longer to delete a large document than to read one.
  std::unique_ptr<EditorWindow> window;
  const auto freshWindow = [&] {
    window.reset();
    appState().documentPath.clear();
    window = std::make_unique<EditorWindow>();
    if (!window->open(SW_SHOWNOACTIVATE)) {
      std::printf("could not open the editor window\n");
      std::exit(1);
    }
    appState().documentPath = ui::narrow(target.wstring());
    ui::processPendingEvents();
  };

  const std::string text = makeDocument(megabytes << 20);
  const std::wstring password = L"密码";
  const std::string checkValue = passwordCheckValue(ui::toAnsi(password));

  freshWindow();
  auto t = Clock::now();
  window->editorBox().setContext(text);
  const double plainStreamIn = millisecondsSince(t);
  ui::processPendingEvents();

  std::vector<double> streamOut, streamIn, encrypt, unlock, plainSave, encryptGap, unlockGap, encodeGap, decodeGap;
  std::string document;
  size_t fileBytes = 0;
  for (int round = 0; round < rounds; ++round) {
    // The control alone: the whole document out ...
    t = Clock::now();
    document = window->editorBox().context();
    streamOut.push_back(millisecondsSince(t));
    ui::processPendingEvents();

    // ... an ordinary save of it, for comparison ...
    t = Clock::now();
    if (!writeDocumentFile((folder / L"plain.rtf").wstring(), window->editorBox().context())) {
      std::printf("the ordinary save failed\n");
    }
    plainSave.push_back(millisecondsSince(t));

    // ... and the protected save through the routine behind the encrypt window's button.
    gaps.start();
    t = Clock::now();
    const bool saved = encryptAndSave(*window, password) == PasswordVerdict::Accepted;
    encrypt.push_back(millisecondsSince(t));
    gaps.mark();
    encryptGap.push_back(gaps.longest);
    if (!saved) std::printf("encryptAndSave failed\n");
    fileBytes = static_cast<size_t>(std::filesystem::file_size(target));
    ui::processPendingEvents();

    // The same bytes into an empty control, then the unlock of the protected file.
    freshWindow();
    t = Clock::now();
    window->editorBox().setContext(document);
    streamIn.push_back(millisecondsSince(t));
    ui::processPendingEvents();

    freshWindow();
    gaps.start();
    t = Clock::now();
    const bool unlocked = unlockDocument(*window, password) == PasswordVerdict::Accepted;
    unlock.push_back(millisecondsSince(t));
    gaps.mark();
    unlockGap.push_back(gaps.longest);
    if (!unlocked) std::printf("unlockDocument failed\n");
    ui::processPendingEvents();

    // The codec's own share, with the pump the routines use.
    EventPump pump(hooks.processEvents, hooks.pumpInterval);
    gaps.start();
    const std::string file = protectedFileContent(document, checkValue, &pump);
    gaps.mark();
    encodeGap.push_back(gaps.longest);
    gaps.start();
    const auto back = decryptText(std::string_view(file).substr(kProtectedMarker.size()), checkValue, &pump);
    gaps.mark();
    decodeGap.push_back(gaps.longest);
    if (!back || *back != textUpToFirstNul(document)) std::printf("the codec did not give the document back\n");
    std::printf("round %d: stream-out %.0f ms, encrypt-and-save %.0f ms, stream-in %.0f ms, unlock %.0f ms\n",
                round + 1, streamOut.back(), encrypt.back(), streamIn.back(), unlock.back());
  }

  std::printf("document: %zu MB of text (%zu bytes), %zu bytes as RTF; protected file %zu bytes; %d rounds, medians\n",
              megabytes, text.size(), document.size(), fileBytes, rounds);
  std::printf("first stream-in of the plain text: %.0f ms\n", plainStreamIn);
  std::printf("control stream-out (RTF):   %8.0f ms\n", median(streamOut));
  std::printf("ordinary save (for comparison): %4.0f ms   ratio %.2f\n", median(plainSave),
              median(plainSave) / median(streamOut));
  std::printf("encrypt-and-save:           %8.0f ms   ratio %.2f (target <= 1.50)\n", median(encrypt),
              median(encrypt) / median(streamOut));
  std::printf("control stream-in (RTF):    %8.0f ms\n", median(streamIn));
  std::printf("unlock:                     %8.0f ms   ratio %.2f (target <= 1.50)\n", median(unlock),
              median(unlock) / median(streamIn));
  std::printf("longest wait for the event loop (target < 50 ms):\n");
  std::printf("  encrypt-and-save %.0f ms, unlock %.0f ms (each includes one stream call of the control)\n",
              median(encryptGap), median(unlockGap));
  std::printf("  hex encode of the document %.1f ms, decode %.1f ms (the routines' own work)\n", median(encodeGap),
              median(decodeGap));

  window.reset();
  ui::processPendingEvents();
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return 0;
}
