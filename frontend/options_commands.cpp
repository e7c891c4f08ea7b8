// Options: the configuration load and save with their defaults and
// validation, the volumes, skill, toggles, race length, rider count and the
// options screen.
#include "frontend/options.h"

#include <algorithm>

#include "engine/app.h"
#include "engine/cd_audio.h"
#include "engine/game_settings.h"
#include "engine/mixer.h"
#include "engine/renderer.h"
#include "engine/sound_sample.h"
#include "engine/system.h"
#include "frontend/commands_internal.h"
#include "frontend/ui_scene.h"
#include "world/sky.h"

void SetRaceLengthMinutes(std::uint16_t minutes) {
  g_RaceLengthRecord = {};
  g_RaceLengthMinutes = minutes;
  g_RaceLengthRecord.milliseconds = static_cast<std::uint32_t>(minutes) * 60000u;
}

namespace {

std::uint8_t ReadBool(const char* name, std::uint8_t missing) {
  DWORD v = 0;
  if (!ReadRegistryDword(name, &v)) return missing;
  return v != 0 ? 1 : 0;
}

// The value when `valid` accepts it, else the default (also when missing).
template <typename Valid>
DWORD ReadChecked(const char* name, DWORD fallback, Valid valid) {
  DWORD v = 0;
  if (!ReadRegistryDword(name, &v) || !valid(v)) return fallback;
  return v;
}

int LineVolume(MixerLineKind kind) {
  MixerLine* line = g_Mixer.Line(kind);
  return line ? line->GetVolume() : 0;
}

void SetLineVolume(MixerLineKind kind, int volume) {
  if (MixerLine* line = g_Mixer.Line(kind)) line->SetVolume(volume);
}

// Saves a line's state in g_App for the exit, then enables it at `volume`.
void TakeOverLine(MixerLineKind kind, SavedMixerLine saved, int volume) {
  if (MixerLine* line = g_Mixer.Line(kind)) {
    g_App.savedMixerVolumes[saved] = static_cast<std::uint32_t>(line->GetVolume());
    g_App.savedMixerEnabled[saved] = line->IsEnabled() ? 1 : 0;
    line->SetEnabled(true);
    line->SetVolume(volume);
  }
}

void LoadOptions() {
  g_OptionWeather = ReadBool("Weather", 1);
  g_OptionFogDistance = ReadBool("FogDistance", 1);
  g_NoBudget = 1;
  g_OptionReplay = ReadBool("Replay", 1);
  g_OptionManualShift = ReadBool("ManualShift", 0);
  g_OptionDrawDistance = ReadBool("DrawDistance", 0);
  g_OptionFFEnable = ReadBool("FFEnable", 1);
  g_OptionMPH = ReadBool("MPH", 0);
  g_OptionRenderQuality = ReadBool("RenderQuality", 1);
  g_OptionPerspectiveCorrection = ReadBool("PerspectiveCorrection", 1);
  g_OptionFiltering = ReadBool("Filtering", 1);
  g_OptionLensflare = ReadBool("Lensflare", 1);
  g_OptionParticle = ReadBool("Particle", 1);
  g_OptionDamages = ReadBool("Damages", 1);
  g_OptionShadows = static_cast<std::uint8_t>(ReadChecked("Shadows", 3, [](DWORD v) { return v <= 3; }));
  g_RiderCount = ReadChecked("NumPlayers", 8, [](DWORD v) { return v >= 8 && v <= 20; });
  g_CameraType = ReadChecked("CameraType", 1, [](DWORD v) { return v <= 4; });
  SetRaceLengthMinutes(static_cast<std::uint16_t>(
      ReadChecked("MancheTime", 4, [](DWORD v) { return v % 2 == 0 && v >= 2 && v <= 40; })));
  g_GameSkill = static_cast<std::uint8_t>(ReadChecked("GameSkill", 1, [](DWORD v) { return v <= 2; }));
  g_OptionSkyEnable = ReadBool("SkyEnable", 1);

  TakeOverLine(MIXER_LINE_MASTER, SAVED_MIXER_MASTER, 80);
  const int music = static_cast<int>(ReadChecked("CDVolume", 40, [](DWORD v) { return v <= 100; }));
  TakeOverLine(MIXER_LINE_CD, SAVED_MIXER_CD, music);
  TakeOverLine(MIXER_LINE_DIGITAL, SAVED_MIXER_DIGITAL, music);
  TakeOverLine(MIXER_LINE_AUX, SAVED_MIXER_AUX, music);
  const int effects = static_cast<int>(ReadChecked("WaveVolume", 40, [](DWORD v) { return v <= 100; }));
  TakeOverLine(MIXER_LINE_WAVE, SAVED_MIXER_WAVE, effects);
  if (g_Mixer.Line(MIXER_LINE_WAVE) && LineVolume(MIXER_LINE_WAVE) == 0) g_SoundMuted = 1;
  TakeOverLine(MIXER_LINE_SYNTH, SAVED_MIXER_SYNTH, LineVolume(MIXER_LINE_WAVE));

  g_Language = ReadChecked("Language", 0, [](DWORD v) { return v < 8; });
}

void SaveOptions() {
  if (g_Mixer.IsOpen()) {
    const int music = std::max({LineVolume(MIXER_LINE_CD), LineVolume(MIXER_LINE_DIGITAL), LineVolume(MIXER_LINE_AUX)});
    WriteRegistryDword("CDVolume", static_cast<DWORD>(music));
    WriteRegistryDword("WaveVolume", static_cast<DWORD>(LineVolume(MIXER_LINE_WAVE)));
  }
  const auto flag = [](std::uint8_t v) -> DWORD { return v != 0 ? 1 : 0; };
  WriteRegistryDword("Weather", flag(g_OptionWeather));
  WriteRegistryDword("FogDistance", flag(g_OptionFogDistance));
  WriteRegistryDword("GameSkill", g_GameSkill);
  WriteRegistryDword("MancheTime", g_RaceLengthMinutes);
  WriteRegistryDword("Replay", flag(g_OptionReplay));
  WriteRegistryDword("ManualShift", flag(g_OptionManualShift));
  WriteRegistryDword("DrawDistance", flag(g_OptionDrawDistance));
  WriteRegistryDword("FFEnable", flag(g_OptionFFEnable));
  WriteRegistryDword("MPH", flag(g_OptionMPH));
  WriteRegistryDword("SkyEnable", flag(g_OptionSkyEnable));
  WriteRegistryDword("RenderQuality", flag(g_OptionRenderQuality));
  WriteRegistryDword("PerspectiveCorrection", flag(g_OptionPerspectiveCorrection));
  WriteRegistryDword("Filtering", flag(g_OptionFiltering));
  WriteRegistryDword("Shadows", g_OptionShadows);
  WriteRegistryDword("Damages", flag(g_OptionDamages));
  WriteRegistryDword("NumPlayers", g_RiderCount);
}

constexpr MixerLineKind kMusicLines[] = {MIXER_LINE_CD, MIXER_LINE_DIGITAL, MIXER_LINE_AUX};

void MusicUp(std::int32_t, std::int32_t, const char*) {
  for (MixerLineKind kind : kMusicLines) SetLineVolume(kind, std::min(LineVolume(kind) + 10, 100));
  if (g_CdAudio.state == CDAUDIO_NO_DEVICE || g_CdAudio.state == CDAUDIO_CLOSED) g_CdAudio.Open();
  if (g_CdAudio.state != CDAUDIO_PLAYING) g_CdAudio.Play();
}

void MusicDown(std::int32_t, std::int32_t, const char*) {
  for (MixerLineKind kind : kMusicLines) SetLineVolume(kind, std::max(LineVolume(kind) - 10, 0));
  for (MixerLineKind kind : kMusicLines) {
    if (LineVolume(kind) != 0) return;
  }
  if (g_CdAudio.state == CDAUDIO_PLAYING) g_CdAudio.Stop();
  g_CdAudio.Close();
}

void EffectsUp(std::int32_t, std::int32_t, const char*) {
  SetLineVolume(MIXER_LINE_WAVE, std::min(LineVolume(MIXER_LINE_WAVE) + 10, 100));
  SetLineVolume(MIXER_LINE_SYNTH, std::min(LineVolume(MIXER_LINE_SYNTH) + 10, 100));
  g_SoundMuted = 0;
}

void EffectsDown(std::int32_t, std::int32_t, const char*) {
  SetLineVolume(MIXER_LINE_WAVE, std::max(LineVolume(MIXER_LINE_WAVE) - 10, 0));
  SetLineVolume(MIXER_LINE_SYNTH, std::max(LineVolume(MIXER_LINE_SYNTH) - 10, 0));
  if (LineVolume(MIXER_LINE_WAVE) == 0) g_SoundMuted = 1;
}

void SetSkill(std::int32_t a1, std::int32_t, const char*) { g_GameSkill = static_cast<std::uint8_t>(a1); }

void SkillUp(std::int32_t, std::int32_t, const char*) {
  if (g_GameSkill < 2) ++g_GameSkill;
}

void SkillDown(std::int32_t, std::int32_t, const char*) {
  if (g_GameSkill == 1 || g_GameSkill == 2) --g_GameSkill;
}

void Toggle(std::uint8_t* option) { *option = *option == 0 ? 1 : 0; }

// a2 1 switches off, 2 on, anything else toggles.
void SetOrToggle(std::uint8_t* option, std::int32_t a2) {
  if (a2 == 1) {
    *option = 0;
  } else if (a2 == 2) {
    *option = 1;
  } else {
    Toggle(option);
  }
}

void ToggleOption(std::int32_t a1, std::int32_t a2, const char*) {
  switch (a1) {
    case 0: Toggle(&g_OptionWeather); break;
    case 1: Toggle(&g_OptionFogDistance); break;
    case 2: Toggle(&g_OptionManualShift); break;
    case 3: SetOrToggle(&g_OptionReplay, a2); break;
    case 4: Toggle(&g_OptionDrawDistance); break;
    case 5: Toggle(&g_OptionMPH); break;
    case 6: SetOrToggle(&g_OptionFFEnable, a2); break;
    case 7: Toggle(&g_OptionSkyEnable); break;
    case 8: Toggle(&g_NoBudget); break;
    case 9: Toggle(&g_OptionDamages); break;
    default: break;
  }
}

void RaceLengthUp(std::int32_t, std::int32_t, const char*) {
  if (g_RaceLengthMinutes + 2 <= 40) SetRaceLengthMinutes(static_cast<std::uint16_t>(g_RaceLengthMinutes + 2));
}

void RaceLengthDown(std::int32_t, std::int32_t, const char*) {
  if (g_RaceLengthMinutes >= 4) SetRaceLengthMinutes(static_cast<std::uint16_t>(g_RaceLengthMinutes - 2));
}

void SetRiderCount(std::int32_t a1, std::int32_t, const char*) {
  if (a1 >= 8 && a1 <= 20) g_RiderCount = static_cast<std::uint32_t>(a1);
}

void SetSlider(UiScene* scene, std::uint16_t i, int value) {
  if (i < scene->sliders.count && value >= 0) scene->sliders[i].SetValue(static_cast<std::uint16_t>(value));
}

void SetToggleButton(UiScene* scene, std::uint16_t i, bool on) {
  if (i < scene->buttons.count) scene->buttons[i].toggleState = on ? 1 : 0;
}

void ShowOptions(std::int32_t, std::int32_t, const char*) {
  UiScene* scene = CurrentUiScene();
  if (!scene) return;
  int music = LineVolume(MIXER_LINE_CD);
  if (LineVolume(MIXER_LINE_DIGITAL) > music) {
    music = LineVolume(MIXER_LINE_DIGITAL);
  } else if (LineVolume(MIXER_LINE_AUX) > music) {
    music = LineVolume(MIXER_LINE_AUX);
  }
  const int effects = LineVolume(MIXER_LINE_WAVE);
  SetSlider(scene, 2, music >= 10 ? music / 10 : 0);
  SetSlider(scene, 3, effects >= 10 ? effects / 10 : 0);
  SetSlider(scene, 1, g_RaceLengthMinutes / 2 - 1);
  SetSlider(scene, 0, g_GameSkill);
  SetSlider(scene, 4, static_cast<int>(g_RiderCount) - 8);
  SetToggleButton(scene, 10, g_OptionDamages != 0);
  SetToggleButton(scene, 8, g_OptionWeather != 0);
  SetToggleButton(scene, 6, g_OptionFogDistance == 0);
  SetToggleButton(scene, 3, g_OptionManualShift != 0);
  SetToggleButton(scene, 7, g_OptionDrawDistance == 0);
  SetToggleButton(scene, 9, g_OptionFFEnable != 0);
  SetToggleButton(scene, 4, g_OptionMPH != 0);
  SetToggleButton(scene, 5, g_OptionSkyEnable != 0);
}

void CommitSetting(std::int32_t, std::int32_t, const char*) {}

}  // namespace

// Commands 40 and 41 with a1 0; the set-up editor (a1 1 and 2) is the
// garage's.
void LoadOrSaveOptions(bool save) {
  if (save) {
    SaveOptions();
  } else {
    LoadOptions();
  }
}

void RegisterOptionsCommands(CommandTable* table) {
  table->handlers[CMD_MUSIC_VOLUME_UP] = MusicUp;
  table->handlers[CMD_MUSIC_VOLUME_DOWN] = MusicDown;
  table->handlers[CMD_EFFECTS_VOLUME_UP] = EffectsUp;
  table->handlers[CMD_EFFECTS_VOLUME_DOWN] = EffectsDown;
  table->handlers[CMD_SET_SKILL] = SetSkill;
  table->handlers[CMD_SHOW_OPTIONS] = ShowOptions;
  table->handlers[CMD_TOGGLE_OPTION] = ToggleOption;
  table->handlers[CMD_RACE_LENGTH_UP] = RaceLengthUp;
  table->handlers[CMD_RACE_LENGTH_DOWN] = RaceLengthDown;
  table->handlers[CMD_SKILL_UP] = SkillUp;
  table->handlers[CMD_SKILL_DOWN] = SkillDown;
  table->handlers[CMD_COMMIT_SETTING] = CommitSetting;
  table->handlers[CMD_SET_RIDER_COUNT] = SetRiderCount;
}
