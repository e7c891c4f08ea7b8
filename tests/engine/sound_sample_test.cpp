#include "engine/sound_sample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/sound_device.h"
#include "platform/win32/msgbox.h"
#include "tests/support/game_root.h"
#include "tools/sfx.h"

namespace {

using kelvdata::Bytes;

HWND FakeWindow() { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(0x5150)); }

const char* const kOpenError = "Error opening PCM audio data.\nPlease reinstall Kelvarro.";

// The calls that reached one buffer, as "Op(a)".
std::vector<std::string> CallsTo(const void* buffer) {
  std::vector<std::string> out;
  for (const platform::SoundCall& c : platform::RecordedSoundCalls())
    if (c.object == buffer) out.push_back(c.op + "(" + std::to_string(c.a) + ")");
  return out;
}

std::vector<std::string> Boxes() {
  std::vector<std::string> out;
  for (const platform::MessageBoxCall& b : platform::RecordedMessageBoxes()) out.push_back(b.text);
  return out;
}

class SoundTest : public kelvtest::GameRootTest {
 protected:
  void SetUp() override {
    kelvtest::GameRootTest::SetUp();
    platform::UseTestSound(true);
    g_SoundMuted = 0;
    g_SoundMuffled = 0;
  }
  void TearDown() override {
    ReleaseSoundDevice();
    g_SoundMuted = 0;
    g_SoundMuffled = 0;
    platform::UseTestSound(false);
    kelvtest::GameRootTest::TearDown();
  }

  void StartDevice() {
    InitSoundDevice(FakeWindow());
    ASSERT_NE(nullptr, g_DirectSound);
    platform::ClearRecordedSoundCalls();
  }

  // A sample loaded from SOUNDS\<name> with a 16-bit mono tone.
  void LoadTone(SoundSample* s, const std::string& name = "TONE.SFX") {
    Put("SOUNDS/" + name, kelvdata::BuildSfx(16, 1, 22050, kelvdata::SineTonePcm(16, 1, 22050, 441.0, 0.5, 2200)));
    ASSERT_TRUE(s->Load(("SOUNDS\\" + name).c_str()));
    ASSERT_NE(nullptr, s->buffer);
    platform::ClearRecordedSoundCalls();
  }

  DWORD Status(SoundSample* s) {
    DWORD status = 0xDEAD;
    EXPECT_EQ(DS_OK, s->buffer->GetStatus(&status));
    return status;
  }
};

// ---- Device start-up -------------------------------------------------------

TEST_F(SoundTest, StartUpOpensTheFirstDriverAndSetsUpTheStereoPrimaryBuffer) {
  InitSoundDevice(FakeWindow());
  ASSERT_NE(nullptr, g_DirectSound);
  ASSERT_NE(nullptr, g_PrimarySoundBuffer);
  EXPECT_EQ(nullptr, g_SoundListener);  // no 3D control on this device
  ASSERT_EQ(1u, g_SoundDeviceCount);
  EXPECT_STREQ("Test Output", g_SoundDevices[0].description);
  EXPECT_STREQ("test", g_SoundDevices[0].module);

  std::vector<std::string> calls;
  for (const platform::SoundCall& c : platform::RecordedSoundCalls())
    calls.push_back(c.op + "(" + std::to_string(c.a) + "," + std::to_string(c.b) + ")");
  const std::vector<std::string> want = {
      "DirectSoundCreate(1,0)",   "SetCooperativeLevel(1,0)", "SetSpeakerConfig(4,0)",
      "CreateSoundBuffer(1,0)",  // DSBCAPS_PRIMARYBUFFER, nothing else
      "SetCooperativeLevel(3,0)",
      "SetFormat(22050,216)",  // 2 channels, 16 bits
      "SetCooperativeLevel(1,0)",
  };
  EXPECT_EQ(want, calls);
  EXPECT_TRUE(Boxes().empty());

  ReleaseSoundDevice();
  EXPECT_EQ(nullptr, g_DirectSound);
  EXPECT_EQ(nullptr, g_PrimarySoundBuffer);
}

TEST_F(SoundTest, OnlyFiveDriversAreListedAndTheFirstIsUsed) {
  platform::SetTestSoundDrivers({"Card 1", "Card 2", "Card 3", "Card 4", "Card 5", "Card 6"});
  InitSoundDevice(FakeWindow());
  ASSERT_EQ(5u, g_SoundDeviceCount);
  EXPECT_STREQ("Card 1", g_SoundDevices[0].description);
  EXPECT_STREQ("Card 5", g_SoundDevices[4].description);
  ASSERT_NE(nullptr, g_DirectSound);
  EXPECT_EQ("DirectSoundCreate", platform::RecordedSoundCalls().front().op);
  EXPECT_EQ(1, platform::RecordedSoundCalls().front().a);

  // Names are cut to their fields.
  ReleaseSoundDevice();
  platform::SetTestSoundDrivers({std::string(100, 'd')});
  InitSoundDevice(FakeWindow());
  EXPECT_EQ(std::string(69, 'd'), g_SoundDevices[0].description);
}

TEST_F(SoundTest, StartUpOpensTheOutputTheUserChose) {
  // SDL lists outputs in an order of its own; the system's default output is
  // the user's choice and becomes the first driver.
  struct Case {
    std::vector<std::string> drivers;
    const char* reported;  // null: the system cannot tell
    const char* first;
    std::string opened;  // "" SDL's unnamed default device
  };
  const Case cases[] = {
      {{"HDMI", "Headset", "Speakers"}, "Headset", "Headset", "Headset"},
      {{"Card 1", "Card 2", "Card 3", "Card 4", "Card 5", "Card 6"}, "Card 6", "Card 6", "Card 6"},
      {{"HDMI", "Headset"}, nullptr, "Default Sound Device", ""},
  };
  for (const Case& c : cases) {
    ReleaseSoundDevice();
    platform::UseTestSound(true);
    platform::SetTestSoundDrivers(c.drivers);
    platform::SetTestSoundDefaultOutput(c.reported);
    InitSoundDevice(FakeWindow());
    ASSERT_NE(nullptr, g_DirectSound) << c.first;
    EXPECT_STREQ(c.first, g_SoundDevices[0].description);
    EXPECT_EQ(c.opened, platform::TestSoundOutput()) << c.first;
  }
}

TEST_F(SoundTest, StartUpWithoutSoundLeavesNoDevice) {
  struct Case {
    const char* what;
    std::vector<std::string> drivers;
    int createFailures;
    DWORD caps;
    const char* box;
  };
  const DWORD formats = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT | DSCAPS_PRIMARY16BIT;
  const Case cases[] = {
      {"no driver", {}, 0, formats, nullptr},
      {"no primary buffer", {"Card"}, 1, formats, nullptr},
      {"no channel format", {"Card"}, 0, DSCAPS_PRIMARY16BIT, "Error: mono/stereo primary sound buffer not supported."},
      {"no sample format", {"Card"}, 0, DSCAPS_PRIMARYSTEREO, "Error: 8/16 bit primary sound buffer not supported."},
  };
  for (const Case& c : cases) {
    platform::UseTestSound(true);
    platform::SetTestSoundDrivers(c.drivers);
    platform::SetTestSoundCaps(c.caps);
    platform::InjectSoundBufferCreateFailures(c.createFailures);
    platform::ClearRecordedMessageBoxes();
    InitSoundDevice(FakeWindow());
    EXPECT_EQ(nullptr, g_DirectSound) << c.what;
    EXPECT_EQ(nullptr, g_PrimarySoundBuffer) << c.what;
    EXPECT_EQ(c.box ? std::vector<std::string>{c.box} : std::vector<std::string>{}, Boxes()) << c.what;
    // Everything that was made has been released again.
    int made = 0;
    for (const platform::SoundCall& call : platform::RecordedSoundCalls()) {
      if ((call.op == "DirectSoundCreate" || call.op == "CreateSoundBuffer") && call.result == DS_OK) ++made;
      if (call.op == "Release") --made;
    }
    EXPECT_EQ(0, made) << c.what;
  }
}

TEST_F(SoundTest, MonoEightBitDeviceGetsAMonoEightBitPrimaryFormat) {
  platform::SetTestSoundCaps(DSCAPS_PRIMARYMONO | DSCAPS_PRIMARY8BIT);
  InitSoundDevice(FakeWindow());
  ASSERT_NE(nullptr, g_PrimarySoundBuffer);
  WAVEFORMATEX f{};
  ASSERT_EQ(DS_OK, g_PrimarySoundBuffer->GetFormat(&f, sizeof(f), nullptr));
  EXPECT_EQ(1, f.nChannels);
  EXPECT_EQ(8, f.wBitsPerSample);
  EXPECT_EQ(22050u, f.nSamplesPerSec);
  EXPECT_EQ(1, f.nBlockAlign);
  EXPECT_EQ(22050u, f.nAvgBytesPerSec);
}

// ---- Loading ---------------------------------------------------------------

TEST_F(SoundTest, FileOfNBytesGivesABufferOfNMinusFourAtItsOwnRate) {
  StartDevice();
  struct Case {
    std::uint8_t bits;
    std::uint8_t channels;
    std::uint16_t rate;
    std::size_t bytes;
  };
  const Case cases[] = {{8, 1, 11025, 301}, {16, 1, 22050, 640}, {8, 2, 32000, 64}, {16, 2, 44100, 403}};
  for (const Case& c : cases) {
    Bytes pcm(c.bytes);
    for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<std::uint8_t>(i * 7 + 3);
    Put("SOUNDS/A.SFX", kelvdata::BuildSfx(c.bits, c.channels, c.rate, pcm));
    SoundSample s;
    ASSERT_TRUE(s.Load("SOUNDS\\a.sfx"));
    ASSERT_NE(nullptr, s.buffer);
    EXPECT_EQ(nullptr, s.data);  // freed once uploaded
    EXPECT_EQ(c.bytes, s.dataSize);

    DSBCAPS caps{};
    caps.dwSize = sizeof(caps);
    ASSERT_EQ(DS_OK, s.buffer->GetCaps(&caps));
    EXPECT_EQ(c.bytes, caps.dwBufferBytes);
    EXPECT_EQ(DSBCAPS_STATIC | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_LOCSOFTWARE,
              caps.dwFlags);
    DWORD hz = 0;
    ASSERT_EQ(DS_OK, s.buffer->GetFrequency(&hz));
    EXPECT_EQ(c.rate, hz);
    WAVEFORMATEX f{};
    ASSERT_EQ(DS_OK, s.buffer->GetFormat(&f, sizeof(f), nullptr));
    EXPECT_EQ(c.bits, f.wBitsPerSample);
    EXPECT_EQ(c.channels, f.nChannels);
    EXPECT_EQ(c.bits * c.channels / 8, f.nBlockAlign);
    EXPECT_EQ(f.nBlockAlign * c.rate, f.nAvgBytesPerSec);

    void* p1;
    void* p2;
    DWORD n1, n2;
    ASSERT_EQ(DS_OK, s.buffer->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER));
    ASSERT_EQ(c.bytes, n1);
    EXPECT_EQ(0, std::memcmp(p1, pcm.data(), n1));
    ASSERT_EQ(DS_OK, s.buffer->Unlock(p1, n1, p2, n2));
    EXPECT_FALSE(s.is3D);
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SoundTest, BadFilesShowTheBoxAndLeaveASilentSample) {
  StartDevice();
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"empty", {}},
      {"short header", {16, 1, 0x22}},
      {"header only", kelvdata::BuildSfx(16, 1, 22050, {})},
      {"less than a buffer", kelvdata::BuildSfx(8, 1, 22050, {128, 128, 128})},
      {"12 bits", kelvdata::BuildSfx(12, 1, 22050, Bytes(32, 0))},
      {"0 channels", kelvdata::BuildSfx(16, 0, 22050, Bytes(32, 0))},
      {"3 channels", kelvdata::BuildSfx(16, 3, 22050, Bytes(36, 0))},
      {"rate 0", kelvdata::BuildSfx(16, 1, 0, Bytes(32, 0))},
      {"rate 99", kelvdata::BuildSfx(8, 1, 99, Bytes(32, 128))},
  };
  for (const Case& c : cases) {
    Put("SOUNDS/BAD.SFX", c.bytes);
    platform::ClearRecordedMessageBoxes();
    SoundSample s;
    EXPECT_TRUE(s.Load("SOUNDS\\BAD.SFX")) << c.what;
    EXPECT_EQ(std::vector<std::string>{kOpenError}, Boxes()) << c.what;
    EXPECT_EQ(nullptr, s.buffer) << c.what;
    EXPECT_EQ(nullptr, s.data) << c.what;
  }
  platform::ClearRecordedMessageBoxes();
  SoundSample missing;
  EXPECT_TRUE(missing.Load("SOUNDS\\NONE.SFX"));
  EXPECT_EQ(std::vector<std::string>{kOpenError}, Boxes());

  // A silent sample takes every call and asks nothing of the device.
  platform::ClearRecordedSoundCalls();
  missing.Play(true);
  missing.SetVolume(-100);
  missing.SetPan(300);
  missing.SetFrequency(11025);
  missing.Rewind();
  missing.Stop();
  DWORD status = 0x1234;
  missing.GetStatus(&status);
  EXPECT_EQ(0x1234u, status);
  EXPECT_FALSE(missing.playing);
  EXPECT_TRUE(platform::RecordedSoundCalls().empty());
}

TEST_F(SoundTest, ASampleLoadedAgainFromABadFileFallsSilent) {
  StartDevice();
  SoundSample s;
  LoadTone(&s);
  const void* old = s.buffer;
  Put("SOUNDS/BAD.SFX", Bytes{8, 1});
  EXPECT_TRUE(s.Load("SOUNDS\\BAD.SFX"));
  EXPECT_EQ(nullptr, s.buffer);
  EXPECT_EQ(std::vector<std::string>{"Release(0)"}, CallsTo(old));
}

TEST_F(SoundTest, FailedBufferCreationLeavesASilentSampleWithoutABox) {
  StartDevice();
  Put("SOUNDS/T.SFX", kelvdata::BuildSfx(16, 1, 22050, Bytes(64, 0)));
  platform::InjectSoundBufferCreateFailures(1);
  SoundSample s;
  EXPECT_TRUE(s.Load("SOUNDS\\T.SFX"));
  EXPECT_EQ(nullptr, s.buffer);
  EXPECT_EQ(nullptr, s.data);
  EXPECT_TRUE(Boxes().empty());
  s.Play(false);
  s.SetVolume(-100);
  s.SetFrequency(8000);
  s.SetPan(100);
  s.Rewind();
  s.Stop();
  EXPECT_TRUE(s.Upload());
  DWORD status = 5;
  s.GetStatus(&status);
  EXPECT_EQ(5u, status);
  ASSERT_EQ(1u, platform::RecordedSoundCalls().size());
  EXPECT_EQ("CreateSoundBuffer", platform::RecordedSoundCalls()[0].op);
  EXPECT_EQ(DSERR_OUTOFMEMORY, platform::RecordedSoundCalls()[0].result);
}

TEST_F(SoundTest, UploadRestoresALostBufferOnceAndGivesUpAfterThat) {
  StartDevice();
  const Bytes pcm = kelvdata::SineTonePcm(16, 1, 22050, 441.0, 0.5, 64);
  Put("SOUNDS/T.SFX", kelvdata::BuildSfx(16, 1, 22050, pcm));
  struct Case {
    int failures;
    HRESULT error;
    std::vector<std::string> calls;  // after the buffer was made
    bool uploaded;
  };
  const Case cases[] = {
      {1, DSERR_BUFFERLOST, {"Lock(0)", "Restore(0)", "Lock(0)", "Unlock(128)"}, true},
      {2, DSERR_BUFFERLOST, {"Lock(0)", "Restore(0)", "Lock(0)"}, false},
      {1, DSERR_INVALIDPARAM, {"Lock(0)"}, false},
  };
  for (const Case& c : cases) {
    platform::InjectSoundLockFailures(c.failures, c.error);
    platform::ClearRecordedSoundCalls();
    SoundSample s;
    EXPECT_TRUE(s.Load("SOUNDS\\T.SFX"));
    ASSERT_NE(nullptr, s.buffer);
    EXPECT_EQ(c.calls, CallsTo(s.buffer)) << c.failures;
    s.buffer->Restore();
    void* p1;
    void* p2;
    DWORD n1, n2;
    ASSERT_EQ(DS_OK, s.buffer->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER));
    EXPECT_EQ(c.uploaded, std::memcmp(p1, pcm.data(), pcm.size()) == 0) << c.failures;
    s.buffer->Unlock(p1, n1, p2, n2);
    EXPECT_TRUE(Boxes().empty());
  }
}

// ---- The setters -----------------------------------------------------------

TEST_F(SoundTest, SettersClampAndSkipTheDeviceForTheCachedValue) {
  StartDevice();
  SoundSample s;
  LoadTone(&s);
  struct Case {
    const char* op;
    long long value;
    std::vector<std::string> calls;
    long long cached;
  };
  // Each row runs on the state the rows before it left.
  const Case cases[] = {
      {"SetFrequency", 50, {"SetFrequency(100)"}, 100},
      {"SetFrequency", 200000, {"SetFrequency(100000)"}, 100000},
      {"SetFrequency", 100000, {}, 100000},
      {"SetFrequency", 11025, {"SetFrequency(11025)"}, 11025},
      {"SetFrequency", 11025, {}, 11025},
      // The cache is compared before the clamp: an out-of-range value that
      // was clamped reaches the device again.
      {"SetFrequency", 50, {"SetFrequency(100)"}, 100},
      {"SetFrequency", 50, {"SetFrequency(100)"}, 100},
      {"SetVolume", 0, {}, 0},  // full volume at the start
      {"SetVolume", -20000, {"SetVolume(-10000)"}, -10000},
      {"SetVolume", 500, {"SetVolume(0)"}, 0},
      {"SetVolume", -1500, {"SetVolume(-1500)"}, -1500},
      {"SetVolume", -1500, {}, -1500},
      {"SetPan", 0, {}, 0},
      {"SetPan", 20000, {"SetPan(10000)"}, 10000},
      {"SetPan", -20000, {"SetPan(-10000)"}, -10000},
      {"SetPan", -700, {"SetPan(-700)"}, -700},
      {"SetPan", -700, {}, -700},
  };
  for (const Case& c : cases) {
    platform::ClearRecordedSoundCalls();
    std::string op = c.op;
    long long cached = 0;
    if (op == "SetFrequency") {
      s.SetFrequency(static_cast<DWORD>(c.value));
      cached = s.frequency;
    } else if (op == "SetVolume") {
      s.SetVolume(static_cast<LONG>(c.value));
      cached = s.volume;
    } else {
      s.SetPan(static_cast<LONG>(c.value));
      cached = s.pan;
    }
    EXPECT_EQ(c.calls, CallsTo(s.buffer)) << op << " " << c.value;
    EXPECT_EQ(c.cached, cached) << op << " " << c.value;
  }
  // The device holds what the sample cached.
  DWORD hz = 0;
  LONG volume = 1, pan = 1;
  s.buffer->GetFrequency(&hz);
  s.buffer->GetVolume(&volume);
  s.buffer->GetPan(&pan);
  EXPECT_EQ(100u, hz);
  EXPECT_EQ(-1500, volume);
  EXPECT_EQ(-700, pan);

  // The cached frequency starts at 22050 whatever the file's rate.
  SoundSample other;
  EXPECT_EQ(22050u, other.frequency);
}

TEST_F(SoundTest, PanIsLeftAloneOnASampleWith3DProcessing) {
  StartDevice();
  SoundSample s;
  LoadTone(&s);
  s.is3D = 1;
  s.SetPan(-500);
  EXPECT_TRUE(CallsTo(s.buffer).empty());
  EXPECT_EQ(0, s.pan);
  // Without a 3D buffer, 3D cannot be switched on.
  s.Enable3D(true);
  EXPECT_EQ(0, s.is3D);
  s.SetPan(-500);
  EXPECT_EQ(std::vector<std::string>{"SetPan(-500)"}, CallsTo(s.buffer));
}

TEST_F(SoundTest, PlayStopAndRewind) {
  StartDevice();
  SoundSample s;
  LoadTone(&s);
  s.Play(true);
  EXPECT_TRUE(s.playing);
  EXPECT_EQ(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING, Status(&s));
  std::vector<float> out(2 * 1000);
  ASSERT_TRUE(platform::RenderMix(1000, out.data()));
  DWORD status = 0;
  s.GetStatus(&status);
  EXPECT_EQ(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING, status);
  DWORD position = 0;
  s.buffer->GetCurrentPosition(&position, nullptr);
  EXPECT_EQ(1000u, position);  // 500 frames of the file, two bytes each

  // Stop rewinds; Rewind alone only moves the position.
  s.Stop();
  EXPECT_FALSE(s.playing);
  EXPECT_EQ(0u, Status(&s));
  s.buffer->GetCurrentPosition(&position, nullptr);
  EXPECT_EQ(0u, position);
  s.Play(false);
  ASSERT_TRUE(platform::RenderMix(1000, out.data()));
  s.Rewind();
  s.buffer->GetCurrentPosition(&position, nullptr);
  EXPECT_EQ(0u, position);
  EXPECT_EQ(DSBSTATUS_PLAYING, Status(&s));
  EXPECT_EQ(
      (std::vector<std::string>{"Play(1)", "Stop(0)", "SetCurrentPosition(0)", "Play(0)", "SetCurrentPosition(0)"}),
      CallsTo(s.buffer));
}

TEST_F(SoundTest, MutedSamplesDoNotStartAndChangesStopThem) {
  StartDevice();
  SoundSample s;
  LoadTone(&s);

  g_SoundMuted = 1;
  s.Play(true);  // not playing: nothing at all
  EXPECT_FALSE(s.playing);
  EXPECT_TRUE(CallsTo(s.buffer).empty());

  struct Case {
    const char* what;
    void (*change)(SoundSample*);
  };
  const Case cases[] = {
      {"Play", [](SoundSample* x) { x->Play(true); }},
      {"SetVolume", [](SoundSample* x) { x->SetVolume(-300); }},
      {"SetFrequency", [](SoundSample* x) { x->SetFrequency(30000); }},
  };
  for (const Case& c : cases) {
    g_SoundMuted = 0;
    s.Play(true);
    ASSERT_EQ(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING, Status(&s));
    g_SoundMuted = 1;
    c.change(&s);
    EXPECT_FALSE(s.playing) << c.what;
    EXPECT_EQ(0u, Status(&s)) << c.what;
  }
  // The change itself still happens.
  EXPECT_EQ(-300, s.volume);
  EXPECT_EQ(30000u, s.frequency);
}

TEST_F(SoundTest, MuffledPlayAndVolumeUseMinusFortyDecibels) {
  StartDevice();
  SoundSample s;
  LoadTone(&s);
  g_SoundMuffled = 1;
  s.Play(false);
  EXPECT_EQ(-4000, s.volume);
  s.SetVolume(-100);
  s.SetVolume(0);
  EXPECT_EQ(-4000, s.volume);
  EXPECT_EQ((std::vector<std::string>{"SetVolume(-4000)", "Play(0)"}), CallsTo(s.buffer));
  LONG volume = 0;
  s.buffer->GetVolume(&volume);
  EXPECT_EQ(-4000, volume);

  g_SoundMuffled = 0;
  s.SetVolume(-100);
  EXPECT_EQ(-100, s.volume);
}

// ---- Without a sound device --------------------------------------------------

TEST_F(SoundTest, WithoutADeviceEverySampleAcceptsEveryCallAndDoesNothing) {
  platform::SetTestSoundDrivers({});
  InitSoundDevice(FakeWindow());
  ASSERT_EQ(nullptr, g_DirectSound);
  platform::ClearRecordedSoundCalls();

  Put("SOUNDS/T.SFX", kelvdata::BuildSfx(8, 1, 11025, Bytes(100, 128)));
  SoundSample s;
  EXPECT_TRUE(s.Load("SOUNDS\\T.SFX"));
  EXPECT_EQ(nullptr, s.buffer);
  EXPECT_EQ(nullptr, s.data);
  EXPECT_TRUE(s.CreateBuffer(nullptr));
  EXPECT_TRUE(s.Upload());
  s.Play(true);
  s.SetVolume(-20000);
  s.SetPan(400);
  s.SetFrequency(50);
  s.Rewind();
  s.LowPass();
  s.Enable3D(true);
  s.SetPosition(1.0f, 2.0f, 3.0f);
  s.SetConeAngles(10, 20);
  s.Stop();
  DWORD status = 0xABCD;
  s.GetStatus(&status);
  EXPECT_EQ(0xABCDu, status);
  EXPECT_FALSE(s.playing);
  EXPECT_EQ(0, s.volume);
  EXPECT_EQ(22050u, s.frequency);
  EXPECT_FALSE(s.is3D);
  EXPECT_TRUE(platform::RecordedSoundCalls().empty());
  EXPECT_TRUE(Boxes().empty());

  // Even then a missing file is reported.
  EXPECT_TRUE(s.Load("SOUNDS\\NONE.SFX"));
  EXPECT_EQ(std::vector<std::string>{kOpenError}, Boxes());
}

TEST_F(SoundTest, ALoadedSamplePlaysThroughTheMixerAtItsRate) {
  StartDevice();
  SoundSample s;
  LoadTone(&s);
  s.SetPan(600);
  s.Play(true);
  std::vector<float> out(2 * platform::SOUND_OUTPUT_RATE);
  ASSERT_TRUE(platform::RenderMix(platform::SOUND_OUTPUT_RATE, out.data()));
  int crossings = 0;
  double left = 0, right = 0;
  for (int i = 0; i < platform::SOUND_OUTPUT_RATE; ++i) {
    if (i > 0 && out[2 * (i - 1) + 1] < 0.0f && out[2 * i + 1] >= 0.0f) ++crossings;
    left += double(out[2 * i]) * out[2 * i];
    right += double(out[2 * i + 1]) * out[2 * i + 1];
  }
  EXPECT_NEAR(441, crossings, 1);
  EXPECT_NEAR(-6.0, 10.0 * std::log10(left / right), 0.05);
}

// A one-shot as the frames count it: its length at the buffer's frequency,
// however far the mixer has played it.
TEST_F(SoundTest, APlayOnceRunsForItsLengthInFrameTimeWhateverTheMixerDid) {
  StartDevice();
  SoundSample s;
  LoadTone(&s);  // 2200 frames at 22050 Hz
  EXPECT_FLOAT_EQ(s.PlaySeconds(), 2200.0f / 22050.0f);
  s.Play(false);
  OneShotClock clock;
  clock.Start(&s);
  std::vector<float> out(2 * platform::SOUND_OUTPUT_RATE);
  ASSERT_TRUE(platform::RenderMix(platform::SOUND_OUTPUT_RATE, out.data()));
  EXPECT_EQ(0u, Status(&s) & DSBSTATUS_PLAYING);
  clock.Advance(0.05f);
  EXPECT_TRUE(clock.Running());
  clock.Advance(0.05f);
  EXPECT_FALSE(clock.Running());

  // Half the frequency, twice as long.
  s.SetFrequency(11025);
  EXPECT_FLOAT_EQ(s.PlaySeconds(), 2200.0f / 11025.0f);
  // A play that did not start, and a sample without a buffer, do not run.
  g_SoundMuted = 1;
  s.Stop();
  s.Play(false);
  clock.Start(&s);
  EXPECT_FALSE(clock.Running());
  g_SoundMuted = 0;
  SoundSample silent;
  EXPECT_EQ(silent.PlaySeconds(), 0.0f);
}

}  // namespace
