// The command dispatch table and the helpers the command groups share. Each
// group of commands registers its handlers into the one table.
#pragma once

#include <cstdint>

#include "frontend/game_controller.h"

class UiScene;

using CommandHandler = void (*)(std::int32_t a1, std::int32_t a2, const char* text);

struct CommandTable {
  CommandHandler handlers[COMMAND_COUNT] = {};
};

void RegisterControllerCommands(CommandTable* table);
void RegisterOptionsCommands(CommandTable* table);
void RegisterGarageCommands(CommandTable* table);
void RegisterDisplayCommands(CommandTable* table);
void RegisterEventCommands(CommandTable* table);
void RegisterPlayerCommands(CommandTable* table);
void RegisterSessionCommands(CommandTable* table);
void RegisterLobbyCommands(CommandTable* table);

// The front end's orange for headings and highlighted text.
inline constexpr float kOrange[3] = {1.0f, 0.77647f, 0.098039f};

// True in championship mode and in a network championship, which play the
// championship's series.
bool IsChampionshipSeries();
// The current UI scene, or null.
UiScene* CurrentUiScene();
// A nested command: text "NULL".
void Nested(std::int32_t id, std::int32_t a1 = 0, std::int32_t a2 = 0);
// Next scene = n; a current UI scene starts closing.
void GoToScene(std::int32_t n);

// Commands 40 and 41 with a1 0: the options' load and save.
void LoadOrSaveOptions(bool save);
// The garage commit of the forward-leaving commands: real conditions that
// differ from the working ones by 0.05 or more take them; the money too.
void CommitGarage();
