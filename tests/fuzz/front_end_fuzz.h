// The game root of the game-mode fuzz targets: a temporary folder holding
// the synthetic results tables and players lists, with the front end's
// global objects built. It is the working directory only while an input
// runs (InRoot): libFuzzer's corpus paths are relative to the real one.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/archive.h"
#include "engine/program_objects.h"
#include "frontend/front_end_install.h"
#include "platform/win32/msgbox.h"
#include "tests/support/fuzz_temp_file.h"
#include "tools/bbf.h"
#include "tools/frontend_files.h"

namespace kelvfuzz {

inline void Check(bool ok) {
  if (!ok) std::abort();
}

struct FrontEndRoot : kelvtest::FuzzTempFile {
  explicit FrontEndRoot(const char* stem) : FuzzTempFile(stem, "") {
    platform::UseTestMessageBoxes(true);
    std::filesystem::create_directories(std::filesystem::path(path) / "DATA" / "UI");
    std::filesystem::create_directories(std::filesystem::path(path) / "DATA" / "SAVE");
    const std::filesystem::path outside = std::filesystem::current_path();
    std::filesystem::current_path(path);
    std::vector<kelvdata::BbfMember> lists;
    for (int skill = 0; skill < 3; ++skill) {
      Check(kelvdata::WriteHostFile("DATA/UI/CMP" + std::to_string(skill + 2) + ".RLT",
                                    kelvdata::BuildRlt(kelvdata::SyntheticRlt(skill))));
      lists.push_back({"LIST" + std::to_string(skill + 1) + ".PLT", kelvdata::BuildPlt(kelvdata::SyntheticPlt(skill))});
    }
    Check(kelvdata::WriteHostFile("DATA/UI.BBF", kelvdata::BuildBbf(lists)));
    Check(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    InstallFrontEnd();
    for (ProgramObjectSlot slot : {PROGRAM_OBJECT_GAME_CONTROLLER, PROGRAM_OBJECT_PLAYERS_LIST,
                                   PROGRAM_OBJECT_SINGLE_RACE, PROGRAM_OBJECT_CHAMPIONSHIP}) {
      GetProgramObject(slot).construct();
    }
    std::filesystem::current_path(outside);
  }
  ~FrontEndRoot() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

// The root as the working directory for one input.
class InRoot {
 public:
  explicit InRoot(const FrontEndRoot& root) : outside_(std::filesystem::current_path()) {
    std::filesystem::current_path(root.path);
  }
  ~InRoot() { std::filesystem::current_path(outside_); }

 private:
  std::filesystem::path outside_;
};

}  // namespace kelvfuzz
