#pragma once
// The routine behind every command of the command table, for the keyboard dispatcher and the
// context menu of the editor window.
#include <span>

#include "commands/CommandTable.h"
#include "settings/win/SettingsWindow.h"

namespace qnv::app {

class EditorWindow;

using CommandHandler = void (*)(EditorWindow& window);

struct CommandBinding {
  commands::CommandId id;
  CommandHandler handler;
};

// Every command id, each bound exactly once.
std::span<const CommandBinding> commandBindings();

void runCommand(EditorWindow& window, commands::CommandId id);

// What the settings window reads of the running editor and changes in it.
settings::EditorLink settingsEditorLink();

}  // namespace qnv::app
