#pragma once
// The document's rich-text edit control (RichEdit 2.0), with the operations and values the
// editor uses. Texts crossing this class are bytes in the system ANSI code page, as the
// documents are stored.
#include <windows.h>

#include <string>
#include <string_view>

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
  // Replaces the whole document. With contextType 1, text that begins with an RTF header
  // is read as rich text and any other text as plain text in the default format. Returns
  // false when the control reported that it could not read the RTF; the box then holds
  // what it read up to there.
  bool setContext(std::string_view bytes) const;

  // 0xFF000000 selects the system window colour.
  void setBackColor(uint32_t colour) const;

 private:
  static LRESULT CALLBACK subclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);
  bool streamIn(std::string_view bytes, UINT format) const;
  std::string plainTextContext(bool& lostCharacters) const;
  void writeCharFormat(WPARAM scope, const CharFormat& format) const;

  HWND hwnd_ = nullptr;
  EditorBoxEvents* events_ = nullptr;
  int contextType_ = kRichText;
};

}  // namespace qnv::ui
