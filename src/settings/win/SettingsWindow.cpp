#include "settings/win/SettingsWindow.h"

#include <optional>
#include <string>

#include "settings/SettingsValues.h"
#include "settings/win/FileAssociation.h"
#include "ui/win/Text.h"

namespace qnv::settings {
namespace {

SettingsWindow* currentWindow = nullptr;

uint32_t colourSetting(const SettingsFile& file, std::string_view key, uint32_t fallback) {
  const std::optional<std::string> value = file.readSettingIfPresent(key);
  return value ? parseSettingColour(*value) : fallback;
}

ui::FontDescription descriptionOf(const FontSettings& font) {
  ui::FontDescription d;
  d.bold = font.bold;
  d.italic = font.italic;
  d.underline = font.underline;
  d.strikeOut = font.strikeOut;
  d.size = font.size;
  d.faceName = font.fontName;
  return d;
}

}  // namespace

ui::WindowDesign settingsWindowDesign() { return ui::fixedWindowDesign(L"设置", 50, 50, 620, 108); }

void openSettingsWindow(const SettingsFile& file, EditorLink editor) {
  SettingsWindow window(file, std::move(editor));
  window.runModal(settingsWindowDesign());
}

SettingsWindow::~SettingsWindow() {
  if (currentWindow == this) currentWindow = nullptr;
}

SettingsWindow* SettingsWindow::current() { return currentWindow; }

bool SettingsWindow::onCreate() {
  currentWindow = this;
  // Each control is created at its designed rectangle and kept there at every DPI.
  const auto label = [this](ui::TransparentLabel& control, const wchar_t* caption, const ui::Box& design) {
    const ui::Box r = pixels(design);
    if (!control.create(hwnd(), caption, r.left, r.top, r.width, r.height)) return false;
    keepDesigned(control.hwnd(), design);
    return true;
  };
  const auto picker = [this](ui::ColourPicker& control, const ui::Box& design) {
    const ui::Box r = pixels(design);
    if (!control.create(hwnd(), r.left, r.top, r.width, r.height)) return false;
    keepDesigned(control.hwnd(), design);
    return true;
  };
  const auto button = [this](const wchar_t* caption, const ui::Box& design, int id) {
    return addControl(L"BUTTON", caption, BS_PUSHBUTTON | WS_TABSTOP, design, id);
  };

  // Left to right, as designed: positions and sizes in the client area, in 96-DPI units.
  if (!label(preview_, L"默认字体", {8, 8, 80, 40})) return false;
  if (!picker(textPicker_, {96, 16, 48, 24})) return false;
  if (!(changeFontButton_ = button(L"更改", {152, 15, 48, 24}, kChangeFontButtonId))) return false;
  if (!label(backgroundLabel_, L"背景色", {208, 8, 80, 40})) return false;
  if (!picker(backgroundPicker_, {296, 16, 48, 24})) return false;
  if (!label(highlightLabel_, L"高亮颜色", {352, 8, 80, 40})) return false;
  if (!picker(highlightPicker_, {440, 16, 48, 24})) return false;
  if (!(associateButton_ = button(L"关联文件", {507, 16, 88, 24}, kAssociateButtonId))) return false;
  // Below the designed row, under "关联文件".
  strongProtectionBox_ = addControl(L"BUTTON", L"强加密", BS_AUTOCHECKBOX | WS_TABSTOP, {507, 48, 88, 20},
                                    kStrongProtectionBoxId);
  if (!strongProtectionBox_) return false;

  // The two captions beside the pickers are drawn in the window's own font and colour.
  ui::FontDescription plain;
  LOGFONTW dialog{};
  if (GetObjectW(ui::dialogFont(dpi()), sizeof dialog, &dialog)) {
    plain.faceName = ui::narrow(dialog.lfFaceName);
    if (dialog.lfHeight != 0) plain.size = ui::pointsForFontHeight(dialog.lfHeight, dpi());
  }
  for (ui::TransparentLabel* label : {&backgroundLabel_, &highlightLabel_}) {
    label->setFont(plain);
    label->setTextColour(ui::kAutomaticColour);
  }

  textPicker_.setOnColourChosen([this] { storeTextColour(); });
  backgroundPicker_.setOnColourChosen([this] { storeBackgroundColour(); });
  highlightPicker_.setOnColourChosen([this] { storeHighlightColour(); });

  fillSettingsWindow();
  return true;
}

void SettingsWindow::fillSettingsWindow() {
  const bool strong = parseStrongProtection(file_.readSetting(key::kProtectionFormat));
  SendMessageW(strongProtectionBox_, BM_SETCHECK, strong ? BST_CHECKED : BST_UNCHECKED, 0);

  ui::FontDescription font;  // 9-point "宋体", no flags
  if (file_.settingsExist()) {
    // Key order: 加粗, 倾斜, 下划线, 删除线, 字体大小, 字体名称, 字体色, 高亮色, 背景色.
    font = descriptionOf(readFontSettings(file_.settingsReader()));
    preview_.setFont(font);
    const uint32_t text = colourSetting(file_, key::kTextColour, kDefaultTextColour);
    preview_.setTextColour(text);
    textPicker_.setColour(text);
    highlightPicker_.setColour(colourSetting(file_, key::kHighlightColour, kFallbackHighlightColour));
    backgroundPicker_.setColour(colourSetting(file_, key::kBackgroundColour, editor_.backgroundColour));
    return;
  }
  font.faceName = std::string(kDefaultFontName);
  font.size = kDefaultFontSize;
  preview_.setFont(font);
  preview_.setTextColour(kDefaultTextColour);
  textPicker_.setColour(kDefaultTextColour);
  highlightPicker_.setColour(kFallbackHighlightColour);
  // The background the editor box was given at its creation.
  backgroundPicker_.setColour(editor_.backgroundColour);
}

void SettingsWindow::changeDefaultFont() {
  if (!ui::prompts().chooseFont(fontDialog_)) return;
  const std::string faceName = ui::narrow(fontDialog_.fontName);
  file_.writeFlagSetting(key::kBold, fontDialog_.bold);
  file_.writeFlagSetting(key::kItalic, fontDialog_.italic);
  file_.writeFlagSetting(key::kUnderline, fontDialog_.underline);
  file_.writeFlagSetting(key::kStrikeOut, fontDialog_.strikeOut);
  file_.writeIntSetting(key::kFontSize, fontDialog_.size);
  file_.writeSetting(key::kFontName, faceName);

  ui::FontDescription font;
  font.faceName = faceName;
  font.size = fontDialog_.size;
  font.bold = fontDialog_.bold;
  font.italic = fontDialog_.italic;
  font.underline = fontDialog_.underline;
  font.strikeOut = fontDialog_.strikeOut;
  preview_.setFont(font);  // the dialog's colour is not used
}

void SettingsWindow::storeTextColour() {
  const uint32_t colour = textPicker_.colour();
  file_.writeColourSetting(key::kTextColour, colour);
  preview_.setTextColour(colour);
}

void SettingsWindow::storeBackgroundColour() { file_.writeColourSetting(key::kBackgroundColour, backgroundPicker_.colour()); }

void SettingsWindow::storeHighlightColour() {
  const uint32_t colour = highlightPicker_.colour();
  file_.writeColourSetting(key::kHighlightColour, colour);
  if (editor_.highlightChosen) editor_.highlightChosen(colour);
}

void SettingsWindow::associate() { associateFiles(); }

void SettingsWindow::storeProtectionFormat() {
  const bool strong = SendMessageW(strongProtectionBox_, BM_GETCHECK, 0, 0) == BST_CHECKED;
  file_.writeSetting(key::kProtectionFormat, formatStrongProtection(strong));
}

void SettingsWindow::onDestroy() {
  if (currentWindow == this) currentWindow = nullptr;
}

void SettingsWindow::onCommand(int id, int code, HWND control) {
  if (!control || code != BN_CLICKED) return;
  if (id == kChangeFontButtonId) {
    changeDefaultFont();
  } else if (id == kAssociateButtonId) {
    associate();
  } else if (id == kStrongProtectionBoxId) {
    storeProtectionFormat();
  }
}

LRESULT SettingsWindow::handleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  try {
    return Window::handleMessage(msg, wParam, lParam);
  } catch (...) {
    // A handler that failed leaves the window as it was; nothing leaves the procedure.
    return msg == WM_CREATE ? -1 : defaultHandling(msg, wParam, lParam);
  }
}

}  // namespace qnv::settings
