#include "tests/support/game_root.h"

#include <random>

#include "platform/win32/debug.h"
#include "platform/win32/files.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/registry.h"

namespace kelvtest {

void GameRootTest::SetUp() {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    root_ = base / ("kelv-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::error_code ec;
    if (std::filesystem::create_directory(root_, ec)) break;
  }
  previousCwd_ = std::filesystem::current_path();
  std::filesystem::current_path(root_);
  platform::SetRegistryFile((root_ / "registry.txt").string());
  platform::SetDriveMap({});
  platform::UseTestMessageBoxes(true);
  platform::ClearRecordedMessageBoxes();
  platform::ScriptMessageBoxAnswers({});
  platform::RecordDebugOutput(true);
  platform::ClearRecordedDebugOutput();
  platform::InjectWriteLimit(-1);
  platform::InjectRegistryWriteFailures(0);
}

void GameRootTest::TearDown() {
  std::filesystem::current_path(previousCwd_);
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
  platform::SetRegistryFile("");
  platform::InjectWriteLimit(-1);
  platform::InjectRegistryWriteFailures(0);
}

std::string GameRootTest::Host(const std::string& relative) const { return (root_ / relative).string(); }

void GameRootTest::Put(const std::string& relative, const kelvdata::Bytes& bytes) const {
  ASSERT_TRUE(kelvdata::WriteHostFile(Host(relative), bytes)) << relative;
}

}  // namespace kelvtest
