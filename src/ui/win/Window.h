#pragma once
// The window base class: a static window procedure binds the object at WM_NCCREATE and
// forwards every message to handleMessage, which calls one small typed handler per
// message. Windows can be shown modeless or loaded modally without an owner.
//
// Designed geometry (the window's place and size, its controls' rectangles) is in 96-DPI
// units. A window lays itself out at its own DPI when it is created and again when the
// system moves it to a display of another scale (WM_DPICHANGED).
#include <windows.h>

#include <string>
#include <vector>

#include "ui/Scale.h"

namespace qnv::ui {

struct WindowDesign {
  std::wstring caption;
  // In 96-DPI units; CW_USEDEFAULT leaves the choice to the system.
  int left = CW_USEDEFAULT;
  int top = CW_USEDEFAULT;
  int width = CW_USEDEFAULT;  // outer size, frame and caption included
  int height = CW_USEDEFAULT;
  DWORD style = WS_OVERLAPPEDWINDOW;
  DWORD exStyle = 0;
};

// A small fixed-size window with a caption and a close box, as the program's dialog-like
// windows are designed.
WindowDesign fixedWindowDesign(std::wstring caption, int left, int top, int width, int height);

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Creates the window (hidden); onCreate runs during this call.
  bool create(const WindowDesign& design);
  // Creates and shows the window, then runs a nested message loop until it has been
  // destroyed. The program's other windows are disabled meanwhile.
  void runModal(const WindowDesign& design);

  HWND hwnd() const { return hwnd_; }
  bool isAlive() const { return hwnd_ != nullptr; }
  // Asks the window to close once the current handler has returned.
  void close() const;

  void setCaption(const std::wstring& caption) const;
  std::wstring caption() const;
  RECT outerRect() const;

  // The DPI the window is laid out at, and a designed value or rectangle at that DPI.
  int dpi() const { return dpi_; }
  int pixels(int designed) const { return scaleToDpi(designed, dpi_); }
  Box pixels(const Box& designed) const { return scaleToDpi(designed, dpi_); }

  // The children placed from the design, each with its rectangle in 96-DPI units.
  struct DesignedChild {
    HWND hwnd;
    Box design;
    bool dialogFont;  // drawn in the dialog font, which is chosen again for a new DPI
  };
  const std::vector<DesignedChild>& designedChildren() const { return designedChildren_; }

 protected:
  virtual LRESULT handleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT defaultHandling(UINT msg, WPARAM wParam, LPARAM lParam);

  virtual bool onCreate() { return true; }
  virtual void onSize() {}
  // May the window close? Refusing keeps it open.
  virtual bool onCloseQuery() { return true; }
  virtual void onDestroy() {}
  virtual void onCommand(int /*id*/, int /*code*/, HWND /*control*/) {}
  virtual void onActivate(bool /*active*/) {}
  // The window has been moved to a display of another scale: the designed children are in
  // their new places already, and each has had WM_DPICHANGED_AFTERPARENT.
  virtual void onDpiChanged() {}
  // Background of the client area; COLOR_BTNFACE suits the small dialog-like windows.
  virtual int backgroundColourIndex() const { return COLOR_BTNFACE; }

  // Creates a child control in this window's client area at its designed rectangle, in the
  // dialog font, and keeps it there at every DPI.
  HWND addControl(const wchar_t* className, const std::wstring& text, DWORD style, const Box& design, int id,
                  DWORD exStyle = 0);
  // Keeps a child made elsewhere at its designed rectangle, now and at every DPI.
  void keepDesigned(HWND child, const Box& design);

 private:
  static LRESULT CALLBACK staticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void changeDpi(int dpi, const RECT& suggested);

  HWND hwnd_ = nullptr;
  int dpi_ = kDesignDpi;
  std::vector<DesignedChild> designedChildren_;
};

// While alive, the thread's other enabled top-level windows are disabled, as for a window
// that is modal for the whole program.
class ProgramModality {
 public:
  explicit ProgramModality(HWND except = nullptr);
  ~ProgramModality();
  ProgramModality(const ProgramModality&) = delete;
  ProgramModality& operator=(const ProgramModality&) = delete;

 private:
  std::vector<HWND> disabled_;
};

// The window procedure behind every window class of the program: binds the object passed
// to CreateWindowExW to the window at WM_NCCREATE (recording the handle in `slot`), hands
// each later message to `handle`, unbinds at WM_NCDESTROY, and keeps exceptions out of the
// system's code: a failing handler leaves the message to the default handling.
template <typename T, typename Handle>
LRESULT routeToBoundObject(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, HWND T::*slot, Handle handle) {
  T* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->*slot = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (self->*slot == hwnd) self->*slot = nullptr;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  try {
    return handle(*self);
  } catch (...) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

// Unbinds a window from its object, so that no handler of the object runs any more, then
// destroys it; the handle is cleared.
void destroyUnbound(HWND& hwnd);

// The dots per inch of the screen, for what has no window of its own.
int screenDpi();

// The DPI the program lays out the window holding `hwnd` at: that of its top-level window
// of this base class, else the system's DPI for the window.
int windowDpi(HWND hwnd);

// The font the program's controls use: the system's message font at this DPI.
HFONT dialogFont(int dpi);

// Processes every pending event of this thread without waiting.
void processPendingEvents();

}  // namespace qnv::ui
