// The options: configuration load with defaults and validation, the save's
// names, volumes and the CD, skill, toggles, race length and rider count.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/app.h"
#include "engine/cd_audio.h"
#include "engine/game_settings.h"
#include "engine/mixer.h"
#include "engine/renderer.h"
#include "engine/sound_sample.h"
#include "engine/system.h"
#include "frontend/game_controller.h"
#include "frontend/options.h"
#include "tests/frontend/front_end_fixture.h"

namespace {

class OptionsTest : public kelvtest::FrontEndTest {
 protected:
  static void Load() { g_GameController.Command(CMD_LOAD_OPTIONS, 0, 0, ""); }
  static int Volume(MixerLineKind kind) { return g_Mixer.Line(kind)->GetVolume(); }
  std::string RegistryText() const {
    std::ifstream in(Host("registry.txt"));
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

TEST_F(OptionsTest, ValuesOutOfRangeLoadAsTheirDefaults) {
  const struct {
    const char* name;
    DWORD stored;
    std::uint32_t loaded;
    std::uint32_t (*read)();
  } cases[] = {
      {"MancheTime", 41, 4, [] { return std::uint32_t{g_RaceLengthMinutes}; }},
      {"MancheTime", 1, 4, [] { return std::uint32_t{g_RaceLengthMinutes}; }},
      {"MancheTime", 7, 4, [] { return std::uint32_t{g_RaceLengthMinutes}; }},
      {"MancheTime", 40, 40, [] { return std::uint32_t{g_RaceLengthMinutes}; }},
      {"MancheTime", 2, 2, [] { return std::uint32_t{g_RaceLengthMinutes}; }},
      {"NumPlayers", 21, 8, [] { return g_RiderCount; }},
      {"NumPlayers", 7, 8, [] { return g_RiderCount; }},
      {"NumPlayers", 20, 20, [] { return g_RiderCount; }},
      {"Shadows", 4, 3, [] { return std::uint32_t{g_OptionShadows}; }},
      {"Shadows", 2, 2, [] { return std::uint32_t{g_OptionShadows}; }},
      {"GameSkill", 3, 1, [] { return std::uint32_t{g_GameSkill}; }},
      {"GameSkill", 2, 2, [] { return std::uint32_t{g_GameSkill}; }},
      {"Language", 8, 0, [] { return g_Language; }},
      {"Language", 7, 7, [] { return g_Language; }},
      {"CameraType", 5, 1, [] { return g_CameraType; }},
      {"CameraType", 4, 4, [] { return g_CameraType; }},
      {"CDVolume", 101, 40, [] { return static_cast<std::uint32_t>(Volume(MIXER_LINE_CD)); }},
      {"CDVolume", 100, 100, [] { return static_cast<std::uint32_t>(Volume(MIXER_LINE_AUX)); }},
      {"WaveVolume", 250, 40, [] { return static_cast<std::uint32_t>(Volume(MIXER_LINE_WAVE)); }},
      {"Weather", 0, 0, [] { return std::uint32_t{g_OptionWeather}; }},
      {"Weather", 5, 1, [] { return std::uint32_t{g_OptionWeather}; }},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteRegistryDword(c.name, c.stored));
    Load();
    EXPECT_EQ(c.read(), c.loaded) << c.name << " " << c.stored;
  }
  EXPECT_EQ(g_RaceLengthRecord.milliseconds, 2u * 60000u);
  EXPECT_EQ(g_NoBudget, 1);
}

TEST_F(OptionsTest, AnEmptyConfigurationGivesTheDefaults) {
  g_OptionReplay = 0;
  g_OptionManualShift = 1;
  Load();
  EXPECT_EQ(g_OptionReplay, 1);
  EXPECT_EQ(g_OptionManualShift, 0);
  EXPECT_EQ(g_OptionShadows, 3);
  EXPECT_EQ(g_RiderCount, 8u);
  EXPECT_EQ(g_RaceLengthMinutes, 4);
  EXPECT_EQ(g_GameSkill, 1);
  EXPECT_EQ(Volume(MIXER_LINE_MASTER), 80);
  EXPECT_EQ(Volume(MIXER_LINE_DIGITAL), 40);
  EXPECT_EQ(Volume(MIXER_LINE_SYNTH), 40);
}

TEST_F(OptionsTest, TheSaveWritesExactlyItsNamesInOrder) {
  Load();
  g_GameController.Command(CMD_SAVE_OPTIONS, 0, 0, "");
  const std::string text = RegistryText();
  const std::vector<std::string> written = {
      "CDVolume", "WaveVolume", "Weather",     "FogDistance", "GameSkill",  "MancheTime",
      "Replay",   "ManualShift", "DrawDistance", "FFEnable",  "MPH",        "SkyEnable",
      "RenderQuality", "PerspectiveCorrection", "Filtering", "Shadows", "Damages", "NumPlayers"};
  std::size_t at = 0;
  for (const std::string& name : written) {
    const std::size_t found = text.find("\"" + name + "\"=");
    ASSERT_NE(found, std::string::npos) << name;
    EXPECT_GE(found, at) << name << " out of order";
    at = found;
  }
  for (const char* never : {"Lensflare", "Particle", "CameraType", "Language"})
    EXPECT_EQ(text.find(std::string("\"") + never + "\""), std::string::npos) << never;
}

TEST_F(OptionsTest, OptionsSurviveASaveAndALoad) {
  Load();
  g_GameController.Command(CMD_TOGGLE_OPTION, 2, 0, "NULL");
  g_GameController.Command(CMD_RACE_LENGTH_UP, 0, 0, "NULL");
  g_GameController.Command(CMD_SET_RIDER_COUNT, 14, 0, "NULL");
  g_GameController.Command(CMD_SKILL_DOWN, 0, 0, "NULL");
  g_GameController.Command(CMD_SAVE_OPTIONS, 0, 0, "");
  g_OptionManualShift = 0;
  g_RaceLengthMinutes = 2;
  g_RiderCount = 8;
  g_GameSkill = 2;
  Load();
  EXPECT_EQ(g_OptionManualShift, 1);
  EXPECT_EQ(g_RaceLengthMinutes, 6);
  EXPECT_EQ(g_RiderCount, 14u);
  EXPECT_EQ(g_GameSkill, 0);
}

TEST_F(OptionsTest, MusicDownToZeroClosesTheCdAndUpOpensAndPlaysIt) {
  Load();
  for (MixerLineKind kind : {MIXER_LINE_CD, MIXER_LINE_DIGITAL, MIXER_LINE_AUX}) g_Mixer.Line(kind)->SetVolume(5);
  g_CdAudio.track = 2;
  g_CdAudio.Open();
  g_CdAudio.Play();
  ASSERT_EQ(g_CdAudio.state, CDAUDIO_PLAYING);
  g_GameController.Command(CMD_MUSIC_VOLUME_DOWN, 0, 0, "NULL");
  EXPECT_EQ(Volume(MIXER_LINE_CD), 0);
  EXPECT_EQ(g_CdAudio.state, CDAUDIO_CLOSED);
  g_GameController.Command(CMD_MUSIC_VOLUME_UP, 0, 0, "NULL");
  EXPECT_EQ(Volume(MIXER_LINE_AUX), 10);
  EXPECT_EQ(g_CdAudio.state, CDAUDIO_PLAYING);
}

TEST_F(OptionsTest, EffectsAtZeroMuteAndAboveUnmute) {
  Load();
  g_Mixer.Line(MIXER_LINE_WAVE)->SetVolume(10);
  g_GameController.Command(CMD_EFFECTS_VOLUME_DOWN, 0, 0, "NULL");
  EXPECT_EQ(g_SoundMuted, 1);
  g_GameController.Command(CMD_EFFECTS_VOLUME_UP, 0, 0, "NULL");
  EXPECT_EQ(g_SoundMuted, 0);
  EXPECT_EQ(Volume(MIXER_LINE_WAVE), 10);
}

TEST_F(OptionsTest, SkillRaceLengthRiderCountAndTogglesStayInRange) {
  g_GameSkill = 2;
  g_GameController.Command(CMD_SKILL_UP, 0, 0, "NULL");
  EXPECT_EQ(g_GameSkill, 2);
  g_GameSkill = 0;
  g_GameController.Command(CMD_SKILL_DOWN, 0, 0, "NULL");
  EXPECT_EQ(g_GameSkill, 0);
  SetRaceLengthMinutes(40);
  g_GameController.Command(CMD_RACE_LENGTH_UP, 0, 0, "NULL");
  EXPECT_EQ(g_RaceLengthMinutes, 40);
  SetRaceLengthMinutes(2);
  g_GameController.Command(CMD_RACE_LENGTH_DOWN, 0, 0, "NULL");
  EXPECT_EQ(g_RaceLengthMinutes, 2);
  g_RiderCount = 10;
  for (std::int32_t n : {7, 21, -3}) g_GameController.Command(CMD_SET_RIDER_COUNT, n, 0, "NULL");
  EXPECT_EQ(g_RiderCount, 10u);
  g_OptionReplay = 1;
  g_GameController.Command(CMD_TOGGLE_OPTION, 3, 2, "NULL");
  EXPECT_EQ(g_OptionReplay, 1) << "a2 2 turns replays on even when they are on";
  g_GameController.Command(CMD_TOGGLE_OPTION, 3, 0, "NULL");
  EXPECT_EQ(g_OptionReplay, 0);
}

TEST_F(OptionsTest, TheOptionsScreenShowsTheOptions) {
  Load();
  MakeScene(5, 21, 11, 1);
  g_Mixer.Line(MIXER_LINE_DIGITAL)->SetVolume(70);
  g_GameSkill = 2;
  SetRaceLengthMinutes(10);
  g_RiderCount = 13;
  g_OptionFogDistance = 0;
  g_GameController.Command(CMD_SHOW_OPTIONS, 0, 0, "NULL");
  EXPECT_EQ(Slider(0), 2);
  EXPECT_EQ(Slider(1), 4);
  EXPECT_EQ(Slider(2), 7);
  EXPECT_EQ(Slider(3), 4);
  EXPECT_EQ(Slider(4), 5);
  EXPECT_EQ(g_GameController.uiScene->buttons[6].toggleState, 1);
}

}  // namespace
