#include "platform/win32/input_script.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/win32/timer.h"
#include "platform/win32/window.h"

namespace platform {

namespace {

struct KeyName {
  const char* name;
  UINT vk;
  bool extended;
};

// Letters and digits are looked up as themselves.
constexpr KeyName kKeyNames[] = {
    {"BACK", VK_BACK, false},         {"TAB", VK_TAB, false},           {"RETURN", VK_RETURN, false},
    {"SHIFT", VK_SHIFT, false},       {"CONTROL", VK_CONTROL, false},   {"RCONTROL", VK_CONTROL, true},
    {"MENU", VK_MENU, false},         {"RMENU", VK_MENU, true},         {"PAUSE", VK_PAUSE, false},
    {"CAPITAL", VK_CAPITAL, false},   {"ESCAPE", VK_ESCAPE, false},     {"SPACE", VK_SPACE, false},
    {"PRIOR", VK_PRIOR, true},        {"NEXT", VK_NEXT, true},          {"END", VK_END, true},
    {"HOME", VK_HOME, true},          {"LEFT", VK_LEFT, true},          {"UP", VK_UP, true},
    {"RIGHT", VK_RIGHT, true},        {"DOWN", VK_DOWN, true},          {"INSERT", VK_INSERT, true},
    {"DELETE", VK_DELETE, true},      {"NUMPAD0", VK_NUMPAD0, false},   {"NUMPAD1", VK_NUMPAD1, false},
    {"NUMPAD2", VK_NUMPAD2, false},   {"NUMPAD3", VK_NUMPAD3, false},   {"NUMPAD4", VK_NUMPAD4, false},
    {"NUMPAD5", VK_NUMPAD5, false},   {"NUMPAD6", VK_NUMPAD6, false},   {"NUMPAD7", VK_NUMPAD7, false},
    {"NUMPAD8", VK_NUMPAD8, false},   {"NUMPAD9", VK_NUMPAD9, false},   {"MULTIPLY", VK_MULTIPLY, false},
    {"ADD", VK_ADD, false},           {"SUBTRACT", VK_SUBTRACT, false}, {"DECIMAL", VK_DECIMAL, false},
    {"DIVIDE", VK_DIVIDE, true},      {"F1", VK_F1, false},             {"F2", VK_F2, false},
    {"F3", VK_F3, false},             {"F4", VK_F4, false},             {"F5", VK_F5, false},
    {"F6", VK_F6, false},             {"F7", VK_F7, false},             {"F8", VK_F8, false},
    {"F9", VK_F9, false},             {"F10", VK_F10, false},           {"F11", VK_F11, false},
    {"F12", VK_F12, false},
};

bool FindKey(const std::string& name, UINT* vk, bool* extended) {
  if (name.size() == 1 && (std::isupper(static_cast<unsigned char>(name[0])) ||
                           std::isdigit(static_cast<unsigned char>(name[0])))) {
    *vk = static_cast<UINT>(name[0]);
    *extended = false;
    return true;
  }
  for (const KeyName& k : kKeyNames) {
    if (name == k.name) {
      *vk = k.vk;
      *extended = k.extended;
      return true;
    }
  }
  return false;
}

bool ParseFrame(const std::string& token, long* frame) {
  if (token.empty() || !std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  errno = 0;
  const long v = std::strtol(token.c_str(), nullptr, 10);
  if (errno == ERANGE || v < 1) return false;
  *frame = v;
  return true;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Motion of one step: a whole number of at most five digits, with its sign.
bool ParseMotion(const std::string& token, int* v) {
  const std::size_t sign = !token.empty() && (token[0] == '-' || token[0] == '+') ? 1 : 0;
  if (token.size() == sign || token.size() > sign + 5 ||
      !std::all_of(token.begin() + static_cast<long>(sign), token.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return false;
  }
  *v = std::atoi(token.c_str());
  return true;
}

bool ParseLine(const std::string& line, ScriptStep* step, std::string* why) {
  std::istringstream in(line);
  std::string frame, action;
  in >> frame >> action;
  if (!ParseFrame(frame, &step->frame)) {
    *why = "the frame \"" + frame + "\" is not a number from 1";
    return false;
  }
  std::string rest;
  std::getline(in, rest);
  const auto first = rest.find_first_not_of(" \t");
  rest = first == std::string::npos ? std::string() : rest.substr(first, rest.find_last_not_of(" \t") + 1 - first);
  if (action == "shot") {
    if (rest.empty()) {
      *why = "a shot without a file";
      return false;
    }
    step->action = ScriptAction::SHOT;
    step->file = rest;
    return true;
  }
  if (action == "close") {
    if (!rest.empty()) {
      *why = "close takes nothing after it";
      return false;
    }
    step->action = ScriptAction::CLOSE;
    return true;
  }
  if (action == "mouse-move") {
    std::istringstream motion(rest);
    std::string dx, dy, more;
    motion >> dx >> dy >> more;
    step->action = ScriptAction::MOUSE_MOVE;
    if (!ParseMotion(dx, &step->dx) || !ParseMotion(dy, &step->dy) || !more.empty()) {
      *why = "mouse-move wants two whole numbers of pixels";
      return false;
    }
    return true;
  }
  if (action == "mouse-down" || action == "mouse-up") {
    step->action = action == "mouse-down" ? ScriptAction::MOUSE_DOWN : ScriptAction::MOUSE_UP;
    const std::string upper = Upper(rest);
    step->button = upper == "LEFT" ? 1 : upper == "MIDDLE" ? 2 : upper == "RIGHT" ? 3 : 0;
    if (step->button == 0) {
      *why = "unknown mouse button \"" + rest + "\"";
      return false;
    }
    return true;
  }
  if (action != "key-down" && action != "key-up") {
    *why = "\"" + action + "\" is none of key-down, key-up, mouse-move, mouse-down, mouse-up, shot, close";
    return false;
  }
  step->action = action == "key-down" ? ScriptAction::KEY_DOWN : ScriptAction::KEY_UP;
  if (rest.empty() || rest.find_first_of(" \t") != std::string::npos) {
    *why = "one key name expected after " + action;
    return false;
  }
  if (!FindKey(Upper(rest), &step->vk, &step->extended)) {
    *why = "unknown key \"" + rest + "\"";
    return false;
  }
  return true;
}

// A scripted run presents at most this many frames a second, as a display's
// refresh holds the game: frame numbers then stay at least as far apart in
// time on a fast machine drawing offscreen as on a real screen, and the
// game's fades (timed in milliseconds) are over when the script expects.
constexpr DWORD kFrameMs = 16;

// Where a scripted run's own clock starts: a fixed moment, so that what the
// game seeds or times from the clock is the same on every run.
constexpr DWORD kScriptClockStartMs = 100000;

struct Runner {
  std::vector<ScriptStep> steps;
  std::size_t next = 0;
  bool shiftHeld = false;
  bool pacing = false;
  DWORD lastFrame = 0;
  // On the run's own clock the script is the display: its 60 Hz beat counts
  // the presented frames only, so that a renderer's own flips (a restore's)
  // move no frame of the game.
  bool ownClock = false;
  FramePacer display{1000.0 / 60.0};
};

Runner& R() {
  static Runner r;
  return r;
}

// The character a key types, as a US keyboard does without Shift (letters
// follow the scripted Shift); none for the other keys.
std::string TypedText(UINT vk, bool shift) {
  if (vk >= 'A' && vk <= 'Z') return std::string(1, static_cast<char>(shift ? vk : vk - 'A' + 'a'));
  if ((vk >= '0' && vk <= '9') || vk == VK_SPACE) return std::string(1, static_cast<char>(vk));
  return {};
}

}  // namespace

bool ParseInputScript(const std::string& text, std::vector<ScriptStep>* steps, std::string* error) {
  std::vector<ScriptStep> out;
  std::istringstream in(text);
  std::string line;
  for (long number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    ScriptStep step;
    std::string why;
    if (!ParseLine(line, &step, &why)) {
      *error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
    out.push_back(std::move(step));
  }
  std::stable_sort(out.begin(), out.end(), [](const ScriptStep& a, const ScriptStep& b) { return a.frame < b.frame; });
  *steps = std::move(out);
  return true;
}

bool StartInputScript() {
  R() = Runner{};
  const char* path = std::getenv("KELVARRO_SCRIPT");
  if (path == nullptr || *path == '\0') return true;
  std::ifstream file(path, std::ios::binary);
  std::string text;
  if (file) text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (!file.is_open() || file.bad()) {
    std::fprintf(stderr, "KELVARRO_SCRIPT: cannot read %s\n", path);
    return false;
  }
  std::string error;
  if (!ParseInputScript(text, &R().steps, &error)) {
    std::fprintf(stderr, "KELVARRO_SCRIPT %s %s\n", path, error.c_str());
    return false;
  }
  // The run's time, when asked for, moves only as its frames are paced and
  // by the program's own waits, never with the machine's speed: frame n
  // shows the same moment on every run.
  if (const char* clock = std::getenv("KELVARRO_FRAME_CLOCK"); clock != nullptr && std::string(clock) == "1") {
    UseScriptTime(kScriptClockStartMs);
    R().ownClock = true;
    R().display.Wait();  // the beat starts with the script: frame 1 takes a frame's time too
  }
  R().pacing = true;
  R().lastFrame = timeGetTime();
  return true;
}

void RunInputScript(long presentedFrame, ScriptShot shot) {
  Runner& r = R();
  if (r.ownClock) {
    r.display.Wait();
    AdvanceTime(0);  // a frame presented: nobody was waiting on the clock
  } else if (r.pacing) {
    const DWORD spent = timeGetTime() - r.lastFrame;
    if (spent < kFrameMs) Sleep(kFrameMs - spent);
    else AdvanceTime(0);  // a frame presented: nobody was waiting on the clock
    r.lastFrame = timeGetTime();
  }
  for (; r.next < r.steps.size() && r.steps[r.next].frame <= presentedFrame; ++r.next) {
    const ScriptStep& s = r.steps[r.next];
    if (s.action == ScriptAction::SHOT) {
      if (shot == nullptr || !shot(s.file)) std::fprintf(stderr, "KELVARRO_SCRIPT: cannot write the shot %s\n", s.file.c_str());
      continue;
    }
    if (s.action == ScriptAction::CLOSE) {
      InjectCloseButton(GetFocus());
      continue;
    }
    if (s.action == ScriptAction::MOUSE_MOVE) {
      InjectMouseMotion(GetFocus(), s.dx, s.dy);
      continue;
    }
    if (s.action == ScriptAction::MOUSE_DOWN || s.action == ScriptAction::MOUSE_UP) {
      InjectMouseButton(GetFocus(), s.button, s.action == ScriptAction::MOUSE_DOWN);
      continue;
    }
    const bool down = s.action == ScriptAction::KEY_DOWN;
    if (s.vk == VK_SHIFT) r.shiftHeld = down;
    TestKey key;
    key.vk = s.vk;
    key.down = down;
    key.extended = s.extended;
    if (down) key.text = TypedText(s.vk, r.shiftHeld);
    InjectKey(GetFocus(), key);
  }
}

}  // namespace platform

namespace platform {

bool ScriptKeepsTheBeat() { return R().ownClock; }

}  // namespace platform
