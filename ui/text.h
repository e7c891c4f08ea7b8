// The root of the text widgets: a string shown in a Font. StaticText lays it
// out as flat screen quads; UiStaticText builds it as a small mesh that the
// geometry pipeline draws like any 3D object, optionally moved by a mesh
// animation.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/animation.h"
#include "engine/geometry_pipeline.h"
#include "engine/scene_object.h"

struct Font;

class Text : public SceneObject {
 public:
  Text();
  ~Text() override;

  // Store origin or size, then lay the current string out again.
  void SetPosition(float x, float y, float z) override;
  void SetScale(float x, float y, float z) override;
  bool Load(const char* path) override = 0;
  // Animated texts only: mode 1 plays sequence 0, mode 2 sequence 1, mode 3
  // sequence 0 backwards; a sequence is switched only when the wanted number
  // differs from the current one. The player then advances by ms.
  bool Update(unsigned ms, int mode) override;
  // The character mesh through the geometry pipeline; always true.
  bool Draw() override;
  // Lays out a string; null counts as empty.
  virtual bool SetText(const char* s) = 0;

  // The string shown without anything a subclass adds; "" when none.
  const char* String() const { return text ? text.get() : ""; }

  std::unique_ptr<char[]> text;  // owned copy with 10 bytes to spare; null while none
  Font* font = nullptr;          // into g_Fonts
  // The character mesh of UiStaticText: 4 corners, 6 attribute records and
  // 6 indices per character.
  std::unique_ptr<Vector3[]> positions;
  std::unique_ptr<VertexAttribute[]> attributes;
  std::unique_ptr<std::uint16_t[]> indices;
  ScreenVertex* output = nullptr;  // the pipeline's buffer, set at each draw; not owned
  std::uint16_t vertexCount = 0;
  std::uint16_t outputCount = 0;
  std::uint16_t indexCount = 0;
  MeshAnimation animation;
  AnimationPlayer player;
  float originX = 0.0f;
  float originY = 0.0f;
  float originZ = 0.0f;
  float sizeX = 0.0f;  // UiStaticText: advance per character
  float sizeY = 0.0f;  // UiStaticText: character height
  float sizeZ = 0.0f;
  float colourR = 1.0f;
  float colourG = 1.0f;
  float colourB = 1.0f;
  std::uint8_t animated = 0;  // the animation drives the text

 protected:
  // Calls SetText with a copy of the current string.
  void LayOutAgain();
};
