#include "app/win/SnapshotKeeper.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "app/win/EditorWindow.h"
#include "crypto/Wipe.h"
#include "ui/win/Prompts.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

using Clock = SnapshotSchedule::Clock;

// How long the end of an editor waits for its worker before leaving it to the process's end.
constexpr std::chrono::seconds kShutdownWait(10);
constexpr int kWriteAttempts = 3;
constexpr std::chrono::milliseconds kRetryPause(300);

std::uint64_t timeNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

SnapshotProtection protectionNow() {
  const KeptProtection& kept = appState().keptProtection;
  if (!kept.format()) return SnapshotProtection::None;
  return *kept.format() == ProtectionFormat::Legacy ? SnapshotProtection::Legacy : SnapshotProtection::Strong;
}

}  // namespace

// What the window's thread and the worker share. The worker holds its own reference, so an
// editor that stops waiting for it leaves nothing behind that it still uses.
struct SnapshotKeeper::Worker {
  // Writes the snapshot, or deletes the file without one.
  struct Job {
    bool write = false;
    RecoverySnapshot snapshot;
  };

  std::wstring folder;
  std::string identity;
  HWND window = nullptr;

  std::mutex mutex;
  std::condition_variable wake;     // something to do, or the end
  std::condition_variable settled;  // nothing to do
  // The next job: the latest one replaces any that has not started.
  std::optional<Job> next;
  bool busy = false;
  bool ending = false;
  bool ended = false;
  // This editor's lock, held from its first snapshot on (or handed over at restore).
  SnapshotLock lock;

  void run() {
    std::unique_lock<std::mutex> guard(mutex);
    while (true) {
      wake.wait(guard, [&] { return next || ending; });
      if (!next) break;
      Job job = std::move(*next);
      next.reset();
      busy = true;
      guard.unlock();
      if (job.write) {
        unsigned long error = write(job.snapshot);
        // A virus scanner or an indexer may hold the file for a moment: try again before
        // giving up, unless a newer snapshot waits.
        for (int attempt = 1; error != 0 && attempt < kWriteAttempts && !newerWaiting(); ++attempt) {
          std::this_thread::sleep_for(kRetryPause);
          error = write(job.snapshot);
        }
        crypto::wipe(job.snapshot.document);
        PostMessageW(window, kWrittenMessage, error, 0);
      } else {
        deleteSnapshotFile(folder, identity);
      }
      guard.lock();
      busy = false;
      if (!next) settled.notify_all();
    }
    ended = true;
    settled.notify_all();
  }

  bool newerWaiting() {
    std::lock_guard<std::mutex> guard(mutex);
    return next.has_value();
  }

  // Only the worker touches the lock once it runs.
  unsigned long write(const RecoverySnapshot& snapshot) {
    if (const std::optional<unsigned long> error = makeRecoveryFolder(folder)) return *error;
    if (!lock.held()) {
      lock = SnapshotLock::hold(folder, identity);
      if (!lock.held()) return GetLastError() ? GetLastError() : ERROR_SHARING_VIOLATION;
    }
    return writeSnapshotFile(folder, snapshot).value_or(0);
  }
};

SnapshotKeeper::SnapshotKeeper(EditorWindow& window)
    : window_(window), identity_(newEditorIdentity()), schedule_(appState().recovery.timing) {}

SnapshotKeeper::~SnapshotKeeper() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> guard(worker_->mutex);
    worker_->ending = true;
  }
  worker_->wake.notify_all();
  if (waitForWorker(kShutdownWait)) {
    thread_.join();
  } else {
    thread_.detach();  // the process ends it; the lock goes with the process
  }
}

bool SnapshotKeeper::enabled() const { return !appState().recovery.folder.empty(); }

void SnapshotKeeper::contentChanged() {
  if (!enabled()) return;
  if (appState().isModified != 1) {
    // The document as it is on disk, once more: loaded or just saved.
    const std::optional<std::wstring> target = ownSaveTarget();
    source_ = target ? fileStampOf(*target) : std::nullopt;
  }
  schedule_.changed(Clock::now());
  arm();
}

void SnapshotKeeper::onTimer() {
  KillTimer(window_.hwnd(), kTimerId);
  switch (schedule_.due(Clock::now(), appState().isModified == 1)) {
    case SnapshotSchedule::Action::Take:
      takeSnapshot();
      break;
    case SnapshotSchedule::Action::Discard:
      removeSnapshot();
      break;
    case SnapshotSchedule::Action::None:
      break;
  }
  arm();
}

void SnapshotKeeper::takeSnapshot() {
  AppState& state = appState();
  RecoverySnapshot snapshot;
  snapshot.owner = identity_;
  snapshot.takenAt = timeNow();
  snapshot.documentPath = state.documentPath;
  snapshot.displayName = state.displayName;
  snapshot.savesToDocument = ownSaveTarget().has_value();
  snapshot.dialogName = ui::narrow(window_.saveDialog().fileName);
  snapshot.richText = window_.editorBox().contextType() == ui::EditorBox::kRichText;
  snapshot.protection = protectionNow();
  if (snapshot.protection == SnapshotProtection::Legacy) {
    if (const std::optional<Protection> kept = state.keptProtection.recall()) snapshot.checkValue = kept->checkValue;
  }
  snapshot.source = source_;
  snapshot.document = window_.editorBox().richText();
  give(true, std::move(snapshot));
}

void SnapshotKeeper::makeWorker(SnapshotLock lock) {
  worker_ = std::make_shared<Worker>();
  worker_->folder = appState().recovery.folder;
  worker_->identity = identity_;
  worker_->window = window_.hwnd();
  worker_->lock = std::move(lock);
}

void SnapshotKeeper::give(bool write, RecoverySnapshot snapshot) {
  if (!worker_) makeWorker({});
  {
    std::lock_guard<std::mutex> guard(worker_->mutex);
    worker_->next = Worker::Job{write, std::move(snapshot)};
  }
  if (write) mayExist_ = true;
  if (!thread_.joinable()) {
    thread_ = std::thread([worker = worker_] { worker->run(); });
  }
  worker_->wake.notify_all();
}

void SnapshotKeeper::arm() {
  const std::optional<Clock::time_point> next = schedule_.nextCheck();
  if (!next) {
    KillTimer(window_.hwnd(), kTimerId);
    return;
  }
  const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(*next - Clock::now()).count();
  SetTimer(window_.hwnd(), kTimerId, static_cast<UINT>(std::clamp<long long>(wait, USER_TIMER_MINIMUM, 60000)), nullptr);
}

void SnapshotKeeper::onWritten(unsigned long error) {
  RecoveryWork& recovery = appState().recovery;
  if (error == 0 || recovery.failureShown) return;
  recovery.failureShown = true;
  ui::showMessage(L"无法保存恢复用的副本，程序意外退出时未保存的内容将无法恢复。编辑器仍可照常使用。\r\n" + recovery.folder +
                  L"\r\n" + ui::systemMessage(error));
}

void SnapshotKeeper::removeSnapshot() {
  if (mayExist_) give(false);
  mayExist_ = false;
}

void SnapshotKeeper::discard() {
  schedule_.forget();
  if (window_.hwnd()) KillTimer(window_.hwnd(), kTimerId);
  removeSnapshot();
}

void SnapshotKeeper::takeOver(SnapshotLock lock, std::optional<FileStamp> source) {
  // Only before this editor has kept anything of its own.
  if (!enabled() || !lock.held() || worker_) return;
  identity_ = lock.identity();
  source_ = source;
  makeWorker(std::move(lock));
  mayExist_ = true;
  schedule_.keeping(Clock::now());
  arm();
}

void SnapshotKeeper::flush() {
  if (!enabled()) return;
  if (appState().isModified == 1 && schedule_.takeNow(Clock::now())) takeSnapshot();
  if (thread_.joinable()) waitForWorker(kShutdownWait);
}

bool SnapshotKeeper::waitForWorker(std::chrono::milliseconds deadline) const {
  std::unique_lock<std::mutex> guard(worker_->mutex);
  return worker_->settled.wait_for(guard, deadline, [&] {
    return worker_->ended || (!worker_->next && !worker_->busy && !worker_->ending);
  });
}

bool SnapshotKeeper::settled() const {
  if (schedule_.pending()) return false;
  if (!worker_) return true;
  std::lock_guard<std::mutex> guard(worker_->mutex);
  return !worker_->next && !worker_->busy;
}

}  // namespace qnv::app
