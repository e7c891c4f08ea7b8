// A setup program's world for a test: a fresh configuration file, a virtual
// keyboard, one sound output, the default display hardware, a Glide board
// behind GLIDE3X.DLL, recorded message boxes and a scripted sheet.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/mfc/mfc.h"
#include "tests/support/game_root.h"

namespace setuptest {

class SetupTest : public kelvtest::GameRootTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  static void Set(const char* name, DWORD value);
  static std::optional<DWORD> Get(const char* name);
  // Value names of the configuration key in file order (the order in which
  // a fresh key received them).
  std::vector<std::string> ValueOrder() const;
  static std::vector<std::string> Messages();
  // The whole program run with the scripted user.
  static void RunProgram(const std::vector<SheetStep>& steps);
  // Reads the configuration as the program does and creates DirectInput,
  // for tests that run a sheet of their own and look at its pages after.
  static void PrepareRun();
};

}  // namespace setuptest
