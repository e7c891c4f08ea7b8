#include "frontend/command_script.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "engine/services/net_game.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "frontend/ui_scene.h"

namespace {

bool ReadInt(std::istringstream& in, std::int32_t* v) {
  long long x = 0;
  if (!(in >> x) || x < -2147483647LL || x > 2147483647LL) return false;
  *v = static_cast<std::int32_t>(x);
  return true;
}

std::string Rest(std::istringstream& in) {
  std::string rest;
  std::getline(in, rest);
  const std::size_t first = rest.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const std::size_t last = rest.find_last_not_of(" \t\r");
  return rest.substr(first, last - first + 1);
}

// The players of the game whose riders are chosen (a client's when its
// player information has arrived).
std::int32_t RidersChosen() {
  std::int32_t n = 0;
  for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(PLAYER_SLOTS); ++i) {
    if (g_PlayersList.IsPresent(i) && g_PlayersList.entries[i].chosenRider != -1) ++n;
  }
  return n;
}

}  // namespace

bool ParseCommandScript(const std::string& text, std::vector<CommandStep>* steps, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    const std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    std::istringstream in(line);
    std::string verb;
    if (!(in >> verb)) continue;
    CommandStep s;
    bool ok = true;
    if (verb == "wait") {
      s.kind = CommandStep::WAIT;
      ok = ReadInt(in, &s.values[0]) && s.values[0] >= 0;
    } else if (verb == "await") {
      std::string what;
      in >> what;
      if (what == "scene") {
        s.kind = CommandStep::AWAIT_SCENE;
      } else if (what == "players") {
        s.kind = CommandStep::AWAIT_PLAYERS;
      } else if (what == "sessions") {
        s.kind = CommandStep::AWAIT_SESSIONS;
      } else if (what == "riders") {
        s.kind = CommandStep::AWAIT_RIDERS;
      } else {
        ok = false;
      }
      ok = ok && ReadInt(in, &s.values[0]);
    } else if (verb == "edit") {
      s.kind = CommandStep::EDIT;
      ok = ReadInt(in, &s.values[0]) && s.values[0] >= 0;
      s.text = Rest(in);
    } else if (verb == "page") {
      s.kind = CommandStep::PAGE;
      ok = ReadInt(in, &s.values[0]) && ReadInt(in, &s.values[1]) && s.values[0] >= 0 && s.values[1] >= 0 &&
           s.values[1] <= 0xFFFF;
    } else if (verb == "command") {
      s.kind = CommandStep::COMMAND;
      ok = ReadInt(in, &s.values[0]) && ReadInt(in, &s.values[1]) && ReadInt(in, &s.values[2]);
      s.text = Rest(in);
      if (s.text.empty()) s.text = "NULL";
    } else {
      ok = false;
    }
    if (ok && s.kind != CommandStep::EDIT && s.kind != CommandStep::COMMAND && !Rest(in).empty()) ok = false;
    if (!ok) {
      *error = "line " + std::to_string(number) + ": not a step: " + line;
      return false;
    }
    steps->push_back(std::move(s));
  }
  return true;
}

void CommandScript::RunFrame(UiScene* scene, std::int32_t sceneNumber) {
  while (next_ < steps_.size()) {
    const CommandStep& s = steps_[next_];
    switch (s.kind) {
      case CommandStep::WAIT:
        if (waited_ < s.values[0]) {
          ++waited_;
          return;
        }
        waited_ = 0;
        break;
      case CommandStep::AWAIT_SCENE:
        if (sceneNumber != s.values[0]) return;
        break;
      case CommandStep::AWAIT_PLAYERS:
        if (g_NetPlayerCount < s.values[0]) return;
        break;
      case CommandStep::AWAIT_SESSIONS:
        if (g_NetSessionCount < s.values[0]) return;
        break;
      case CommandStep::AWAIT_RIDERS:
        if (RidersChosen() < s.values[0]) return;
        break;
      case CommandStep::EDIT:
        if (scene && s.values[0] < scene->editTexts.count) {
          scene->editTexts[static_cast<std::uint16_t>(s.values[0])].SetText(s.text.c_str());
        }
        break;
      case CommandStep::PAGE:
        if (scene && s.values[0] < scene->choosers.count) {
          scene->choosers[static_cast<std::uint16_t>(s.values[0])].GoToPage(static_cast<std::uint16_t>(s.values[1]));
        }
        break;
      case CommandStep::COMMAND:
        ++next_;
        // Where a run that stalls got to.
        std::fprintf(stderr, "Command script: scene %d command %d %d %d %s\n", sceneNumber, s.values[0], s.values[1],
                     s.values[2], s.text.c_str());
        g_GameController.Command(s.values[0], s.values[1], s.values[2], s.text.c_str());
        // The command may have closed the scene or replaced it: the next
        // step waits for a running scene's frame.
        return;
    }
    ++next_;
  }
}

void RunCommandScriptFrame(UiScene* scene, std::int32_t sceneNumber) {
  static CommandScript script;
  static bool loaded = false;
  if (!loaded) {
    loaded = true;
    const char* path = std::getenv("KELVARRO_COMMANDS");
    if (path == nullptr || *path == '\0') return;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
      std::fprintf(stderr, "Command script %s: cannot be read\n", path);
      return;
    }
    std::stringstream text;
    text << file.rdbuf();
    std::vector<CommandStep> steps;
    std::string error;
    if (!ParseCommandScript(text.str(), &steps, &error)) {
      std::fprintf(stderr, "Command script %s: %s\n", path, error.c_str());
      return;
    }
    script.Load(std::move(steps));
  }
  if (!script.Done()) script.RunFrame(scene, sceneNumber);
}
