// Writers of the rider formats: rider files, rider sound banks and the joint
// file BONES.MTX, plus the synthetic rider and bike of the data set. All
// little-endian; every field is written as given, so damaged files can be
// built as easily as good ones.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/bbf.h"
#include "tools/object_files.h"

namespace kelvdata {

// ---- Rider file ------------------------------------------------------------------
//
//   str rider texture, str bike texture (str: u32 length with the NUL, bytes),
//   u16 node count N, N x pose-grid block (u16 G; G x (u16 K; K x (u16 steps,
//   f32); product of steps x u16 pose)), N x u32 parent (-1 a root),
//   N x u16 body vertices of the node, lit mesh (no box) body,
//   N x (u16 M; M x 64-byte matrix), u16 part count P,
//   P x (u16, lit mesh) near parts, P x (u16, lit mesh) middle parts,
//   lit mesh far, 3 x lit mesh reflections, P x 64-byte part offsets,
//   u8, str sound bank, str second bank name.
struct RiderFileSpec {
  ActString riderTexture;
  ActString bikeTexture;
  std::optional<std::uint16_t> nodeCount;  // default: nodes.size()
  std::vector<SkinnedNode> nodes;          // groups, parent, vertex count, poses
  LitMeshRecord body;
  std::optional<std::uint16_t> partCount;  // default: nearParts.size()
  std::vector<LitMeshRecord> nearParts;
  std::vector<LitMeshRecord> middleParts;
  LitMeshRecord far;
  std::vector<LitMeshRecord> reflections;  // three in a good file
  std::vector<Matrix> partOffsets;
  std::uint8_t unused = 0;
  ActString soundBank;
  ActString secondBank;
};

Bytes BuildRiderFile(const RiderFileSpec& file);

// ---- Shadow data file (DATA\TRACK\SHADOW.PLR) ---------------------------------
//
//   The rider file's fields up to and including the far mesh; nothing after.
Bytes BuildShadowFile(const RiderFileSpec& file);

// ---- Reflection texture (DATA\TRACK\_08REF.TEX) -------------------------------
//
//   A .TEX environment texture: a bright vertical stripe in the middle.
Bytes BuildReflectionTexture();

// The track-archive members "SHADOW.PLR" (the synthetic rider's shapes) and
// "_08REF.TEX" that every rider load reads.
std::vector<BbfMember> RiderShadowMembers();

// ---- Rider sound bank ------------------------------------------------------------
//
//   u8 count n, u8 (unused), n x (u8 slot, str sound file name).
struct SoundBankEntry {
  std::uint8_t slot;
  ActString file;
};

struct SoundBankSpec {
  std::optional<std::uint8_t> count;  // default: entries.size()
  std::vector<SoundBankEntry> entries;
};

Bytes BuildSoundBank(const SoundBankSpec& bank);

// ---- Joint file (DATA\TRACK\BONES.MTX) ------------------------------------------
//
//   N x 64-byte matrix, no header.
Bytes BuildJointFile(const std::vector<Matrix>& rest);

// ---- The synthetic rider -------------------------------------------------------
//
// An 11-node rider of boxes (every node a root, as the loader needs), the
// four pose groups (start, riding, crashed, celebration) with poses for
// riding and celebrating, seven bike parts at two levels and a far box,
// three reflection patches on the right sides of the helmet, frame and
// steering head, part offsets that only translate. Names the textures and the bank given.
RiderFileSpec SyntheticRider(const std::string& riderTexture, const std::string& bikeTexture,
                             const std::string& bank);
// The rest placements of the synthetic rider's 11 joints: translations only.
std::vector<Matrix> SyntheticJointRest();
// A bank of all 33 slots naming "SOUNDS\RIDER<slot>.SFX".
SoundBankSpec SyntheticSoundBank();
// The data set's rider and bike: track-archive members "RIDER.RDR" (naming
// "DATA\TRACK\RIDER.TEX", "DATA\TRACK\BIKE.TEX" and the bank
// "DATA\TRACK\RIDER.BNK"), the textures, the bank, "BONES.MTX",
// "SHADOW.PLR" and "_08REF.TEX"; and
// the bank's 33 short sounds, by file name under SOUNDS.
// The rider HUD's widget files as track-archive members: the value texts
// (POSV, SPEEDV, NLAPSV, LTIMEV, BLAPV, GEARV .STX), the plates (SPEEDT,
// NLAPST, LTIMET, BLAPT, TACHO, TACHO2, FRICTION .OSP) and their texture
// "HUD.TEX" with the clutch light's lit and dark squares.
std::vector<BbfMember> HudMembers();
std::vector<BbfMember> RiderDataSetMembers();
std::vector<std::pair<std::string, Bytes>> RiderDataSetSounds();

}  // namespace kelvdata
