// Rider::Load: the rider file, the shared sound bank, the effects and the
// skeleton's rest pose.
#include <cstring>
#include <new>

#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "engine/sound_sample.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "riders/rider.h"
#include "riders/rider_hud.h"
#include "riders/rider_file.h"

namespace {

const char kRiderError[] = "File error opening rider data.\nPlease reinstall Kelvarro.";
const char kJointError[] = "File error opening joint data.\nPlease reinstall Kelvarro.";
const char kMemoryError[] = "Error: not enough system memory.";
const char kJointFile[] = "DATA\\\\TRACK\\\\BONES.MTX";
const char kShadowFile[] = "DATA\\TRACK\\SHADOW.PLR";

constexpr std::uint32_t kNameSize = 260;
// The joints whose relative matrices the crash pose uses, child then parent.
constexpr std::uint8_t kJointParents[][2] = {{5, 6}, {7, 6}, {9, 6}, {0, 5}, {1, 5}, {3, 5},
                                             {2, 1}, {4, 3}, {8, 7}, {10, 9}};

void Report(const char* text) { ShowMessageBox(text, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR); }

struct EffectSetup {
  float r, g, b, lifetime;
};
constexpr EffectSetup kGroundDust = {0.2f, 0.2f, 0.2f, 2.5f};
constexpr EffectSetup kEngineSmoke = {0.6f, 0.6f, 0.6f, 2.0f};
constexpr EffectSetup kExhaustSmoke = {0.3f, 0.3f, 0.3f, 2.0f};

void SetUpPuff(SmokePuff* puff, const char* texture, const EffectSetup& e) {
  puff->Load(texture);  // its result is not tested: a puff without texture draws nothing
  puff->SetColour(e.r, e.g, e.b);
  puff->SetLifetime(e.lifetime);
}

}  // namespace

std::uint8_t RiderTextureGroup(std::uint8_t index) { return static_cast<std::uint8_t>(28 - index); }

std::uint8_t BikeTextureGroup(const char* name) { return std::strchr(name, '2') ? 30 : 29; }

bool SkipsBankSlot(std::uint8_t skill, std::uint8_t slot) {
  if (skill > 2 || slot > 5) return false;
  return slot / 2 != skill;
}

Matrix4 RelativeToParent(const Matrix4& child, const Matrix4& parent) {
  // Inverse of the parent: axes scaled by their squared lengths, 3 x 3 part
  // transposed, translation replaced by minus the parent's translation in
  // those axes.
  Matrix4 inv = g_IdentityMatrix;
  float axis[3][3];
  for (int row = 0; row < 3; ++row) {
    const float* a = &parent.m[row * 4];
    const float len2 = a[0] * a[0] + a[1] * a[1] + a[2] * a[2];
    const float k = len2 > 0.0f ? 1.0f / len2 : 0.0f;
    for (int c = 0; c < 3; ++c) axis[row][c] = a[c] * k;
  }
  for (int row = 0; row < 3; ++row) {
    for (int c = 0; c < 3; ++c) inv.m[c * 4 + row] = axis[row][c];
  }
  const float* t = &parent.m[12];
  for (int row = 0; row < 3; ++row) {
    inv.m[12 + row] = -(t[0] * axis[row][0] + t[1] * axis[row][1] + t[2] * axis[row][2]);
  }
  Matrix4 out;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += child.m[r * 4 + k] * inv.m[k * 4 + c];
      out.m[r * 4 + c] = sum;
    }
  }
  out.m[3] = out.m[7] = out.m[11] = 0.0f;
  out.m[15] = 1.0f;
  return out;
}

bool Rider::ReadRiderFile(DataReader* r, char* bankName, std::uint32_t bankNameSize) {
  skinned = 1;
  char name[kNameSize];
  if (!r->String(name, sizeof(name))) {
    Report(kRiderError);
    return false;
  }
  if (!g_TextureManager.Load(name, &texture, g_TextureSizeClasses[RiderTextureGroup(index)])) return false;
  if (!r->String(name, sizeof(name))) {
    Report(kRiderError);
    return false;
  }
  if (!g_TextureManager.Load(name, &bikeTexture, g_TextureSizeClasses[BikeTextureGroup(name)])) return false;

  RiderFileMeshes out;
  out.body = &bodyMesh;
  out.nearParts = &nearParts;
  out.middleParts = &middleParts;
  out.farMesh = &farMesh;
  out.partCount = &partCount;
  // The build that does not scale texture coordinates keeps scales of 1.
  if (g_RenderBuild == RENDER_BUILD_GLIDE) {
    out.sScale = g_TextureManager.sScale[texture];
    out.tScale = g_TextureManager.tScale[texture];
  }
  if (!ReadRiderMeshes(this, r, out, kRiderError)) return false;
  const std::uint16_t p = partCount;
  for (ReflectionOverlay& overlay : reflections) {
    const unsigned shown = ShownMessageBoxCount();
    if (overlay.Load(r)) continue;
    if (ShownMessageBoxCount() == shown) Report(kRiderError);
    return false;
  }

  if (p * 64ull > r->Remaining()) {
    Report(kRiderError);
    return false;
  }
  partOffsets.reset(new (std::nothrow) Matrix4[p]);
  if (!partOffsets) {
    Report(kMemoryError);
    return false;
  }
  std::uint8_t unused = 0;
  char second[kNameSize];
  bool ok = true;
  for (std::uint16_t i = 0; ok && i < p; ++i) ok = r->Matrix(&partOffsets[i]);
  ok = ok && r->U8(&unused) && r->String(bankName, bankNameSize) && r->String(second, sizeof(second));
  if (!ok) {
    Report(kRiderError);
    return false;
  }
  return true;
}

bool Rider::LoadSounds(const char* bankFile) {
  if (g_RiderSoundsLoaded) return true;
  ArchiveFile file;
  if (!OpenDataFile(bankFile, &file)) {
    Report(kMemoryError);
    return false;
  }
  DataReader r(&file);
  std::uint8_t n = 0, unused = 0;
  if (!r.U8(&n) || !AllocateRiderSounds(n)) return false;
  r.U8(&unused);
  // A damaged entry ends the bank: the slots not reached stay silent.
  for (;;) {
    std::uint8_t slot = 0;
    char name[kNameSize];
    if (!r.U8(&slot) || !r.String(name, sizeof(name))) break;
    // A slot past the bank's count has no sample to load into.
    if (slot >= g_RiderSoundCount || SkipsBankSlot(skill, slot)) continue;
    g_RiderSounds[slot].Load(name);
    if (slot == 29) g_RiderSounds[slot].Enable3D(false);
  }
  g_RiderSoundsLoaded = 1;
  return true;
}

bool Rider::LoadJoints() {
  ArchiveFile file;
  if (!OpenDataFile(kJointFile, &file)) {
    Report(kJointError);
    return false;
  }
  const std::uint16_t n = nodeCount;
  jointTurned.reset(new (std::nothrow) Matrix4[n]);
  jointRest.reset(new (std::nothrow) Matrix4[n]);
  jointCrash.reset(new (std::nothrow) Matrix4[n]);
  jointRelative.reset(new (std::nothrow) Matrix4[n]);
  if (!jointTurned || !jointRest || !jointCrash || !jointRelative) return false;
  for (auto& table : jointTables) {
    table.reset(new (std::nothrow) float[n]());
    if (!table) return false;
  }
  DataReader r(&file);
  // A short file would leave joints unplaced: refused as damaged.
  for (std::uint16_t i = 0; i < n; ++i) {
    if (!r.Matrix(&jointRest[i])) {
      Report(kJointError);
      return false;
    }
    jointTurned[i] = jointCrash[i] = jointRelative[i] = g_IdentityMatrix;
  }
  jointRelative[6] = jointRest[6];
  for (const auto& cp : kJointParents) jointRelative[cp[0]] = RelativeToParent(jointRest[cp[0]], jointRest[cp[1]]);
  return true;
}

bool Rider::Load(const char* riderFile) {
  char bank[kNameSize];
  {
    ArchiveFile file;
    if (!OpenDataFile(riderFile, &file)) {
      Report(kRiderError);
      return false;
    }
    try {
      DataReader r(&file);
      if (!ReadRiderFile(&r, bank, sizeof(bank))) return false;
    } catch (const std::bad_alloc&) {
      Report(kMemoryError);
      return false;
    }
    if (!LoadSounds(bank)) return false;
  }
  if (!shadow.Load(kShadowFile)) return false;
  for (int i = 0; i < GROUND_DUST_COUNT; ++i) {
    SetUpPuff(&groundDust[i], effectsTexture, kGroundDust);
    SetUpPuff(&engineSmoke[i], effectsTexture, kEngineSmoke);
  }
  for (SmokePuff& puff : exhaustSmoke) SetUpPuff(&puff, effectsTexture, kExhaustSmoke);
  for (DirtParticle& d : dirt) {
    if (!d.Load(effectsTexture)) return false;
  }
  if (!tachometer.Load(riderFile)) return false;
  if (!g_HudLoaded) {
    // A half-loaded HUD is let go, so that the next Load starts clean.
    if (!LoadHudWidgets()) {
      ReleaseHudWidgets();
      return false;
    }
    g_HudLoaded = 1;
  }
  SetUpConditionLines();
  return LoadJoints();
}
