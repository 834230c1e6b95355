#include "ui/win/Window.h"

#include <map>
#include <utility>

#include "ui/win/Handles.h"

namespace qnv::ui {
namespace {

constexpr wchar_t kWindowClass[] = L"qnvWindow";
ATOM windowClassAtom = 0;

ATOM registerWindowClass(WNDPROC proc) {
  static ATOM atom = windowClassAtom = [proc] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc);
  }();
  return atom;
}

BOOL CALLBACK collectEnabledWindow(HWND hwnd, LPARAM lParam) {
  auto* self = reinterpret_cast<std::pair<HWND, std::vector<HWND>*>*>(lParam);
  if (hwnd != self->first && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) self->second->push_back(hwnd);
  return TRUE;
}

// The window's DPI as the system has it; the system's DPI for no window.
int dpiOf(HWND hwnd) {
  const UINT dpi = hwnd ? GetDpiForWindow(hwnd) : GetDpiForSystem();
  return dpi > 0 ? static_cast<int>(dpi) : kDesignDpi;
}

// The designed place and size at `dpi`; CW_USEDEFAULT stays as it is.
RECT designedOuter(const WindowDesign& design, int dpi) {
  const auto scaled = [dpi](int v) { return v == CW_USEDEFAULT ? v : scaleToDpi(v, dpi); };
  return {scaled(design.left), scaled(design.top), scaled(design.width), scaled(design.height)};
}

}  // namespace

WindowDesign fixedWindowDesign(std::wstring caption, int left, int top, int width, int height) {
  WindowDesign design;
  design.caption = std::move(caption);
  design.left = left;
  design.top = top;
  design.width = width;
  design.height = height;
  design.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  return design;
}

Window::~Window() { destroyUnbound(hwnd_); }

bool Window::create(const WindowDesign& design) {
  registerWindowClass(&Window::staticProc);
  // Placed at the system's DPI first; the window learns its own DPI while it is created.
  const int systemDpi = dpiOf(nullptr);
  const RECT outer = designedOuter(design, systemDpi);
  CreateWindowExW(design.exStyle, kWindowClass, design.caption.c_str(), design.style, outer.left, outer.top,
                  outer.right, outer.bottom, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_) return false;
  if (dpi_ != systemDpi && design.width != CW_USEDEFAULT && design.height != CW_USEDEFAULT) {
    // A display of another scale than the system's: the designed size at the window's own.
    const RECT own = designedOuter(design, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, own.right, own.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return true;
}

void Window::runModal(const WindowDesign& design) {
  ProgramModality modality;
  if (!create(design)) return;
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  MSG msg;
  while (hwnd_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave the quit for the outer loop
      if (hwnd_) DestroyWindow(hwnd_);
      break;
    }
    if (got == -1) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Window::close() const {
  if (hwnd_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void Window::setCaption(const std::wstring& caption) const { SetWindowTextW(hwnd_, caption.c_str()); }

std::wstring Window::caption() const {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()))));
  return text;
}

RECT Window::outerRect() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r;
}

LRESULT CALLBACK Window::staticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return routeToBoundObject(hwnd, msg, wParam, lParam, &Window::hwnd_,
                            [&](Window& self) { return self.handleMessage(msg, wParam, lParam); });
}

LRESULT Window::defaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT Window::handleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      dpi_ = dpiOf(hwnd_);
      designedChildren_.clear();
      return onCreate() ? 0 : -1;
    case WM_DPICHANGED:
      changeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_SIZE:
      onSize();
      return 0;
    case WM_CLOSE:
      if (onCloseQuery()) DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      onDestroy();
      return 0;
    case WM_COMMAND:
      onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_ACTIVATE:
      onActivate(LOWORD(wParam) != WA_INACTIVE);
      return defaultHandling(msg, wParam, lParam);
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd_, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(backgroundColourIndex()));
      return 1;
    }
    default:
      return defaultHandling(msg, wParam, lParam);
  }
}

void Window::changeDpi(int dpi, const RECT& suggested) {
  dpi_ = dpi > 0 ? dpi : kDesignDpi;
  for (const DesignedChild& child : designedChildren_) {
    if (!IsWindow(child.hwnd)) continue;
    const Box r = pixels(child.design);
    SetWindowPos(child.hwnd, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (child.dialogFont) SendMessageW(child.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont(dpi_)), TRUE);
    SendMessageW(child.hwnd, WM_DPICHANGED_AFTERPARENT, 0, 0);
  }
  // The system's suggestion keeps the window's place on the new display.
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  onDpiChanged();
}

HWND Window::addControl(const wchar_t* className, const std::wstring& text, DWORD style, const Box& design, int id,
                        DWORD exStyle) {
  const Box r = pixels(design);
  HWND control = CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                                 r.width, r.height, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont(dpi_)), TRUE);
    designedChildren_.push_back({control, design, true});
  }
  return control;
}

void Window::keepDesigned(HWND child, const Box& design) {
  if (!child) return;
  const Box r = pixels(design);
  SetWindowPos(child, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  designedChildren_.push_back({child, design, false});
}

ProgramModality::ProgramModality(HWND except) {
  std::pair<HWND, std::vector<HWND>*> args{except, &disabled_};
  EnumThreadWindows(GetCurrentThreadId(), collectEnabledWindow, reinterpret_cast<LPARAM>(&args));
  for (HWND hwnd : disabled_) EnableWindow(hwnd, FALSE);
}

ProgramModality::~ProgramModality() {
  for (HWND hwnd : disabled_) {
    if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
  }
}

void destroyUnbound(HWND& hwnd) {
  if (!hwnd) return;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  DestroyWindow(std::exchange(hwnd, nullptr));
}

int screenDpi() {
  const WindowDc screen;
  return screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
}

int windowDpi(HWND hwnd) {
  if (!hwnd) return dpiOf(nullptr);
  HWND root = GetAncestor(hwnd, GA_ROOT);
  if (root && windowClassAtom && GetClassLongPtrW(root, GCW_ATOM) == windowClassAtom) {
    if (const auto* window = reinterpret_cast<const Window*>(GetWindowLongPtrW(root, GWLP_USERDATA))) {
      return window->dpi();
    }
  }
  return dpiOf(hwnd);
}

HFONT dialogFont(int dpi) {
  // One font for each DPI met, kept while the program runs.
  static std::map<int, UniqueFont> fonts;
  UniqueFont& font = fonts[dpi];
  if (!font) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))) {
      // The system's metrics, at the system's DPI, scaled.
      SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
      metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, dpiOf(nullptr));
    }
    font.reset(CreateFontIndirectW(&metrics.lfMessageFont));
  }
  return font.get();
}

void processPendingEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace qnv::ui
