// Scripted keyboard and mouse input for end-to-end runs of the programs.
//
// With the environment variable KELVARRO_SCRIPT=file, the program plays the
// file's input as if a player gave it: each step becomes an SDL event pushed
// into SDL's own queue, so it goes the whole way real input goes (window
// messages with their characters, DirectInput's keyboard and mouse).
//
// One step a line:
//   FRAME key-down KEY      FRAME key-up KEY
//   FRAME mouse-move DX DY  (pixels, as a mouse reports motion)
//   FRAME mouse-down BUTTON FRAME mouse-up BUTTON  (LEFT, MIDDLE or RIGHT)
//   FRAME shot FILE.png     (the frame as shown)
//   FRAME close             (the window's close box)
// FRAME counts presented frames from 1; a step runs once that frame has been
// presented, so input given at frame n is seen by frame n + 1 and a shot at
// frame n writes frame n. Steps of the same frame run in the order written.
// KEY is a virtual-key name without "VK_" (RETURN, ESCAPE, LEFT, F1,
// NUMPAD4, ...), RCONTROL or RMENU for the right-hand keys, or a letter or
// digit; names of keys and buttons may be in any case. A letter, digit or
// SPACE pressed types its character as well (a capital letter while a
// scripted SHIFT is held). Blank lines and lines starting with '#' are
// skipped. A scripted run presents at most 60 frames a second, as a display
// holds the game. With KELVARRO_FRAME_CLOCK=1 as well, it keeps a clock of its
// own (timeGetTime, Sleep) that starts at the same moment and moves only as
// the frames are paced (16 or 17 ms a frame, however long the machine takes
// to draw one) and by the program's own waits, so that frame n shows the
// same moment of the game on every run and machine; a long race then takes
// as many frames as a display would show.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/types.h"

namespace platform {

enum class ScriptAction { KEY_DOWN, KEY_UP, MOUSE_MOVE, MOUSE_DOWN, MOUSE_UP, SHOT, CLOSE };

struct ScriptStep {
  long frame = 0;
  ScriptAction action = ScriptAction::KEY_DOWN;
  UINT vk = 0;
  bool extended = false;  // the right-hand or cursor-block key
  int button = 0;         // 1 left, 2 middle, 3 right
  int dx = 0;             // the motion
  int dy = 0;
  std::string file;       // the shot's PNG file
  bool operator==(const ScriptStep&) const = default;
};

// The steps of a whole script, in the order they run. A bad line refuses
// the script: false, with "line N: ..." in `error`.
bool ParseInputScript(const std::string& text, std::vector<ScriptStep>* steps, std::string* error);

// Loads the script that KELVARRO_SCRIPT names (nothing to do without it).
// False when it cannot be read or has a bad line, the reason written to
// standard error: the program should then exit with a failure.
bool StartInputScript();

// Writes the presented frame to a PNG file (the renderer's own screenshot).
using ScriptShot = bool (*)(const std::string& path);

// The program calls this after every presented frame, with its number from
// 1: the steps due run, the input going to the window with the keyboard
// focus. A shot that cannot be written is reported on standard error.
void RunInputScript(long presentedFrame, ScriptShot shot);

// True when the script's own clock runs (KELVARRO_FRAME_CLOCK=1): it then
// holds the presented frames to 60 Hz itself, and the program turns its
// display's own pacing off, which would also count flips that show no frame.
bool ScriptKeepsTheBeat();

}  // namespace platform
