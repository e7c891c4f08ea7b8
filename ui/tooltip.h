// The help box of a button: a few lines of the text database on a grey,
// half-transparent panel, placed next to the pointer (or above the button
// without a mouse) inside the 640 x 480 layout. It grows out of its lower
// right corner in 0.3 s and shrinks back the same way. Always a member of a
// Button, which reads its lines and decides when it shows.
//
// Body inside a button file, little-endian: u16 line count, then that many
// u32 text ids.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/scene_object.h"
#include "ui/panel.h"
#include "ui/static_text.h"

class DataReader;

// More lines than any help box has are refused: each line loads a label file.
constexpr std::uint16_t TOOLTIP_MAX_LINES = 32;
constexpr float TOOLTIP_GROW_SECONDS = 0.3f;

class Tooltip : public SceneObject {
 public:
  Tooltip();
  ~Tooltip() override;

  // A tooltip is only read from its owner's stream.
  bool Load(const char*) override { return false; }
  // Steps the growth or shrinking by g_FrameTime (ms and mode go to the parts).
  bool Update(unsigned ms, int mode) override;
  bool Draw() override;

  // The body; a count the file cannot hold or above TOOLTIP_MAX_LINES shows
  // `fileError`.
  bool LoadLines(DataReader* r, const char* fileError);
  void Layout();
  // Nothing for a tooltip without lines.
  void Show();
  // The animation time is kept: a hide during the growth shrinks from there.
  void Hide();

  Panel background;
  std::unique_ptr<StaticText[]> lines;
  // The text of each line, 256 bytes apiece, so that a line can be laid out
  // again without copying its own string.
  std::unique_ptr<char[]> lineTexts;
  std::uint16_t lineCount = 0;
  std::uint16_t boxX = 0;
  std::uint16_t boxY = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::uint16_t ownerLeft = 0;
  std::uint16_t ownerRight = 0;
  std::uint16_t ownerTop = 0;
  std::uint16_t ownerBottom = 0;
  std::uint8_t shown = 0;
  std::uint8_t animating = 0;
  float animationTime = 0.0f;

 private:
  const char* LineText(std::uint16_t i) const { return lineTexts.get() + 256 * static_cast<std::size_t>(i); }
  // The first line's text height, truncated.
  int LineHeight() const;
  void SetLine(std::uint16_t i, float x, float y);
};
