#include "engine/object3d.h"

#include <cstring>
#include <new>

#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "engine/system.h"
#include "engine/texture_manager.h"

namespace {

const char kObjectError[] = "File error opening object data.\nPlease reinstall Kelvarro.";
const char kMemoryError[] = "Not enough system memory.";

// Longest file name a string field may hold, with its NUL.
constexpr std::uint32_t kNameSize = 260;
// Smallest mesh of the plain form: the unused u16, a one-triangle lit-mesh
// record and its box.
constexpr std::uint64_t kMinMeshBytes = 2 + 2 + 2 + 1 + 3 * 36 + 1 + 3 * 2 + 96;
// The additive objects' corner colour.
constexpr std::uint32_t kAdditiveColour = 0xFF4C4C4Cu;

void Report(const char* text) { ShowMessageBox(text, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR); }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Case-insensitive, with every run of backslashes counting as one: the data
// spells names with single and with doubled separators.
bool SameFileName(const char* a, const char* b) {
  while (*a && *b) {
    if (*a == '\\' && *b == '\\') {
      while (*a == '\\') ++a;
      while (*b == '\\') ++b;
      continue;
    }
    if (Upper(*a) != Upper(*b)) return false;
    ++a;
    ++b;
  }
  return *a == *b;
}

}  // namespace

Object3D::Object3D() = default;

Object3D::~Object3D() = default;

void Object3D::Release() {
  meshes.clear();
  visible.clear();
  meshCount = 0;
  nodeTimers.clear();
  kindFlags[0] = kindFlags[1] = 0;
  additive = 0;
  skinned = 0;
  nodeCount = 0;
  poseMatrices.clear();
  nodeWorld.clear();
  nodeVertexCounts.clear();
  poseGroups.clear();
  parents.clear();
  localMatrices.clear();
  cornerCount = 0;
  stepOrder_.clear();
}

bool Object3D::Load(const char* path) { return LoadObject(path, false); }

bool Object3D::LoadObject(const char* path, bool lit) {
  Release();
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) {
    Report(kObjectError);
    return false;
  }
  bool ok = false;
  try {
    DataReader r(&file);
    std::uint8_t kind = 0;
    if (!r.U8(&kind)) {
      Report(kObjectError);
    } else {
      ok = kind != 'X' ? LoadPlain(&r, lit) : LoadSkinned(&r);
    }
  } catch (const std::bad_alloc&) {
    Report(kMemoryError);
    ok = false;
  }
  if (!ok) Release();
  return ok;
}

bool Object3D::LoadPlain(DataReader* r, bool lit) {
  std::uint16_t count = 0;
  if (!r->U16(&count) || count * kMinMeshBytes > r->Remaining()) {
    Report(kObjectError);
    return false;
  }
  meshes.resize(count);
  visible.assign(count, 1);
  meshCount = count;

  char name[kNameSize];
  if (!r->String(name, kNameSize)) {
    Report(kObjectError);
    return false;
  }
  // The practice race shows the other variant of this texture.
  if (g_RaceType == 1 && SameFileName(name, "DATA\\UI\\11_OBJ1.TEX")) std::strcpy(name, "DATA\\UI\\10_OBJ1.TEX");
  if (!g_TextureManager.Load(name, &texture, 8)) return false;

  std::uint8_t flagBytes[3];
  if (!r->Bytes(flagBytes, 3)) {
    Report(kObjectError);
    return false;
  }
  kindFlags[0] = flagBytes[0] != 0;
  kindFlags[1] = flagBytes[1] != 0;
  additive = flagBytes[2] != 0;

  for (LitMesh& mesh : meshes) {
    if (!r->Skip(2)) {
      Report(kObjectError);
      return false;
    }
    mesh.sScale = g_TextureManager.sScale[texture];
    mesh.tScale = g_TextureManager.tScale[texture];
    if (!mesh.Load(r->stream(), lit, true)) return false;
  }
  if (additive) {
    for (LitMesh& mesh : meshes) {
      for (VertexAttribute& a : mesh.attributes) a.colour = kAdditiveColour;
    }
  }
  if (HasMeshAnimation()) {
    if (!r->Skip(1) || !r->String(name, kNameSize)) {
      Report(kObjectError);
      return false;
    }
    if (!meshAnimation.Load(name)) return false;
    meshPlayer.animation = &meshAnimation;
  }
  if (HasUvAnimation()) {
    if (!r->Skip(1) || !r->String(name, kNameSize)) {
      Report(kObjectError);
      return false;
    }
    uvAnimation.sScale = g_TextureManager.sScale[texture];
    uvAnimation.tScale = g_TextureManager.tScale[texture];
    if (!uvAnimation.Load(name)) return false;
    uvPlayer.animation = &uvAnimation;
  }
  return true;
}

bool Object3D::LoadSkinned(DataReader* r) {
  kindFlags[0] = kindFlags[1] = 0;
  additive = 0;
  skinned = 1;
  char name[256];
  if (!r->Bytes(name, sizeof(name)) || std::memchr(name, 0, sizeof(name)) == nullptr) {
    Report(kObjectError);
    return false;
  }
  if (!g_TextureManager.Load(name, &texture, 8)) return false;

  std::uint16_t n = 0;
  if (!r->U16(&n) || n == 0 || n > SKELETON_MAX_NODES) {
    Report(kObjectError);
    return false;
  }
  bool ok = ReadNodeTables(r, n);
  if (!ok) {
    Report(kObjectError);
    return false;
  }

  meshes.resize(1);
  visible.assign(1, 1);
  meshCount = 1;
  LitMesh& mesh = meshes[0];
  mesh.sScale = g_TextureManager.sScale[texture];
  mesh.tScale = g_TextureManager.tScale[texture];
  mesh.partCount = n;
  mesh.partSizes = nodeVertexCounts;
  mesh.skinned = 1;
  if (!mesh.Load(r->stream(), false, false)) return false;

  poseMatrices.resize(n);
  for (std::uint16_t node = 0; ok && node < n; ++node) {
    std::uint16_t k = 0;
    ok = r->U16(&k) && k * 64ull <= r->Remaining();
    if (!ok) break;
    poseMatrices[node].resize(k);
    for (Matrix4& m : poseMatrices[node]) ok = ok && r->Matrix(&m);
  }
  std::uint16_t roots = 0;
  for (std::uint32_t p : parents) roots = static_cast<std::uint16_t>(roots + (p == NODE_ROOT));
  localMatrices.assign(roots, g_IdentityMatrix);
  nodeWorld.assign(n, g_IdentityMatrix);
  nodeTimers.assign(n, 0.0f);
  nodeCount = n;
  if (!ok || !NodeTablesValid()) {
    Report(kObjectError);
    return false;
  }
  stepOrder_ = ParentsFirstOrder();
  return true;
}

void Object3D::SetMeshColour(std::uint16_t mesh, float r, float g, float b, float a) {
  if (mesh >= meshes.size()) return;
  const std::uint32_t colour = PackColour(a, r, g, b);
  for (VertexAttribute& attr : meshes[mesh].attributes) attr.colour = colour;
}

bool Object3D::Update(unsigned ms, int mode) {
  // 1. Colour fade.
  const bool fading = fadeElapsed < fadeDuration;
  fadeElapsed += ms;
  if (fadeElapsed < fadeDuration) {
    fadeCurrent = fadeTarget + (static_cast<float>(fadeElapsed) / static_cast<float>(fadeDuration) - 1.0f) * fadeRange;
    for (std::uint16_t i = 0; i < meshCount; ++i) SetMeshColour(i, fadeCurrent, fadeCurrent, fadeCurrent, 1.0f);
  } else {
    fadeElapsed = fadeDuration;
    if (fading) {
      // The last step lands on the target.
      fadeCurrent = fadeTarget;
      for (std::uint16_t i = 0; i < meshCount; ++i) SetMeshColour(i, fadeCurrent, fadeCurrent, fadeCurrent, 1.0f);
    }
    if (fadeCallback != nullptr) {
      void (*done)() = fadeCallback;
      fadeCallback = nullptr;
      done();
    }
  }

  // 2. Mesh animation by mode.
  if (HasMeshAnimation()) {
    int sequence = -1;
    bool backward = false;
    if (mode == 1) {
      sequence = 0;
    } else if (mode == 2) {
      sequence = 1;
    } else if (mode == 3) {
      sequence = alternateSelection ? 0 : 2;
      backward = alternateSelection != 0;
    }
    if (sequence >= 0 && sequence < meshAnimation.sequenceCount &&
        (sequence != meshPlayer.sequence || backward != (meshPlayer.backward != 0))) {
      meshPlayer.speed = 100;
      meshPlayer.backward = backward ? 1 : 0;
      meshPlayer.SelectSequence(static_cast<std::uint16_t>(sequence));
    }
    meshPlayer.Advance(ms);
  }

  // 3. UV animation: sequence 0 forward.
  if (HasUvAnimation()) {
    if (uvPlayer.sequence != 0 || uvPlayer.backward) {
      uvPlayer.speed = 100;
      uvPlayer.backward = 0;
      uvPlayer.SelectSequence(0);
    }
    uvPlayer.Advance(ms);
  }

  // 4. Skinned model: each node's timer runs through the cycle of its pose group.
  if (skinned) {
    const std::uint16_t group = mode == 2 ? 1 : mode == 3 ? 2 : 0;
    for (const std::uint16_t node : stepOrder_) {
      if (group >= poseGroups[node].size()) {
        // Not posed in this mode; its chain still follows this frame's
        // poses of its ancestors, for its children.
        Matrix4 chain;
        GetNodeWorldMatrix(&chain, node);
        continue;
      }
      const PoseGroup& g = poseGroups[node][group];
      float& timer = nodeTimers[node];
      timer = timer + static_cast<float>(ms) * 0.001f;
      float param = g.values.empty() ? 0.0f : timer / g.values[0];
      if (param >= 1.0f) {
        timer = 0.0f;
        param = 0.0f;
      }
      // The timer drives the first parameter; any others stay at their start.
      float params[POSE_MAX_PARAMETERS] = {param, 0.0f, 0.0f};
      SetPoseWeights(node, group, static_cast<std::uint8_t>(g.steps.size()), params);
      BlendNodeMatrix(node, &matrix);
    }
  }
  return true;
}

bool Object3D::Draw() {
  g_TextureManager.Select(texture);
  g_Renderer.SetAlphaBlendEnable(additive != 0);
  if (additive) {
    g_Renderer.SetSrcBlend(BLEND_ONE);
    g_Renderer.SetDestBlend(BLEND_ONE);
  }
  if (HasUvAnimation()) {
    const std::uint32_t key = uvPlayer.currentKey;
    for (std::uint16_t i = 0; i < meshCount; ++i) {
      const bool keyed = i < uvAnimation.nodeCount && key < uvAnimation.keyCount;
      meshes[i].scrollU = keyed ? uvAnimation.Key(i, key).u : 0.0f;
      meshes[i].scrollV = keyed ? uvAnimation.Key(i, key).v : 0.0f;
    }
  }
  // Additive light is never fogged.
  const bool fogWasOn = g_Renderer.cache.fogEnable == 1;
  if (fogWasOn && additive) g_Renderer.SetFogEnable(false);

  if (!HasMeshAnimation()) {
    // Such objects are modelled in world coordinates; a skinned one follows
    // its node matrices, one per part.
    g_GeometryPipeline.objectMatrix = skinned && !nodeWorld.empty() ? nodeWorld.data() : nullptr;
    for (std::uint16_t i = 0; i < meshCount; ++i) {
      if (visible[i]) meshes[i].Draw();
    }
  } else {
    g_Renderer.SetSrcBlend(BLEND_ONE);
    g_Renderer.SetDestBlend(BLEND_ONE_MINUS_SRC_COLOUR);
    Matrix4 world;
    for (std::uint16_t i = 0; i < meshCount; ++i) {
      if (!visible[i]) continue;
      meshPlayer.GetKeyMatrix(&world, i);
      MultiplyMatrix(world, matrix, &world);
      g_GeometryPipeline.objectMatrix = &world;
      meshes[i].Draw();
    }
  }
  g_GeometryPipeline.objectMatrix = nullptr;
  if (fogWasOn && additive) g_Renderer.SetFogEnable(true);
  return true;
}
