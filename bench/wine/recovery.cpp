// Recovery snapshots of a 1 MB and a 10 MB document in the real editor window: the pause of
// the window's thread when a snapshot is taken (the snapshot timer's handler: the stream-out
// and the hand-over to the worker) against the rich-edit control's own stream-out of the same
// document, the longest wait of the event loop while the worker encrypts and writes it, and
// the worker's time. Prints figures; asserts nothing.
//
//   scripts/wine-exec build/NAME-win/bench/bench_recovery.exe [rounds]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/win/AppState.h"
#include "app/win/EditorWindow.h"
#include "ui/win/Text.h"
#include "ui/win/Window.h"

using namespace qnv;
using namespace qnv::app;
using namespace qnv::bench;

int wmain(int argc, wchar_t** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 15;

  const EditorProcess process;
  const std::filesystem::path folder = scratchFolder(L"recovery");

  for (const size_t megabytes : {1, 10}) {
    resetAppState((folder / L"配置.ini").wstring());
    // Snapshots only when this program asks for them.
    appState().recovery.folder = (folder / L"恢复").wstring();
    appState().recovery.timing = {std::chrono::milliseconds(0), std::chrono::milliseconds(0), std::chrono::hours(1)};
    auto window = std::make_unique<EditorWindow>();
    if (!window->open(SW_SHOWNOACTIVATE)) {
      std::printf("could not open the editor window\n");
      return 1;
    }
    const std::string text = makeDocument(megabytes << 20);
    window->editorBox().setContext(text);
    appState().isModified = 1;
    SnapshotKeeper& keeper = window->snapshots();
    const auto settle = [&] {
      // The event loop runs while the worker encrypts and writes; its longest wait is recorded.
      GapRecorder gaps;
      gaps.start();
      while (!keeper.settled()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        ui::processPendingEvents();
        gaps.mark();
      }
      ui::processPendingEvents();
      return gaps.longest;
    };
    settle();  // the snapshot the loading itself asked for

    std::vector<double> streamOut, pause, loopWait, worker;
    size_t rtfBytes = 0;
    for (int round = 0; round < rounds; ++round) {
      auto t = Clock::now();
      rtfBytes = window->editorBox().richText().size();
      streamOut.push_back(millisecondsSince(t));
      ui::processPendingEvents();

      keeper.contentChanged();
      t = Clock::now();
      keeper.onTimer();  // due at once: the snapshot is taken here
      pause.push_back(millisecondsSince(t));
      t = Clock::now();
      loopWait.push_back(settle());
      worker.push_back(millisecondsSince(t));
    }
    std::error_code ec;
    const uintmax_t fileBytes =
        std::filesystem::file_size(folder / L"恢复" / ui::widen(keeper.identity() + ".snapshot"), ec);
    std::printf("%zu MB of text, %zu bytes as RTF, snapshot file %ju bytes; medians of %d rounds\n", megabytes,
                rtfBytes, fileBytes, rounds);
    std::printf("  control stream-out (RTF):           %7.1f ms\n", median(streamOut));
    std::printf("  snapshot, pause of the UI thread:   %7.1f ms   ratio %.2f (target <= 1.20)\n", median(pause),
                median(pause) / median(streamOut));
    std::printf("  then, longest wait of the event loop while the worker runs: %.1f ms\n", median(loopWait));
    std::printf("  the worker: encrypt and write        %7.1f ms\n", median(worker));
    window.reset();
    ui::processPendingEvents();
  }
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return 0;
}
