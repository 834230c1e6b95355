#include "ui/win/ColourPicker.h"

#include <windowsx.h>

#include <algorithm>
#include <array>
#include <utility>

#include "ui/Formats.h"
#include "ui/Scale.h"
#include "ui/win/Handles.h"
#include "ui/win/Prompts.h"
#include "ui/win/Window.h"

namespace qnv::ui {
namespace {

constexpr wchar_t kSwatchClass[] = L"qnvColourPicker";
constexpr wchar_t kPaletteClass[] = L"qnvColourPalette";
constexpr wchar_t kMoreColoursText[] = L"其它颜色...";

// Posted to the palette when it has lost activation: it closes once the activation change
// is over, unless it has been activated again meanwhile.
constexpr UINT kCloseIfInactive = WM_APP + 1;

// Layout of the palette, in 96-DPI units.
constexpr int kMargin = 5;
constexpr int kCell = 18;
constexpr int kGap = 4;
constexpr int kEntryGap = 7;         // between the grid and the entry, with a separator line
constexpr int kMinEntryHeight = 22;  // the entry is at least this high, or the font's height and a margin
// The swatch: the colour sample's inset and the drop-down arrow beside it.
constexpr int kSampleInset = 4;
constexpr int kArrowWidth = 7;

// Written as 0xRRGGBB for reading; stored as 0x00BBGGRR.
constexpr uint32_t fromRgb(uint32_t rgb) { return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF); }

constexpr std::array<uint32_t, ColourPicker::kColumns * ColourPicker::kRows> kPresets = {
    // dark shades, from black
    fromRgb(0x000000), fromRgb(0x993300), fromRgb(0x333300), fromRgb(0x003300),
    fromRgb(0x003366), fromRgb(0x000080), fromRgb(0x333399), fromRgb(0x333333),
    // deep colours
    fromRgb(0x800000), fromRgb(0xFF6600), fromRgb(0x808000), fromRgb(0x008000),
    fromRgb(0x008080), fromRgb(0x0000FF), fromRgb(0x666699), fromRgb(0x808080),
    // strong colours, from pure red
    fromRgb(0xFF0000), fromRgb(0xFF9900), fromRgb(0x99CC00), fromRgb(0x339966),
    fromRgb(0x33CCCC), fromRgb(0x3366FF), fromRgb(0x800080), fromRgb(0x969696),
    // bright colours
    fromRgb(0xFF00FF), fromRgb(0xFFCC00), fromRgb(0xFFFF00), fromRgb(0x00FF00),
    fromRgb(0x00FFFF), fromRgb(0x00CCFF), fromRgb(0x993366), fromRgb(0xC0C0C0),
    // light tints, to white
    fromRgb(0xFF99CC), fromRgb(0xFFCC99), fromRgb(0xFFFF99), fromRgb(0xCCFFCC),
    fromRgb(0xCCFFFF), fromRgb(0x99CCFF), fromRgb(0xCC99FF), fromRgb(0xFFFFFF),
};
static_assert(kPresets[16] == 255, "pure red is a cell");

COLORREF displayColour(uint32_t colour) {
  return colour == kAutomaticColour ? GetSysColor(COLOR_WINDOWTEXT) : static_cast<COLORREF>(colour & 0x00FFFFFF);
}

int presetIndexOf(uint32_t colour) {
  const auto it = std::find(kPresets.begin(), kPresets.end(), colour);
  return it == kPresets.end() ? ColourPicker::kNoItem : static_cast<int>(it - kPresets.begin());
}

void fillRect(HDC dc, const RECT& r, COLORREF colour) {
  const UniqueBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.get());
}

void frameRect(HDC dc, const RECT& r, COLORREF colour, int thickness = 1) {
  const UniqueBrush brush(CreateSolidBrush(colour));
  RECT inner = r;
  for (int i = 0; i < thickness && inner.right > inner.left && inner.bottom > inner.top; ++i) {
    FrameRect(dc, &inner, brush.get());
    InflateRect(&inner, -1, -1);
  }
}

// Gives the activation and the focus back to the windows that had them, if they still can
// take them.
void restoreFocus(HWND active, HWND focus) {
  if (active && IsWindow(active) && IsWindowEnabled(active) && GetActiveWindow() != active) SetActiveWindow(active);
  if (focus && IsWindow(focus) && GetFocus() != focus) SetFocus(focus);
}

// The logical left button, read from the device: GetAsyncKeyState sees physical buttons.
bool leftButtonIsDown() {
  const int key = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return (GetAsyncKeyState(key) & 0x8000) != 0;
}

}  // namespace

std::span<const uint32_t> ColourPicker::presetColours() { return kPresets; }

ColourPicker::~ColourPicker() {
  destroyUnbound(palette_);
  destroyUnbound(swatch_);
}

bool ColourPicker::create(HWND parent, int left, int top, int width, int height, int id) {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);

    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &ColourPicker::swatchProc;
    wc.lpszClassName = kSwatchClass;
    const bool swatch = RegisterClassExW(&wc) != 0;

    wc.style = CS_DROPSHADOW;
    wc.lpfnWndProc = &ColourPicker::paletteProc;
    wc.lpszClassName = kPaletteClass;
    const bool palette = RegisterClassExW(&wc) != 0;
    return swatch && palette;
  }();
  if (!registered || swatch_ || !parent) return false;
  CreateWindowExW(0, kSwatchClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, left, top, width, height, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
  return swatch_ != nullptr;
}

void ColourPicker::setColour(uint32_t colour) {
  colour_ = colour;
  if (swatch_) InvalidateRect(swatch_, nullptr, FALSE);
  if (palette_) select(presetIndexOf(colour));
}

int ColourPicker::left() const {
  if (!swatch_) return 0;
  RECT r;
  GetWindowRect(swatch_, &r);
  MapWindowPoints(nullptr, GetParent(swatch_), reinterpret_cast<POINT*>(&r), 2);
  return r.left;
}

int ColourPicker::top() const {
  if (!swatch_) return 0;
  RECT r;
  GetWindowRect(swatch_, &r);
  MapWindowPoints(nullptr, GetParent(swatch_), reinterpret_cast<POINT*>(&r), 2);
  return r.top;
}

void ColourPicker::moveTo(int left, int top) {
  if (swatch_) SetWindowPos(swatch_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ColourPicker::isVisible() const { return swatch_ && (GetWindowLongPtrW(swatch_, GWL_STYLE) & WS_VISIBLE) != 0; }

void ColourPicker::setVisible(bool visible) {
  if (swatch_) ShowWindow(swatch_, visible ? SW_SHOWNA : SW_HIDE);
}

// ---- the palette ---------------------------------------------------------------------

RECT ColourPicker::itemRect(int item) const {
  const int margin = scaleToDpi(kMargin, dpi_);
  const int cell = scaleToDpi(kCell, dpi_);
  const int step = cell + scaleToDpi(kGap, dpi_);
  if (item >= 0 && item < kMoreColoursItem) {
    const int x = margin + (item % kColumns) * step;
    const int y = margin + (item / kColumns) * step;
    return {x, y, x + cell, y + cell};
  }
  if (item == kMoreColoursItem) {
    const int y = margin + (kRows - 1) * step + cell + scaleToDpi(kEntryGap, dpi_);
    return {margin, y, margin + (kColumns - 1) * step + cell, y + entryHeight_};
  }
  return {0, 0, 0, 0};
}

SIZE ColourPicker::paletteClientSize() const {
  const RECT entry = itemRect(kMoreColoursItem);
  const int margin = scaleToDpi(kMargin, dpi_);
  return {entry.right + margin, entry.bottom + margin};
}

void ColourPicker::computeLayout() {
  dpi_ = windowDpi(swatch_);
  const WindowDc screen;
  TEXTMETRICW metrics{};
  {
    const SelectedObject font(screen.get(), dialogFont(dpi_));
    GetTextMetricsW(screen.get(), &metrics);
  }
  entryHeight_ = std::max<int>(scaleToDpi(kMinEntryHeight, dpi_), metrics.tmHeight + scaleToDpi(8, dpi_));
}

int ColourPicker::itemAt(POINT client) const {
  for (int item = 0; item <= kMoreColoursItem; ++item) {
    RECT r = itemRect(item);
    if (item < kMoreColoursItem) {
      const int halfGap = scaleToDpi(kGap, dpi_) / 2;  // the gaps count for their cells
      InflateRect(&r, halfGap, halfGap);
    }
    if (PtInRect(&r, client)) return item;
  }
  return kNoItem;
}

void ColourPicker::openPalette() {
  if (!swatch_ || palette_) return;
  pressClosedPalette_ = false;
  computeLayout();
  selected_ = presetIndexOf(colour_);
  if (selected_ != kNoItem) lastColumn_ = selected_ % kColumns;
  focusBefore_ = GetFocus();
  activeBefore_ = GetActiveWindow();

  const DWORD style = WS_POPUP | WS_BORDER;
  const DWORD exStyle = WS_EX_TOOLWINDOW;
  const SIZE client = paletteClientSize();
  RECT frame{0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;

  // Just below the swatch, at its left; kept on the swatch's monitor.
  RECT swatch;
  GetWindowRect(swatch_, &swatch);
  int x = swatch.left;
  int y = swatch.bottom;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromRect(&swatch, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    if (x + width > work.right) x = work.right - width;
    if (x < work.left) x = work.left;
    if (y + height > work.bottom) y = swatch.top - height;  // no room below: open upwards
    if (y < work.top) y = work.top;
  }

  closing_ = false;
  CreateWindowExW(exStyle, kPaletteClass, L"", style, x, y, width, height, GetAncestor(swatch_, GA_ROOT), nullptr,
                  GetModuleHandleW(nullptr), this);
  if (!palette_) return;
  ShowWindow(palette_, SW_SHOW);
  SetActiveWindow(palette_);
  SetFocus(palette_);
}

void ColourPicker::closePalette() { finishPalette(true); }

void ColourPicker::finishPalette(bool giveFocusBack) {
  if (!palette_) return;
  closing_ = true;
  DestroyWindow(palette_);  // WM_NCDESTROY clears palette_
  palette_ = nullptr;
  closing_ = false;
  selected_ = kNoItem;
  if (giveFocusBack) restoreFocus(activeBefore_, focusBefore_);
  focusBefore_ = nullptr;
  activeBefore_ = nullptr;
}

void ColourPicker::select(int item) {
  if (item == selected_) return;
  selected_ = item;
  if (item >= 0 && item < kMoreColoursItem) lastColumn_ = item % kColumns;
  if (palette_) InvalidateRect(palette_, nullptr, FALSE);
}

void ColourPicker::moveSelection(UINT key) {
  if (selected_ == kNoItem) {
    select(0);
    return;
  }
  if (selected_ == kMoreColoursItem) {
    if (key == VK_UP) select((kRows - 1) * kColumns + lastColumn_);
    if (key == VK_DOWN) select(lastColumn_);
    return;
  }
  const int row = selected_ / kColumns;
  switch (key) {
    case VK_LEFT:
      if (selected_ > 0) select(selected_ - 1);
      break;
    case VK_RIGHT:
      if (selected_ < kMoreColoursItem - 1) select(selected_ + 1);
      break;
    case VK_UP:
      if (row > 0) select(selected_ - kColumns);
      break;
    case VK_DOWN:
      if (row < kRows - 1) {
        select(selected_ + kColumns);
      } else {
        lastColumn_ = selected_ % kColumns;
        select(kMoreColoursItem);
      }
      break;
    default:
      break;
  }
}

void ColourPicker::choose(int item) {
  if (item >= 0 && item < kMoreColoursItem) {
    finishPalette(true);
    setColour(kPresets[static_cast<size_t>(item)]);
    raise(onColourChosen_);  // the last use of this object: the handler may end it
    return;
  }
  if (item == kMoreColoursItem) {
    const HWND active = activeBefore_;
    const HWND focus = focusBefore_;
    finishPalette(true);
    uint32_t chosen = displayColour(colour_);
    const bool ok = prompts().chooseColour(chosen);
    restoreFocus(active, focus);  // the dialog took the activation
    if (!ok || !swatch_) return;  // cancelled, or the picker went away meanwhile
    setColour(chosen);
    raise(onColourChosen_);
  }
}

void ColourPicker::raise(const std::function<void()>& handler) {
  // A copy, so that a handler that ends this picker does not end itself while running.
  if (const std::function<void()> call = handler) call();
}

// ---- window procedures -----------------------------------------------------------------

LRESULT CALLBACK ColourPicker::swatchProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return routeToBoundObject(hwnd, msg, wParam, lParam, &ColourPicker::swatch_,
                            [&](ColourPicker& self) { return self.handleSwatch(hwnd, msg, wParam, lParam); });
}

LRESULT CALLBACK ColourPicker::paletteProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return routeToBoundObject(hwnd, msg, wParam, lParam, &ColourPicker::palette_,
                            [&](ColourPicker& self) { return self.handlePalette(hwnd, msg, wParam, lParam); });
}

LRESULT ColourPicker::handleSwatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      const PaintScope paint(hwnd);
      paintSwatch(paint.dc());
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      swallowButtonUp_ = std::exchange(pressClosedPalette_, false);
      SetFocus(hwnd);
      SetCapture(hwnd);
      pressed_ = true;
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == hwnd) ReleaseCapture();
      pressed_ = false;
      InvalidateRect(hwnd, nullptr, FALSE);
      if (std::exchange(swallowButtonUp_, false)) return 0;
      openPalette();
      return 0;
    case WM_CAPTURECHANGED:
      if (pressed_) {
        pressed_ = false;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE || wParam == VK_RETURN || wParam == VK_F4 || wParam == VK_DOWN) {
        openPalette();
        return 0;
      }
      break;
    case WM_SYSKEYDOWN:
      if (wParam == VK_DOWN) {
        openPalette();
        return 0;
      }
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_KILLFOCUS:
      InvalidateRect(hwnd, nullptr, FALSE);
      raise(onLostFocus_);
      return 0;
    case WM_DESTROY:
      finishPalette(false);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT ColourPicker::handlePalette(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      const PaintScope paint(hwnd);
      paintPalette(paint.dc());
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE: {
      const int item = itemAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (item != kNoItem) select(item);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      const int item = itemAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (item != kNoItem) select(item);
      return 0;
    }
    case WM_LBUTTONUP: {
      const int item = itemAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (item != kNoItem) choose(item);
      return 0;
    }
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
          moveSelection(static_cast<UINT>(wParam));
          return 0;
        case VK_RETURN:
        case VK_SPACE:
          if (selected_ != kNoItem) choose(selected_);
          return 0;
        case VK_ESCAPE:
          finishPalette(true);
          return 0;
        default:
          return 0;
      }
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE && !closing_) {
        // A press on the swatch that takes the activation away must not reopen the
        // palette on its release.
        RECT swatch{};
        POINT cursor{};
        if (swatch_ && IsWindowVisible(swatch_) && GetWindowRect(swatch_, &swatch) && GetCursorPos(&cursor) &&
            PtInRect(&swatch, cursor) && leftButtonIsDown()) {
          pressClosedPalette_ = true;
        }
        PostMessageW(hwnd, kCloseIfInactive, 0, 0);
      }
      break;
    case kCloseIfInactive:
      if (GetActiveWindow() != hwnd) finishPalette(false);
      return 0;
    case WM_CLOSE:
      finishPalette(true);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// ---- painting -----------------------------------------------------------------------------

void ColourPicker::paintSwatch(HDC dc) const {
  RECT client;
  GetClientRect(swatch_, &client);
  const bool enabled = IsWindowEnabled(swatch_) != FALSE;
  UINT state = DFCS_BUTTONPUSH;
  if (pressed_) state |= DFCS_PUSHED;
  if (!enabled) state |= DFCS_INACTIVE;
  fillRect(dc, client, GetSysColor(COLOR_BTNFACE));
  RECT button = client;
  DrawFrameControl(dc, &button, DFC_BUTTON, state);

  const int dpi = windowDpi(swatch_);
  const int shift = pressed_ ? 1 : 0;
  const int arrowWidth = scaleToDpi(kArrowWidth, dpi) | 1;  // odd, so that the triangle has a tip
  RECT sample = client;
  InflateRect(&sample, -scaleToDpi(kSampleInset, dpi), -scaleToDpi(kSampleInset, dpi));
  OffsetRect(&sample, shift, shift);
  const bool roomForArrow = sample.right - sample.left > arrowWidth * 3;
  if (roomForArrow) sample.right -= arrowWidth + scaleToDpi(3, dpi);
  if (sample.right > sample.left && sample.bottom > sample.top) {
    fillRect(dc, sample, enabled ? displayColour(colour_) : GetSysColor(COLOR_BTNFACE));
    frameRect(dc, sample, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  }
  if (roomForArrow) {
    // A small downward triangle right of the sample.
    const int cx = sample.right + scaleToDpi(2, dpi) + arrowWidth / 2;
    const int cy = (client.top + client.bottom) / 2 + shift;
    const UniqueBrush brush(CreateSolidBrush(GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT)));
    for (int row = 0; row <= arrowWidth / 2; ++row) {
      RECT line{cx - arrowWidth / 2 + row, cy - 1 + row, cx + arrowWidth / 2 - row + 1, cy + row};
      FillRect(dc, &line, brush.get());
    }
  }
  if (GetFocus() == swatch_) {
    RECT focus = client;
    InflateRect(&focus, -2, -2);
    DrawFocusRect(dc, &focus);
  }
}

void ColourPicker::paintPalette(HDC dc) const {
  RECT client;
  GetClientRect(palette_, &client);
  fillRect(dc, client, GetSysColor(COLOR_MENU));

  for (int item = 0; item < kMoreColoursItem; ++item) {
    const RECT cell = itemRect(item);
    fillRect(dc, cell, kPresets[static_cast<size_t>(item)]);
    frameRect(dc, cell, GetSysColor(COLOR_BTNSHADOW));
    if (item == selected_) {
      RECT mark = cell;
      InflateRect(&mark, 2, 2);
      frameRect(dc, mark, GetSysColor(COLOR_HIGHLIGHT), 2);
    }
  }

  const RECT entry = itemRect(kMoreColoursItem);
  const int lineY = entry.top - scaleToDpi(kEntryGap, dpi_) / 2 - 1;
  RECT line{entry.left, lineY, entry.right, lineY + 1};
  fillRect(dc, line, GetSysColor(COLOR_BTNSHADOW));
  const bool entrySelected = selected_ == kMoreColoursItem;
  fillRect(dc, entry, GetSysColor(entrySelected ? COLOR_HIGHLIGHT : COLOR_MENU));
  const SelectedObject font(dc, dialogFont(dpi_));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(entrySelected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  RECT text = entry;
  DrawTextW(dc, kMoreColoursText, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace qnv::ui
