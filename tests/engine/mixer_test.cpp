// The mixer lines: the integer volume formulas against the line's bounds,
// the mute switches, a machine without a mixer, and what each line does to
// the program's own sound.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/cd_audio.h"
#include "engine/mixer.h"
#include "platform/dsound/dsound.h"
#include "platform/dsound/output.h"
#include "platform/mixer/mixer.h"
#include "tests/engine/program_fixture.h"

namespace {

using platform::TestMixerFailure;

constexpr DWORD kTypes[MIXER_LINE_COUNT] = {
    MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC,
    MIXERLINE_COMPONENTTYPE_SRC_DIGITAL,  MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY,
    MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT,  MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER,
};

class MixerTest : public kelvtest::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    platform::SetTestMixerPresent(true);
  }

  static DWORD Channel(MixerLineKind kind, int channel) {
    DWORD left = 0, right = 0;
    platform::MixerLineState(kTypes[kind], &left, &right, nullptr);
    return channel == 0 ? left : right;
  }
  static bool Muted(MixerLineKind kind) {
    bool muted = false;
    platform::MixerLineState(kTypes[kind], nullptr, nullptr, &muted);
    return muted;
  }
};

TEST_F(MixerTest, VolumeStepsFollowTheIntegerFormulasOfTheLineBounds) {
  const struct {
    DWORD min, max;
    int set;
    DWORD value;  // on every channel
    int get;
  } cases[] = {
      {0, 255, 33, 82, 32},  // 25 x 33 x 10 / 100 = 82; 82 x 100 / 250 = 32
      {0, 65535, 33, 21624, 32},
      {0, 65535, 100, 65530, 100},
      {0, 65535, 50, 32765, 50},
      {0, 65535, 0, 0, 0},
      {0, 255, 1, 2, 0},     // a step too small to read back
      {10, 255, 33, 89, 32},  // 10 + 24 x 33 x 10 / 100
      {0, 255, 150, 250, 100},  // beyond the range: as 100
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.min << ".." << c.max << " set " << c.set);
    // A fresh run: the lines keep the handle of the mixer's first opening.
    TearDown();
    SetUp();
    platform::SetTestMixerVolumeBounds(c.min, c.max);
    ASSERT_TRUE(g_Mixer.Open());
    for (std::uint32_t k = 0; k < MIXER_LINE_COUNT; ++k) {
      MixerLine* line = g_Mixer.Line(static_cast<MixerLineKind>(k));
      line->SetVolume(c.set);
      EXPECT_EQ(Channel(static_cast<MixerLineKind>(k), 0), c.value);
      EXPECT_EQ(Channel(static_cast<MixerLineKind>(k), 1), c.value);
      EXPECT_EQ(line->GetVolume(), c.get);
    }
  }
}

TEST_F(MixerTest, LinesStartAtFullVolumeUnmutedAndMuteOnTheirOwn) {
  ASSERT_TRUE(g_Mixer.Open());
  for (std::uint32_t k = 0; k < MIXER_LINE_COUNT; ++k) {
    MixerLine* line = g_Mixer.Line(static_cast<MixerLineKind>(k));
    EXPECT_EQ(line->kind, k);
    EXPECT_EQ(line->created, 1);
    EXPECT_EQ(line->GetVolume(), 100);
    EXPECT_TRUE(line->IsEnabled());
  }
  g_Mixer.Line(MIXER_LINE_WAVE)->SetEnabled(false);
  EXPECT_FALSE(g_Mixer.Line(MIXER_LINE_WAVE)->IsEnabled());
  EXPECT_TRUE(Muted(MIXER_LINE_WAVE));
  EXPECT_FALSE(Muted(MIXER_LINE_CD));
  g_Mixer.Line(MIXER_LINE_WAVE)->SetEnabled(true);
  EXPECT_TRUE(g_Mixer.Line(MIXER_LINE_WAVE)->IsEnabled());
}

TEST_F(MixerTest, WithoutAMixerTheLinesExistButDoNothing) {
  platform::SetTestMixerPresent(false);
  EXPECT_FALSE(g_Mixer.Open());
  EXPECT_FALSE(g_Mixer.IsOpen());
  MixerLine* cd = g_Mixer.Line(MIXER_LINE_CD);
  ASSERT_NE(cd, nullptr);
  EXPECT_EQ(cd->mixer, 0u);
  platform::ClearRecordedMixerCalls();
  cd->SetVolume(40);
  EXPECT_EQ(cd->volume, 40u);
  EXPECT_EQ(cd->GetVolume(), 0);
  EXPECT_FALSE(cd->IsEnabled());
  cd->SetEnabled(false);
  EXPECT_TRUE(platform::RecordedMixerCalls().empty());
  EXPECT_FALSE(Muted(MIXER_LINE_CD));
}

TEST_F(MixerTest, AMissingLineOrControlAnswersAsNoMixer) {
  const struct {
    const char* what;
    void (*arrange)();
    int volume;
    bool enabled;
  } cases[] = {
      {"line missing", [] { platform::SetTestMixerLineMissing(MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY, true); }, 0,
       false},
      {"no controls", [] { platform::SetTestMixerLineWithoutControls(MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY, true); },
       0, false},
      {"line info fails", [] { platform::FailTestMixer(TestMixerFailure::GET_LINE_INFO, true); }, 0, false},
      {"controls fail", [] { platform::FailTestMixer(TestMixerFailure::GET_LINE_CONTROLS, true); }, 0, false},
      // The control exists but its value cannot be read: the line counts as
      // enabled.
      {"details fail", [] { platform::FailTestMixer(TestMixerFailure::GET_DETAILS, true); }, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    ASSERT_TRUE(g_Mixer.Open());
    c.arrange();
    MixerLine* aux = g_Mixer.Line(MIXER_LINE_AUX);
    aux->SetVolume(30);
    EXPECT_EQ(aux->GetVolume(), c.volume);
    EXPECT_EQ(aux->IsEnabled(), c.enabled);
  }
}

TEST_F(MixerTest, OpenAndCloseFailures) {
  platform::FailTestMixer(TestMixerFailure::OPEN, true);
  EXPECT_FALSE(g_Mixer.Open());
  EXPECT_EQ(g_Mixer.handle, 0u);
  ASSERT_NE(g_Mixer.lines, nullptr);
  EXPECT_EQ(g_Mixer.lineCount, static_cast<std::uint32_t>(MIXER_LINE_COUNT));
  platform::FailTestMixer(TestMixerFailure::OPEN, false);
  ASSERT_TRUE(g_Mixer.Open());
  platform::FailTestMixer(TestMixerFailure::CLOSE, true);
  EXPECT_FALSE(g_Mixer.Close());
  EXPECT_EQ(g_Mixer.handle, 0u);
}

// Each line against the program's sound: a looping sample at a quarter of
// full scale (wave) and CD track 2 of the test disc at 2000 / 32768.
TEST_F(MixerTest, ALineAtZeroSilencesItsSource) {
  constexpr float kSample = 0.25f;
  constexpr float kCd = 2000.0f / 32768.0f;
  const struct {
    MixerLineKind line;
    int volume;
    bool enabled;
    float heard;
  } cases[] = {
      // 100 sets 65530 of 65535: the formula's steps never reach the top.
      {MIXER_LINE_MASTER, 100, true, (kSample + kCd) * 65530.0f / 65535.0f},
      {MIXER_LINE_MASTER, 0, true, 0.0f},
      {MIXER_LINE_CD, 0, true, kSample},
      {MIXER_LINE_WAVE, 0, true, kCd},
      {MIXER_LINE_DIGITAL, 0, true, kSample + kCd},
      {MIXER_LINE_AUX, 0, true, kSample + kCd},
      {MIXER_LINE_SYNTH, 0, true, kSample + kCd},
      {MIXER_LINE_CD, 100, false, kSample},
      {MIXER_LINE_MASTER, 100, false, 0.0f},
      {MIXER_LINE_MASTER, 50, true, (kSample + kCd) * 32765.0f / 65535.0f},
      {MIXER_LINE_WAVE, 50, true, kSample * 32765.0f / 65535.0f + kCd},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "line " << c.line << " at " << c.volume << (c.enabled ? "" : " muted"));
    TearDown();
    SetUp();
    CreateWindow();
    kelvtest::InsertGameCd();
    platform::WaitForOutputStreams(true);
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
    std::vector<std::int16_t> pcm(4410, 8192);
    DSBUFFERDESC d{sizeof(DSBUFFERDESC), DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME,
                   static_cast<DWORD>(pcm.size() * 2), 0, &f};
    IDirectSoundBuffer* sample = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&d, &sample, nullptr), DS_OK);
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(sample->Lock(0, d.dwBufferBytes, &p1, &n1, &p2, &n2, 0), DS_OK);
    std::memcpy(p1, pcm.data(), n1);
    sample->Unlock(p1, n1, p2, n2);
    ASSERT_EQ(sample->Play(0, 0, DSBPLAY_LOOPING), DS_OK);

    ASSERT_TRUE(g_Mixer.Open());
    g_Mixer.Line(c.line)->SetVolume(c.volume);
    g_Mixer.Line(c.line)->SetEnabled(c.enabled);
    g_CdAudio.track = 2;
    ASSERT_TRUE(g_CdAudio.Open());
    ASSERT_TRUE(g_CdAudio.Play());

    std::vector<float> mix(2 * 1024);
    ASSERT_TRUE(platform::RenderMix(1024, mix.data()));
    EXPECT_NEAR(mix[2 * 600], c.heard, 1e-6f);
    EXPECT_NEAR(mix[2 * 600 + 1], c.heard, 1e-6f);

    g_CdAudio.Shutdown();
    platform::WaitForOutputStreams(false);
    sample->Release();
    ds->Release();
  }
}

}  // namespace
