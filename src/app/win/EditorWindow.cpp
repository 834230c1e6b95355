#include "app/win/EditorWindow.h"

#include <algorithm>

#include "app/Caption.h"
#include "app/win/AppState.h"
#include "app/win/CommandBindings.h"
#include "app/win/Document.h"
#include "app/win/DocumentCommands.h"
#include "app/win/RecentFiles.h"
#include "commands/CommandTable.h"
#include "commands/win/Confinement.h"
#include "commands/win/ContextMenu.h"
#include "commands/win/Formatting.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

EditorWindow* currentWindow = nullptr;

// In 96-DPI units. The box fills the client area from the window's creation on.
constexpr int kDesignedBoxWidth = 688;
constexpr int kDesignedBoxHeight = 584;
// The hidden text-colour picker; its size decides where its palette opens.
constexpr ui::Box kFontColourPickerDesign{8, 8, 48, 24};
// Alt confines the pointer to a band that starts this far inside the window's left edge.
constexpr int kConfinementInset = 9;

// The key event the dispatcher sees, from a key message being handled now.
commands::KeyEvent keyEventNow(unsigned virtualKey) {
  return commands::keyEventOf(virtualKey, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0,
                              GetKeyState(VK_MENU) < 0);
}

}  // namespace

ui::WindowDesign editorWindowDesign() {
  ui::WindowDesign design;
  design.caption = ui::widen(kDesignedCaption);
  design.left = 50;
  design.top = 50;
  design.width = 600;
  design.height = 500;
  design.style = WS_OVERLAPPEDWINDOW;
  return design;
}

EditorWindow::EditorWindow() {
  saveDialog_.title = L"保存为";
  saveDialog_.fileTypes = {
      {L"qnv文件（*.qnv）", L"*.qnv"}, {L"txt文件（*.txt）", L"*.txt"}, {L"cmd文件（*.cmd）", L"*.cmd"},
      {L"bat文件（*.bat）", L"*.bat"}, {L"php文件（*.php）", L"*.php"}, {L"所有文件（*.*）", L"*.*"},
  };
  saveDialog_.initialFilter = 1;
  saveDialog_.defaultExtension = L"qnv";
  saveDialog_.overwritePrompt = true;
  saveDialog_.pathMustExist = true;
  // Not file-must-exist: with it the save dialog would refuse every new name.
  saveDialog_.fileMustExist = false;
}

EditorWindow::~EditorWindow() {
  if (currentWindow == this) currentWindow = nullptr;
}

EditorWindow* EditorWindow::current() { return currentWindow; }

bool EditorWindow::open(int showCommand) {
  currentWindow = this;
  if (!create(editorWindowDesign())) {
    currentWindow = nullptr;
    return false;
  }
  ShowWindow(hwnd(), showCommand);
  UpdateWindow(hwnd());
  SetFocus(editorBox_.hwnd());
  return true;
}

bool EditorWindow::onCreate() {
  if (!editorBox_.create(hwnd(), kEditorBoxId, 0, 0, pixels(kDesignedBoxWidth), pixels(kDesignedBoxHeight), this)) {
    return false;
  }
  appState().richEditHelper->attach(hwnd(), kEditorBoxId);
  const ui::Box picker = pixels(kFontColourPickerDesign);
  if (fontColourPicker_.create(hwnd(), picker.left, picker.top, picker.width, picker.height)) {
    keepDesigned(fontColourPicker_.hwnd(), kFontColourPickerDesign);
    fontColourPicker_.setVisible(false);
    fontColourPicker_.setOnColourChosen(
        [this] { commands::applyPickedColour(editorBox_, fontColourPicker_.colour()); });
    fontColourPicker_.setOnLostFocus([this] { fontColourPicker_.setVisible(false); });
  }
  layOutEditorBox();
  applySettings();
  if (!appState().documentPath.empty() && openDocument(*this)) rememberRecentFile(ui::widen(appState().documentPath));
  appState().isModified = 0;
  return true;
}

void EditorWindow::applySettings() {
  AppState& state = appState();
  const settings::EditorSettings settings =
      settings::readEditorSettings(state.settingsFile.settingsExist(), state.settingsFile.settingsReader());
  state.defaultFont = settings.defaultFont;
  state.highlightColour = settings.highlightColour;
  state.backgroundColour = settings.backgroundColour;
  state.windowHeight = settings.windowHeight;
  state.windowWidth = settings.windowWidth;

  // The stored size is in 96-DPI units; height first, then width.
  RECT r = outerRect();
  SetWindowPos(hwnd(), nullptr, 0, 0, r.right - r.left, pixels(state.windowHeight),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  r = outerRect();
  SetWindowPos(hwnd(), nullptr, 0, 0, pixels(state.windowWidth), r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  editorBox_.setDefaultCharFormat(state.defaultFont);
  editorBox_.setBackColor(state.backgroundColour);
}

void EditorWindow::layOutEditorBox() {
  if (!editorBox_.hwnd()) return;
  // The whole client area, whatever the frame's metrics at this DPI.
  RECT client{};
  GetClientRect(hwnd(), &client);
  editorBox_.setBounds(0, 0, client.right, client.bottom);
}

void EditorWindow::onSize() { layOutEditorBox(); }

void EditorWindow::onDpiChanged() { layOutEditorBox(); }

void EditorWindow::updateCaption(std::string_view lengthText) {
  setCaption(ui::widen(captionText(appState().displayName, lengthText)));
}

void EditorWindow::onContentChanged() {
  snapshots_.contentChanged();
  appState().isModified = 1;
  updateCaption(std::to_string(editorBox_.textLength()));
}

void EditorWindow::onCommand(int id, int code, HWND control) {
  if (id == kEditorBoxId && code == EN_CHANGE) {
    onContentChanged();
  } else if (!control && code == 0) {
    if (const auto command = commands::commandOfMenuItem(id)) runCommand(*this, *command);
    if (const auto recent = commands::recentFileOfMenuItem(id); recent && *recent < recentFilesShown_.size()) {
      const std::string path = recentFilesShown_[*recent];
      openRecentFile(*this, path);
    }
  }
}

void EditorWindow::storeWindowSize() const {
  // In 96-DPI units, so the file means the same on a display of any scale.
  const RECT r = outerRect();
  const settings::SettingsFile& file = appState().settingsFile;
  file.writeIntSetting(settings::key::kHeight, ui::scaleFromDpi(r.bottom - r.top, dpi()));
  file.writeIntSetting(settings::key::kWidth, ui::scaleFromDpi(r.right - r.left, dpi()));
}

EditorWindow::UnsavedChoice EditorWindow::askAboutUnsavedChanges() const {
  if (ui::showMessage(L"内容已被编辑是否保存？", L"是否保存", ui::MessageButtons::YesNo) == ui::MessageAnswer::Yes) {
    return UnsavedChoice::Save;
  }
  return ui::showMessage(L"您是需要直接退出编辑不保存文件吗？", L"退出？", ui::MessageButtons::YesNo) ==
                 ui::MessageAnswer::Yes
             ? UnsavedChoice::Discard
             : UnsavedChoice::Keep;
}

bool EditorWindow::onCloseQuery() {
  if (appState().isModified != 1) return true;
  storeWindowSize();
  switch (askAboutUnsavedChanges()) {
    case UnsavedChoice::Save:
      // Only returns when the document could not be saved, or when the process end was
      // scripted by a test: the window stays open either way.
      saveAndExit(*this);
      return false;
    case UnsavedChoice::Discard: return true;
    case UnsavedChoice::Keep: return false;
  }
  return false;
}

void EditorWindow::onDestroy() {
  // Closing was allowed: the document is saved, or the user chose not to save it.
  snapshots_.discard();
  storeWindowSize();
  commands::releaseCursor();
  PostQuitMessage(0);
}

void EditorWindow::onActivate(bool active) {
  if (!active) commands::releaseCursor();
}

LRESULT EditorWindow::handleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SETFOCUS && editorBox_.hwnd()) {
    SetFocus(editorBox_.hwnd());
    return 0;
  }
  if (findReplace_.handleMessage(msg, lParam)) return 0;
  if (msg == WM_TIMER && wParam == SnapshotKeeper::kTimerId) {
    snapshots_.onTimer();
    return 0;
  }
  if (msg == SnapshotKeeper::kWrittenMessage) {
    snapshots_.onWritten(static_cast<unsigned long>(wParam));
    return 0;
  }
  // The user logs off or the system shuts down: the process ends without closing the window,
  // and the snapshot is what is left of unsaved changes.
  if (msg == WM_ENDSESSION && wParam) snapshots_.flush();
  return Window::handleMessage(msg, wParam, lParam);
}

void EditorWindow::onEditorKeyDown(unsigned virtualKey) {
  const commands::KeyEvent key = keyEventNow(virtualKey);
  const commands::KeyDownAction action = commands::decideKeyDown(key.keyCode, key.modifiers);
  if (action.confineCursor) commands::confineCursor(outerRect().left + pixels(kConfinementInset), 0, 0, 0);
  if (action.command) runCommand(*this, *action.command);
}

void EditorWindow::onEditorKeyUp(unsigned virtualKey) {
  if (commands::releasesCursorOnKeyUp(keyEventNow(virtualKey).keyCode)) commands::releaseCursor();
}

void EditorWindow::onEditorRightButtonDown() {
  recentFilesShown_ = recentFiles();
  commands::showContextMenu(hwnd(), recentFilesShown_);
}

// Ctrl and the wheel zoom; the movement is consumed so that the control neither scrolls nor
// zooms by its own steps beyond the limits. Without Ctrl the wheel scrolls as always.
bool EditorWindow::onEditorMouseWheel(int delta, bool ctrlDown) {
  if (!ctrlDown) return false;
  zoom_ = commands::zoomAfterWheel(zoom_, delta);
  editorBox_.setZoomPercent(zoom_.percent);
  return true;
}

void EditorWindow::resetZoom() {
  zoom_ = {};
  editorBox_.setZoomPercent(zoom_.percent);
}

void EditorWindow::onEditorFocusLost() { commands::releaseCursor(); }

}  // namespace qnv::app
