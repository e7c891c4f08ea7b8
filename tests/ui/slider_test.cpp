#include "ui/slider.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/cd_audio.h"
#include "engine/cursor.h"
#include "engine/game_settings.h"
#include "engine/mixer.h"
#include "engine/program_objects.h"
#include "engine/sound_sample.h"
#include "platform/mci/mci.h"
#include "platform/win32/msgbox.h"
#include "platform/win32/window.h"
#include "tests/ui/widget_fixture.h"
#include "tools/scene_build.h"

namespace {

using kelvtest::RecordedCommand;

const char kSliderError[] = "File error opening slider data.\nPlease reinstall Kelvarro.";

// Text n of the database is "tn", up to the last skill texts.
std::vector<std::string> NumberedTexts() {
  std::vector<std::string> texts;
  for (int i = 0; i < 890; ++i) texts.push_back("t" + std::to_string(i));
  return texts;
}

class SliderTest : public kelvtest::WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    g_Cursor.SetClipRect(0, 0, 639, 479, true);
  }
  void TearDown() override {
    g_GameSkill = 0;
    g_RaceLengthRecord = {};
    g_SoundMuted = 0;
    if (mixerLines_) {
      delete[] g_Mixer.lines;
      g_Mixer.lines = nullptr;
    }
    WidgetTest::TearDown();
  }

  // Five items on a track from x 100 to 300 at y 200..220 with a 20 x 30
  // thumb: step (200 - 10) / 4 = 47.5 pixels.
  static kelvdata::SliderFile Five(std::uint16_t setting) {
    kelvdata::SliderFile f;
    f.items = {1, 2, 3, 4, 5};
    f.box[0] = 100.0f;
    f.box[1] = 200.0f;
    f.box[2] = 300.0f;
    f.box[3] = 220.0f;
    f.track = kelvtest::SampleButton(100.0f, 200.0f, 200.0f, 20.0f);
    f.thumb = kelvtest::SampleButton(90.0f, 195.0f, 20.0f, 30.0f);
    f.caption = kelvdata::TextAt(1, 100.0f, 180.0f);
    f.valueLabel = kelvdata::TextAt(1, 310.0f, 200.0f);
    f.settingId = setting;
    f.variant = 17;
    return f;
  }
  void LoadSlider(const kelvdata::SliderFile& f, Slider* s) {
    OpenWidgetArchives({{"S.SLD", kelvdata::BuildSlider(f)}}, NumberedTexts());
    ASSERT_TRUE(s->Load("DATA\\UI\\S.SLD"));
  }
  // The six mixer lines, all at volume 77.
  void UseMixerLines() {
    GetProgramObject(PROGRAM_OBJECT_MIXER).construct();
    g_Mixer.lines = new MixerLine[MIXER_LINE_COUNT];
    for (std::uint32_t k = 0; k < MIXER_LINE_COUNT; ++k) {
      g_Mixer.lines[k].kind = k;
      g_Mixer.lines[k].volume = 77;
    }
    mixerLines_ = true;
  }
  static std::uint32_t Volume(MixerLineKind k) { return g_Mixer.lines[k].volume; }

  bool mixerLines_ = false;
};

TEST_F(SliderTest, ItemTexts857To867MoveBy11PerSkillClass) {
  const struct {
    std::uint8_t skill;
    std::uint32_t id;
    const char* shown;
  } cases[] = {{0, 860, "t860"}, {1, 860, "t871"}, {2, 860, "t882"}, {2, 857, "t879"},
               {2, 867, "t889"}, {2, 856, "t856"}, {2, 868, "t868"}};
  for (const auto& c : cases) {
    g_GameSkill = c.skill;
    kelvdata::SliderFile f = Five(0);
    f.items = {c.id, 1};
    Slider s;
    LoadSlider(f, &s);
    EXPECT_STREQ(c.shown, s.Item(0)) << "skill " << int{c.skill} << " id " << c.id;
    EXPECT_STREQ(c.shown, s.valueLabel.String());
  }
}

TEST_F(SliderTest, SetValuePlacesTheThumbAndIgnoresIndicesPastTheList) {
  Slider s;
  LoadSlider(Five(0), &s);
  EXPECT_FLOAT_EQ(47.5f, s.step);
  s.SetValue(2);
  EXPECT_EQ(2, s.value);
  EXPECT_STREQ("t3", s.valueLabel.String());
  // x = 2 x 47.5 + 100 - 10; y = 20 / 2 + 200 - 15.
  EXPECT_FLOAT_EQ(185.0f, s.thumb.x);
  EXPECT_FLOAT_EQ(195.0f, s.thumb.y);
  EXPECT_FLOAT_EQ(185.0f, s.thumb.vertices[0].x);
  s.SetValue(5);
  EXPECT_EQ(2, s.value);
  EXPECT_FLOAT_EQ(185.0f, s.thumb.x);
}

TEST_F(SliderTest, MovingTheSliderKeepsItsPartsTogether) {
  Slider s;
  LoadSlider(Five(0), &s);
  s.SetValue(1);
  s.SetPosition(150.0f, 260.0f, 0.0f);
  EXPECT_EQ(150, s.left);
  EXPECT_EQ(350, s.right);
  EXPECT_EQ(260, s.top);
  EXPECT_FLOAT_EQ(150.0f, s.track.vertices[0].x);
  EXPECT_FLOAT_EQ(150.0f, s.caption.originX);
  EXPECT_FLOAT_EQ(240.0f, s.caption.originY);
  EXPECT_FLOAT_EQ(360.0f, s.valueLabel.originX);
  EXPECT_FLOAT_EQ(47.5f + 150.0f - 10.0f, s.thumb.x);
}

TEST_F(SliderTest, DraggingClipsThePointerToTheTrackLineAndPicksTheItemUnderIt) {
  UseMixerLines();
  Slider s;
  LoadSlider(Five(SLIDER_EFFECTS_VOLUME), &s);
  MouseAt(120, 100);
  s.SetDragging(1);
  // The line y = top + thumb half height, from left to right - 1.
  EXPECT_EQ(100, g_Cursor.clipLeft);
  EXPECT_EQ(299, g_Cursor.clipRight);
  EXPECT_EQ(215, g_Cursor.clipTop);
  EXPECT_EQ(215, g_Cursor.clipBottom);
  EXPECT_FALSE(g_Cursor.keepInside);
  // (120 - 100 + 10) / 47.5 is item 0: nothing changes.
  s.Update(16, 1);
  EXPECT_EQ(215, g_Cursor.y);
  EXPECT_EQ(0, s.value);
  EXPECT_EQ(Button::PRESSED, s.thumb.state);
  EXPECT_EQ(77u, Volume(MIXER_LINE_WAVE));
  // The far right of the track is the last item, applied at once.
  MouseAt(299, 215);
  s.Update(16, 1);
  EXPECT_EQ(4, s.value);
  EXPECT_EQ(40u, Volume(MIXER_LINE_WAVE));
  // Releasing the button anywhere ends the drag and frees the pointer.
  s.OnMouseUp(WM_MOUSEMOVE, 0, 0);
  EXPECT_TRUE(s.dragging);
  s.OnMouseUp(WM_LBUTTONUP, 0, 0);
  EXPECT_FALSE(s.dragging);
  EXPECT_EQ(0, g_Cursor.clipLeft);
  EXPECT_EQ(639, g_Cursor.clipRight);
  EXPECT_EQ(479, g_Cursor.clipBottom);
  EXPECT_TRUE(g_Cursor.keepInside);
  s.Update(16, 1);
  EXPECT_EQ(Button::NORMAL, s.thumb.state);
}

TEST_F(SliderTest, DraggingPastTheListEndAppliesTheCurrentValueAgain) {
  Slider s;
  kelvdata::SliderFile f = Five(SLIDER_RACE_LENGTH);
  // A short track: the far end is past the last item.
  f.box[2] = 150.0f;
  LoadSlider(f, &s);
  s.SetValue(1);
  MouseAt(400, 215);
  s.SetDragging(1);
  s.Update(16, 1);
  EXPECT_EQ(1, s.value);
  EXPECT_EQ(4, g_RaceLengthMinutes);
}

TEST_F(SliderTest, ApplySetsEachSetting) {
  UseMixerLines();
  Slider s;
  LoadSlider(Five(0), &s);
  s.SetValue(3);
  // Music: lines 1 to 3 at value x 10, the others untouched.
  s.settingId = SLIDER_MUSIC_VOLUME;
  s.Apply();
  EXPECT_EQ(30u, Volume(MIXER_LINE_CD));
  EXPECT_EQ(30u, Volume(MIXER_LINE_DIGITAL));
  EXPECT_EQ(30u, Volume(MIXER_LINE_AUX));
  EXPECT_EQ(77u, Volume(MIXER_LINE_WAVE));
  EXPECT_EQ(77u, Volume(MIXER_LINE_MASTER));
  // Effects: lines 4 and 5; silence mutes the samples.
  s.settingId = SLIDER_EFFECTS_VOLUME_2;
  s.Apply();
  EXPECT_EQ(30u, Volume(MIXER_LINE_WAVE));
  EXPECT_EQ(30u, Volume(MIXER_LINE_SYNTH));
  EXPECT_FALSE(g_SoundMuted);
  s.SetValue(0);
  s.Apply();
  EXPECT_EQ(0u, Volume(MIXER_LINE_SYNTH));
  EXPECT_TRUE(g_SoundMuted);
  // Race length: value 4 is 10 minutes; the other fields are cleared.
  g_RaceLengthRecord.before[1] = 9;
  g_RaceLengthRecord.after = 9;
  s.SetValue(4);
  s.settingId = SLIDER_RACE_LENGTH_2;
  s.Apply();
  EXPECT_EQ(10, g_RaceLengthMinutes);
  EXPECT_EQ(600000u, g_RaceLengthRecord.milliseconds);
  EXPECT_EQ(0, g_RaceLengthRecord.before[1]);
  EXPECT_EQ(0, g_RaceLengthRecord.after);
  // Commands: skill, the set-up value by variant, the rider count from 8.
  for (int id : std::initializer_list<int>{SLIDER_SKILL, SLIDER_SETUP_VALUE, SLIDER_RIDER_COUNT, 6}) {
    s.settingId = static_cast<std::uint16_t>(id);
    s.Apply();
  }
  const std::vector<RecordedCommand> expected = {
      {5, 4, 0, "(null)"}, {48, 17, 0, "(null)"}, {90, 12, 0, "(null)"}};
  EXPECT_EQ(expected, controller_.commands);
}

// The CD drive of the test backend, emptied again afterwards.
class SliderMusicTest : public SliderTest {
 protected:
  void SetUp() override {
    SliderTest::SetUp();
    platform::UseTestCd(true);
  }
  void TearDown() override {
    g_CdAudio.Shutdown();
    g_CdAudio.state = CDAUDIO_NO_DEVICE;
    g_CdAudio.track = 0;
    platform::UseTestCd(false);
    SliderTest::TearDown();
  }
  static int Count(UINT command) {
    int n = 0;
    for (const platform::MciCall& c : platform::RecordedMciCalls()) n += c.command == command;
    return n;
  }
};

TEST_F(SliderMusicTest, MusicOnAMachineWithoutCdOrMixerLinesIsSafe) {
  Slider s;
  LoadSlider(Five(SLIDER_MUSIC_VOLUME), &s);
  for (std::uint16_t v : {3, 0}) {
    s.SetValue(v);
    s.Apply();
  }
  EXPECT_EQ(CDAUDIO_NO_DEVICE, g_CdAudio.state);
  EXPECT_TRUE(controller_.commands.empty());
}

TEST_F(SliderMusicTest, MusicStartsTheCdOnceAndSilenceStopsAndClosesIt) {
  platform::InsertTestDisc({{false, 300}, {true, 150}, {true, 75}});
  g_CdAudio.track = 2;
  Slider s;
  LoadSlider(Five(SLIDER_MUSIC_VOLUME), &s);
  s.SetValue(3);
  s.Apply();
  EXPECT_EQ(CDAUDIO_PLAYING, g_CdAudio.state);
  // Louder while playing: the track goes on, it is not started again.
  s.SetValue(4);
  s.Apply();
  EXPECT_EQ(1, Count(MCI_OPEN));
  EXPECT_EQ(1, Count(MCI_PLAY));
  s.SetValue(0);
  s.Apply();
  EXPECT_EQ(CDAUDIO_CLOSED, g_CdAudio.state);
  EXPECT_EQ(1, Count(MCI_STOP));
  EXPECT_EQ(1, Count(MCI_CLOSE));
  // Music again after silence: the drive is opened anew.
  s.SetValue(2);
  s.Apply();
  EXPECT_EQ(CDAUDIO_PLAYING, g_CdAudio.state);
  EXPECT_EQ(2, Count(MCI_OPEN));
}

TEST_F(SliderTest, DamagedFilesAreRefusedWithTheSliderMessage) {
  struct Case {
    const char* what;
    kelvdata::Bytes bytes;
  };
  std::vector<Case> cases;
  for (int n : {0, 1}) {
    kelvdata::SliderFile f = Five(0);
    f.items.resize(static_cast<std::size_t>(n));
    cases.push_back({n ? "one item" : "no items", kelvdata::BuildSlider(f)});
  }
  kelvdata::SliderFile many = Five(0);
  many.itemCount = 30000;
  cases.push_back({"more items than bytes", kelvdata::BuildSlider(many)});
  const kelvdata::Bytes whole = kelvdata::BuildSlider(Five(0));
  cases.push_back({"cut in the spare string", kelvdata::Bytes(whole.begin(), whole.end() - 1)});
  for (const Case& c : cases) {
    OpenWidgetArchives({{"S.SLD", c.bytes}}, NumberedTexts());
    platform::ClearRecordedMessageBoxes();
    Slider s;
    EXPECT_FALSE(s.Load("DATA\\UI\\S.SLD")) << c.what;
    EXPECT_EQ(std::vector<std::string>{kSliderError}, Boxes()) << c.what;
  }
}

}  // namespace
