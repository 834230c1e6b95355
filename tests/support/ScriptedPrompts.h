#pragma once
// Answers the program's prompts from a script and records what was asked. Strict: a prompt
// that the script does not answer, and script left unused when the test ends, fail the test.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/win/Prompts.h"
#include "ui/win/Text.h"

namespace qnv::test {

class ScriptedPrompts final : public ui::Prompts {
 public:
  struct Message {
    std::wstring text;
    std::wstring caption;
    ui::MessageButtons buttons;
  };

  ScriptedPrompts() { ui::setPrompts(this); }
  ~ScriptedPrompts() override {
    expectScriptUsed();
    ui::setPrompts(nullptr);
  }
  ScriptedPrompts(const ScriptedPrompts&) = delete;
  ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

  // One answer per message box, in order: Ok for a box with OK, Yes or No for the others.
  std::deque<ui::MessageAnswer> answers;
  // Save dialog: each entry is the chosen path, or nullopt for Cancel.
  std::deque<std::optional<std::wstring>> saveChoices;
  // Font dialog: each entry edits the values and returns OK (true) or Cancel (false).
  std::deque<std::function<bool(ui::FontDialogValues&)>> fontChoices;
  // Colour dialog: each entry is the chosen colour, or nullopt for Cancel.
  std::deque<std::optional<uint32_t>> colourChoices;
  // Open dialog: each entry is the chosen path, or nullopt for Cancel.
  std::deque<std::optional<std::wstring>> openChoices;
  // Print dialog: each entry makes the device context handed back (the program deletes it),
  // or returns nullptr for Cancel.
  std::deque<std::function<HDC()>> printerChoices;

  std::vector<Message> messages;
  std::vector<ui::SaveDialogValues> saveDialogsShown;
  std::vector<ui::FileDialogValues> openDialogsShown;
  size_t printDialogsShown = 0;
  std::vector<ui::FontDialogValues> fontDialogsShown;
  std::optional<int> exitCode;

  // Scripts a Cancel of the font dialog.
  void cancelFontDialog() {
    fontChoices.push_back([](ui::FontDialogValues&) { return false; });
  }

  // Fails the test for every answer or choice the script holds that no prompt has taken,
  // and forgets them.
  void expectScriptUsed() {
    if (!answers.empty()) ADD_FAILURE() << answers.size() << " message answer(s) left unused";
    if (!saveChoices.empty()) ADD_FAILURE() << saveChoices.size() << " save dialog choice(s) left unused";
    if (!fontChoices.empty()) ADD_FAILURE() << fontChoices.size() << " font dialog choice(s) left unused";
    if (!colourChoices.empty()) ADD_FAILURE() << colourChoices.size() << " colour dialog choice(s) left unused";
    if (!openChoices.empty()) ADD_FAILURE() << openChoices.size() << " open dialog choice(s) left unused";
    if (!printerChoices.empty()) ADD_FAILURE() << printerChoices.size() << " print dialog choice(s) left unused";
    openChoices.clear();
    printerChoices.clear();
    answers.clear();
    saveChoices.clear();
    fontChoices.clear();
    colourChoices.clear();
  }

  ui::MessageAnswer message(std::wstring_view text, std::wstring_view caption, ui::MessageButtons buttons) override {
    messages.push_back({std::wstring(text), std::wstring(caption), buttons});
    const bool yesNo = buttons == ui::MessageButtons::YesNo;
    const ui::MessageAnswer fallback = yesNo ? ui::MessageAnswer::No : ui::MessageAnswer::Ok;
    if (answers.empty()) {
      ADD_FAILURE() << "unscripted message box: " << ui::narrow(text);
      return fallback;
    }
    const ui::MessageAnswer a = answers.front();
    answers.pop_front();
    if (yesNo == (a == ui::MessageAnswer::Ok)) {
      ADD_FAILURE() << "the script answers " << (yesNo ? "OK" : "Yes or No") << " to the box: " << ui::narrow(text);
      return fallback;
    }
    return a;
  }

  bool saveFileName(ui::SaveDialogValues& dialog) override {
    saveDialogsShown.push_back(dialog);
    return takeFileChoice(saveChoices, dialog, "save");
  }

  bool openFileName(ui::FileDialogValues& dialog) override {
    openDialogsShown.push_back(dialog);
    return takeFileChoice(openChoices, dialog, "open");
  }

  HDC choosePrinter() override {
    ++printDialogsShown;
    if (printerChoices.empty()) {
      ADD_FAILURE() << "unscripted print dialog";
      return nullptr;
    }
    auto choice = printerChoices.front();
    printerChoices.pop_front();
    return choice();
  }

  bool chooseFont(ui::FontDialogValues& values) override {
    fontDialogsShown.push_back(values);
    if (fontChoices.empty()) {
      ADD_FAILURE() << "unscripted font dialog";
      return false;
    }
    auto choice = fontChoices.front();
    fontChoices.pop_front();
    return choice(values);
  }

  bool chooseColour(uint32_t& colour) override {
    if (colourChoices.empty()) {
      ADD_FAILURE() << "unscripted colour dialog";
      return false;
    }
    const std::optional<uint32_t> choice = colourChoices.front();
    colourChoices.pop_front();
    if (!choice) return false;
    colour = *choice;
    return true;
  }

  void exitProcess(int code) override { exitCode = code; }

 private:
  // The next scripted answer of a file dialog: a path chosen (OK) or Cancel.
  static bool takeFileChoice(std::deque<std::optional<std::wstring>>& choices, ui::FileDialogValues& dialog,
                             const char* kind) {
    if (choices.empty()) {
      ADD_FAILURE() << "unscripted " << kind << " dialog: " << ui::narrow(dialog.title);
      return false;
    }
    const std::optional<std::wstring> choice = choices.front();
    choices.pop_front();
    if (!choice) return false;
    dialog.fileName = *choice;
    return true;
  }
};

}  // namespace qnv::test
