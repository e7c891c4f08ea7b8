#include "frontend/command_script.h"

#include <gtest/gtest.h>

#include "engine/services/net_game.h"

namespace {

TEST(CommandScriptTest, ReadsEveryKindOfStep) {
  std::vector<CommandStep> steps;
  std::string error;
  ASSERT_TRUE(ParseCommandScript("# lobby\n"
                                 "wait 20\n"
                                 "\n"
                                 "await scene 15   # the session screen\n"
                                 "await players 3\n"
                                 "await sessions 1\n"
                                 "await riders 2\n"
                                 "edit 0 DIRT CUP \n"
                                 "page 0 2\n"
                                 "command 65 4 0\n"
                                 "command 68 0 0 HELLO ALL\n",
                                 &steps, &error))
      << error;
  ASSERT_EQ(steps.size(), 9u);
  EXPECT_EQ(steps[0].kind, CommandStep::WAIT);
  EXPECT_EQ(steps[0].values[0], 20);
  EXPECT_EQ(steps[1].kind, CommandStep::AWAIT_SCENE);
  EXPECT_EQ(steps[1].values[0], 15);
  EXPECT_EQ(steps[2].kind, CommandStep::AWAIT_PLAYERS);
  EXPECT_EQ(steps[3].kind, CommandStep::AWAIT_SESSIONS);
  EXPECT_EQ(steps[4].kind, CommandStep::AWAIT_RIDERS);
  EXPECT_EQ(steps[5].kind, CommandStep::EDIT);
  EXPECT_EQ(steps[5].text, "DIRT CUP");
  EXPECT_EQ(steps[6].kind, CommandStep::PAGE);
  EXPECT_EQ(steps[6].values[1], 2);
  EXPECT_EQ(steps[7].kind, CommandStep::COMMAND);
  EXPECT_EQ(steps[7].values[1], 4);
  EXPECT_EQ(steps[7].text, "NULL");  // as the scene files give it
  EXPECT_EQ(steps[8].text, "HELLO ALL");
}

TEST(CommandScriptTest, RefusesALineThatIsNoStepAndNamesIt) {
  const struct {
    const char* text;
    const char* line;
  } cases[] = {
      {"wait\n", "line 1"},
      {"wait 3\nwait -1\n", "line 2"},
      {"wait 3 4\n", "line 1"},
      {"await lap 2\n", "line 1"},
      {"command 65 4\n", "line 1"},
      {"command 65 x 0\n", "line 1"},
      {"page 0 70000\n", "line 1"},
      {"\n\nclick 10 10\n", "line 3"},
      {"wait 99999999999\n", "line 1"},
  };
  for (const auto& c : cases) {
    std::vector<CommandStep> steps;
    std::string error;
    EXPECT_FALSE(ParseCommandScript(c.text, &steps, &error)) << c.text;
    EXPECT_EQ(error.rfind(c.line, 0), 0u) << c.text << " -> " << error;
  }
}

TEST(CommandScriptTest, WaitsCountFramesAndAwaitsHoldUntilTheirCondition) {
  std::vector<CommandStep> steps;
  std::string error;
  ASSERT_TRUE(ParseCommandScript("wait 2\nawait players 2\nawait scene 15\nedit 0 X\n", &steps, &error));
  CommandScript script;
  script.Load(steps);
  const std::uint8_t savedCount = g_NetPlayerCount;
  g_NetPlayerCount = 1;
  script.RunFrame(nullptr, 14);
  script.RunFrame(nullptr, 14);
  EXPECT_FALSE(script.Done());
  script.RunFrame(nullptr, 14);  // the wait is over; the players are not there
  script.RunFrame(nullptr, 14);
  EXPECT_FALSE(script.Done());
  g_NetPlayerCount = 2;
  script.RunFrame(nullptr, 14);  // the players are in, the scene is not
  EXPECT_FALSE(script.Done());
  script.RunFrame(nullptr, 15);
  EXPECT_TRUE(script.Done());
  g_NetPlayerCount = savedCount;
}

}  // namespace
