#include "tools/flow_scenes.h"

namespace kelvdata {

void AddLobbyScenes(std::vector<BbfMember>*, std::map<int, SceneFile>*) {}

void AddLobbyTexts(int, std::vector<std::string>*) {}

}  // namespace kelvdata
