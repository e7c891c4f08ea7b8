// A computer-driven opponent. The race manager writes its target speed and
// steer each frame; the opponent turns them into throttle, brake and a
// handlebar angle, and rides the same physics as the player.
#pragma once

#include "engine/services/net_game.h"
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

  // Network play: another machine's rider, shown from the states it sends.
  // ApplyNetState takes one snapshot record; UpdateRemote moves the rider
  // towards it each frame in place of Update.
  void ApplyNetState(NetRiderRecord record);
  void UpdateRemote(int raceState) override;
  // The ground loads of the three contact points from the current motion.
  void ComputeContactLoads();

  Vector3 startPosition = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 targetPosition = Vector3(0.0f, 0.0f, 0.0f);
  Quaternion startOrientation = Quaternion(1.0f, 0.0f, 0.0f, 0.0f);
  Quaternion targetOrientation = Quaternion(1.0f, 0.0f, 0.0f, 0.0f);
  float interpolationSpeed = 0.0f;  // m/s
  float positionFraction = 0.0f;    // of the step vector; grows past 1 when states stop
  float angularSpeed = 0.0f;        // rad/s
  float orientationFraction = 0.0f;
  Vector3 stepVector = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 basePosition = Vector3(0.0f, 0.0f, 0.0f);
  float stepDuration = 0.2f;  // s
  std::uint8_t resyncPending = 0;
  // Clear until the first state arrives; until then the rider holds the
  // pose the race gave it rather than gliding towards the origin.
  std::uint8_t netStateSeen = 0;

 private:
  static int DefaultRandom();
  // The handlebar towards the steer, limited by speed.
  void SteerHandlebar();
  // The run-out after the own finish: past it the rider is out and silent.
  void AdvanceFinish();
  void RemoteTail();
  // Start, base and target at the rider's own pose, no step.
  void HoldPose();
  float NextDraw() { return static_cast<float>(generator()) / 32767.0f; }
};
