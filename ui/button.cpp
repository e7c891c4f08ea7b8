#include "ui/button.h"

#include <cmath>
#include <cstring>
#include <new>

#include "engine/archive.h"
#include "engine/cursor.h"
#include "engine/data_reader.h"
#include "engine/game_settings.h"
#include "engine/scene/scene.h"
#include "engine/services/front_end.h"
#include "engine/sound_sample.h"
#include "engine/system.h"
#include "ui/widget_io.h"

using ui_internal::ReportError;
using ui_internal::SnapToSixteenth;

namespace {

constexpr std::uint8_t kSlotHighlight = 0;
constexpr std::uint8_t kSlotPress = 1;
constexpr DWORD kStatusPlaying = 1;

bool IsPlaying(SoundSample* s) {
  DWORD status = 0;
  s->GetStatus(&status);
  return (status & kStatusPlaying) != 0;
}

void StopIfPlaying(SoundSample* s) {
  if (s && IsPlaying(s)) s->Stop();
}

// Moves a label by the button's move, from its origin truncated.
void MoveLabel(StaticText* label, float oldX, float oldY, float x, float y, float z) {
  label->SetPosition(std::trunc(label->originX) - oldX + x, std::trunc(label->originY) - oldY + y, z);
}

void SetTextAgain(StaticText* label) {
  char copy[256];
  ui_internal::CopyTruncated(copy, sizeof copy, label->String());
  label->SetText(copy);
}

}  // namespace

Button::Button() = default;

Button::~Button() {
  StopIfPlaying(Sound(kSlotHighlight));
  StopIfPlaying(Sound(kSlotPress));
  for (TextureSlot& t : textures) {
    if (t != 0) g_TextureManager.Free(t);
    t = 0;
  }
}

SoundSample* Button::Sound(std::size_t slot) const { return slot < sounds.size() ? sounds[slot] : nullptr; }

float Button::TooltipEnd() const {
  return static_cast<float>(tooltip.lineCount) * TOOLTIP_SECONDS_PER_LINE + TOOLTIP_DELAY_SECONDS;
}

std::uint8_t Button::StartState() const {
  return highlightedAtStart && !g_Cursor.IsMousePresent() ? HIGHLIGHTED : NORMAL;
}

bool Button::Load(const char* path) {
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) {
    ReportError(ui_internal::BUTTON_ERROR);
    return false;
  }
  const bool ok = LoadFromStream(&file);
  file.Close();
  return ok;
}

bool Button::LoadFromStream(Stream* stream) {
  DataReader r(stream);
  return ReadBody(&r, ui_internal::BUTTON_ERROR);
}

bool Button::ReadBody(DataReader* r, const char* fileError) {
  for (TextureSlot& slot : textures) {
    char name[ui_internal::PATH_SIZE];
    if (!r->String(name, ui_internal::PATH_SIZE)) {
      ReportError(fileError);
      return false;
    }
    // Practice and qualifying show the other variant of the race plate.
    if ((g_RaceType == 1 || g_RaceType == 2) && ui_internal::SameTextIgnoringCase(name, "DATA\\TRACK\\_OSTXT4.TEX"))
      ui_internal::CopyTruncated(name, sizeof name, "DATA\\TRACK\\_OSTXT41.TEX");
    if (!g_TextureManager.Load(name, &slot, 8)) return false;
  }
  std::uint8_t flags[6];
  float values[12];
  bool ok = r->Bytes(flags, 6);
  for (float& v : values) ok = ok && r->F32(&v);
  if (!ok) {
    ReportError(fileError);
    return false;
  }
  blend = flags[0];
  highlightedAtStart = flags[1];
  state = StartState();
  toggle = flags[2];
  hasTooltip = flags[3];
  hasCaption = flags[4];
  radio = flags[5];
  SetPosition(values[0], values[1], values[2]);
  SetScale(values[3], values[4], 0.0f);
  colourR = values[5];
  colourG = values[6];
  colourB = values[7];
  uLeft = values[8];
  uRight = values[9];
  vTop = values[10];
  vBottom = values[11];
  std::uint8_t spare = 0;
  if (hasTooltip) {
    if (!r->U8(&spare)) {
      ReportError(fileError);
      return false;
    }
    if (!tooltip.LoadLines(r, fileError)) return false;
  }
  if (hasCaption || toggle) {
    if (!r->U8(&spare)) {
      ReportError(fileError);
      return false;
    }
    if (hasCaption && !caption.LoadFromStream(r->stream())) return false;
    if (toggle && (!offLabel.LoadFromStream(r->stream()) || !onLabel.LoadFromStream(r->stream()))) return false;
  }
  if (!ui_internal::ReadSoundList(r, this, fileError)) return false;

  std::uint16_t count = 0;
  // An action holds at least its three words, a length and a NUL.
  if (!r->U8(&spare) || !r->U16(&count) || static_cast<std::uint64_t>(count) * 11 > r->Remaining()) {
    ReportError(fileError);
    return false;
  }
  actions.reset();
  actionCount = 0;
  if (count != 0) {
    actions.reset(new (std::nothrow) ButtonAction[count]);
    if (!actions) return false;
  }
  for (std::uint16_t i = 0; i < count; ++i) {
    ButtonAction& a = actions[i];
    if (!r->U16(&a.id) || !r->U16(&a.a1) || !r->U16(&a.a2) || !r->String(a.text, BUTTON_ACTION_TEXT_SIZE)) {
      actions.reset();
      ReportError(fileError);
      return false;
    }
  }
  actionCount = count;
  // A button whose quad cannot be built is refused rather than drawn from
  // vertices it does not have.
  return BuildQuad();
}

bool Button::BuildQuad() {
  if (!vertices) {
    vertices.reset(new (std::nothrow) ScreenVertex[6]);
    if (!vertices) return false;
  }
  vertexCount = 6;
  const float cx[6] = {x, x + w, x + w, x, x + w, x};
  const float cy[6] = {y, y, y + h, y, y + h, y + h};
  const float cu[6] = {uLeft, uRight, uRight, uLeft, uRight, uLeft};
  const float cv[6] = {vTop, vTop, vBottom, vTop, vBottom, vBottom};
  const std::uint32_t colour = PackColour(1.0f, colourR, colourG, colourB);
  const float s = g_TextureManager.sScale[textures[0]];
  const float t = g_TextureManager.tScale[textures[0]];
  for (int i = 0; i < 6; ++i) {
    ScreenVertex& v = vertices[i];
    std::memset(&v, 0, sizeof v);
    v.x = SnapToSixteenth(cx[i]);
    v.y = SnapToSixteenth(cy[i]);
    std::memcpy(&v.unused0, &z, sizeof z);
    v.colour = colour;
    v.z = 65535.0f;
    v.q = 1.0f;
    v.s = cu[i] * s;
    v.t = cv[i] * t;
  }
  if (hasCaption) SetTextAgain(&caption);
  if (toggle) {
    SetTextAgain(&offLabel);
    SetTextAgain(&onLabel);
  }
  return true;
}

void Button::SetPosition(float px, float py, float pz) {
  if (hasCaption) MoveLabel(&caption, x, y, px, py, pz);
  if (toggle) {
    MoveLabel(&offLabel, x, y, px, py, pz);
    MoveLabel(&onLabel, x, y, px, py, pz);
  }
  x = px;
  y = py;
  z = pz;
}

void Button::SetScale(float pw, float ph, float) {
  w = pw;
  h = ph;
}

bool Button::HitTest(float px, float py) const { return px >= x && py >= y && px <= x + w && py <= y + h; }

void Button::SetHighlight(std::uint8_t on, std::uint8_t silent) {
  if (!silent) {
    if (on == 1 && state != HIGHLIGHTED) {
      SoundSample* s = Sound(kSlotHighlight);
      if (s && !IsPlaying(s)) {
        s->SetVolume(0);
        s->Play(false);
      }
    } else {
      StopIfPlaying(Sound(kSlotHighlight));
      StopIfPlaying(Sound(kSlotPress));
    }
  }
  if (!(radio && state == PRESSED)) state = on != 0 ? HIGHLIGHTED : NORMAL;
  if (hasTooltip && on == 0) {
    if (tooltip.shown) tooltip.Hide();
    hoverTimer = 0.0f;
  }
}

void Button::SetToggle(bool on) {
  if (toggle) toggleState = on ? 1 : 0;
  if (radio) state = on ? PRESSED : NORMAL;
}

void Button::Press() {
  state = PRESSED;
  if (SoundSample* s = Sound(kSlotPress)) {
    DWORD status = 0;
    s->GetStatus(&status);
    if (status != kStatusPlaying) {
      s->SetVolume(0);
      s->Play(false);
    }
  }
  if (hasTooltip) {
    if (tooltip.shown) tooltip.Hide();
    // Past the showing window, so that the tooltip waits for a new hover.
    hoverTimer = static_cast<float>(tooltip.lineCount) * TOOLTIP_SECONDS_PER_LINE + 0.9f;
  }
  if (toggle) toggleState = toggleState ? 0 : 1;
  for (std::uint16_t i = 0; i < actionCount; ++i)
    FrontEndCommand(actions[i].id, actions[i].a1, actions[i].a2, actions[i].text);
}

bool Button::Update(unsigned ms, int mode) {
  if (state == PRESSED && !radio) {
    pressTimer += g_FrameTime;
    if (pressTimer >= BUTTON_PRESS_SECONDS) {
      state = HIGHLIGHTED;
      pressTimer = 0.0f;
    }
  }
  if (!hasTooltip) return true;
  if (state == HIGHLIGHTED) {
    hoverTimer += g_FrameTime;
    if (hoverTimer >= TooltipEnd()) {
      if (tooltip.shown) tooltip.Hide();
    } else if (hoverTimer >= TOOLTIP_DELAY_SECONDS && !tooltip.shown) {
      tooltip.ownerLeft = static_cast<std::uint16_t>(static_cast<int>(x));
      tooltip.ownerRight = static_cast<std::uint16_t>(static_cast<int>(x + w));
      tooltip.ownerTop = static_cast<std::uint16_t>(static_cast<int>(y));
      tooltip.ownerBottom = static_cast<std::uint16_t>(static_cast<int>(y + h));
      tooltip.Show();
    }
  }
  tooltip.Update(ms, mode);
  return true;
}

bool Button::Draw() {
  if (!vertices) return true;
  const TextureSlot texture = textures[state < 3 ? state : 0];
  const float s = g_TextureManager.sScale[texture];
  const float t = g_TextureManager.tScale[texture];
  const float cu[6] = {uLeft, uRight, uRight, uLeft, uRight, uLeft};
  const float cv[6] = {vTop, vTop, vBottom, vTop, vBottom, vBottom};
  for (int i = 0; i < 6; ++i) {
    vertices[i].s = cu[i] * s;
    vertices[i].t = cv[i] * t;
  }
  g_TextureManager.Select(texture);
  g_Renderer.SetTextureFilter(false);
  g_Renderer.SetAlphaBlendEnable(blend != 0);
  g_Renderer.DrawTriangles(static_cast<std::uint16_t>(vertexCount), vertices.get());
  g_Renderer.SetAlphaBlendEnable(true);
  g_Renderer.SetTextureFilter(true);
  g_Renderer.SetSrcBlend(BLEND_ONE);
  g_Renderer.SetDestBlend(BLEND_ONE_MINUS_SRC_COLOUR);
  if (hasCaption) {
    caption.SetAlpha(0.7f);
    if (!caption.Draw()) return false;
  }
  if (toggle) {
    StaticText& label = toggleState ? onLabel : offLabel;
    label.SetAlpha(0.7f);
    if (!label.Draw()) return false;
  }
  g_Renderer.SetAlphaBlendEnable(false);
  return true;
}

bool Button::DrawTooltip() {
  g_Renderer.SetZEnable(false);
  g_Renderer.SetZWriteEnable(false);
  if (hasTooltip && hoverTimer > TOOLTIP_DELAY_SECONDS && hoverTimer < TooltipEnd()) {
    if (!tooltip.Draw()) return false;
  }
  g_Renderer.SetZEnable(true);
  g_Renderer.SetZWriteEnable(true);
  return true;
}
