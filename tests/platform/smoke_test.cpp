#include "tests/support/game_root.h"

namespace {
class GameRootSmoke : public kelvtest::GameRootTest {};
TEST_F(GameRootSmoke, StartsInAnEmptyRoot) { EXPECT_TRUE(std::filesystem::is_empty(root_)); }
}  // namespace
