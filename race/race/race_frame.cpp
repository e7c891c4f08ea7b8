#include "race/race/race_scene.h"

float g_RaceClock = 0.0f;
bool g_RaceClockResetRequest = false;
std::uint8_t g_EndFadeStarted = 0;
std::uint8_t g_RaceFadingOut = 0;
float g_WrongWayBlinkTime = 0.0f;
float g_StartRaceTimer = 0.0f;
float g_ReplayMarkTime = 0.0f;
std::uint32_t g_ListenerCommitCounter = 0;

bool RaceScene::RunFrame() { return Scene::RunFrame(); }

bool RaceScene::RenderScene() { return true; }

void RaceScene::FollowLeaderIfNeeded() {}

void RaceScene::FollowRider(std::uint32_t index) { followedRider = index; }
