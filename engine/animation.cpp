#include "engine/animation.h"

#include <cmath>
#include <new>

#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/system.h"

namespace {

const char kMeshAnimationError[] = "File error opening mesh animation data.\nPlease reinstall Kelvarro.";
const char kUvAnimationError[] = "File error opening UV animation data.\nPlease reinstall Kelvarro.";

void Report(const char* text) { ShowMessageBox(text, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR); }

}  // namespace

// ---- Animation ------------------------------------------------------------------

Animation::~Animation() = default;

void Animation::Clear() {
  nodeCount = 0;
  keyCount = 0;
  sequenceCount = 0;
  sequenceKeys.clear();
  sequenceDurations.clear();
  sequenceLoops.clear();
  loaded = 0;
}

std::uint32_t Animation::FirstKey(std::uint16_t s) const {
  std::uint32_t first = 0;
  for (std::uint16_t i = 0; i < s && i < sequenceKeys.size(); ++i) first += sequenceKeys[i];
  return first;
}

bool Animation::ReadHeader(DataReader* r, std::uint64_t bytesPerKey, std::uint64_t bytesPerNode) {
  if (!r->U16(&nodeCount) || !r->U16(&keyCount) || !r->U16(&sequenceCount)) return false;
  if (sequenceCount * 5ull > r->Remaining()) return false;
  sequenceKeys.resize(sequenceCount);
  sequenceDurations.resize(sequenceCount);
  sequenceLoops.resize(sequenceCount);
  std::uint32_t keys = 0;
  for (std::uint16_t s = 0; s < sequenceCount; ++s) {
    if (!r->U16(&sequenceKeys[s]) || !r->U16(&sequenceDurations[s]) || !r->U8(&sequenceLoops[s])) return false;
    keys += sequenceKeys[s];
  }
  // The keys of the sequences are stored one after the other.
  if (keys != keyCount) return false;
  return nodeCount * (bytesPerNode + keyCount * bytesPerKey) <= r->Remaining();
}

template <class Key, class ReadKey>
bool Animation::LoadKeys(const char* fileName, const char* error, std::uint64_t bytesPerKey, int bytesPerNode,
                         std::vector<Key>* keys, ReadKey readKey) {
  if (loaded) return true;
  ArchiveFile file;
  if (!OpenDataFile(fileName, &file)) {
    Report(error);
    return false;
  }
  try {
    DataReader r(&file);
    bool ok = ReadHeader(&r, bytesPerKey, static_cast<std::uint64_t>(bytesPerNode));
    if (ok) keys->resize(static_cast<std::size_t>(nodeCount) * keyCount);
    for (std::uint16_t n = 0; ok && n < nodeCount; ++n) {
      ok = r.Skip(bytesPerNode);
      for (std::uint32_t k = 0; ok && k < keyCount; ++k) ok = readKey(&r, &(*keys)[n * keyCount + k]);
    }
    if (!ok) {
      Clear();
      keys->clear();
      Report(error);
      return false;
    }
  } catch (const std::bad_alloc&) {
    Clear();
    keys->clear();
    return false;
  }
  loaded = 1;
  return true;
}

// ---- MeshAnimation ----------------------------------------------------------------

MeshAnimation::~MeshAnimation() = default;

bool MeshAnimation::Load(const char* fileName) {
  return LoadKeys(fileName, kMeshAnimationError, 64, 5, &keys,
                  [](DataReader* r, Matrix4* key) { return r->Matrix(key); });
}

// ---- UvAnimation ------------------------------------------------------------------

UvAnimation::~UvAnimation() = default;

bool UvAnimation::Load(const char* fileName) {
  return LoadKeys(fileName, kUvAnimationError, 8, 3, &keys, [this](DataReader* r, UvKey* key) {
    const bool ok = r->F32(&key->u) && r->F32(&key->v);
    key->u = key->u * sScale;
    key->v = key->v * tScale;
    return ok && SaneFloat(key->u) && SaneFloat(key->v);
  });
}

// ---- AnimationPlayer ----------------------------------------------------------------

void AnimationPlayer::SelectSequence(std::uint16_t s) {
  if (animation == nullptr || s >= animation->sequenceCount) return;
  sequence = s;
  time = 0;
  firstKey = animation->FirstKey(s);
  if (backward) time = animation->sequenceDurations[s];
}

std::uint16_t AnimationPlayer::Advance(std::uint32_t ms) {
  if (animation == nullptr || sequence >= animation->sequenceCount) return currentKey;
  const std::uint32_t duration = animation->sequenceDurations[sequence];
  const std::uint32_t keys = animation->sequenceKeys[sequence];
  if (duration == 0 || keys == 0) return currentKey;
  const std::int64_t step = static_cast<std::int64_t>(ms) * speed / 100;
  const bool loops = animation->sequenceLoops[sequence] != 0;
  std::int64_t t;
  if (!backward) {
    t = static_cast<std::int64_t>(time) + step;
    if (t < duration) {
      finished = 0;
    } else if (loops) {
      t = 0;  // the excess is dropped
    } else {
      finished = 1;
      t = duration - 1;
    }
  } else {
    t = static_cast<std::int64_t>(time) - step;
    if (t >= 0) {
      finished = 0;
    } else if (loops) {
      t = duration - 1;
    } else {
      finished = 1;
      t = 0;
    }
  }
  time = static_cast<std::uint32_t>(t);
  std::uint64_t key = static_cast<std::uint64_t>(time) * keys / duration;
  // A backward start sits at the full duration, one past the last key.
  if (key >= keys) key = keys - 1;
  currentKey = static_cast<std::uint16_t>(firstKey + key);
  return currentKey;
}

void AnimationPlayer::GetKeyMatrix(Matrix4* out, std::uint16_t node) const {
  const auto* mesh = dynamic_cast<const MeshAnimation*>(animation);
  if (mesh == nullptr || node >= mesh->nodeCount || mesh->keyCount == 0) {
    *out = g_IdentityMatrix;
    return;
  }
  const std::uint32_t k = currentKey < mesh->keyCount ? currentKey : mesh->keyCount - 1u;
  const Matrix4& a = mesh->Key(node, k);
  std::uint32_t keys = 0;
  std::uint32_t duration = 0;
  bool loops = false;
  if (sequence < mesh->sequenceCount) {
    keys = mesh->sequenceKeys[sequence];
    duration = mesh->sequenceDurations[sequence];
    loops = mesh->sequenceLoops[sequence] != 0;
  }
  // Outside the sequence (not advanced since it was selected) or without
  // keys or time: the key itself.
  if (keys == 0 || duration == 0 || k < firstKey || k >= firstKey + keys) {
    *out = a;
    return;
  }
  const std::uint32_t inSequence = k - firstKey;
  std::uint32_t next = k;
  if (loops || inSequence + 1 < keys) next = firstKey + (inSequence + 1) % keys;
  const Matrix4& b = mesh->Key(node, next);
  const float d = static_cast<float>(duration) / static_cast<float>(keys);
  const float f = (static_cast<float>(time) - d * static_cast<float>(inSequence)) / d;
  for (int i = 0; i < 16; ++i) out->m[i] = a.m[i] + f * (b.m[i] - a.m[i]);
}
