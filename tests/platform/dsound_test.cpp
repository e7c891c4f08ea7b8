#include "platform/dsound/dsound.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "platform/dsound/mixer.h"
#include "tools/sfx.h"

// A counting allocator for the whole test program. While a probe is armed,
// every allocation on the armed thread asks a helper thread whether the
// armed mixer's lock is held at that moment (the helper's try_lock fails
// only then, as nothing else takes that lock in the test backend).
namespace {

struct LockProbe {
  std::atomic<std::mutex*> lock{nullptr};
  std::atomic<std::thread::id> thread{};
  // 0 idle, 1 asked, 2 lock free, 3 lock held, 4 helper quits.
  std::atomic<int> state{0};
  std::atomic<int> allocations{0};
  std::atomic<int> underLock{0};
};

LockProbe g_Probe;
thread_local bool t_Probing = false;

void NoteAllocation() {
  std::mutex* lock = g_Probe.lock.load();
  if (lock == nullptr || t_Probing || g_Probe.thread.load() != std::this_thread::get_id()) return;
  t_Probing = true;
  g_Probe.allocations.fetch_add(1);
  g_Probe.state.store(1);
  while (g_Probe.state.load() == 1) std::this_thread::yield();
  if (g_Probe.state.load() == 3) g_Probe.underLock.fetch_add(1);
  g_Probe.state.store(0);
  t_Probing = false;
}

void* CountedAllocation(std::size_t size) {
  NoteAllocation();
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

void* operator new(std::size_t size) {
  void* p = CountedAllocation(size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new[](std::size_t size) {
  void* p = CountedAllocation(size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocation(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocation(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

// Arms the probe on `lock` for the calling thread while it lives.
class ArmedProbe {
 public:
  explicit ArmedProbe(std::mutex* lock) {
    g_Probe.state.store(0);
    g_Probe.allocations.store(0);
    g_Probe.underLock.store(0);
    helper_ = std::thread([lock] {
      for (;;) {
        int state = g_Probe.state.load();
        if (state == 4) return;
        if (state != 1) {
          std::this_thread::yield();
          continue;
        }
        bool free = lock->try_lock();
        if (free) lock->unlock();
        g_Probe.state.store(free ? 2 : 3);
      }
    });
    g_Probe.thread.store(std::this_thread::get_id());
    g_Probe.lock.store(lock);
  }
  ~ArmedProbe() {
    g_Probe.lock.store(nullptr);
    g_Probe.state.store(4);
    helper_.join();
  }
  int allocations() const { return g_Probe.allocations.load(); }
  int underLock() const { return g_Probe.underLock.load(); }

 private:
  std::thread helper_;
};

using kelvdata::Bytes;

constexpr int kRate = platform::SOUND_OUTPUT_RATE;

HWND FakeWindow() { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(0x5150)); }

WAVEFORMATEX Pcm(WORD bits, WORD channels, DWORD rate) {
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = channels;
  f.nSamplesPerSec = rate;
  f.nBlockAlign = static_cast<WORD>(bits * channels / 8);
  f.nAvgBytesPerSec = f.nBlockAlign * rate;
  f.wBitsPerSample = bits;
  return f;
}

Bytes Pcm16(const std::vector<int>& samples) {
  Bytes b;
  for (int v : samples) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
  }
  return b;
}

struct Rendered {
  std::vector<float> data;  // interleaved stereo
  std::size_t frames() const { return data.size() / 2; }
  float L(std::size_t i) const { return data[2 * i]; }
  float R(std::size_t i) const { return data[2 * i + 1]; }
  double Rms(int channel, std::size_t from = 0) const {
    double sum = 0;
    for (std::size_t i = from; i < frames(); ++i) sum += double(data[2 * i + channel]) * data[2 * i + channel];
    return std::sqrt(sum / double(frames() - from));
  }
  // Cycles per second of the left channel, from its upward zero crossings.
  double Pitch() const {
    int crossings = 0;
    for (std::size_t i = 1; i < frames(); ++i)
      if (L(i - 1) < 0.0f && L(i) >= 0.0f) ++crossings;
    return crossings * double(kRate) / double(frames());
  }
};

Rendered Render(int frames) {
  Rendered r;
  r.data.assign(2 * static_cast<std::size_t>(frames), 99.0f);
  EXPECT_TRUE(platform::RenderMix(frames, r.data.data()));
  return r;
}

double Db(double ratio) { return 20.0 * std::log10(ratio); }

class DirectSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::UseTestSound(true);
    ASSERT_EQ(DS_OK, DirectSoundCreate(nullptr, &ds_, nullptr));
    ASSERT_EQ(DS_OK, ds_->SetCooperativeLevel(FakeWindow(), DSSCL_NORMAL));
  }
  void TearDown() override {
    for (IDirectSoundBuffer* b : buffers_) b->Release();
    if (ds_) ds_->Release();
    platform::UseTestSound(false);
  }

  // A static buffer with every control, filled with `pcm`.
  IDirectSoundBuffer* Make(WORD bits, WORD channels, DWORD rate, const Bytes& pcm,
                           DWORD flags = DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN |
                                         DSBCAPS_CTRLFREQUENCY) {
    WAVEFORMATEX f = Pcm(bits, channels, rate);
    DSBUFFERDESC d{sizeof(DSBUFFERDESC), flags, static_cast<DWORD>(pcm.size()), 0, &f};
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(DS_OK, ds_->CreateSoundBuffer(&d, &b, nullptr));
    if (!b) return nullptr;
    buffers_.push_back(b);
    void* p1;
    void* p2;
    DWORD n1, n2;
    EXPECT_EQ(DS_OK, b->Lock(0, static_cast<DWORD>(pcm.size()), &p1, &n1, &p2, &n2, 0));
    EXPECT_EQ(pcm.size(), n1);
    std::memcpy(p1, pcm.data(), n1);
    EXPECT_EQ(DS_OK, b->Unlock(p1, n1, p2, n2));
    return b;
  }

  // 441 Hz at 22,050 Hz: exactly 50 frames a cycle, so a loop of whole
  // cycles joins without a step.
  IDirectSoundBuffer* Tone441() { return Make(16, 1, 22050, kelvdata::SineTonePcm(16, 1, 22050, 441.0, 0.5, 2200)); }

  IDirectSound* ds_ = nullptr;
  std::vector<IDirectSoundBuffer*> buffers_;
};

// ---- Drivers and the device ---------------------------------------------------

struct Listed {
  bool hasGuid;
  GUID guid;
  std::string description;
  std::string module;
};

BOOL Collect(GUID* guid, const char* description, const char* module, void* context) {
  auto* list = static_cast<std::vector<Listed>*>(context);
  list->push_back({guid != nullptr, guid ? *guid : GUID{}, description, module});
  return list->size() < 3 ? TRUE : FALSE;
}

TEST(DirectSoundDriverTest, EnumerationListsThePrimaryDriverFirstAndStopsWhenAsked) {
  platform::UseTestSound(true);
  platform::SetTestSoundDrivers({"Card A", "Card B", "Card C", "Card D"});
  std::vector<Listed> list;
  EXPECT_EQ(DS_OK, DirectSoundEnumerateA(Collect, &list));
  ASSERT_EQ(3u, list.size());  // the callback stopped it
  EXPECT_FALSE(list[0].hasGuid);
  EXPECT_EQ("Primary Sound Driver", list[0].description);
  EXPECT_TRUE(list[1].hasGuid);
  EXPECT_EQ("Card A", list[1].description);
  EXPECT_EQ("test", list[1].module);
  EXPECT_EQ("Card B", list[2].description);
  EXPECT_NE(0, std::memcmp(&list[1].guid, &list[2].guid, sizeof(GUID)));

  // The listed identifiers open their own outputs; others open nothing.
  IDirectSound* ds = nullptr;
  ASSERT_EQ(DS_OK, DirectSoundCreate(&list[2].guid, &ds, nullptr));
  EXPECT_EQ(2, platform::RecordedSoundCalls().back().a);
  ds->Release();
  GUID unknown = list[1].guid;
  unknown.Data1 ^= 1;
  EXPECT_EQ(DSERR_NODRIVER, DirectSoundCreate(&unknown, &ds, nullptr));
  EXPECT_EQ(nullptr, ds);

  // A machine without sound lists nothing, not even the primary driver.
  platform::SetTestSoundDrivers({});
  list.clear();
  EXPECT_EQ(DS_OK, DirectSoundEnumerateA(Collect, &list));
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(DSERR_NODRIVER, DirectSoundCreate(nullptr, &ds, nullptr));
  platform::UseTestSound(false);
}

TEST(DirectSoundDriverTest, TheSystemsDefaultOutputIsListedAndOpenedFirst) {
  struct Case {
    const char* what;
    const char* reported;  // the system's default output, null: it cannot tell
    std::vector<std::string> listed;
    std::string opened;  // the output the first entry opens; "" the unnamed default
  };
  const Case cases[] = {
      {"default listed last", "Speakers", {"Speakers", "HDMI", "Headset"}, "Speakers"},
      {"default listed in the middle", "Headset", {"Headset", "HDMI", "Speakers"}, "Headset"},
      {"default listed first", "HDMI", {"HDMI", "Headset", "Speakers"}, "HDMI"},
      {"system cannot tell", nullptr, {"Default Sound Device", "HDMI", "Headset", "Speakers"}, ""},
      {"default not among the listed", "Network Sink", {"Network Sink", "HDMI", "Headset", "Speakers"}, ""},
  };
  for (const Case& c : cases) {
    platform::UseTestSound(true);
    platform::SetTestSoundDrivers({"HDMI", "Headset", "Speakers"});
    platform::SetTestSoundDefaultOutput(c.reported);
    std::vector<Listed> list;
    auto all = [](GUID* guid, const char* description, const char* module, void* context) -> BOOL {
      static_cast<std::vector<Listed>*>(context)->push_back(
          {guid != nullptr, guid ? *guid : GUID{}, description, module});
      return TRUE;
    };
    ASSERT_EQ(DS_OK, DirectSoundEnumerateA(all, &list)) << c.what;
    ASSERT_EQ(c.listed.size() + 1, list.size()) << c.what;
    EXPECT_FALSE(list[0].hasGuid) << c.what;
    std::vector<std::string> names;
    for (std::size_t i = 1; i < list.size(); ++i) names.push_back(list[i].description);
    EXPECT_EQ(c.listed, names) << c.what;

    // The first entry, opened by its GUID, is the default output; so is the primary driver.
    for (const GUID* guid : {static_cast<const GUID*>(&list[1].guid), static_cast<const GUID*>(nullptr)}) {
      IDirectSound* ds = nullptr;
      ASSERT_EQ(DS_OK, DirectSoundCreate(guid, &ds, nullptr)) << c.what;
      EXPECT_EQ(c.opened, platform::TestSoundOutput()) << c.what;
      EXPECT_EQ(1, platform::RecordedSoundCalls().back().a) << c.what;
      ds->Release();
    }
    // The others still open their own outputs.
    IDirectSound* ds = nullptr;
    ASSERT_EQ(DS_OK, DirectSoundCreate(&list.back().guid, &ds, nullptr)) << c.what;
    EXPECT_EQ(c.listed.back(), platform::TestSoundOutput()) << c.what;
    ds->Release();
  }
  platform::UseTestSound(false);
}

TEST_F(DirectSoundTest, CapabilitiesReportSoftwareMixingOnlyAndRefuse3DAndHardwareBuffers) {
  DSCAPS caps{};
  EXPECT_EQ(DSERR_INVALIDPARAM, ds_->GetCaps(&caps));  // size not set
  caps.dwSize = sizeof(DSCAPS);
  ASSERT_EQ(DS_OK, ds_->GetCaps(&caps));
  EXPECT_TRUE(caps.dwFlags & DSCAPS_PRIMARYSTEREO);
  EXPECT_TRUE(caps.dwFlags & DSCAPS_SECONDARY16BIT);
  EXPECT_EQ(0u, caps.dwFreeHwMixingStaticBuffers);
  EXPECT_EQ(0u, caps.dwFreeHw3DStaticBuffers);
  EXPECT_EQ(0u, caps.dwMaxHw3DAllBuffers);
  EXPECT_EQ(0u, caps.dwFreeHwMemBytes);
  EXPECT_EQ(100u, caps.dwMinSecondarySampleRate);
  EXPECT_EQ(100000u, caps.dwMaxSecondarySampleRate);

  WAVEFORMATEX f = Pcm(16, 1, 22050);
  IDirectSoundBuffer* b = nullptr;
  for (DWORD extra : {DSBCAPS_CTRL3D, DSBCAPS_LOCHARDWARE}) {
    DSBUFFERDESC d{sizeof(DSBUFFERDESC), DSBCAPS_STATIC | extra, 64, 0, &f};
    EXPECT_EQ(DSERR_CONTROLUNAVAIL, ds_->CreateSoundBuffer(&d, &b, nullptr));
    EXPECT_EQ(nullptr, b);
  }
  DSBUFFERDESC primary{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D, 0, 0, nullptr};
  EXPECT_EQ(DSERR_CONTROLUNAVAIL, ds_->CreateSoundBuffer(&primary, &b, nullptr));

  // A software buffer has no 3D interface to give.
  IDirectSoundBuffer* s = Make(16, 1, 22050, Bytes(64, 0));
  DSBCAPS bc{};
  bc.dwSize = sizeof(DSBCAPS);
  ASSERT_EQ(DS_OK, s->GetCaps(&bc));
  EXPECT_EQ(DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY | DSBCAPS_LOCSOFTWARE,
            bc.dwFlags);
  EXPECT_EQ(64u, bc.dwBufferBytes);
  void* p = &bc;
  EXPECT_EQ(DSERR_NOINTERFACE, s->QueryInterface(IID_IDirectSound3DBuffer, &p));
  EXPECT_EQ(nullptr, p);
}

TEST_F(DirectSoundTest, BufferDescriptionsOutsideTheFormatsAreRefused) {
  struct Case {
    const char* what;
    WAVEFORMATEX format;
    DWORD bytes;
    HRESULT result;
  };
  WAVEFORMATEX badTag = Pcm(16, 1, 22050);
  badTag.wFormatTag = 3;
  WAVEFORMATEX badAlign = Pcm(16, 2, 22050);
  badAlign.nBlockAlign = 2;
  const Case cases[] = {
      {"12 bits", Pcm(12, 1, 22050), 64, DSERR_BADFORMAT},
      {"3 channels", Pcm(16, 3, 22050), 60, DSERR_BADFORMAT},
      {"rate 99", Pcm(8, 1, 99), 64, DSERR_BADFORMAT},
      {"rate 100001", Pcm(8, 1, 100001), 64, DSERR_BADFORMAT},
      {"not PCM", badTag, 64, DSERR_BADFORMAT},
      {"block align", badAlign, 64, DSERR_BADFORMAT},
      {"3 bytes", Pcm(8, 1, 22050), 3, DSERR_INVALIDPARAM},
      {"too big", Pcm(8, 1, 22050), DSBSIZE_MAX + 1, DSERR_INVALIDPARAM},
      {"smallest", Pcm(8, 1, 100), 4, DS_OK},
  };
  for (const Case& c : cases) {
    DSBUFFERDESC d{sizeof(DSBUFFERDESC), DSBCAPS_STATIC, c.bytes, 0, &c.format};
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(c.result, ds_->CreateSoundBuffer(&d, &b, nullptr)) << c.what;
    EXPECT_EQ(c.result == DS_OK, b != nullptr) << c.what;
    if (b) b->Release();
  }
  DSBUFFERDESC noFormat{sizeof(DSBUFFERDESC), DSBCAPS_STATIC, 64, 0, nullptr};
  IDirectSoundBuffer* b = nullptr;
  EXPECT_EQ(DSERR_INVALIDPARAM, ds_->CreateSoundBuffer(&noFormat, &b, nullptr));
  DSBUFFERDESC badSize{sizeof(DSBUFFERDESC) - 1, DSBCAPS_STATIC, 64, 0, nullptr};
  EXPECT_EQ(DSERR_INVALIDPARAM, ds_->CreateSoundBuffer(&badSize, &b, nullptr));
  EXPECT_EQ(nullptr, b);
}

TEST_F(DirectSoundTest, PrimaryBufferFormatNeedsAHigherLevelAndThereIsOnlyOnePrimary) {
  DSBUFFERDESC d{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr};
  IDirectSoundBuffer* primary = nullptr;
  ASSERT_EQ(DS_OK, ds_->CreateSoundBuffer(&d, &primary, nullptr));
  IDirectSoundBuffer* again = nullptr;
  ASSERT_EQ(DS_OK, ds_->CreateSoundBuffer(&d, &again, nullptr));
  EXPECT_EQ(primary, again);
  again->Release();

  WAVEFORMATEX f = Pcm(16, 2, 22050);
  EXPECT_EQ(DSERR_PRIOLEVELNEEDED, primary->SetFormat(&f));
  ASSERT_EQ(DS_OK, ds_->SetCooperativeLevel(FakeWindow(), DSSCL_EXCLUSIVE));
  EXPECT_EQ(DS_OK, primary->SetFormat(&f));
  WAVEFORMATEX got{};
  ASSERT_EQ(DS_OK, primary->GetFormat(&got, sizeof(got), nullptr));
  EXPECT_EQ(0, std::memcmp(&f, &got, sizeof(f)));
  WAVEFORMATEX bad = Pcm(24, 2, 22050);
  EXPECT_EQ(DSERR_BADFORMAT, primary->SetFormat(&bad));
  void* listener = &got;
  EXPECT_EQ(DSERR_NOINTERFACE, primary->QueryInterface(IID_IDirectSound3DListener, &listener));
  EXPECT_EQ(nullptr, listener);
  EXPECT_EQ(DSERR_INVALIDPARAM, ds_->SetCooperativeLevel(nullptr, DSSCL_NORMAL));
  primary->Release();
}

// ---- The mixer's laws ----------------------------------------------------------

TEST_F(DirectSoundTest, ResamplesByLinearInterpolation) {
  // A 16-bit ramp at half the output rate: every other output frame falls
  // half-way between two input frames.
  std::vector<int> ramp;
  for (int i = 0; i < 64; ++i) ramp.push_back(i * 400 - 12000);
  IDirectSoundBuffer* b = Make(16, 1, 22050, Pcm16(ramp));
  ASSERT_EQ(DS_OK, b->Play(0, 0, 0));
  Rendered r = Render(126);
  for (int k = 0; k < 63; ++k) {
    EXPECT_FLOAT_EQ(ramp[k] / 32768.0f, r.L(2 * k)) << k;
    EXPECT_FLOAT_EQ((ramp[k] + 200) / 32768.0f, r.L(2 * k + 1)) << k;
    EXPECT_EQ(r.L(2 * k), r.R(2 * k));
  }
}

TEST_F(DirectSoundTest, LoopSeamInterpolatesTowardsTheBuffersStart) {
  // Frequencies whose step is an exact binary fraction of a frame, so the
  // positions below are exact: 11025 Hz 1/4, 33075 Hz 3/4, 55125 Hz 5/4.
  struct Case {
    const char* what;
    WORD bits;
    WORD channels;
    DWORD hz;
    Bytes pcm;
    std::vector<float> left;  // output frames 0.. in units of the format's full scale
    std::vector<float> right;
  };
  const Case cases[] = {
      // Frames 1000, 2000, 3000, -4000. Past frame 3 the next frame is frame
      // 0: at 3.25 -4000 + 5000 / 4 = -2750, at 3.5 -1500, at 3.75 -250.
      {"quarter steps",
       16,
       1,
       11025,
       Pcm16({1000, 2000, 3000, -4000}),
       {1000, 1250, 1500, 1750, 2000, 2250, 2500, 2750, 3000, 1250, -500, -2250, -4000, -2750, -1500, -250, 1000, 1250},
       {}},
      // Positions 0, .75, 1.5, 2.25, 3, 3.75, then 4.5 wraps to 0.5 and so on:
      // at 3.75 -4000 + 5000 * 3/4 = -250, at 0.5 1500.
      {"three-quarter steps",
       16,
       1,
       33075,
       Pcm16({1000, 2000, 3000, -4000}),
       {1000, 1750, 2500, 1250, -4000, -250, 1500, 2250, 3000, -2250, -1500, 1250},
       {}},
      // Three 8-bit stereo frames (L, R) = (64, -64), (0, 32), (-128, 96) at
      // 1 1/4 frames a step: positions 0, 1.25, 2.5, 3.75 = 0.75, 2, 3.25 =
      // 0.25, 1.5, 2.75, 4 = 1. At 2.5 halfway from frame 2 to frame 0: left
      // -128 + 192 / 2 = -32, right 96 - 160 / 2 = 16.
      {"eight-bit stereo, steps of a frame and a quarter",
       8,
       2,
       55125,
       Bytes{192, 64, 128, 160, 0, 224},
       {64, -32, -32, 16, -128, 48, -64, 16, 0},
       {-64, 48, 16, 8, 96, -40, 64, -24, 32}},
  };
  for (const Case& c : cases) {
    IDirectSoundBuffer* b = Make(c.bits, c.channels, c.hz, c.pcm);
    ASSERT_EQ(DS_OK, b->Play(0, 0, DSBPLAY_LOOPING)) << c.what;
    Rendered r = Render(static_cast<int>(c.left.size()));
    const float scale = c.bits == 8 ? 128.0f : 32768.0f;
    for (std::size_t i = 0; i < c.left.size(); ++i) {
      EXPECT_FLOAT_EQ(c.left[i] / scale, r.L(i)) << c.what << " frame " << i;
      EXPECT_FLOAT_EQ((c.right.empty() ? c.left[i] : c.right[i]) / scale, r.R(i)) << c.what << " frame " << i;
    }
    ASSERT_EQ(DS_OK, b->Stop());
  }
}

TEST_F(DirectSoundTest, LoopSeamHoldsAcrossMixPasses) {
  // A 7-frame ramp at 3/4 of a frame a step wraps every 9 1/3 output frames,
  // so the seam falls at every place of a pass and on its boundaries. Each
  // output frame k reads position 3k/4 modulo 7, interpolated towards the
  // next frame, frame 0 after frame 6.
  const std::vector<int> ramp = {-3000, -2000, -1000, 0, 1000, 2000, 3000};
  IDirectSoundBuffer* b = Make(16, 1, 33075, Pcm16(ramp));
  ASSERT_EQ(DS_OK, b->Play(0, 0, DSBPLAY_LOOPING));
  const int frames = 3 * platform::dsound_detail::Mixer::CHUNK_FRAMES + 5;
  Rendered r = Render(frames);
  for (int k = 0; k < frames; ++k) {
    int quarters = (3 * k) % (4 * 7);  // position in quarter frames
    int at = quarters / 4;
    float t = static_cast<float>(quarters % 4) / 4.0f;
    float want = ramp[at] + (ramp[(at + 1) % 7] - ramp[at]) * t;
    ASSERT_FLOAT_EQ(want / 32768.0f, r.L(k)) << k;
  }
}

TEST_F(DirectSoundTest, ConvertsEightBitUnsignedAndKeepsStereoChannelsApart) {
  // Frames (left, right) at the output rate: no resampling.
  IDirectSoundBuffer* b = Make(8, 2, kRate, Bytes{128, 255, 0, 192, 64, 128, 128, 128});
  ASSERT_EQ(DS_OK, b->Play(0, 0, 0));
  Rendered r = Render(3);
  EXPECT_FLOAT_EQ(0.0f, r.L(0));
  EXPECT_FLOAT_EQ(127.0f / 128.0f, r.R(0));
  EXPECT_FLOAT_EQ(-1.0f, r.L(1));
  EXPECT_FLOAT_EQ(0.5f, r.R(1));
  EXPECT_FLOAT_EQ(-0.5f, r.L(2));
  EXPECT_FLOAT_EQ(0.0f, r.R(2));
}

TEST_F(DirectSoundTest, VolumeFollowsHundredthsOfADecibel) {
  IDirectSoundBuffer* b = Tone441();
  ASSERT_EQ(DS_OK, b->Play(0, 0, DSBPLAY_LOOPING));
  const double full = Render(4400).Rms(0);
  ASSERT_NEAR(0.5 / std::sqrt(2.0), full, 0.005);
  for (LONG volume : {-100, -600, -2000, -4000, -9000}) {
    ASSERT_EQ(DS_OK, b->SetVolume(volume));
    Rendered r = Render(4400);
    EXPECT_NEAR(volume / 100.0, Db(r.Rms(0) / full), 0.05) << volume;
    EXPECT_NEAR(volume / 100.0, Db(r.Rms(1) / full), 0.05) << volume;
    LONG got = 1;
    EXPECT_EQ(DS_OK, b->GetVolume(&got));
    EXPECT_EQ(volume, got);
  }
  // The bottom of the range is silence.
  ASSERT_EQ(DS_OK, b->SetVolume(DSBVOLUME_MIN));
  EXPECT_EQ(0.0, Render(4400).Rms(0));
  EXPECT_EQ(DSERR_INVALIDPARAM, b->SetVolume(1));
  EXPECT_EQ(DSERR_INVALIDPARAM, b->SetVolume(-10001));
}

TEST_F(DirectSoundTest, PanAttenuatesTheOtherSideByItsValue) {
  IDirectSoundBuffer* b = Tone441();
  ASSERT_EQ(DS_OK, b->Play(0, 0, DSBPLAY_LOOPING));
  const double full = Render(4400).Rms(0);
  struct Case {
    LONG pan;
    LONG volume;
    double leftDb;
    double rightDb;
  };
  const Case cases[] = {
      {600, 0, -6.0, 0.0},        // right: the left side 6 dB down
      {-2000, 0, 0.0, -20.0},     // left: the right side 20 dB down
      {1500, -300, -18.0, -3.0},  // volume and pan add up
      {0, -300, -3.0, -3.0},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(DS_OK, b->SetPan(c.pan));
    ASSERT_EQ(DS_OK, b->SetVolume(c.volume));
    Rendered r = Render(4400);
    EXPECT_NEAR(c.leftDb, Db(r.Rms(0) / full), 0.05) << c.pan;
    EXPECT_NEAR(c.rightDb, Db(r.Rms(1) / full), 0.05) << c.pan;
  }
  ASSERT_EQ(DS_OK, b->SetVolume(0));
  ASSERT_EQ(DS_OK, b->SetPan(DSBPAN_RIGHT));
  Rendered right = Render(4400);
  EXPECT_EQ(0.0, right.Rms(0));
  EXPECT_NEAR(full, right.Rms(1), 1e-4);
  ASSERT_EQ(DS_OK, b->SetPan(DSBPAN_LEFT));
  Rendered left = Render(4400);
  EXPECT_NEAR(full, left.Rms(0), 1e-4);
  EXPECT_EQ(0.0, left.Rms(1));
  EXPECT_EQ(DSERR_INVALIDPARAM, b->SetPan(10001));
}

TEST_F(DirectSoundTest, FrequencyMovesThePitch) {
  IDirectSoundBuffer* b = Tone441();
  ASSERT_EQ(DS_OK, b->Play(0, 0, DSBPLAY_LOOPING));
  EXPECT_NEAR(441.0, Render(kRate).Pitch(), 2.0);
  ASSERT_EQ(DS_OK, b->SetFrequency(44100));
  EXPECT_NEAR(882.0, Render(kRate).Pitch(), 2.0);
  ASSERT_EQ(DS_OK, b->SetFrequency(11025));
  EXPECT_NEAR(220.5, Render(kRate).Pitch(), 2.0);
  DWORD hz = 0;
  ASSERT_EQ(DS_OK, b->SetFrequency(DSBFREQUENCY_ORIGINAL));
  ASSERT_EQ(DS_OK, b->GetFrequency(&hz));
  EXPECT_EQ(22050u, hz);
  EXPECT_NEAR(441.0, Render(kRate).Pitch(), 2.0);
  EXPECT_EQ(DSERR_INVALIDPARAM, b->SetFrequency(99));
  EXPECT_EQ(DSERR_INVALIDPARAM, b->SetFrequency(100001));
}

TEST_F(DirectSoundTest, ControlsNotAskedForAreUnavailable) {
  IDirectSoundBuffer* b = Make(16, 1, 22050, Bytes(64, 0), DSBCAPS_STATIC);
  EXPECT_EQ(DSERR_CONTROLUNAVAIL, b->SetVolume(-100));
  EXPECT_EQ(DSERR_CONTROLUNAVAIL, b->SetPan(100));
  EXPECT_EQ(DSERR_CONTROLUNAVAIL, b->SetFrequency(11025));
}

TEST_F(DirectSoundTest, VoicesAddUpAndTheSumIsClipped) {
  IDirectSoundBuffer* a = Make(16, 1, kRate, Pcm16({20000, 20000, -20000, 1000}));
  IDirectSoundBuffer* b = Make(16, 1, kRate, Pcm16({20000, -30000, -20000, 2000}));
  ASSERT_EQ(DS_OK, a->Play(0, 0, 0));
  ASSERT_EQ(DS_OK, b->Play(0, 0, 0));
  Rendered r = Render(4);
  EXPECT_FLOAT_EQ(1.0f, r.L(0));
  EXPECT_FLOAT_EQ(-10000 / 32768.0f, r.L(1));
  EXPECT_FLOAT_EQ(-1.0f, r.L(2));
  EXPECT_FLOAT_EQ(3000 / 32768.0f, r.L(3));
}

// ---- Play, stop, status and positions ------------------------------------

TEST_F(DirectSoundTest, OneShotStopsAtItsEndAndPlaysAgainFromTheStart) {
  IDirectSoundBuffer* b = Make(16, 1, kRate, Pcm16({1000, 2000, 3000, 4000, 5000}));
  DWORD status = 77;
  ASSERT_EQ(DS_OK, b->GetStatus(&status));
  EXPECT_EQ(0u, status);
  ASSERT_EQ(DS_OK, b->Play(0, 0, 0));
  ASSERT_EQ(DS_OK, b->GetStatus(&status));
  EXPECT_EQ(DSBSTATUS_PLAYING, status);
  Rendered first = Render(8);
  EXPECT_FLOAT_EQ(5000 / 32768.0f, first.L(4));
  EXPECT_EQ(0.0f, first.L(5));  // past the end: silence
  ASSERT_EQ(DS_OK, b->GetStatus(&status));
  EXPECT_EQ(0u, status);
  DWORD play = 9, write = 9;
  ASSERT_EQ(DS_OK, b->GetCurrentPosition(&play, &write));
  EXPECT_EQ(0u, play);

  ASSERT_EQ(DS_OK, b->Play(0, 0, 0));
  Rendered second = Render(8);
  EXPECT_EQ(first.data, second.data);
}

TEST_F(DirectSoundTest, LoopingWrapsAndStopKeepsThePosition) {
  IDirectSoundBuffer* b = Make(16, 1, kRate, Pcm16({100, 200, 300, 400}));
  ASSERT_EQ(DS_OK, b->Play(0, 0, DSBPLAY_LOOPING));
  DWORD status = 0;
  ASSERT_EQ(DS_OK, b->GetStatus(&status));
  EXPECT_EQ(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING, status);
  Rendered r = Render(10);
  const float want[] = {100, 200, 300, 400, 100, 200, 300, 400, 100, 200};
  for (int i = 0; i < 10; ++i) EXPECT_FLOAT_EQ(want[i] / 32768.0f, r.L(i)) << i;
  DWORD play = 0;
  ASSERT_EQ(DS_OK, b->GetCurrentPosition(&play, nullptr));
  EXPECT_EQ(4u, play);  // frame 2, two bytes a frame

  ASSERT_EQ(DS_OK, b->Stop());
  ASSERT_EQ(DS_OK, b->GetStatus(&status));
  EXPECT_EQ(0u, status);
  EXPECT_EQ(0.0, Render(4).Rms(0));
  ASSERT_EQ(DS_OK, b->GetCurrentPosition(&play, nullptr));
  EXPECT_EQ(4u, play);
  // Play goes on from where it stopped; Play while playing only changes looping.
  ASSERT_EQ(DS_OK, b->Play(0, 0, DSBPLAY_LOOPING));
  EXPECT_FLOAT_EQ(300 / 32768.0f, Render(1).L(0));
  ASSERT_EQ(DS_OK, b->Play(0, 0, 0));
  Rendered tail = Render(3);
  EXPECT_FLOAT_EQ(400 / 32768.0f, tail.L(0));
  EXPECT_EQ(0.0f, tail.L(1));
  ASSERT_EQ(DS_OK, b->GetStatus(&status));
  EXPECT_EQ(0u, status);

  // Positions are in bytes, rounded down to a whole frame.
  ASSERT_EQ(DS_OK, b->SetCurrentPosition(5));
  ASSERT_EQ(DS_OK, b->GetCurrentPosition(&play, nullptr));
  EXPECT_EQ(4u, play);
  EXPECT_EQ(DSERR_INVALIDPARAM, b->SetCurrentPosition(8));
}

TEST_F(DirectSoundTest, LockHandsOutTheDataAndALockedBufferIsNotMixed) {
  IDirectSoundBuffer* b = Make(16, 1, kRate, Pcm16({1, 2, 3, 4, 5, 6}));
  void* p1 = nullptr;
  void* p2 = nullptr;
  DWORD n1 = 0, n2 = 0;
  // A region past the end wraps into a second part at the start.
  ASSERT_EQ(DS_OK, b->Lock(8, 8, &p1, &n1, &p2, &n2, 0));
  EXPECT_EQ(4u, n1);
  EXPECT_EQ(4u, n2);
  std::int16_t v;
  std::memcpy(&v, p1, 2);
  EXPECT_EQ(5, v);
  std::memcpy(&v, p2, 2);
  EXPECT_EQ(1, v);
  // One lock at a time; a locked buffer stays silent.
  void* q1;
  DWORD m1;
  EXPECT_EQ(DSERR_INVALIDPARAM, b->Lock(0, 2, &q1, &m1, nullptr, nullptr, 0));
  ASSERT_EQ(DS_OK, b->Play(0, 0, DSBPLAY_LOOPING));
  EXPECT_EQ(0.0, Render(4).Rms(0));
  EXPECT_EQ(DSERR_INVALIDPARAM, b->Unlock(p2, n1, p2, n2));
  ASSERT_EQ(DS_OK, b->Unlock(p1, n1, p2, n2));
  EXPECT_GT(Render(4).Rms(0), 0.0);

  // Whole-buffer locks; regions outside the buffer are refused.
  ASSERT_EQ(DS_OK, b->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER));
  EXPECT_EQ(12u, n1);
  EXPECT_EQ(0u, n2);
  ASSERT_EQ(DS_OK, b->Unlock(p1, n1, p2, n2));
  EXPECT_EQ(DSERR_INVALIDPARAM, b->Lock(12, 2, &p1, &n1, &p2, &n2, 0));
  EXPECT_EQ(DSERR_INVALIDPARAM, b->Lock(0, 14, &p1, &n1, &p2, &n2, 0));
  EXPECT_EQ(DSERR_INVALIDPARAM, b->Lock(10, 4, &p1, &n1, nullptr, nullptr, 0));
}

TEST_F(DirectSoundTest, TheVoiceListNeverAllocatesUnderTheMixersLockAndMixingAllocatesNothing) {
  IDirectSoundBuffer* first = Tone441();
  ASSERT_EQ(DS_OK, first->Play(0, 0, DSBPLAY_LOOPING));
  // The mixer behind the test device, reached through the lock its voices take.
  auto* mixer = platform::dsound_detail::TestMixer();
  ASSERT_NE(nullptr, mixer);
  std::vector<float> out(2 * 2000);
  {
    ArmedProbe probe(&mixer->Lock());
    // Enough buffers for the voice list to grow several times.
    WAVEFORMATEX f = Pcm(16, 1, 22050);
    DSBUFFERDESC d{sizeof(DSBUFFERDESC), DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME, 64, 0, &f};
    for (int i = 0; i < 100; ++i) {
      IDirectSoundBuffer* b = nullptr;
      ASSERT_EQ(DS_OK, ds_->CreateSoundBuffer(&d, &b, nullptr));
      buffers_.push_back(b);
      ASSERT_EQ(DS_OK, b->Play(0, 0, DSBPLAY_LOOPING));
      ASSERT_EQ(DS_OK, b->SetVolume(-100 * (i % 10)));
    }
    for (int i = 0; i < 50; ++i) {
      buffers_.back()->Release();
      buffers_.pop_back();
    }
    // The probe saw the buffers being made, none of it under the lock.
    EXPECT_GT(probe.allocations(), 100);
    EXPECT_EQ(0, probe.underLock());

    int before = probe.allocations();
    ASSERT_TRUE(platform::RenderMix(2000, out.data()));
    EXPECT_EQ(before, probe.allocations());
  }
}

// ---- Faults and the call log ------------------------------------------------

TEST_F(DirectSoundTest, InjectedFaultsFailTheirCallsAndLostBuffersNeedARestore) {
  platform::InjectSoundBufferCreateFailures(1);
  WAVEFORMATEX f = Pcm(8, 1, 22050);
  DSBUFFERDESC d{sizeof(DSBUFFERDESC), DSBCAPS_STATIC, 16, 0, &f};
  IDirectSoundBuffer* b = reinterpret_cast<IDirectSoundBuffer*>(&f);
  EXPECT_EQ(DSERR_OUTOFMEMORY, ds_->CreateSoundBuffer(&d, &b, nullptr));
  EXPECT_EQ(nullptr, b);
  ASSERT_EQ(DS_OK, ds_->CreateSoundBuffer(&d, &b, nullptr));
  buffers_.push_back(b);

  platform::InjectSoundLockFailures(1, DSERR_BUFFERLOST);
  void* p1;
  void* p2;
  DWORD n1, n2;
  EXPECT_EQ(DSERR_BUFFERLOST, b->Lock(0, 16, &p1, &n1, &p2, &n2, 0));
  DWORD status = 0;
  ASSERT_EQ(DS_OK, b->GetStatus(&status));
  EXPECT_EQ(DSBSTATUS_BUFFERLOST, status);
  EXPECT_EQ(DSERR_BUFFERLOST, b->Play(0, 0, 0));
  EXPECT_EQ(DSERR_BUFFERLOST, b->Lock(0, 16, &p1, &n1, &p2, &n2, 0));
  ASSERT_EQ(DS_OK, b->Restore());
  ASSERT_EQ(DS_OK, b->Lock(0, 16, &p1, &n1, &p2, &n2, 0));
  ASSERT_EQ(DS_OK, b->Unlock(p1, n1, p2, n2));

  platform::InjectSoundLockFailures(1, DSERR_GENERIC);
  EXPECT_EQ(DSERR_GENERIC, b->Lock(0, 16, &p1, &n1, &p2, &n2, 0));
  ASSERT_EQ(DS_OK, b->GetStatus(&status));
  EXPECT_EQ(0u, status);

  // Everything above, in order, with its result.
  std::vector<std::pair<std::string, HRESULT>> log;
  for (const platform::SoundCall& c : platform::RecordedSoundCalls())
    if (c.object == b || c.op == "CreateSoundBuffer") log.push_back({c.op, c.result});
  const std::vector<std::pair<std::string, HRESULT>> want = {
      {"CreateSoundBuffer", DSERR_OUTOFMEMORY},
      {"CreateSoundBuffer", DS_OK},
      {"Lock", DSERR_BUFFERLOST},
      {"Play", DSERR_BUFFERLOST},
      {"Lock", DSERR_BUFFERLOST},
      {"Restore", DS_OK},
      {"Lock", DS_OK},
      {"Unlock", DS_OK},
      {"Lock", DSERR_GENERIC},
  };
  EXPECT_EQ(want, log);
}

// ---- The real output, through SDL's dummy driver ----------------------------

TEST(DirectSoundSdlTest, PlaysThroughTheAudioThread) {
  platform::UseTestSound(false);
  IDirectSound* ds = nullptr;
  if (DirectSoundCreate(nullptr, &ds, nullptr) != DS_OK) GTEST_SKIP() << "no SDL audio driver";
  ASSERT_EQ(DS_OK, ds->SetCooperativeLevel(FakeWindow(), DSSCL_NORMAL));
  WAVEFORMATEX f = Pcm(16, 1, 22050);
  Bytes pcm = kelvdata::SineTonePcm(16, 1, 22050, 441.0, 0.5, 2205);  // 0.1 s
  DSBUFFERDESC d{sizeof(DSBUFFERDESC), DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY, static_cast<DWORD>(pcm.size()), 0, &f};
  IDirectSoundBuffer* loop = nullptr;
  IDirectSoundBuffer* once = nullptr;
  ASSERT_EQ(DS_OK, ds->CreateSoundBuffer(&d, &loop, nullptr));
  ASSERT_EQ(DS_OK, ds->CreateSoundBuffer(&d, &once, nullptr));
  for (IDirectSoundBuffer* b : {loop, once}) {
    void* p1;
    void* p2;
    DWORD n1, n2;
    ASSERT_EQ(DS_OK, b->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER));
    std::memcpy(p1, pcm.data(), n1);
    ASSERT_EQ(DS_OK, b->Unlock(p1, n1, p2, n2));
  }
  ASSERT_EQ(DS_OK, loop->Play(0, 0, DSBPLAY_LOOPING));
  ASSERT_EQ(DS_OK, once->SetFrequency(100000));
  ASSERT_EQ(DS_OK, once->Play(0, 0, 0));

  // The one-shot (0.02 s at this rate) ends on its own; the loop goes on.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  DWORD status = DSBSTATUS_PLAYING;
  while ((status & DSBSTATUS_PLAYING) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(DS_OK, once->GetStatus(&status));
  }
  EXPECT_EQ(0u, status);
  ASSERT_EQ(DS_OK, loop->GetStatus(&status));
  EXPECT_EQ(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING, status);

  // Changes and releases while the audio thread mixes.
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(DS_OK, loop->SetFrequency(100 + 1999 * static_cast<DWORD>(i)));
    ASSERT_EQ(DS_OK, loop->SetCurrentPosition(static_cast<DWORD>(i) * 2));
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  once->Release();
  loop->Release();
  ds->Release();
}

}  // namespace
