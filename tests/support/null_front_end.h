// A front end that answers every question with "nothing": tests derive
// from it and override only what the code under test asks of the front end.
#pragma once

#include "engine/services/front_end.h"

namespace kelvtest {

class NullFrontEnd : public FrontEndServices {
 public:
  bool IsSceneChangePending() override { return false; }
  std::uint32_t NextSceneNumber() override { return 0; }
  void ClearSceneChange() override {}
  void SetUiScene(Scene*) override {}
  void ClearUiScene() override {}
  void SetRaceScene(Scene*) override {}
  void ClearRaceScene() override {}
  void Command(std::uint32_t, std::uint32_t, std::uint32_t, const char*) override {}
  Scene* NewUiScene() override { return nullptr; }
  bool IsMovieScene(const Scene*) override { return false; }
};

}  // namespace kelvtest
