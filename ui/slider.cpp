#include "ui/slider.h"

#include <cmath>
#include <new>

#include "engine/archive.h"
#include "engine/cd_audio.h"
#include "engine/cursor.h"
#include "engine/data_reader.h"
#include "engine/display.h"
#include "engine/game_settings.h"
#include "engine/mixer.h"
#include "engine/services/front_end.h"
#include "engine/sound_sample.h"
#include "engine/system.h"
#include "engine/text_database.h"
#include "platform/win32/window.h"
#include "ui/widget_io.h"

using ui_internal::ReportError;

namespace {

// Item texts that differ by skill class: 11 per class.
constexpr std::uint32_t kFirstSkillText = 857;
constexpr std::uint32_t kLastSkillText = 867;
constexpr std::uint32_t kSkillTextStride = 11;

void SetLineVolume(MixerLineKind kind, int volume) {
  if (MixerLine* line = g_Mixer.Line(kind)) line->SetVolume(volume);
}

void SetTextAgain(StaticText* label) {
  char copy[SLIDER_ITEM_SIZE];
  ui_internal::CopyTruncated(copy, sizeof copy, label->String());
  label->SetText(copy);
}

}  // namespace

Slider::Slider() = default;

Slider::~Slider() = default;

int Slider::ThumbHalfWidth() const {
  return (static_cast<int>(thumb.x + thumb.w) - static_cast<int>(thumb.x)) / 2;
}

int Slider::ThumbHalfHeight() const {
  return (static_cast<int>(thumb.y + thumb.h) - static_cast<int>(thumb.y)) / 2;
}

void Slider::ComputeStep() {
  step = static_cast<float>((right - left) - ThumbHalfWidth()) / static_cast<float>(itemCount - 1);
}

bool Slider::Load(const char* path) {
  ArchiveFile file;
  if (!OpenDataFile(path, &file)) {
    ReportError(ui_internal::SLIDER_ERROR);
    return false;
  }
  DataReader r(&file);
  auto fail = [&file](bool report) {
    if (report) ReportError(ui_internal::SLIDER_ERROR);
    file.Close();
    return false;
  };
  std::uint16_t count = 0;
  // The step divides by count - 1: fewer than two items are refused.
  if (!r.U16(&count) || count < 2 || count > SLIDER_MAX_ITEMS || count * std::uint64_t{4} > r.Remaining())
    return fail(true);
  items.reset(new (std::nothrow) char[SLIDER_ITEM_SIZE * count]);
  if (!items) return fail(false);
  for (std::uint16_t i = 0; i < count; ++i) {
    std::uint32_t id = 0;
    if (!r.U32(&id)) {
      items.reset();
      return fail(true);
    }
    if (id >= kFirstSkillText && id <= kLastSkillText) id += g_GameSkill * kSkillTextStride;
    ui_internal::CopyTruncated(items.get() + SLIDER_ITEM_SIZE * i, SLIDER_ITEM_SIZE, g_TextDatabase.Text(id));
  }
  itemCount = count;
  float box[4];
  for (float& v : box) {
    if (!r.F32(&v)) return fail(true);
  }
  left = static_cast<std::int32_t>(box[0]);
  top = static_cast<std::int32_t>(box[1]);
  right = static_cast<std::int32_t>(box[2]);
  bottom = static_cast<std::int32_t>(box[3]);
  if (!track.ReadBody(&r, ui_internal::SLIDER_ERROR) || !thumb.ReadBody(&r, ui_internal::SLIDER_ERROR) ||
      !caption.LoadFromStream(&file) || !valueLabel.LoadFromStream(&file))
    return fail(false);
  valueLabel.SetText(Item(0));
  if (!r.Bytes(layers, 4) || !r.U16(&settingId) || !r.U16(&variant) || !r.U16(&spareWord) ||
      !r.String(spareString, sizeof spareString))
    return fail(true);
  ComputeStep();
  file.Close();
  return true;
}

void Slider::PlaceThumb() {
  const int halfW = ThumbHalfWidth();
  const int halfH = ThumbHalfHeight();
  const float tx = static_cast<float>(value) * step + static_cast<float>(left) - static_cast<float>(halfW);
  const int ty = (bottom - top) / 2 + top - halfH;
  thumb.SetPosition(tx, static_cast<float>(ty), 0.0f);
  thumb.BuildQuad();
}

void Slider::SetValue(std::uint16_t i) {
  if (i >= itemCount) return;
  value = i;
  valueLabel.SetText(Item(i));
  PlaceThumb();
}

void Slider::SetPosition(float px, float py, float pz) {
  const float oldX = std::trunc(track.x);
  const float oldY = std::trunc(track.y);
  const int dx = static_cast<int>(px) - static_cast<int>(track.x);
  const int dy = static_cast<int>(py) - static_cast<int>(track.y);
  left += dx;
  right += dx;
  top += dy;
  bottom += dy;
  track.SetPosition(px, py, pz);
  caption.SetPosition(px + (std::trunc(caption.originX) - oldX), py + (std::trunc(caption.originY) - oldY), pz);
  valueLabel.SetPosition(px + (std::trunc(valueLabel.originX) - oldX), py + (std::trunc(valueLabel.originY) - oldY),
                         pz);
  track.BuildQuad();
  SetTextAgain(&caption);
  SetValue(value);
  if (itemCount >= 2) ComputeStep();
}

void Slider::SetDragging(std::uint8_t on) {
  dragging = on;
  if (on) {
    const int line = top + ThumbHalfHeight();
    g_Cursor.SetClipRect(left, line, right - 1, line, false);
  } else {
    g_Cursor.SetClipRect(0, 0, static_cast<int>(g_ScreenWidth) - 1, static_cast<int>(g_ScreenHeight) - 1, true);
  }
}

void Slider::OnMouseUp(UINT msg, WPARAM, LPARAM) {
  if (msg != WM_LBUTTONUP) return;
  dragging = 0;
  g_Cursor.SetClipRect(0, 0, static_cast<int>(g_ScreenWidth) - 1, static_cast<int>(g_ScreenHeight) - 1, true);
}

bool Slider::Update(unsigned ms, int mode) {
  thumb.state = dragging ? Button::PRESSED : Button::NORMAL;
  track.Update(ms, mode);
  thumb.Update(ms, mode);
  caption.Update(ms, mode);
  valueLabel.Update(ms, mode);
  if (dragging && g_Cursor.IsMousePresent()) {
    Vector3 p;
    g_Cursor.GetPosition(&p);
    const int cx = static_cast<int>(p.x);
    g_Cursor.SetPosition(cx, top + ThumbHalfHeight());
    const int thumbWidth = static_cast<int>(thumb.x + thumb.w) - static_cast<int>(thumb.x);
    float q = (static_cast<float>(cx - left) + static_cast<float>(thumbWidth) * 0.5f) / step;
    // A pointer left of the track or a track too short for its thumb would
    // give an index no u16 holds.
    if (!(q >= 0.0f)) q = 0.0f;
    if (q > 65535.0f) q = 65535.0f;
    const std::uint16_t v = static_cast<std::uint16_t>(q);
    const std::uint16_t old = value;
    if (std::fabs(static_cast<float>(v) - static_cast<float>(value)) >= 0.5f) {
      SetValue(v);
      if (v != old) Apply();
    }
  }
  return true;
}

void Slider::Apply() {
  switch (settingId) {
    case SLIDER_MUSIC_VOLUME:
    case SLIDER_MUSIC_VOLUME_2:
      SetLineVolume(MIXER_LINE_CD, value * 10);
      SetLineVolume(MIXER_LINE_DIGITAL, value * 10);
      SetLineVolume(MIXER_LINE_AUX, value * 10);
      if (value > 0) {
        if (g_CdAudio.state == CDAUDIO_NO_DEVICE || g_CdAudio.state == CDAUDIO_CLOSED) g_CdAudio.Open();
        if (g_CdAudio.state != CDAUDIO_PLAYING) g_CdAudio.Play();
      } else {
        if (g_CdAudio.state == CDAUDIO_PLAYING) g_CdAudio.Stop();
        if (g_CdAudio.state != CDAUDIO_NO_DEVICE && g_CdAudio.state != CDAUDIO_CLOSED) g_CdAudio.Close();
      }
      break;
    case SLIDER_EFFECTS_VOLUME:
    case SLIDER_EFFECTS_VOLUME_2:
      SetLineVolume(MIXER_LINE_WAVE, value * 10);
      SetLineVolume(MIXER_LINE_SYNTH, value * 10);
      g_SoundMuted = value == 0;
      break;
    case SLIDER_SKILL: FrontEndCommand(CMD_SET_SKILL, value, 0, nullptr); break;
    case SLIDER_RACE_LENGTH:
    case SLIDER_RACE_LENGTH_2:
      g_RaceLengthRecord = {};
      g_RaceLengthMinutes = static_cast<std::uint16_t>(value * 2 + 2);
      g_RaceLengthRecord.milliseconds = static_cast<std::uint32_t>(g_RaceLengthMinutes) * 60000u;
      break;
    case SLIDER_SETUP_VALUE: FrontEndCommand(CMD_SET_SETUP_VALUE, variant, 0, nullptr); break;
    case SLIDER_RIDER_COUNT: FrontEndCommand(CMD_SET_RIDER_COUNT, value + 8u, 0, nullptr); break;
    default: break;
  }
}

bool Slider::Draw() {
  for (std::uint8_t pass = 0; pass < 3; ++pass) {
    if (layers[0] == pass && !track.Draw()) return false;
    if (layers[1] == pass && !thumb.Draw()) return false;
    g_Renderer.SetAlphaBlendEnable(true);
    g_Renderer.SetTextureFilter(true);
    g_Renderer.SetSrcBlend(BLEND_ONE);
    g_Renderer.SetDestBlend(BLEND_ONE_MINUS_SRC_COLOUR);
    caption.SetAlpha(0.7f);
    valueLabel.SetAlpha(0.7f);
    if (layers[2] == pass && !caption.Draw()) return false;
    if (layers[3] == pass && !valueLabel.Draw()) return false;
  }
  g_Renderer.SetAlphaBlendEnable(false);
  g_Renderer.SetTextureFilter(false);
  return true;
}
