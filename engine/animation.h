// Keyframe animations: per node (per mesh of an object) one key per frame,
// grouped into sequences (for instance the normal, highlighted and selected
// motion of a front-end model), each with its key count, duration and loop
// flag. A MeshAnimation keys matrices, a UvAnimation texture offsets; an
// AnimationPlayer plays one sequence of one of them.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/maths.h"

class DataReader;

class Animation {
 public:
  Animation() = default;
  virtual ~Animation();
  Animation(const Animation&) = delete;
  Animation& operator=(const Animation&) = delete;

  // Reads the file through the data-file routing. Loading an animation that
  // is already loaded returns true without reading anything.
  virtual bool Load(const char* fileName) = 0;

  // First key of a sequence: the key counts of the earlier sequences added.
  std::uint32_t FirstKey(std::uint16_t sequence) const;

  std::uint16_t nodeCount = 0;  // nodes of a mesh animation, meshes of a UV animation
  std::uint16_t keyCount = 0;   // keys of all sequences together
  std::uint16_t sequenceCount = 0;
  std::vector<std::uint16_t> sequenceKeys;       // per sequence
  std::vector<std::uint16_t> sequenceDurations;  // per sequence, ms
  std::vector<std::uint8_t> sequenceLoops;       // per sequence; 1 loops
  std::uint8_t loaded = 0;

 protected:
  // The sequence table, checked against the key count. False for a table
  // that does not fit the file or whose key counts do not add up.
  bool ReadHeader(DataReader* r, std::uint64_t bytesPerKey, std::uint64_t bytesPerNode);
  void Clear();
  // The shared load: the file through the data-file routing, the sequence
  // table, then per node bytesPerNode skipped bytes and keyCount keys read by
  // readKey(DataReader*, Key*). Any failure reports `error` (running out of
  // memory reports nothing) and leaves the animation empty.
  template <class Key, class ReadKey>
  bool LoadKeys(const char* fileName, const char* error, std::uint64_t bytesPerKey, int bytesPerNode,
                std::vector<Key>* keys, ReadKey readKey);
};

class MeshAnimation : public Animation {
 public:
  ~MeshAnimation() override;
  bool Load(const char* fileName) override;
  // Key k of node n; node and key must be below their counts.
  const Matrix4& Key(std::uint16_t node, std::uint32_t key) const { return keys[node * keyCount + key]; }

  std::vector<Matrix4> keys;  // node-major: the keys of node 0, then node 1, ...
};

struct UvKey {
  float u;
  float v;
};

class UvAnimation : public Animation {
 public:
  ~UvAnimation() override;
  bool Load(const char* fileName) override;
  const UvKey& Key(std::uint16_t mesh, std::uint32_t key) const { return keys[mesh * keyCount + key]; }

  // The owner's texture scales, set before loading; every u and v is
  // multiplied by them.
  float sScale = 1.0f;
  float tScale = 1.0f;
  std::vector<UvKey> keys;  // mesh-major
};

class AnimationPlayer {
 public:
  // Plays `sequence` from its start (from its end when playing backward). A
  // sequence the animation does not have is ignored.
  void SelectSequence(std::uint16_t sequence);
  // Moves the time by ms x speed / 100 and returns the current key. A
  // sequence of no keys or no duration holds the current key.
  std::uint16_t Advance(std::uint32_t ms);
  // The node's matrix between the current key and the next (the last key of
  // a sequence that does not loop is held). The identity when there is no
  // mesh animation, no key, or no such node.
  void GetKeyMatrix(Matrix4* out, std::uint16_t node) const;

  std::uint16_t currentKey = 0;  // counted over all sequences
  std::uint16_t sequence = 0;
  std::uint32_t firstKey = 0;
  std::uint32_t time = 0;  // ms within the sequence
  std::uint16_t speed = 100;  // percent
  std::uint8_t backward = 0;
  std::uint8_t finished = 0;
  Animation* animation = nullptr;  // set by the owner
};
