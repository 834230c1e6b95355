#pragma once
// A transparent label: its caption drawn over whatever its parent shows behind it, in a
// text colour and a font of its own.
#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/win/Handles.h"

namespace qnv::ui {

// The label's font as the program describes it. A fresh description is 9-point "宋体"
// with every flag false.
struct FontDescription {
  int angle = 0;  // degrees, counter-clockwise
  bool bold = false;
  bool italic = false;
  bool strikeOut = false;
  bool underline = false;
  int size = 9;                    // points; 0 or less leaves the system's default height
  std::string faceName = "宋体";  // UTF-8

  bool operator==(const FontDescription&) const = default;
};

// The face name a font is made with: a name of 32 bytes or more in the ANSI code page does
// not fit a font's face name, and "宋体" is used instead.
std::wstring effectiveFaceName(const std::string& faceName);

class TransparentLabel {
 public:
  TransparentLabel() = default;
  ~TransparentLabel();
  TransparentLabel(const TransparentLabel&) = delete;
  TransparentLabel& operator=(const TransparentLabel&) = delete;

  // Creates the label as a visible child of `parent` at the given place in its client area.
  bool create(HWND parent, const std::wstring& caption, int left, int top, int width, int height, int id = 0);
  HWND hwnd() const { return hwnd_; }

  std::wstring caption() const;
  void setCaption(const std::wstring& caption);

  // 0x00BBGGRR; 0xFF000000 is the automatic colour (the system's window text colour).
  uint32_t textColour() const { return textColour_; }
  void setTextColour(uint32_t colour);

  const FontDescription& font() const { return font_; }
  // The font is made at the DPI of the window the label is in, and again when that changes.
  void setFont(const FontDescription& font);
  // The font the caption is drawn with.
  HFONT fontHandle() const { return fontHandle_.get(); }

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void paint(HDC dc) const;
  void eraseWithParent(HDC dc) const;
  void redraw() const;

  HWND hwnd_ = nullptr;
  uint32_t textColour_ = 0;
  FontDescription font_;
  UniqueFont fontHandle_;
};

}  // namespace qnv::ui
