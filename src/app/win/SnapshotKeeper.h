#pragma once
// Keeps the recovery snapshot of an editor's modified document: when the schedule says so,
// the document is streamed out on the window's thread (the control allows nothing else) and
// handed as bytes to a worker thread, which encrypts it for the user and writes it to the
// recovery folder, then reports back with a message posted to the window. The worker never
// touches a window or the control. The snapshot goes when the document is saved, given up,
// or found no longer modified.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/RecoverySnapshot.h"
#include "app/SnapshotSchedule.h"
#include "app/win/RecoveryFolder.h"

namespace qnv::app {

class EditorWindow;

class SnapshotKeeper {
 public:
  // Posted to the window when a snapshot has been written; wParam: 0, or the system's error.
  static constexpr UINT kWrittenMessage = WM_APP + 10;
  static constexpr UINT_PTR kTimerId = 0x5107;

  explicit SnapshotKeeper(EditorWindow& window);
  // Finishes what the worker has been given (a deletion included) when that takes no longer
  // than a few seconds, else leaves it to the end of the process; then lets the lock go.
  ~SnapshotKeeper();
  SnapshotKeeper(const SnapshotKeeper&) = delete;
  SnapshotKeeper& operator=(const SnapshotKeeper&) = delete;

  // The document changed; called before the change marks it modified.
  void contentChanged();
  // The window's snapshot timer fired.
  void onTimer();
  // A snapshot write has ended. The first failure of a run is shown; the editor goes on.
  void onWritten(unsigned long error);

  // The document was written where it belongs, or given up: its snapshot goes.
  void discard();
  // The snapshot the document was restored from becomes this editor's, with its lock and the
  // state of the document's file it was based on.
  void takeOver(SnapshotLock lock, std::optional<FileStamp> source);
  // The session ends: a change not yet kept is kept now, and the disk is waited for.
  void flush();

  // This editor's identity (its snapshot's name).
  const std::string& identity() const { return identity_; }
  // Whether nothing is pending and the worker has nothing left to do (tests wait for it).
  bool settled() const;

 private:
  struct Worker;

  bool enabled() const;
  void takeSnapshot();
  void makeWorker(SnapshotLock lock);
  void removeSnapshot();
  void give(bool write, RecoverySnapshot snapshot = {});
  void arm();
  bool waitForWorker(std::chrono::milliseconds deadline) const;

  EditorWindow& window_;
  std::string identity_;
  SnapshotSchedule schedule_;
  // The state of the document's file when it was read or last saved, as snapshots record it.
  std::optional<FileStamp> source_;
  // A snapshot of this editor may be on disk.
  bool mayExist_ = false;
  std::shared_ptr<Worker> worker_;
  std::thread thread_;
};

}  // namespace qnv::app
