#include "ui/win/Prompts.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>

#include "ui/Formats.h"
#include "ui/Scale.h"
#include "ui/win/Window.h"

namespace qnv::ui {
namespace {

// The system's own dialogs, each modal for the whole program.
class Win32Prompts final : public Prompts {
 public:
  MessageAnswer message(std::wstring_view text, std::wstring_view caption, MessageButtons buttons) override {
    const std::wstring t(text), c(caption);
    const UINT type = (buttons == MessageButtons::YesNo ? MB_YESNO | MB_ICONQUESTION : MB_OK) | MB_TASKMODAL |
                      MB_SETFOREGROUND;
    const int result = MessageBoxW(nullptr, t.c_str(), c.c_str(), type);
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    return result == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
  }

  bool saveFileName(SaveDialogValues& dialog) override { return runFileDialog(dialog, GetSaveFileNameW); }
  bool openFileName(FileDialogValues& dialog) override { return runFileDialog(dialog, GetOpenFileNameW); }

  bool runFileDialog(FileDialogValues& dialog, BOOL(WINAPI* run)(OPENFILENAMEW*)) {
    std::wstring filter;
    for (const FileType& type : dialog.fileTypes) {
      filter += type.description;
      filter += L'\0';
      filter += type.pattern;
      filter += L'\0';
    }
    filter += L'\0';
    std::wstring buffer = dialog.fileName;
    buffer.resize(std::max<size_t>(buffer.size() + 1, 32768), L'\0');

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(dialog.initialFilter);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrTitle = dialog.title.c_str();
    ofn.lpstrDefExt = dialog.defaultExtension.empty() ? nullptr : dialog.defaultExtension.c_str();
    ofn.lpstrInitialDir = dialog.initialFolder.empty() ? nullptr : dialog.initialFolder.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (dialog.overwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (dialog.pathMustExist) ofn.Flags |= OFN_PATHMUSTEXIST;
    if (dialog.fileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST;

    ProgramModality modality;
    if (!run(&ofn)) return false;
    dialog.fileName = buffer.c_str();
    return true;
  }

  bool chooseFont(FontDialogValues& values) override {
    LOGFONTW font{};
    // The dialog has no owner window: the screen's DPI turns the points into a height. A
    // size beyond what the control takes comes down to that first.
    font.lfHeight = fontHeightForPoints(std::min(values.size, kMaximumFontSize), screenDpi());
    font.lfWeight = values.bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = values.italic;
    font.lfUnderline = values.underline;
    font.lfStrikeOut = values.strikeOut;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, values.fontName.c_str(), LF_FACESIZE);

    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof cf;
    cf.lpLogFont = &font;
    cf.rgbColors = values.colour & 0x00FFFFFF;
    cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    ProgramModality modality;
    if (!ChooseFontW(&cf)) return false;
    values.fontName = font.lfFaceName;
    values.size = cf.iPointSize / 10;
    values.colour = cf.rgbColors;
    values.bold = font.lfWeight >= FW_BOLD;
    values.italic = font.lfItalic != 0;
    values.underline = font.lfUnderline != 0;
    values.strikeOut = font.lfStrikeOut != 0;
    return true;
  }

  bool chooseColour(uint32_t& colour) override {
    static COLORREF custom[16] = {};
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.rgbResult = colour & 0x00FFFFFF;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    ProgramModality modality;
    if (!ChooseColorW(&cc)) return false;
    colour = cc.rgbResult;
    return true;
  }

  HDC choosePrinter() override {
    PRINTDLGW pd{};
    pd.lStructSize = sizeof pd;
    pd.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
    ProgramModality modality;
    const BOOL chosen = PrintDlgW(&pd);
    if (pd.hDevMode) GlobalFree(pd.hDevMode);
    if (pd.hDevNames) GlobalFree(pd.hDevNames);
    return chosen ? pd.hDC : nullptr;
  }

  // Ends the program's message loop; start-up then cleans up and the process ends with
  // the code.
  void exitProcess(int code) override { PostQuitMessage(code); }
};

Win32Prompts& win32Prompts() {
  static Win32Prompts instance;
  return instance;
}

Prompts* installed = nullptr;

}  // namespace

Prompts& prompts() { return installed ? *installed : win32Prompts(); }

void setPrompts(Prompts* p) { installed = p; }

MessageAnswer showMessage(std::wstring_view text, std::wstring_view caption, MessageButtons buttons) {
  return prompts().message(text, caption, buttons);
}

}  // namespace qnv::ui
