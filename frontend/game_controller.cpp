#include "frontend/game_controller.h"

GameController::GameController() = default;

void GameController::Command(std::uint32_t, std::uint32_t, std::uint32_t, const char*) {}
