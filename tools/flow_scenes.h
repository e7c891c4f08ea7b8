// The game flows' own screens and texts in the synthetic data set. Each flow
// (the single race, the championship, the network lobby) builds its scenes
// and their widgets in its own file; a scene it builds replaces the plain
// sample screen of that number.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/bbf.h"
#include "tools/scene_files.h"

namespace kelvdata {

// Widgets, focus lists and pictures go into the UI archive, scenes by number.
void AddSingleRaceScenes(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes);
void AddChampionshipScenes(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes);
void AddLobbyScenes(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes);

// Their texts in one language (UTF-8, in the language order of the game).
void AddSingleRaceTexts(int language, std::vector<std::string>* texts);
void AddChampionshipTexts(int language, std::vector<std::string>* texts);
void AddLobbyTexts(int language, std::vector<std::string>* texts);

// The courses beyond the data set's first one: members of the track
// archive, and race descriptions as host files under DATA\TRACK (name,
// bytes).
void AddCourseMembers(std::vector<BbfMember>* track, std::vector<std::pair<std::string, Bytes>>* hostFiles);

}  // namespace kelvdata
