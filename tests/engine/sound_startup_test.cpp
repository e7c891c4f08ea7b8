// The sound step of the game's start-up and its release at exit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/app.h"
#include "engine/sound_device.h"
#include "platform/dsound/dsound.h"
#include "tests/engine/program_fixture.h"

namespace {

class SoundStartUpTest : public kelvtest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    platform::UseTestSound(true);
  }
  void TearDown() override {
    ProgramTest::TearDown();
    platform::UseTestSound(false);
  }
};

TEST_F(SoundStartUpTest, StartUpOpensTheSoundDeviceAndTheExitReleasesIt) {
  const struct {
    std::vector<std::string> drivers;
    bool sound;
  } cases[] = {{{"Card"}, true}, {{}, false}};
  for (const auto& c : cases) {
    ProgramTest::TearDown();
    ProgramTest::SetUp();
    platform::UseTestSound(true);
    platform::SetTestSoundDrivers(c.drivers);
    WriteGame();
    char commandLine[] = "";
    ASSERT_TRUE(g_App.Init(nullptr, commandLine));
    // A machine without sound starts all the same.
    EXPECT_EQ(1, g_AppReady);
    EXPECT_EQ(c.sound, g_DirectSound != nullptr);
    EXPECT_EQ(c.sound, g_PrimarySoundBuffer != nullptr);
    EXPECT_TRUE(Boxes().empty());

    platform::ClearRecordedSoundCalls();
    Exit();
    EXPECT_EQ(nullptr, g_DirectSound);
    EXPECT_EQ(nullptr, g_PrimarySoundBuffer);
    std::vector<std::string> released;
    for (const platform::SoundCall& call : platform::RecordedSoundCalls()) released.push_back(call.op);
    const std::vector<std::string> both = {"Release", "Release"};  // the primary buffer, then the device
    EXPECT_EQ(c.sound ? both : std::vector<std::string>(), released);
  }
}

}  // namespace
