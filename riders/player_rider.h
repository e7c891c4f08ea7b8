// The rider that the person at this computer drives: rider 0 of a race. It
// reads its controls from the keyboard or the joystick, plays the force
// effects of a force-feedback stick, lays the tyre marks, owns the missile
// of the missile mode and the shared HUD widgets.
#pragma once

#include <cstdint>
#include <memory>

#include "riders/rider.h"

class RiderMissile;

// The driving aids that the race toggles (F2 and F4); they start cleared and
// keep their state for the rest of the run.
extern std::uint8_t g_BrakingAid;
extern std::uint8_t g_LandingAid;

// The device state buffers that the poll callbacks fill and the action
// callbacks read: the 256-byte keyboard state and the 80-byte DIJOYSTATE.
extern std::uint8_t g_KeyboardState[256];
extern std::uint8_t g_JoystickState[80];

// The keyboard set: a key reads 1.0 while bit 7 of its byte is set.
void PollKeyboard();
float KeyboardAccel();
float KeyboardBrake();
float KeyboardLeft();
float KeyboardRight();
float KeyboardGearUp();
float KeyboardGearDown();
// The joystick set: an axis reads its deflection towards the action's side
// (x 0.0001), a button 1.0 while pressed, a hat 1.0 at the action's
// direction.
void PollJoystick();
float JoystickAccel();
float JoystickBrake();
float JoystickLeft();
float JoystickRight();
float JoystickGearUp();
float JoystickGearDown();

// The seven control callbacks, chosen once when the player's rider is built.
struct ControlCallbacks {
  void (*poll)();
  float (*accelerate)();
  float (*brake)();
  float (*left)();
  float (*right)();
  float (*gearUp)();
  float (*gearDown)();
};
extern const ControlCallbacks g_KeyboardCallbacks;
extern const ControlCallbacks g_JoystickCallbacks;

// The force level of a magnitude: 0..5, or -1 for none; the chassis has its
// own thresholds.
int ForceLevel(float m, bool chassis);

class PlayerRider : public Rider {
 public:
  PlayerRider();
  // Stops the force effects it played and releases the HUD widgets.
  ~PlayerRider() override;

  bool Load(const char* riderFile) override;
  bool Update(unsigned ms, int raceState) override;
  bool Draw() override;
  void SetTrack(Track* t) override;
  void ComputeControls() override;
  void SetupAi() override {}

  // The engine step followed by the gear-change jolt.
  void UpdateEngine();
  // A jolt for a gear change of this frame's engine step.
  void GearChangeJolt();
  void LayTyreMarks();
  // Launches the missile when it is idle and has a target.
  void FireMissile();
  bool DrawMissile();
  bool DrawMissileTrail();

  // Starts force effect `level` with the direction (x, y) truncated to whole
  // numbers; false when the device refused.
  bool PlayForceEffect(std::uint16_t level, float x, float y, bool setDirection);
  // The bumps, border hits and collisions of this frame.
  void UpdateForceFeedback();

  // Network play: predicts the bike one network period ahead, sends that
  // state as a rider-state record and puts every predicted change back.
  void SendNetState();
  // One explicit-Euler step of the prediction, with its own ground forces;
  // no controls, effects, sounds, histories or distances.
  void PredictStep();
  void PredictGroundForces(Vector3* chassis, Vector3* front, Vector3* rear);

  ControlCallbacks controls;
  std::unique_ptr<RiderMissile> missile;  // null without a race to make it
  std::uint8_t effectPlaying[10] = {};
};
