#pragma once
// The document's rich-text edit control (RichEdit 2.0), with the operations and values the
// editor uses. Texts crossing this class are bytes in the system ANSI code page, as the
// documents are stored.
#include <windows.h>

#include <string>
#include <functional>
#include <string_view>
#include <vector>

#include "ui/Formats.h"

namespace qnv::ui {

class EditorBoxEvents {
 public:
  virtual ~EditorBoxEvents() = default;
  // Key-down and key-up messages of the box (system keys included) with their virtual-key
  // code, raised while the message is being handled, so the keyboard state is the one of
  // the key. They never consume the key: the box always gets it afterwards.
  virtual void onEditorKeyDown(unsigned /*virtualKey*/) {}
  virtual void onEditorKeyUp(unsigned /*virtualKey*/) {}
  virtual void onEditorRightButtonDown() {}
  // The mouse wheel over the box (`delta` as the system reports it), raised before the box
  // scrolls or zooms; returning true consumes it.
  virtual bool onEditorMouseWheel(int /*delta*/, bool /*ctrlDown*/) { return false; }
  virtual void onEditorFocusLost() {}
};

class EditorBox {
 public:
  enum ContextType { kPlainText = 0, kRichText = 1 };

  EditorBox() = default;
  EditorBox(const EditorBox&) = delete;
  EditorBox& operator=(const EditorBox&) = delete;

  // Creates the control as a child of `parent`: single-line border, multi-line with word
  // wrap, selection hidden without focus, no length limit, no initial text. Content
  // changes arrive at the parent as WM_COMMAND/EN_CHANGE.
  bool create(HWND parent, int controlId, int left, int top, int width, int height, EditorBoxEvents* events);
  HWND hwnd() const { return hwnd_; }

  void setBounds(int left, int top, int width, int height) const;

  // The control's whole-text length as it reports it (UTF-16 units).
  int textLength() const;

  void setDefaultCharFormat(const CharFormat& format) const;
  CharFormat selectionCharFormat() const;
  void setSelectionCharFormat(const CharFormat& format) const;
  ParaFormat paraFormat() const;
  void setParaFormat(const ParaFormat& format) const;

  void undo() const;
  void copy() const;
  void cut() const;
  void paste() const;

  int contextType() const { return contextType_; }
  void setContextType(int type) { contextType_ = type < 0 ? 0 : (type > 1 ? 1 : type); }

  // The whole document, streamed out as RTF or plain text according to contextType. With
  // `lostCharacters`, plain text also tells whether characters that the ANSI code page
  // cannot hold were replaced in the bytes ("?" or a look-alike); RTF keeps every
  // character and always gives false.
  std::string context(bool* lostCharacters = nullptr) const;
  // The whole document as RTF, whatever contextType is.
  std::string richText() const;
  // Replaces the whole document. With contextType 1, text that begins with an RTF header
  // is read as rich text and any other text as plain text in the default format. Returns
  // false when the control reported that it could not read the RTF; the box then holds
  // what it read up to there.
  bool setContext(std::string_view bytes) const;

  // 0xFF000000 selects the system window colour.
  void setBackColor(uint32_t colour) const;

  // The whole text as the control holds it, in its character positions.
  std::u16string text() const;
  // The same into `text`, whose memory is used again when it is large enough.
  void readText(std::u16string& text) const;
  // The characters of `range`.
  std::u16string textOf(TextRange range) const;
  TextRange selection() const;
  // Selects the range and scrolls it into view.
  void select(TextRange range) const;
  // Replaces the selection with `text`, as one step of the control's undo.
  void replaceSelection(std::u16string_view text) const;
  // Replaces each range (in ascending order, none overlapping) with `text`: the last one
  // first, so that the positions of the others hold. Undoable in one step where the control
  // can group its undo; otherwise every replacement stays undoable on its own. Content
  // changes are reported once, at the end; `poll` runs after each replacement.
  void replaceRanges(const std::vector<TextRange>& ranges, std::u16string_view text,
                     const std::function<void()>& poll) const;
  // Shows the selection also while the box does not have the focus (the designed box hides
  // it then), for as long as a search window is open beside it.
  void setSelectionAlwaysShown(bool shown) const;

  // The zoom in percent (100 = none).
  int zoomPercent() const;
  void setZoomPercent(int percent) const;

 private:
  static LRESULT CALLBACK subclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);
  bool streamIn(std::string_view bytes, UINT format) const;
  std::string plainTextContext(bool& lostCharacters) const;
  std::string streamOut(UINT format) const;
  void readRange(TextRange range, std::u16string& text) const;
  void writeCharFormat(WPARAM scope, const CharFormat& format) const;

  HWND hwnd_ = nullptr;
  EditorBoxEvents* events_ = nullptr;
  int contextType_ = kRichText;
};

}  // namespace qnv::ui
