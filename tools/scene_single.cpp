#include "tools/flow_scenes.h"

namespace kelvdata {

void AddSingleRaceScenes(std::vector<BbfMember>*, std::map<int, SceneFile>*) {}

void AddSingleRaceTexts(int, std::vector<std::string>*) {}

}  // namespace kelvdata
