#include "ui/win/EditorBox.h"

#include <commctrl.h>
#include <richedit.h>
#include <richole.h>
#include <tom.h>

#include <algorithm>
#include <cstring>

#include "ui/CodePage.h"
#include "ui/win/Handles.h"
#include "ui/win/Text.h"

namespace qnv::ui {
namespace {

constexpr LONG kTwipsPerPoint = 20;
constexpr size_t kFaceNameBytes = 31;  // what a face name holds in the ANSI code page

struct StreamOutState {
  std::string* out;
};

DWORD CALLBACK streamOutCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* written) {
  auto* state = reinterpret_cast<StreamOutState*>(cookie);
  state->out->append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(count));
  *written = count;
  return 0;
}

struct StreamInState {
  std::string_view bytes;
  size_t pos = 0;
  // For plain text: the ANSI code page whose characters no chunk may end inside; 0 for RTF.
  unsigned codePage = 0;
};

// Hands the control the next chunk of the document. The control converts each chunk of
// plain text to Unicode on its own, so a chunk of plain text never ends between the two
// bytes of a double-byte character (the rest of a character goes with the next chunk).
DWORD CALLBACK streamInCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* read) {
  auto* state = reinterpret_cast<StreamInState*>(cookie);
  const std::string_view rest = state->bytes.substr(state->pos);
  size_t n = std::min(static_cast<size_t>(std::max<LONG>(count, 0)), rest.size());
  if (state->codePage != 0 && n < rest.size()) {
    const size_t whole = wholeCharacterPrefix(rest.substr(0, n), state->codePage);
    if (whole > 0) n = whole;  // a chunk of one byte cannot be helped
  }
  std::memcpy(buffer, rest.data(), n);
  state->pos += n;
  *read = static_cast<LONG>(n);
  return 0;
}

struct WideStreamOutState {
  std::wstring* out;
  std::string pendingByte;  // the control may split a UTF-16 unit across two calls
};

DWORD CALLBACK wideStreamOutCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* written) {
  auto* state = reinterpret_cast<WideStreamOutState*>(cookie);
  std::string_view bytes(reinterpret_cast<const char*>(buffer), static_cast<size_t>(count));
  if (!state->pendingByte.empty() && !bytes.empty()) {
    const char unit[2] = {state->pendingByte[0], bytes[0]};
    wchar_t c;
    std::memcpy(&c, unit, sizeof c);
    state->out->push_back(c);
    state->pendingByte.clear();
    bytes.remove_prefix(1);
  }
  const size_t units = bytes.size() / sizeof(wchar_t);
  const size_t at = state->out->size();
  state->out->resize(at + units);
  std::memcpy(state->out->data() + at, bytes.data(), units * sizeof(wchar_t));
  if (bytes.size() % sizeof(wchar_t) != 0) state->pendingByte.assign(1, bytes.back());
  *written = count;
  return 0;
}

// The face name as the control takes it: at most 31 bytes in the ANSI code page, never
// cutting a double-byte character.
std::wstring faceNameForControl(const std::string& utf8) {
  std::wstring wide = widen(utf8);
  while (!wide.empty() && toAnsi(wide).size() > kFaceNameBytes) wide.pop_back();
  return wide.substr(0, LF_FACESIZE - 1);
}

CHARFORMAT2W toCharFormat2(const CharFormat& f) {
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_FACE | CFM_SIZE | CFM_OFFSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT |
              CFM_PROTECTED | CFM_COLOR;
  const std::wstring face = faceNameForControl(f.fontName);
  std::copy(face.begin(), face.end(), cf.szFaceName);
  // Sizes beyond what the control takes are brought into its range before they are
  // turned into twips, so that the product cannot overflow.
  cf.yHeight = std::clamp(f.size, 0, kMaximumFontSize) * kTwipsPerPoint;
  cf.yOffset = std::clamp(f.offset, -kMaximumFontSize, kMaximumFontSize) * kTwipsPerPoint;
  if (f.effects & kBold) cf.dwEffects |= CFE_BOLD;
  if (f.effects & kItalic) cf.dwEffects |= CFE_ITALIC;
  if (f.effects & kUnderline) cf.dwEffects |= CFE_UNDERLINE;
  if (f.effects & kStrikeOut) cf.dwEffects |= CFE_STRIKEOUT;
  if (f.effects & kProtected) cf.dwEffects |= CFE_PROTECTED;
  if (f.colour == kAutomaticColour) {
    cf.dwEffects |= CFE_AUTOCOLOR;
  } else {
    cf.crTextColor = f.colour & 0x00FFFFFF;
  }
  cf.bCharSet = DEFAULT_CHARSET;
  return cf;
}

CharFormat fromCharFormat2(const CHARFORMAT2W& cf) {
  CharFormat f;
  f.fontName = narrow(cf.szFaceName);
  f.size = cf.yHeight / kTwipsPerPoint;
  f.offset = cf.yOffset / kTwipsPerPoint;
  f.effects = 0;
  if (cf.dwEffects & CFE_BOLD) f.effects |= kBold;
  if (cf.dwEffects & CFE_ITALIC) f.effects |= kItalic;
  if (cf.dwEffects & CFE_UNDERLINE) f.effects |= kUnderline;
  if (cf.dwEffects & CFE_STRIKEOUT) f.effects |= kStrikeOut;
  if (cf.dwEffects & CFE_PROTECTED) f.effects |= kProtected;
  f.colour = (cf.dwEffects & CFE_AUTOCOLOR) ? kAutomaticColour : (cf.crTextColor & 0x00FFFFFF);
  return f;
}

bool hasRtfHeader(std::string_view bytes) { return bytes.substr(0, 5) == "{\\rtf"; }

// The text object model's document interface, which MinGW's libraries do not define.
constexpr IID kTextDocumentIid = {0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};

// Groups the control's undo for as long as it lives, where the control can (Wine's and older
// controls answer that they cannot).
class UndoGroup {
 public:
  explicit UndoGroup(HWND box) {
    ComPtr<IRichEditOle> ole;
    if (!SendMessageW(box, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(ole.put())) || !ole) return;
    if (FAILED(ole->QueryInterface(kTextDocumentIid, reinterpret_cast<void**>(document_.put())))) return;
    if (document_->BeginEditCollection() != S_OK) document_.reset();
  }
  ~UndoGroup() {
    if (document_) document_->EndEditCollection();
  }
  UndoGroup(const UndoGroup&) = delete;
  UndoGroup& operator=(const UndoGroup&) = delete;
  bool grouped() const { return static_cast<bool>(document_); }

 private:
  ComPtr<ITextDocument> document_;
};

// Undo steps the control keeps while nothing asks for more (its own default).
constexpr size_t kDefaultUndoLimit = 100;

}  // namespace

bool EditorBox::create(HWND parent, int controlId, int left, int top, int width, int height,
                       EditorBoxEvents* events) {
  LoadLibraryW(L"riched20.dll");
  events_ = events;
  hwnd_ = CreateWindowExW(0, RICHEDIT_CLASSW, L"",
                          WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL |
                              ES_WANTRETURN,
                          left, top, width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                          GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) return false;
  SendMessageW(hwnd_, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  SendMessageW(hwnd_, EM_SETTARGETDEVICE, 0, 0);  // wrap at the window's edge
  SendMessageW(hwnd_, EM_SETEVENTMASK, 0, ENM_CHANGE);
  SetWindowSubclass(hwnd_, &EditorBox::subclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  return true;
}

LRESULT CALLBACK EditorBox::subclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
  auto* self = reinterpret_cast<EditorBox*>(data);
  EditorBoxEvents* events = self->events_;
  try {
    switch (events ? msg : 0) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        events->onEditorKeyDown(static_cast<unsigned>(wParam));
        break;
      case WM_KEYUP:
      case WM_SYSKEYUP:
        events->onEditorKeyUp(static_cast<unsigned>(wParam));
        break;
      case WM_RBUTTONDOWN:
        events->onEditorRightButtonDown();
        break;
      case WM_MOUSEWHEEL:
        if (events->onEditorMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) != 0)) {
          return 0;
        }
        break;
      case WM_KILLFOCUS:
        events->onEditorFocusLost();
        break;
      default:
        break;
    }
  } catch (...) {
    // A failing handler must not stop the control from getting its message.
  }
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &EditorBox::subclassProc, 1);
    self->hwnd_ = nullptr;
  }
  // The control gets every message afterwards: only a wheel movement can be consumed.
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

void EditorBox::setBounds(int left, int top, int width, int height) const {
  MoveWindow(hwnd_, left, top, std::max(width, 0), std::max(height, 0), TRUE);
}

int EditorBox::textLength() const { return static_cast<int>(SendMessageW(hwnd_, WM_GETTEXTLENGTH, 0, 0)); }

void EditorBox::writeCharFormat(WPARAM scope, const CharFormat& format) const {
  CHARFORMAT2W cf = toCharFormat2(format);
  SendMessageW(hwnd_, EM_SETCHARFORMAT, scope, reinterpret_cast<LPARAM>(&cf));
}

void EditorBox::setDefaultCharFormat(const CharFormat& format) const { writeCharFormat(SCF_DEFAULT, format); }

void EditorBox::setSelectionCharFormat(const CharFormat& format) const { writeCharFormat(SCF_SELECTION, format); }

CharFormat EditorBox::selectionCharFormat() const {
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  SendMessageW(hwnd_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  return fromCharFormat2(cf);
}

ParaFormat EditorBox::paraFormat() const {
  PARAFORMAT2 pf{};
  pf.cbSize = sizeof pf;
  SendMessageW(hwnd_, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
  ParaFormat f;
  f.bullet = pf.wNumbering != 0 ? 1 : 0;
  f.startIndent = pf.dxStartIndent / kTwipsPerPoint;
  f.subsequentOffset = pf.dxOffset / kTwipsPerPoint;
  f.rightIndent = pf.dxRightIndent / kTwipsPerPoint;
  switch (pf.wAlignment) {
    case PFA_CENTER: f.alignment = kAlignCentre; break;
    case PFA_RIGHT: f.alignment = kAlignRight; break;
    default: f.alignment = kAlignLeft; break;
  }
  return f;
}

void EditorBox::setParaFormat(const ParaFormat& format) const {
  PARAFORMAT2 pf{};
  pf.cbSize = sizeof pf;
  pf.dwMask = PFM_NUMBERING | PFM_STARTINDENT | PFM_OFFSET | PFM_RIGHTINDENT | PFM_ALIGNMENT;
  pf.wNumbering = format.bullet != 0 ? PFN_BULLET : 0;
  pf.dxStartIndent = format.startIndent * kTwipsPerPoint;
  pf.dxOffset = format.subsequentOffset * kTwipsPerPoint;
  pf.dxRightIndent = format.rightIndent * kTwipsPerPoint;
  switch (format.alignment) {
    case kAlignCentre: pf.wAlignment = PFA_CENTER; break;
    case kAlignRight: pf.wAlignment = PFA_RIGHT; break;
    default: pf.wAlignment = PFA_LEFT; break;
  }
  SendMessageW(hwnd_, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
}

void EditorBox::undo() const { SendMessageW(hwnd_, EM_UNDO, 0, 0); }
void EditorBox::copy() const { SendMessageW(hwnd_, WM_COPY, 0, 0); }
void EditorBox::cut() const { SendMessageW(hwnd_, WM_CUT, 0, 0); }
void EditorBox::paste() const { SendMessageW(hwnd_, WM_PASTE, 0, 0); }

std::string EditorBox::context(bool* lostCharacters) const {
  if (lostCharacters) *lostCharacters = false;
  if (contextType_ == kPlainText && lostCharacters) return plainTextContext(*lostCharacters);
  return streamOut(contextType_ == kRichText ? SF_RTF : SF_TEXT);
}

std::string EditorBox::richText() const { return streamOut(SF_RTF); }

std::string EditorBox::streamOut(UINT format) const {
  std::string out;
  out.reserve(static_cast<size_t>(textLength()) * 2 + 256);
  StreamOutState state{&out};
  EDITSTREAM es{};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&state);
  es.pfnCallback = streamOutCallback;
  SendMessageW(hwnd_, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&es));
  // Some versions of the control end the stream with a zero byte; a document has no terminator.
  while (!out.empty() && out.back() == '\0') out.pop_back();
  return out;
}

std::string EditorBox::plainTextContext(bool& lostCharacters) const {
  // The text as Unicode, converted here as the control converts its plain-text stream-out
  // (the ANSI code page, best-fit characters allowed), so the bytes are the same; a second
  // conversion without best fit tells whether any character had no exact counterpart.
  std::wstring wide;
  wide.reserve(static_cast<size_t>(textLength()) + 16);
  {
    WideStreamOutState state{&wide, {}};
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&state);
    es.pfnCallback = wideStreamOutCallback;
    SendMessageW(hwnd_, EM_STREAMOUT, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&es));
  }
  while (!wide.empty() && wide.back() == L'\0') wide.pop_back();
  lostCharacters = !representableInAnsi(wide);
  return toAnsi(wide);
}

bool EditorBox::streamIn(std::string_view bytes, UINT format) const {
  StreamInState state{bytes, 0, format == SF_TEXT ? GetACP() : 0u};
  EDITSTREAM es{};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&state);
  es.pfnCallback = streamInCallback;
  SendMessageW(hwnd_, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
  return es.dwError == 0;
}

bool EditorBox::setContext(std::string_view bytes) const {
  if (contextType_ == kRichText && hasRtfHeader(bytes)) return streamIn(bytes, SF_RTF);
  return streamIn(bytes, SF_TEXT);
}

void EditorBox::setBackColor(uint32_t colour) const {
  if (colour == kAutomaticColour) {
    SendMessageW(hwnd_, EM_SETBKGNDCOLOR, 1, 0);
  } else {
    SendMessageW(hwnd_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(colour & 0x00FFFFFF));
  }
}

std::u16string EditorBox::text() const {
  std::u16string text;
  readText(text);
  return text;
}

void EditorBox::readText(std::u16string& text) const {
  GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
  const LRESULT units = SendMessageW(hwnd_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
  readRange({0, static_cast<size_t>(std::max<LRESULT>(units, 0))}, text);
}

std::u16string EditorBox::textOf(TextRange range) const {
  std::u16string text;
  readRange(range, text);
  return text;
}

void EditorBox::readRange(TextRange range, std::u16string& text) const {
  text.resize(range.end > range.start ? range.end - range.start : 0);
  if (text.empty()) return;
  // The control writes a terminating zero after the characters.
  text.push_back(u'\0');
  TEXTRANGEW r{{static_cast<LONG>(range.start), static_cast<LONG>(range.end)}, reinterpret_cast<LPWSTR>(text.data())};
  text.resize(static_cast<size_t>(SendMessageW(hwnd_, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&r))));
}

TextRange EditorBox::selection() const {
  CHARRANGE r{};
  SendMessageW(hwnd_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
  return {static_cast<size_t>(std::max<LONG>(r.cpMin, 0)), static_cast<size_t>(std::max<LONG>(r.cpMax, 0))};
}

void EditorBox::select(TextRange range) const {
  CHARRANGE r{static_cast<LONG>(range.start), static_cast<LONG>(range.end)};
  SendMessageW(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
  SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
}

void EditorBox::replaceSelection(std::u16string_view text) const {
  const std::u16string terminated(text);
  SendMessageW(hwnd_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(terminated.c_str()));
}

void EditorBox::replaceRanges(const std::vector<TextRange>& ranges, std::u16string_view text,
                              const std::function<void()>& poll) const {
  if (ranges.empty()) return;
  const UndoGroup undo(hwnd_);
  if (!undo.grouped()) SendMessageW(hwnd_, EM_SETUNDOLIMIT, std::max(kDefaultUndoLimit, ranges.size() + kDefaultUndoLimit), 0);
  const LRESULT eventMask = SendMessageW(hwnd_, EM_SETEVENTMASK, 0, 0);
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  const std::u16string terminated(text);
  for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
    CHARRANGE r{static_cast<LONG>(it->start), static_cast<LONG>(it->end)};
    SendMessageW(hwnd_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    SendMessageW(hwnd_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(terminated.c_str()));
    if (poll) poll();
  }
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
  SendMessageW(hwnd_, EM_SETEVENTMASK, 0, eventMask);
  SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
  // One report of the change, as the control would have made it.
  SendMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd_), EN_CHANGE), reinterpret_cast<LPARAM>(hwnd_));
}

void EditorBox::setSelectionAlwaysShown(bool shown) const {
  SendMessageW(hwnd_, EM_SETOPTIONS, shown ? ECOOP_OR : ECOOP_AND, shown ? ECO_NOHIDESEL : ~static_cast<LPARAM>(ECO_NOHIDESEL));
}

int EditorBox::zoomPercent() const {
  int numerator = 0, denominator = 0;
  SendMessageW(hwnd_, EM_GETZOOM, reinterpret_cast<WPARAM>(&numerator), reinterpret_cast<LPARAM>(&denominator));
  if (numerator <= 0 || denominator <= 0) return 100;
  return MulDiv(numerator, 100, denominator);
}

void EditorBox::setZoomPercent(int percent) const {
  if (percent == 100) {
    SendMessageW(hwnd_, EM_SETZOOM, 0, 0);
  } else {
    SendMessageW(hwnd_, EM_SETZOOM, percent, 100);
  }
}

}  // namespace qnv::ui
