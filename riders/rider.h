// The abstract rider-and-bike of a race: one per starting place, made by the
// race, deleted with it. The player's rider and the computer's riders derive
// from it and supply the frame step and the controls.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/lit_mesh.h"
#include "engine/scene_object.h"
#include "riders/race_time.h"
#include "riders/reflection_overlay.h"
#include "riders/rider_physics.h"
#include "riders/shadow.h"
#include "riders/tachometer.h"
#include "ui/static_text.h"
#include "world/dirt_particle.h"
#include "world/smoke_puff.h"

class DataReader;
class Rider;
class Track;
struct RiderCameraData;
struct SoundSample;

// A rider's state word.
enum RiderState : std::uint32_t {
  RIDER_WAITING = 1,  // at the start (intro)
  RIDER_RACING = 2,
  RIDER_OUT = 3,  // finished and stopped, withdrawn, or not taking part
};

constexpr int RIDER_MAX = 20;
constexpr int RIDER_BANK_SLOTS = 33;  // sound-bank slots that riders play
constexpr std::uint8_t RIDER_LOD_HIDDEN = 255;

// The rider sound bank, shared by all riders of a race: loaded by the first
// rider's Load, freed by the first rider deleted.
extern SoundSample* g_RiderSounds;
extern std::uint8_t g_RiderSoundCount;
extern std::uint8_t g_RiderSoundsLoaded;

// Where the two kinds of physics-driven rider differ in the frame step.
struct RiderStepKind {
  float holdSpeed = 3.0f;       // m/s under which the brake holds the bike
  bool stuckTimer = true;       // keeps stuckTime and stuckSection
  bool externalForce = true;    // adds externalForce to the rear
  void (*engineStep)(Rider&) = nullptr;    // null: Rider::UpdateEngine
  void (*afterPuffs)(Rider&) = nullptr;    // after the exhaust puffs' update
  void (*afterExhaust)(Rider&) = nullptr;  // between the exhaust and the dirt
};

// The per-rider record that a withdrawal stores and a rejoin puts back.
struct RiderSnapshot {
  std::uint8_t racePosition = 0;
  std::uint32_t lap = 0;
  std::uint32_t finalLap = 0;
  std::uint16_t sectionHint = 0;
  std::uint32_t lastNode = 0;
  std::int32_t progress = 0;  // node distance
  RaceTime lapTime;
  RaceTime bestLap;
  RaceTime raceTime;
  std::uint8_t followed = 0;
  std::uint8_t out = 0;
  std::uint8_t crashed = 0;
  Matrix4 matrix = g_IdentityMatrix;
  Vector3 velocity = Vector3(0.0f, 0.0f, 0.0f);
  Vector3 angularVelocity = Vector3(0.0f, 0.0f, 0.0f);
  Matrix4 crashBodyMatrix = g_IdentityMatrix;
  Vector3 crashBodyVelocity = Vector3(0.0f, 0.0f, 0.0f);
  Quaternion orientation;
  std::uint8_t flag = 0;  // on the track
  float trackTime = 0.0f;
  float entryTime = 0.0f;
  std::uint32_t lapsCompleted = 0;
};
extern RiderSnapshot g_RiderSnapshots[20];

class Rider : public SceneObject {
 public:
  static constexpr int GROUND_DUST_COUNT = 60;
  static constexpr int ENGINE_SMOKE_COUNT = 60;
  static constexpr int EXHAUST_SMOKE_COUNT = 20;
  static constexpr int DIRT_COUNT = 200;
  static constexpr int PART_POSE_COUNT = 13;

  Rider();
  // Frees the rider's meshes and tables, and the shared sound bank when it
  // is still loaded.
  ~Rider() override;

  // Slots, in this order after the base's (the order is the interface that
  // the derived riders override by).
  bool Load(const char* riderFile) override;
  bool Update(unsigned ms, int raceState) override;
  bool Draw() override;
  void StopSounds() override;
  virtual void SetTrack(Track* t);
  virtual std::uint16_t GetTrackNode();
  virtual void ComputeControls() = 0;
  virtual void UpdateHud(int raceState, int ms);
  virtual void UpdateSound();
  virtual void UpdateRemote(int raceState);
  virtual void GetCameraData(RiderCameraData* out);
  virtual void EmitGroundDust();
  virtual void EmitEngineSmoke();
  virtual void EmitExhaustSmoke();
  virtual void EmitDirt();
  virtual bool DrawShadow();
  virtual bool DrawGroundDust();
  virtual bool DrawEngineSmoke();
  virtual bool DrawExhaustSmoke();
  virtual bool DrawDirt();
  virtual bool DrawHud();
  virtual std::uint32_t GetLap();
  virtual bool IsPastFinalLap();
  virtual bool IsRaceOver();
  virtual bool IsFollowed();
  virtual Vector3* GetHeading(Vector3* out);
  virtual void SetFollowed();
  virtual void ClearFollowed();
  virtual void SetIndex(std::uint8_t i);
  virtual void SetupAi() = 0;
  virtual void UpdatePose();

  // Physics. Puts the body at a spot facing `heading` (about the vertical,
  // 0 facing +z); spins, gear, suspension and histories are kept.
  void Place(float x, float y, float z, float heading);
  // One frame of a physics-driven rider: the intro step while `state` is 1,
  // else the racing step, then the common tail.
  void RunFrameStep(unsigned ms, const RiderStepKind& kind);
  void UpdateSuspension();
  void UpdateWheels();
  // The body matrix from the orientation and position, then the contact
  // points' world positions and velocities, the axes and the lean from it.
  void PoseBody();
  // Moves the body and its contact points out of a border by `push`, then
  // probes the ground again under them.
  void PushBody(const Vector3& push);
  static void ShiftHistory(Vector3 history[3]);
  // Advances *value over g_FrameTime by the third-order step of the history.
  void IntegrateHistory(Vector3* value, Vector3 history[3]);
  void RotateOrientation(const float r[3]);
  bool ShiftGear(std::int16_t g);
  void UpdateEngine();
  // Adds this frame's forces on the chassis point and the two tyres.
  void ComputeGroundForces(Vector3* chassis, Vector3* front, Vector3* rear);
  void UpdateCrash();
  void UpdateCrashBody();
  void PoseCrash();
  void PoseFallen();
  void PoseLimb(int node, const Matrix4& parent, Matrix4* out, bool flailing);
  // Starting state before a race, restart, replay or rejoin, from the set-up.
  void Reset();
  void Withdraw(bool rejoin);
  // Copies the rider into g_RiderSnapshots[index].
  void StoreSnapshot();
  // A replay-driven rider, or a computer rider back on the track, gets its
  // whole state back; a live player or a rider left in the pits gets its
  // bookkeeping with the distance rounded down to its lap's start.
  void RestoreSnapshot(std::uint8_t i);
  void GetReplayControls(float out[3]) const;
  void SetReplayControls(const float in[3]);
  void BeginReplay() { replayDriven = 1; }
  void EndReplay() { replayDriven = 0; }
  // The four ground probes of the racing step (position, chassis, front,
  // rear); the height under the position.
  float ProbeGround();

  // Poses 1, 3, 5, 7, 8, 9, 11 and 12 from the locals, the part offsets,
  // the handlebar angle and the object matrix.
  void UpdatePartMatrices();

  // The rider file's fields up to the second bank name, without the
  // effects, the bank or the joints: what a rider file alone decides. The
  // part that the fuzz target drives. Reports the file's error and returns
  // false on damage; nothing leaks (the destructor frees what was read).
  bool ReadRiderFile(DataReader* r, char* bankName, std::uint32_t bankNameSize);
  // Loads the shared sound bank unless it is loaded.
  bool LoadSounds(const char* bankFile);
  // Reads DATA\TRACK\BONES.MTX and derives the joints' relative matrices.
  bool LoadJoints();
  // Anchors, places and scales the five condition lines.
  void SetUpConditionLines();

  std::uint8_t index = 0;  // slot in the race, 0 for the local player
  LitMesh bodyMesh;
  std::uint16_t partCount = 0;
  std::unique_ptr<LitMesh[]> nearParts;
  std::unique_ptr<LitMesh[]> middleParts;
  std::unique_ptr<LitMesh> farMesh;
  TextureSlot bikeTexture = 0;
  Track* track = nullptr;
  RiderPhysics physics;
  std::uint16_t skill = 0;    // g_GameSkill at construction
  std::uint16_t weather = 0;  // 0 dry, 1 rain, 2 and 3 the other kinds

  float torsoParam = 0.0f;
  float torsoParamRate = 0.0f;
  float steerParam = 0.0f;
  float legParam = 0.0f;
  float steerParamRate = 0.0f;
  float legSteerParam = 0.0f;

  // Race bookkeeping, kept by the race manager.
  std::uint8_t racePosition = 0;  // 1 = first
  std::uint32_t lap = 0;          // 1 at the start
  std::uint32_t finalLap = 0;     // 0 while not fixed
  std::uint32_t lapsCompleted = 0;
  std::uint32_t lastNode = 0;
  std::int32_t progress = 0;  // nodes travelled from the start line, negative behind it
  RaceTime lapTime;
  RaceTime bestLap;
  RaceTime raceTime;
  float targetSpeed = 0.0f;
  Vector3 toNearest = Vector3(0.0f, 0.0f, 0.0f);  // to the nearest rider (player)

  SmokePuff groundDust[GROUND_DUST_COUNT];
  SmokePuff engineSmoke[ENGINE_SMOKE_COUNT];
  SmokePuff exhaustSmoke[EXHAUST_SMOKE_COUNT];
  DirtParticle dirt[DIRT_COUNT];
  std::uint16_t ringNext[4] = {};  // next puff or particle to reuse per ring

  std::uint8_t followed = 0;
  float soundPhase = 0.0f;

  // Front-wheel local and world, fork local and world, swing-arm local and
  // world, rear-wheel local and world, steering rotation, steering-head
  // world, frame local and world, part-6 world.
  Matrix4 partPoses[PART_POSE_COUNT];
  // The start copies that the intro step keeps and a reset puts back.
  Matrix4 startPartPoses[PART_POSE_COUNT];
  std::uint16_t startHints[8] = {0, 6, 0, 6, 0, 6, 0, 6};

  std::uint32_t hudPositionShown = 0;
  std::uint32_t hudLapShown = 0;
  float lapDistance = 0.0f;   // m
  float raceDistance = 0.0f;  // m
  std::uint8_t hudRefresh = 0;
  std::uint8_t out = 0;
  std::uint8_t gearChanged = 0;
  std::unique_ptr<Matrix4[]> partOffsets;  // partCount, from the rider file
  std::uint16_t upperPoseGroup = 0;
  std::uint16_t lowerPoseGroup = 0;
  const char* effectsTexture = nullptr;  // valid only during Load
  float raceTimer = 0.0f;
  float timeSinceFinish = 0.0f;
  std::uint8_t replayDriven = 0;
  float replayControls[3] = {};  // throttle-or-brake, steer, shift key
  std::uint8_t started = 0;
  float trackTime = 0.0f;  // s
  float entryTime = 0.0f;  // s
  // The player's rider only: seconds ridden the wrong way (the race frame)
  // and spent holding up a lapping rider (the HUD's blue flag).
  float wrongWayTime = 0.0f;
  float blockingTime = 0.0f;
  // 0 near, 1 middle, 2 far, 255 not drawn; not drawn until the first
  // Update chooses, so a Draw before it draws nothing.
  std::uint8_t lod = RIDER_LOD_HIDDEN;
  float groundTint[3] = {1.0f, 1.0f, 1.0f};
  float reflectionLevel = 1.0f;
  float smoothedRevs = 0.0f;

  // The start-grid spot the intro step holds the bike on: x, z, heading.
  float gridSpot[3] = {};
  RiderGroundFrame groundFrame;

  // Skeleton tables, one entry per node; jointTables by JointTable.
  std::unique_ptr<Matrix4[]> jointTurned;
  std::unique_ptr<Matrix4[]> jointRest;
  std::unique_ptr<Matrix4[]> jointCrash;
  std::unique_ptr<Matrix4[]> jointRelative;
  std::unique_ptr<float[]> jointTables[8];

  // The HUD's own parts: the rev needle and the warning lines of
  // suspension, wheels, engine, brakes and gearbox.
  static constexpr int CONDITION_LINES = 5;
  Tachometer tachometer;
  StaticText conditionLines[CONDITION_LINES];
  // Over the head (skeleton node 0), the frame and the steering head.
  ReflectionOverlay reflections[3];
  Shadow shadow;
};

// A volume offset in hundredths of a decibel shared by all riders: 0 except
// while the race's closing fade runs.
extern std::int32_t g_RiderSoundFade;

// The followed rider's engine cross-fade at smoothed revs ratio q: the low
// layer's and the high (and coasting) layers' gains, -10000..0.
void EngineLayerGains(float q, std::int32_t* low, std::int32_t* high);
// The impact volume from the frame's front and rear impulses (time x load):
// above -2000 an impact plays.
std::int32_t ImpactVolume(float a, float b);

// Size-class groups of the rider's textures: the rider's by its slot, the
// bike's by whether its name contains the digit 2.
std::uint8_t RiderTextureGroup(std::uint8_t index);
std::uint8_t BikeTextureGroup(const char* name);
// Whether the bank entry of `slot` is skipped at skill class `skill`: each
// class keeps its own pair of engine sounds.
bool SkipsBankSlot(std::uint8_t skill, std::uint8_t slot);
// The relative matrix of a child: child x inverse(parent) for a parent
// whose axis rows are perpendicular.
Matrix4 RelativeToParent(const Matrix4& child, const Matrix4& parent);

// Makes a bank of n silent samples in place of any bank; false without
// memory (no bank then).
bool AllocateRiderSounds(std::uint8_t n);
// Frees the shared sound bank, last sample first; nothing without one.
void FreeRiderSounds();
