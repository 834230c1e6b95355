#include "ui/win/Window.h"

#include <utility>

#include "ui/win/Handles.h"

namespace qnv::ui {
namespace {

constexpr wchar_t kWindowClass[] = L"qnvWindow";

ATOM registerWindowClass(WNDPROC proc) {
  static ATOM atom = [proc] {
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
  CreateWindowExW(design.exStyle, kWindowClass, design.caption.c_str(), design.style, design.left, design.top,
                  design.width, design.height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  return hwnd_ != nullptr;
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
      return onCreate() ? 0 : -1;
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

HWND Window::addControl(const wchar_t* className, const std::wstring& text, DWORD style, int x, int y, int w,
                        int h, int id, DWORD exStyle) {
  HWND control = CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                 nullptr);
  if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont()), TRUE);
  return control;
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

HFONT dialogFont() {
  static HFONT font = [] {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return CreateFontIndirectW(&metrics.lfMessageFont);
  }();
  return font;
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
