#pragma once
// Helpers shared by the tests that run under Wine.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace qnv::test {

// Processes pending messages of this thread.
void pumpMessages();

// Pumps messages until `done` holds or the deadline passes; returns whether it held.
bool pumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds deadline = std::chrono::milliseconds(5000));

// The fixtures folder (tests/data) as a Windows path.
std::filesystem::path dataDir();

// A fresh empty folder for one test, removed when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::wstring& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

std::string readFileBytes(const std::filesystem::path& path);
void writeFileBytes(const std::filesystem::path& path, const std::string& bytes);

// A window of this thread with exactly this caption, or nullptr.
HWND threadWindowWithCaption(const std::wstring& caption);

// Watches for a window with `caption` from inside whichever message loop this thread runs
// (a modal window's included) and runs the action on it once; the flag tells whether it
// ran. A window still open twenty seconds after its action is closed, so that a failing
// test fails instead of hanging. Letting go of the flag before the window showed ends the
// watch.
std::shared_ptr<bool> whenWindowShows(const std::wstring& caption, std::function<void(HWND)> action);

// Converts a path of the build machine (/work/...) to the path Wine shows for it (Z:\work\...).
std::wstring hostPathToWindows(const std::string& hostPath);

// Runs `f` from inside whatever message loop is running when its timer fires, again at
// each tick until it returns true.
class Soon {
 public:
  explicit Soon(std::function<bool()> f) {
    pending() = std::move(f);
    id_ = SetTimer(nullptr, 0, 10, fire);
  }
  ~Soon() {
    KillTimer(nullptr, id_);
    pending() = nullptr;
  }
  Soon(const Soon&) = delete;
  Soon& operator=(const Soon&) = delete;

 private:
  static std::function<bool()>& pending() {
    static std::function<bool()> f;
    return f;
  }
  static void CALLBACK fire(HWND, UINT, UINT_PTR id, DWORD) {
    auto f = std::exchange(pending(), nullptr);  // not run again from a loop inside f
    if (!f || f()) {
      KillTimer(nullptr, id);
    } else {
      pending() = std::move(f);
    }
  }
  UINT_PTR id_ = 0;
};

}  // namespace qnv::test
