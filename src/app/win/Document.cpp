#include "app/win/Document.h"

#include "app/PathNames.h"
#include "app/RtfCheck.h"
#include "app/win/AppState.h"
#include "app/win/EditorWindow.h"
#include "files/win/FileWrite.h"
#include "app/win/ProtectedDocument.h"
#include "app/win/RecentFiles.h"
#include "crypto/ProtectedFormat.h"
#include "crypto/StrongFormat.h"
#include "ui/win/Prompts.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

// What becomes of the document when a file is not opened: at start-up the editor is left
// empty; a document open in a running editor stays as it is.
constexpr std::wstring_view kLeftEmpty = L"已打开空白文档，保存时将询问新的文件名，原文件不会被覆盖。";
constexpr std::wstring_view kLeftAsItWas = L"当前文档未改变。";

std::wstring_view outcome(bool replacing) { return replacing ? kLeftAsItWas : kLeftEmpty; }

bool hasRtfHeader(std::string_view text) { return text.substr(0, 5) == "{\\rtf"; }

std::wstring sizeText(uint64_t bytes) { return ui::widen(formatByteSize(bytes)); }

// A file that is there but could not be read (locked, no rights): at start-up the editor
// opens empty; in a running editor the current document stays as it is.
void reportUnreadable(const std::wstring& path, unsigned long error, bool replacing) {
  const std::wstring_view what = replacing ? L"无法打开文件，当前文档未改变。"
                                           : L"无法读取文件，已打开空白文档。保存时将询问新的文件名，原文件不会被覆盖。";
  ui::showMessage(std::wstring(what) + L"\r\n" + path + L"\r\n" + ui::systemMessage(error));
}

bool isProtectedKind(DocumentKind kind) {
  return kind == DocumentKind::kProtected || kind == DocumentKind::kStrongProtected;
}

std::wstring rtfProblemText(RtfProblem problem) {
  switch (problem) {
    case RtfProblem::kNestedTooDeep:
      return L"分组嵌套超过 " + std::to_wstring(kMaxRtfGroupDepth) + L" 层";
    case RtfProblem::kControlWordTooLong:
      return L"控制字超过 " + std::to_wstring(kMaxRtfControlWordLength) + L" 个字符";
    case RtfProblem::kNameTooLong:
      return L"字体或样式的名称超过 " + std::to_wstring(kMaxRtfNameLength) + L" 个字符";
    case RtfProblem::kTooManyCells:
      return L"表格的一行中单元格多于这一行的定义";
    case RtfProblem::kMalformedTable:
      return L"表格的结构不完整或顺序有误";
    case RtfProblem::kTablesTooDeep:
      return L"表格嵌套超过 " + std::to_wstring(kMaxRtfTableNesting) + L" 层";
    case RtfProblem::kMisplacedDestination:
      return L"分组中间出现了只应在分组开头的控制字";
    case RtfProblem::kNone:
      break;
  }
  return {};
}

void reportRefusedRtf(const std::wstring& path, RtfProblem problem, std::wstring_view then) {
  ui::showMessage(L"此文件的 RTF 结构超出了编辑控件能安全读取的范围（" + rtfProblemText(problem) +
                  L"），为避免程序崩溃，没有打开它。文件没有被修改。\r\n" + path + L"\r\n" + std::wstring(then));
}

DocumentKind kindOf(std::string_view start) {
  if (crypto::isStrongFile(start)) return DocumentKind::kStrongProtected;
  if (crypto::isProtectedText(start)) return DocumentKind::kProtected;
  return hasRtfHeader(start) ? DocumentKind::kRtf : DocumentKind::kPlainText;
}

// Asks about a document that needs much memory or lays out slowly, or refuses one that
// needs more memory than the machine has; true when it may be opened. `asked` keeps the
// question from coming twice.
bool admitSize(const std::wstring& path, DocumentKind kind, uint64_t fileBytes, uint64_t runsSquared, bool replacing,
               bool& asked) {
  const PhysicalMemory memory = appState().physicalMemory();
  const uint64_t needed = estimatedMemory(kind, fileBytes, runsSquared);
  const SizeVerdict verdict = sizeVerdict(needed, runsSquared, memory);
  const std::wstring details = path + L"\r\n文件大小：" + sizeText(fileBytes) + L"，打开它约需 " +
                               (needed == UINT64_MAX ? std::wstring(L"无法估计的") : sizeText(needed)) + L" 内存";
  if (verdict == SizeVerdict::kRefuse) {
    ui::showMessage(std::wstring(isProtectedKind(kind) ? L"加密文件过大，无法打开。" : L"文件过大，无法打开。") + L"\r\n" +
                    details + L"，超过本机的物理内存（" + sizeText(memory.total) + L"）。\r\n" +
                    std::wstring(outcome(replacing)));
    return false;
  }
  if (verdict == SizeVerdict::kAsk && !asked) {
    asked = true;
    return ui::showMessage(L"打开此文件需要较多的内存或时间，期间程序可能很久没有响应。是否仍要打开？\r\n" + details +
                               L"（本机现有可用物理内存 " + sizeText(memory.available) + L"）。",
                           ui::kDefaultMessageCaption, ui::MessageButtons::YesNo) == ui::MessageAnswer::Yes;
  }
  return true;
}

// At start-up: the document stays empty and may not be written back to its file. In a
// running editor the caller puts the current document back.
bool notOpened(EditorWindow& window, bool replacing, bool named) {
  if (replacing) return false;
  AppState& state = appState();
  state.documentPathDetached = true;
  state.displayName = named ? fileNameOf(state.documentPath) : std::string();
  window.updateCaption(named ? std::to_string(window.editorBox().textLength()) : std::string());
  return false;
}

// Streams the text into the box; RTF the control could not read whole is reported, and
// the file is not written back.
bool putInBox(EditorWindow& window, std::string_view text, const std::wstring& path) {
  if (window.editorBox().setContext(text)) return true;
  appState().documentPathDetached = true;
  ui::showMessage(L"此文件的 RTF 内容有错误，只显示了能读出的部分。保存时将询问新的文件名，原文件不会被覆盖。\r\n" + path);
  return false;
}

// For a document unlocked from a protected file in this run: asks whether the save keeps
// the protection. Always false for any other document.
bool keepsProtection() {
  if (appState().keptProtection.empty()) return false;
  return ui::showMessage(L"此文档原为加密文档，是否继续加密保存？", ui::kDefaultMessageCaption,
                         ui::MessageButtons::YesNo) == ui::MessageAnswer::Yes;
}

// A plain-text save that would turn characters into "?" asks first.
bool acceptsLosingCharacters() {
  return ui::showMessage(L"文档中有些字符无法用纯文本文件的编码保存，保存后它们将变成“?”。是否仍要保存？\r\n"
                         L"若要保留这些字符，请选择“否”，再保存为 .qnv 文件。",
                         ui::kDefaultMessageCaption, ui::MessageButtons::YesNo) == ui::MessageAnswer::Yes;
}

// Writes the document to the target, protected as the file it came from or as it is.
bool writeDocument(EditorWindow& window, const std::wstring& target, bool protect) {
  if (protect) return writeWithKeptProtection(window, target);
  bool lostCharacters = false;
  const std::string bytes = window.editorBox().context(&lostCharacters);
  if (lostCharacters && !acceptsLosingCharacters()) return false;
  return writeDocumentFile(target, bytes);
}

}  // namespace

PhysicalMemory systemPhysicalMemory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return {UINT64_MAX, UINT64_MAX};  // unknown: nothing is refused for it
  return {status.ullTotalPhys, status.ullAvailPhys};
}

uint64_t documentReadLimit(DocumentKind kind) { return largestOpenableFile(kind, appState().physicalMemory().total); }

bool loadDocumentText(EditorWindow& window, std::string_view text, const std::wstring& path) {
  if (window.editorBox().contextType() == ui::EditorBox::kRichText && hasRtfHeader(text)) {
    const RtfProblem problem = checkRtf(text, GetACP()).problem;
    if (problem != RtfProblem::kNone) {
      appState().documentPathDetached = true;
      window.editorBox().setContext({});
      reportRefusedRtf(path, problem, kLeftEmpty);
      return false;
    }
  }
  return putInBox(window, text, path);
}

bool openDocument(EditorWindow& window, bool replacing) {
  AppState& state = appState();
  const std::wstring path = ui::widen(state.documentPath);
  const files::FileHead head = files::readFileHead(path, crypto::kStrongFamilyMarker.size());
  if (head.error != 0 && (replacing || head.exists)) {
    // The file is there but could not be read (locked, no rights): at start-up open empty,
    // and make sure a later save cannot overwrite what is still on disk.
    reportUnreadable(path, head.error, replacing);
    return notOpened(window, replacing, true);
  }
  const DocumentKind kind = kindOf(crypto::textUpToFirstNul(head.bytes));
  const bool isProtected = isProtectedKind(kind);
  bool asked = false;
  if (!admitSize(path, kind, head.size, 0, replacing, asked)) return notOpened(window, replacing, !isProtected);

  if (isProtected) {
    const bool unlocked = runUnlockWindow(window);
    window.updateCaption("");
    return unlocked;
  }
  files::FileReadResult file;
  if (head.exists) file = files::readWholeFile(path, documentReadLimit(kind));
  if (file.error != 0) {
    reportUnreadable(path, file.error, replacing);
    return notOpened(window, replacing, true);
  }
  crypto::cutAtFirstNul(file.bytes);
  uint64_t runsSquared = 0;
  if (kind == DocumentKind::kRtf) {
    const RtfCheckResult check = checkRtf(file.bytes, GetACP());
    if (check.problem != RtfProblem::kNone) {
      reportRefusedRtf(path, check.problem, outcome(replacing));
      return notOpened(window, replacing, true);
    }
    runsSquared = check.runsSquared;
  } else {
    runsSquared = plainTextRunsSquared(file.bytes, GetACP());
  }
  // What laying out the text adds is known once the text is there.
  if (!admitSize(path, kind, head.size, runsSquared, replacing, asked)) return notOpened(window, replacing, true);

  putInBox(window, file.bytes, path);
  file = {};  // the document is in the box now
  state.displayName = fileNameOf(state.documentPath);
  window.updateCaption(std::to_string(window.editorBox().textLength()));
  return head.exists;
}

std::optional<std::wstring> ownSaveTarget() {
  const AppState& state = appState();
  if (state.documentPath.empty() || state.documentPathDetached) return std::nullopt;
  return ui::widen(state.documentPath);
}

std::optional<std::wstring> chooseInSaveDialog(EditorWindow& window) {
  ui::SaveDialogValues& dialog = window.saveDialog();
  if (!ui::prompts().saveFileName(dialog)) return std::nullopt;
  return dialog.fileName;
}

std::optional<std::wstring> chooseSaveTarget(EditorWindow& window) {
  if (std::optional<std::wstring> own = ownSaveTarget()) return own;
  std::optional<std::wstring> chosen = chooseInSaveDialog(window);
  if (!chosen) return std::nullopt;
  const bool richText = extensionOf(ui::narrow(*chosen)) == kDocumentExtension;
  window.editorBox().setContextType(richText ? ui::EditorBox::kRichText : ui::EditorBox::kPlainText);
  return chosen;
}

void reportSaveFailure(const std::wstring& target, unsigned long error, const std::wstring& newBytesKeptAt) {
  std::wstring text = L"保存失败\r\n" + target + L"\r\n" + ui::systemMessage(error);
  if (!newBytesKeptAt.empty()) text += L"\r\n原文件已不在原处，新内容保存在：\r\n" + newBytesKeptAt;
  ui::showMessage(text);
}

bool writeDocumentFile(const std::wstring& target, std::string_view bytes) {
  const files::ReplaceResult result = files::replaceFileContents(target, bytes);
  if (result.error != 0) {
    reportSaveFailure(target, result.error, ui::widen(result.newBytesKeptAt));
    return false;
  }
  rememberRecentFile(target);
  return true;
}

bool saveDocument(EditorWindow& window) {
  const bool protect = keepsProtection();
  const std::optional<std::wstring> target = chooseSaveTarget(window);
  if (!target) return false;
  if (!writeDocument(window, *target, protect)) return false;
  appState().isModified = 0;
  return true;
}

bool saveAndExit(EditorWindow& window) {
  const bool protect = keepsProtection();
  const std::optional<std::wstring> target = chooseSaveTarget(window);
  if (!target) return false;
  ShowWindow(window.hwnd(), SW_HIDE);
  if (!writeDocument(window, *target, protect)) {
    ShowWindow(window.hwnd(), SW_SHOW);
    return false;
  }
  window.snapshots().discard();
  ui::prompts().exitProcess(0);
  return true;
}

}  // namespace qnv::app
