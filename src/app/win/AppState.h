#pragma once
// The program-wide record every handler reads and writes.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/win/Document.h"
#include "app/win/ProtectedDocument.h"
#include "app/win/Recovery.h"
#include "richedit/win/RichEditHelper.h"
#include "settings/win/SettingsFile.h"
#include "ui/Formats.h"

namespace qnv::app {

struct AppState {
  int isModified = 0;        // 0 or 1
  std::string displayName;   // file name in the caption (UTF-8); empty for an unnamed or protected document
  std::string documentPath;  // the last command-line argument (UTF-8), or empty
  // Set when the document may not be written back to documentPath (it could not be read,
  // or a protected file was not unlocked): saves then ask for a name instead.
  bool documentPathDetached = false;
  // What saves need to keep the protection of a document unlocked from a protected file in
  // this run (with the password that unlocked it, or the one F1 protected it with since);
  // empty when the document did not come from a protected file. Saves then offer to keep
  // the protection.
  KeptProtection keptProtection;
  ui::CharFormat defaultFont;
  uint32_t highlightColour = 0;
  uint32_t backgroundColour = 0;
  int32_t windowHeight = 0;
  int32_t windowWidth = 0;
  // Where the settings are read and written: 配置.ini beside the program, or in the user's
  // application-data folder (settings/win/SettingsLocation.h).
  settings::SettingsFile settingsFile;
  // What protected saves and unlocking use of their surroundings.
  ProtectedWork protectedWork;
  // The machine's physical memory, asked when a document is opened.
  std::function<PhysicalMemory()> physicalMemory = systemPhysicalMemory;
  // Where unsaved work is kept against a crash, and what that uses of its surroundings.
  RecoveryWork recovery;
  // Installs the embedded-object callback in the editor box; kept at one address for as
  // long as the control may call it.
  std::unique_ptr<richedit::RichEditHelper> richEditHelper = std::make_unique<richedit::RichEditHelper>();
};

AppState& appState();
// Back to the values after start-up, with the settings file at `settingsPath`, moving to
// `settingsMoveTo` if it cannot be written there.
void resetAppState(std::wstring settingsPath = {}, std::wstring settingsMoveTo = {});

}  // namespace qnv::app
