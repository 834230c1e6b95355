#pragma once
// The settings window: default font, text colour, background, highlight colour, the
// protected format F1 writes, and the file association. Every change is written to the
// settings file at once; of the running editor the highlight colour and the protected format
// follow at once, the rest at the next start.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "settings/win/SettingsFile.h"
#include "ui/win/ColourPicker.h"
#include "ui/win/Prompts.h"
#include "ui/win/TransparentLabel.h"
#include "ui/win/Window.h"

namespace qnv::settings {

// What the settings window reads of the running editor and changes in it.
struct EditorLink {
  // The editor box's background, shown by the background picker when the file has none.
  uint32_t backgroundColour = kDefaultBackgroundColour;
  // Called with a newly chosen highlight colour: the running editor uses it at once.
  std::function<void(uint32_t)> highlightChosen;
};

class SettingsWindow : public ui::Window {
 public:
  static constexpr int kChangeFontButtonId = 201;
  static constexpr int kAssociateButtonId = 202;
  static constexpr int kStrongProtectionBoxId = 203;

  SettingsWindow(const SettingsFile& file, EditorLink editor) : file_(file), editor_(std::move(editor)) {}
  ~SettingsWindow() override;

  // The open settings window, else nullptr.
  static SettingsWindow* current();

  // The created event: the controls take the settings file's values, or the built-in
  // ones without a file; a key the file lacks takes its built-in value too.
  void fillSettingsWindow();
  // "更改": the window's own font dialog, then its values stored and shown in the preview.
  // A cancelled dialog stores nothing and leaves the preview as it was.
  void changeDefaultFont();
  // The pickers' colour-chosen events.
  void storeTextColour();
  void storeBackgroundColour();
  void storeHighlightColour();
  // "关联文件".
  void associate();
  // "强加密" clicked: the protected format F1 writes from now on.
  void storeProtectionFormat();

  // 透明标签1: the preview of the default font and text colour.
  ui::TransparentLabel& previewLabel() { return preview_; }
  ui::TransparentLabel& backgroundLabel() { return backgroundLabel_; }
  ui::TransparentLabel& highlightLabel() { return highlightLabel_; }
  ui::ColourPicker& textColourPicker() { return textPicker_; }
  ui::ColourPicker& backgroundPicker() { return backgroundPicker_; }
  ui::ColourPicker& highlightPicker() { return highlightPicker_; }
  HWND changeFontButton() const { return changeFontButton_; }
  HWND associateButton() const { return associateButton_; }
  HWND strongProtectionBox() const { return strongProtectionBox_; }
  // The window's own font dialog; its values live as long as the window.
  const ui::FontDialogValues& fontDialog() const { return fontDialog_; }

 protected:
  LRESULT handleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool onCreate() override;
  void onCommand(int id, int code, HWND control) override;
  void onDestroy() override;

 private:
  ui::TransparentLabel preview_;
  ui::TransparentLabel backgroundLabel_;
  ui::TransparentLabel highlightLabel_;
  ui::ColourPicker textPicker_;
  ui::ColourPicker backgroundPicker_;
  ui::ColourPicker highlightPicker_;
  HWND changeFontButton_ = nullptr;
  HWND associateButton_ = nullptr;
  HWND strongProtectionBox_ = nullptr;
  ui::FontDialogValues fontDialog_;
  const SettingsFile& file_;
  EditorLink editor_;
};

// Loads the settings window modally without an owner and returns when it has closed. The
// window is built anew at every opening.
void openSettingsWindow(const SettingsFile& file, EditorLink editor);

// The designed window: caption "设置" at 50, 50; outer size 620 x 84 as designed, 24 more in
// height for the row of the "强加密" box (96-DPI units).
ui::WindowDesign settingsWindowDesign();

}  // namespace qnv::settings
