// Front-end commands from a file, for runs that no one watches: with
// KELVARRO_COMMANDS naming a file, its steps run one after the other in the
// frames of the running UI scenes, where a click would be impractical to
// aim (lobby screens whose rows depend on the network) or to time (the
// host's start once every player is in). One step a line; '#' begins a
// comment:
//
//   wait N                frames of running UI scenes
//   await scene N         until UI scene N is the running one
//   await players N       until the network game counts N players or more
//   await sessions N      until N sessions or more are listed
//   await riders N        until N players or more have their riders chosen
//   edit N TEXT           edit text N of the scene takes TEXT
//   page N P              chooser N of the scene shows page P (a rider)
//   command ID A1 A2 [TEXT]  GameController::Command (TEXT "NULL" when absent)
//
// A line that cannot be read stops the script with a message on stderr
// naming the line; the game itself goes on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class UiScene;

struct CommandStep {
  enum Kind { WAIT, AWAIT_SCENE, AWAIT_PLAYERS, AWAIT_SESSIONS, AWAIT_RIDERS, EDIT, PAGE, COMMAND } kind = WAIT;
  std::int32_t values[3] = {0, 0, 0};
  std::string text;
};

// The steps of a script's text; false with `error` ("line 3: ...") at the
// first line that is not a step.
bool ParseCommandScript(const std::string& text, std::vector<CommandStep>* steps, std::string* error);

class CommandScript {
 public:
  void Load(std::vector<CommandStep> steps) {
    steps_ = std::move(steps);
    next_ = 0;
    waited_ = 0;
  }
  // One frame of a running UI scene: runs the steps that are due.
  void RunFrame(UiScene* scene, std::int32_t sceneNumber);
  bool Done() const { return next_ >= steps_.size(); }

 private:
  std::vector<CommandStep> steps_;
  std::size_t next_ = 0;
  std::int32_t waited_ = 0;
};

// The program's script, read from KELVARRO_COMMANDS on the first call;
// empty without the variable.
void RunCommandScriptFrame(UiScene* scene, std::int32_t sceneNumber);
