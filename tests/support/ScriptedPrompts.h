#pragma once
// Answers the program's prompts from a script and records what was asked.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/Prompts.h"

namespace qnv::test {

class ScriptedPrompts final : public ui::Prompts {
 public:
  struct Message {
    std::wstring text;
    std::wstring caption;
    ui::MessageButtons buttons;
  };

  ScriptedPrompts() { ui::setPrompts(this); }
  ~ScriptedPrompts() override { ui::setPrompts(nullptr); }

  // Answers for message boxes with Yes and No, in order; OK boxes need none.
  std::deque<ui::MessageAnswer> answers;
  // Save dialog: each entry is the chosen path, or nullopt for Cancel.
  std::deque<std::optional<std::wstring>> saveChoices;
  // Font dialog: each entry edits the values and returns OK (true) or Cancel (false).
  std::deque<std::function<bool(ui::FontDialogValues&)>> fontChoices;
  // Colour dialog: each entry is the chosen colour, or nullopt for Cancel.
  std::deque<std::optional<uint32_t>> colourChoices;

  std::vector<Message> messages;
  std::vector<ui::SaveDialogValues> saveDialogsShown;
  std::vector<ui::FontDialogValues> fontDialogsShown;
  std::optional<int> exitCode;

  ui::MessageAnswer message(std::wstring_view text, std::wstring_view caption, ui::MessageButtons buttons) override {
    messages.push_back({std::wstring(text), std::wstring(caption), buttons});
    if (buttons == ui::MessageButtons::Ok) return ui::MessageAnswer::Ok;
    if (answers.empty()) return ui::MessageAnswer::No;
    ui::MessageAnswer a = answers.front();
    answers.pop_front();
    return a;
  }

  bool saveFileName(ui::SaveDialogValues& dialog) override {
    saveDialogsShown.push_back(dialog);
    std::optional<std::wstring> choice;
    if (!saveChoices.empty()) {
      choice = saveChoices.front();
      saveChoices.pop_front();
    }
    if (!choice) return false;
    dialog.fileName = *choice;
    return true;
  }

  bool chooseFont(ui::FontDialogValues& values) override {
    fontDialogsShown.push_back(values);
    if (fontChoices.empty()) return false;
    auto choice = fontChoices.front();
    fontChoices.pop_front();
    return choice(values);
  }

  bool chooseColour(uint32_t& colour) override {
    if (colourChoices.empty() || !colourChoices.front()) {
      if (!colourChoices.empty()) colourChoices.pop_front();
      return false;
    }
    colour = *colourChoices.front();
    colourChoices.pop_front();
    return true;
  }

  void exitProcess(int code) override { exitCode = code; }
};

}  // namespace qnv::test
