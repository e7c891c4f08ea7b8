#include "race/race_manager.h"

bool RaceManager::LoadHud() { return true; }

void RaceManager::UpdateMessages(int raceState, float frameTimeMs) {
  (void)raceState;
  (void)frameTimeMs;
}

bool RaceManager::DrawHud() { return true; }

void RaceManager::SkipIntro() {}

void RaceManager::ShowRiderInfo() {}

void RaceManager::EnableFlagOverlay(bool on) { (void)on; }

void RaceManager::ShowSessionInfo(bool restart) { (void)restart; }

bool RaceManager::ShowsFullScreenList() const { return false; }
