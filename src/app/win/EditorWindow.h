#pragma once
// The program's main window: the caption, the EditorBox that fills it, the save dialog's
// remembered values, and the handlers of the window's life.
#include <string>
#include <string_view>
#include <vector>

#include "app/win/SnapshotKeeper.h"
#include "commands/Zoom.h"
#include "commands/win/FindReplace.h"
#include "ui/win/ColourPicker.h"
#include "ui/win/EditorBox.h"
#include "ui/win/Prompts.h"
#include "ui/win/Window.h"

namespace qnv::app {

class EditorWindow : public ui::Window, public ui::EditorBoxEvents {
 public:
  static constexpr int kEditorBoxId = 100;

  EditorWindow();
  ~EditorWindow() override;

  // Creates the window (running the creation sequence) and shows it.
  bool open(int showCommand = SW_SHOW);

  ui::EditorBox& editorBox() { return editorBox_; }
  // The hidden text-colour picker; only its palette is ever seen.
  ui::ColourPicker& fontColourPicker() { return fontColourPicker_; }
  // The SaveDialog's values: the name chosen last stays for the next opening.
  ui::SaveDialogValues& saveDialog() { return saveDialog_; }
  // The find and replace windows of this editor.
  commands::FindReplace& findReplace() { return findReplace_; }

  // The closing prompt's two questions about unsaved changes: "内容已被编辑是否保存？" (Yes:
  // save) and, after No, "您是需要直接退出编辑不保存文件吗？" (Yes: give them up; No: keep).
  enum class UnsavedChoice { Save, Discard, Keep };
  UnsavedChoice askAboutUnsavedChanges() const;

  // Zoom for this session: Ctrl and the wheel change it, Ctrl+0 resets it.
  void resetZoom();

  // The recovery snapshot of the document while it is modified.
  SnapshotKeeper& snapshots() { return snapshots_; }

  // Caption := displayName + title text + lengthText.
  void updateCaption(std::string_view lengthText);
  // The EditorBox fills the client area exactly.
  void layOutEditorBox();
  void applySettings();

  // The program-wide editor window while it exists, else nullptr.
  static EditorWindow* current();

 protected:
  LRESULT handleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool onCreate() override;
  void onSize() override;
  bool onCloseQuery() override;
  void onDestroy() override;
  void onCommand(int id, int code, HWND control) override;
  void onActivate(bool active) override;
  void onDpiChanged() override;

  void onEditorKeyDown(unsigned virtualKey) override;
  void onEditorKeyUp(unsigned virtualKey) override;
  void onEditorRightButtonDown() override;
  bool onEditorMouseWheel(int delta, bool ctrlDown) override;
  void onEditorFocusLost() override;

 private:
  void onContentChanged();
  void storeWindowSize() const;

  ui::EditorBox editorBox_;
  ui::ColourPicker fontColourPicker_;
  ui::SaveDialogValues saveDialog_;
  commands::FindReplace findReplace_{editorBox_};
  commands::WheelZoom zoom_;
  // The recent-files rows of the menu shown last, which its WM_COMMAND refers to.
  std::vector<std::string> recentFilesShown_;
  SnapshotKeeper snapshots_{*this};
};

// The designed window: caption, 600 x 500 at 50, 50 (96-DPI units).
ui::WindowDesign editorWindowDesign();

}  // namespace qnv::app
