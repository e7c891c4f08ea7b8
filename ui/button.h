// The push button of menus and dialogs: a textured quad with one texture per
// state (normal, highlighted, pressed), an optional caption, an optional
// pair of labels for an on/off toggle, an optional tooltip, a highlight and
// a press sound, and the commands it runs through the game controller when
// pressed. Its rectangle is in screen pixels from the top-left corner.
//
// File, little-endian (str = u32 n with the NUL, n bytes): str normal,
// highlighted and pressed textures; u8 blend, highlighted at start, toggle,
// has tooltip, has caption, radio; 3 x f32 position, 2 x f32 size, 3 x f32
// colour, 4 x f32 uLeft, uRight, vTop, vBottom; with a tooltip u8 spare and
// its body; with a caption or toggle u8 spare, the caption body (when it has
// one), then the off and on label bodies (when a toggle); u8 spare, u8 sound
// count and per sound {u8 slot, str path}; u8 spare, u16 action count and
// per action {u16 id, u16 a1, u16 a2, str text of at most 256 bytes}.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/renderer.h"
#include "engine/scene_object.h"
#include "engine/texture_manager.h"
#include "ui/static_text.h"
#include "ui/tooltip.h"

class DataReader;
class Stream;
struct SoundSample;

constexpr std::uint32_t BUTTON_ACTION_TEXT_SIZE = 256;
// Seconds a non-radio button shows its pressed texture.
constexpr float BUTTON_PRESS_SECONDS = 0.15f;
// Seconds of hovering before the tooltip shows, and per line it stays.
constexpr float TOOLTIP_DELAY_SECONDS = 0.8f;
constexpr float TOOLTIP_SECONDS_PER_LINE = 1.7f;

struct ButtonAction {
  std::uint16_t id;
  std::uint16_t a1;
  std::uint16_t a2;
  char text[BUTTON_ACTION_TEXT_SIZE];
};

class Button : public SceneObject {
 public:
  enum State : std::uint8_t { NORMAL = 0, HIGHLIGHTED = 1, PRESSED = 2 };

  Button();
  ~Button() override;

  // Moves the labels with the button; the quad follows at the next BuildQuad.
  void SetPosition(float x, float y, float z) override;
  // Stores w and h.
  void SetScale(float w, float h, float d) override;
  bool Load(const char* path) override;
  bool Update(unsigned ms, int mode) override;
  // Nothing is drawn for a button without vertices.
  bool Draw() override;
  bool LoadFromStream(Stream* stream);
  // The body from a reader that knows where the file ends.
  bool ReadBody(DataReader* r, const char* fileError);

  bool BuildQuad();
  // Edges included.
  bool HitTest(float px, float py) const;
  void SetHighlight(std::uint8_t on, std::uint8_t silent);
  // A toggle button's toggle state, a radio button's display state
  // (pressed when on); a button that is both gets both.
  void SetToggle(bool on);
  void Press();
  bool DrawTooltip();
  // The state a button starts in: highlighted when its flag says so and no
  // mouse is present.
  std::uint8_t StartState() const;

  std::unique_ptr<ScreenVertex[]> vertices;
  std::uint32_t vertexCount = 0;
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 0.0f;
  float h = 0.0f;
  float colourR = 0.0f;
  float colourG = 0.0f;
  float colourB = 0.0f;
  float uLeft = 0.0f;
  float uRight = 0.0f;
  float vTop = 0.0f;
  float vBottom = 0.0f;
  TextureSlot textures[3] = {};
  std::uint8_t state = NORMAL;
  std::uint8_t toggleState = 0;
  std::uint8_t highlightedAtStart = 0;
  std::uint8_t blend = 0;
  std::uint8_t hasTooltip = 0;
  std::uint8_t toggle = 0;
  std::uint8_t hasCaption = 0;
  std::uint8_t radio = 0;
  float pressTimer = 0.0f;
  float hoverTimer = 0.0f;
  std::uint16_t actionCount = 0;
  std::unique_ptr<ButtonAction[]> actions;
  StaticText caption;
  StaticText offLabel;
  StaticText onLabel;
  Tooltip tooltip;

 private:
  // The sample of a slot, or null when the file gave fewer sounds.
  SoundSample* Sound(std::size_t slot) const;
  float TooltipEnd() const;
};
