// A computer-driven opponent. The race manager writes its target speed and
// steer each frame; the opponent turns them into throttle, brake and a
// handlebar angle, and rides the same physics as the player.
#pragma once

#include "riders/rider.h"

class AiRider : public Rider {
 public:
  AiRider() = default;

  bool Update(unsigned ms, int raceState) override;
  void ComputeControls() override;
  // Publishes the slot's set-up and randomises six of its values.
  void SetupAi() override;

  // The generator of the random draws (the C runtime's by default).
  int (*generator)() = DefaultRandom;

 private:
  static int DefaultRandom();
  float NextDraw() { return static_cast<float>(generator()) / 32767.0f; }
};
