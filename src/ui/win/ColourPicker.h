#pragma once
// A colour picker: a swatch button showing the current colour, with a drop-down palette of
// preset colours and an entry "其它颜色..." that opens the system colour dialog.
//
// A left-button-up on the swatch (also one sent to it, WM_LBUTTONUP with both parameters
// 0, and also while the swatch is hidden) opens the palette just below the swatch with the
// current colour pre-selected. Choosing a colour, by a click or with Enter, stores it and
// then raises the colour-chosen event, also when it is the colour already shown. Esc, a
// click outside (the palette losing activation) and a cancelled colour dialog close the
// palette and raise nothing. The palette is an ordinary popup window served by whichever
// message loop is running; closing it returns the focus to where it was.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>

#include "ui/Scale.h"

namespace qnv::ui {

class ColourPicker {
 public:
  static constexpr int kColumns = 8;
  static constexpr int kRows = 5;
  // Palette items: the cells 0 .. kColumns * kRows - 1, row by row, then the entry that
  // opens the colour dialog.
  static constexpr int kMoreColoursItem = kColumns * kRows;
  static constexpr int kNoItem = -1;

  ColourPicker() = default;
  ~ColourPicker();
  ColourPicker(const ColourPicker&) = delete;
  ColourPicker& operator=(const ColourPicker&) = delete;

  // Creates the swatch as a visible child of `parent` at the given place in its client area.
  bool create(HWND parent, int left, int top, int width, int height, int id = 0);
  HWND hwnd() const { return swatch_; }

  // 0x00BBGGRR; 0xFF000000 is the automatic colour, drawn as the system's text colour.
  uint32_t colour() const { return colour_; }
  void setColour(uint32_t colour);

  // Position in the parent's client area.
  int left() const;
  int top() const;
  void moveTo(int left, int top);
  bool isVisible() const;
  void setVisible(bool visible);

  // Raised after a chosen colour has been stored.
  void setOnColourChosen(std::function<void()> handler) { onColourChosen_ = std::move(handler); }
  // Raised when the swatch loses the keyboard focus.
  void setOnLostFocus(std::function<void()> handler) { onLostFocus_ = std::move(handler); }

  // The drop-down palette.
  void openPalette();
  void closePalette();  // without choosing; the focus returns to where it was
  HWND paletteWindow() const { return palette_; }  // nullptr while closed
  int selectedItem() const { return selected_; }   // a cell, kMoreColoursItem or kNoItem
  RECT itemRect(int item) const;                   // in the palette's client area, at its scale

  // The colours of the palette's cells, row by row.
  static std::span<const uint32_t> presetColours();

 private:
  static LRESULT CALLBACK swatchProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK paletteProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT handleSwatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT handlePalette(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  void paintSwatch(HDC dc) const;
  void paintPalette(HDC dc) const;
  void computeLayout();
  SIZE paletteClientSize() const;
  int itemAt(POINT client) const;
  void select(int item);
  void moveSelection(UINT key);
  void choose(int item);
  void finishPalette(bool giveFocusBack);
  void raise(const std::function<void()>& handler);

  HWND swatch_ = nullptr;
  HWND palette_ = nullptr;
  uint32_t colour_ = 0;
  std::function<void()> onColourChosen_;
  std::function<void()> onLostFocus_;

  int selected_ = kNoItem;
  int lastColumn_ = 0;        // the column to return to when leaving the entry upwards
  int dpi_ = kDesignDpi;      // the palette's scale, taken from the swatch's window when it opens
  int entryHeight_ = 22;      // height of the "其它颜色..." entry, from the font
  bool pressed_ = false;      // the swatch is held down
  bool closing_ = false;      // the palette is being closed by the picker itself
  bool pressClosedPalette_ = false;  // a press on the swatch just closed the palette...
  bool swallowButtonUp_ = false;     // ...so that press's release does not reopen it
  HWND focusBefore_ = nullptr;
  HWND activeBefore_ = nullptr;
};

}  // namespace qnv::ui
