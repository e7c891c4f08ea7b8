// A temporary game root for a test: a fresh folder that becomes the working
// directory, with the registry file inside it, an empty drive map, recorded
// message boxes and debugger output. Everything is put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tools/bytes.h"

namespace kelvtest {

class GameRootTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Host path of a file under the game root ("data/ui.bbf").
  std::string Host(const std::string& relative) const;
  // Writes a file under the game root, creating its folders.
  void Put(const std::string& relative, const kelvdata::Bytes& bytes) const;

  std::filesystem::path root_;
  std::filesystem::path previousCwd_;
};

}  // namespace kelvtest
