#pragma once
// The fixture of the in-process tests that need the editor window: a fresh folder with the
// settings file, strictly scripted prompts, and the window opened as the program opens it.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/win/AppState.h"
#include "app/win/EditorWindow.h"
#include "support/ScriptedPrompts.h"
#include "support/WinTestSupport.h"

namespace qnv::test {

class EditorFixture : public testing::Test {
 protected:
  void SetUp() override { resetState(); }
  void TearDown() override {
    window.reset();
    pumpMessages();
    prompts.expectScriptUsed();
  }

  std::filesystem::path settingsFile() const { return dir / L"配置.ini"; }
  // Back to the program's state after start-up, with this fixture's settings file.
  void resetState() const { app::resetAppState(settingsFile().wstring()); }

  // Creates and shows the editor window with `document` as the command-line path (empty:
  // none). A foreground window also takes the keyboard, as keys and the palette need.
  app::EditorWindow& open(const std::wstring& document = {}, bool foreground = false);

  // The editor box's document as plain text (GBK), without the final paragraph mark.
  std::string plainText() const;

 public:  // the tests' own lambdas reach these through the fixture
  TempDir dir;
  ScriptedPrompts prompts;
  std::unique_ptr<app::EditorWindow> window;
};

}  // namespace qnv::test
