#include "ui/win/TransparentLabel.h"

#include <utility>

#include "ui/Formats.h"
#include "ui/Scale.h"
#include "ui/win/Handles.h"
#include "ui/win/Text.h"
#include "ui/win/Window.h"

namespace qnv::ui {
namespace {

constexpr wchar_t kLabelClass[] = L"qnvTransparentLabel";
constexpr size_t kFaceNameLimit = 32;  // bytes in the ANSI code page, terminator included
constexpr wchar_t kFallbackFace[] = L"宋体";

HFONT makeFont(const FontDescription& d, int dpi) {
  LOGFONTW lf{};
  lf.lfHeight = fontHeightForPoints(d.size, dpi);
  lf.lfEscapement = d.angle * 10;
  lf.lfOrientation = d.angle * 10;
  lf.lfWeight = d.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = d.italic;
  lf.lfUnderline = d.underline;
  lf.lfStrikeOut = d.strikeOut;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  const std::wstring face = effectiveFaceName(d.faceName);
  lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

}  // namespace

std::wstring effectiveFaceName(const std::string& faceName) {
  std::wstring wide = widen(faceName);
  if (toAnsi(wide).size() >= kFaceNameLimit || wide.size() >= LF_FACESIZE) return kFallbackFace;
  return wide;
}

TransparentLabel::~TransparentLabel() { destroyUnbound(hwnd_); }

bool TransparentLabel::create(HWND parent, const std::wstring& caption, int left, int top, int width, int height,
                              int id) {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &TransparentLabel::windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kLabelClass;
    return RegisterClassExW(&wc) != 0;
  }();
  if (!registered || hwnd_ || !parent) return false;
  if (HFONT made = makeFont(font_, windowDpi(parent))) fontHandle_.reset(made);
  CreateWindowExW(WS_EX_TRANSPARENT, kLabelClass, caption.c_str(), WS_CHILD | WS_VISIBLE, left, top, width, height,
                  parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
  return hwnd_ != nullptr;
}

std::wstring TransparentLabel::caption() const {
  if (!hwnd_) return {};
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()))));
  return text;
}

void TransparentLabel::setCaption(const std::wstring& caption) {
  if (!hwnd_) return;
  SetWindowTextW(hwnd_, caption.c_str());
  redraw();
}

void TransparentLabel::setTextColour(uint32_t colour) {
  textColour_ = colour;
  redraw();
}

void TransparentLabel::setFont(const FontDescription& font) {
  font_ = font;
  if (HFONT made = makeFont(font_, windowDpi(hwnd_))) fontHandle_.reset(made);
  redraw();
}

void TransparentLabel::redraw() const {
  if (!hwnd_) return;
  // The parent draws what shows through, so its part behind the label is redrawn too.
  HWND parent = GetParent(hwnd_);
  RECT r;
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  InvalidateRect(parent, &r, TRUE);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TransparentLabel::eraseWithParent(HDC dc) const {
  HWND parent = GetParent(hwnd_);
  POINT origin{0, 0};
  MapWindowPoints(hwnd_, parent, &origin, 1);
  POINT old{};
  OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
  SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

void TransparentLabel::paint(HDC dc) const {
  RECT client;
  GetClientRect(hwnd_, &client);
  const std::wstring text = caption();
  const SelectedObject font(dc, fontHandle_ ? static_cast<HGDIOBJ>(fontHandle_.get()) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, textColour_ == kAutomaticColour ? GetSysColor(COLOR_WINDOWTEXT)
                                                   : static_cast<COLORREF>(textColour_ & 0x00FFFFFF));
  // Centred vertically; wrapped at the label's width when the caption is wider.
  RECT measured = client;
  constexpr UINT kFormat = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured, kFormat | DT_CALCRECT);
  RECT target = client;
  const int textHeight = measured.bottom - measured.top;
  if (textHeight < client.bottom - client.top) target.top += (client.bottom - client.top - textHeight) / 2;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &target, kFormat);
}

LRESULT CALLBACK TransparentLabel::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return routeToBoundObject(hwnd, msg, wParam, lParam, &TransparentLabel::hwnd_,
                            [&](TransparentLabel& self) { return self.handle(msg, wParam, lParam); });
}

LRESULT TransparentLabel::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      eraseWithParent(reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PAINT: {
      const PaintScope scope(hwnd_);
      if (scope.erase()) eraseWithParent(scope.dc());
      paint(scope.dc());
      return 0;
    }
    case WM_PRINTCLIENT:
      eraseWithParent(reinterpret_cast<HDC>(wParam));
      paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(fontHandle_.get());
    case WM_DPICHANGED_AFTERPARENT:
      // The same point size at the window's new scale.
      setFont(font_);
      return 0;
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcW(hwnd_, msg, wParam, lParam);
      InvalidateRect(hwnd_, nullptr, TRUE);
      return result;
    }
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    default:
      return DefWindowProcW(hwnd_, msg, wParam, lParam);
  }
}

}  // namespace qnv::ui
