// The texture storage of the Direct3D renderer: format choice, conversion,
// keys, reduction, slots, reload and the texture budget.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/archive.h"
#include "render_d3d/direct3d_textures.h"
#include "tests/render_d3d/direct3d_fixture.h"
#include "tools/bbf.h"
#include "tools/tex.h"

namespace {

using kelvdata::BuildTex;
using kelvdata::Rgb;

class TexturesTest : public kelvtest::Direct3DTest {
 protected:
  void OpenUiArchive(const std::vector<kelvdata::BbfMember>& members) {
    Put("DATA/UI.BBF", kelvdata::BuildBbf(members));
    ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  }

  static bool Load(const std::string& name, TextureSlot* slot, std::uint8_t limit = 8) {
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    return g_TextureManager.Load(buffer.data(), slot, limit);
  }

  // The slot's texels as the texture surface holds them.
  static std::vector<std::uint16_t> Texels(TextureSlot slot) {
    IDirectDrawSurface4* s = g_TextureSurfaces[slot];
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof d;
    EXPECT_EQ(DD_OK, s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr));
    std::vector<std::uint16_t> out(d.dwWidth * d.dwHeight);
    for (DWORD y = 0; y < d.dwHeight; ++y)
      std::memcpy(&out[y * d.dwWidth], static_cast<std::uint8_t*>(d.lpSurface) + y * d.lPitch, d.dwWidth * 2);
    s->Unlock(nullptr);
    return out;
  }
};

TEST_F(TexturesTest, FormatChoicePrefersOneFiveFiveFiveThenFiveSixFive) {
  struct Case {
    const char* name;
    std::vector<DDPIXELFORMAT> formats;
    int chosen;  // -1: no format
  } cases[] = {
      {"both, 5-6-5 reported first",
       {platform::RgbPixelFormat(16, 0xF800, 0x07E0, 0x001F, 0), platform::RgbPixelFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000)},
       1},
      {"only 5-6-5", {platform::RgbPixelFormat(32, 0xFF0000, 0xFF00, 0xFF, 0), platform::RgbPixelFormat(16, 0xF800, 0x07E0, 0x001F, 0)}, 1},
      {"only 32 bits", {platform::RgbPixelFormat(32, 0xFF0000, 0xFF00, 0xFF, 0)}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::DirectDrawMachine m = platform::DefaultDirectDrawMachine();
    m.textureFormats = c.formats;
    platform::SetDirectDrawMachine(m);
    EXPECT_EQ(c.chosen >= 0, OpenAt(640, 480));
    if (c.chosen >= 0) EXPECT_EQ(c.chosen, g_ChosenTextureFormat);
    g_Renderer.Close();
  }
}

TEST_F(TexturesTest, KeyedTexelsLoseTheAlphaBitAndTheSurfaceCarriesTheKey) {
  ASSERT_TRUE(OpenAt(640, 480));
  const Rgb texels[4] = {{250, 0, 200}, {251, 0, 200}, {0, 0, 0}, {255, 255, 255}};
  auto quad = [&](int x, int y) { return texels[(y % 2) * 2 + (x % 2)]; };
  OpenUiArchive({{"_KEYED.TEX", BuildTex(32, 32, quad)}, {"PLAIN.TEX", BuildTex(32, 32, quad)}});
  g_ColourKey = {250, 0, 200};
  TextureSlot keyed = 0, plain = 0;
  ASSERT_TRUE(Load("data\\ui\\_keyed.tex", &keyed));
  ASSERT_TRUE(Load("DATA\\UI\\PLAIN.TEX", &plain));
  EXPECT_STREQ("DATA\\UI\\_KEYED.TEX", g_TextureManager.name[keyed]);
  // 250, 0, 200 -> 31, 0, 25; 251 converts to the same value and is keyed too.
  const std::uint16_t key = (31 << 10) | 25;
  const std::vector<std::uint16_t> k = Texels(keyed);
  EXPECT_EQ(key, k[0]);
  EXPECT_EQ(key, k[1]);
  EXPECT_EQ(0x8000, k[32]);
  EXPECT_EQ(0xFFFF, k[33]);
  EXPECT_EQ(key | 0x8000, Texels(plain)[0]);
  DDCOLORKEY colourKey{};
  ASSERT_EQ(DD_OK, g_TextureSurfaces[keyed]->GetColorKey(DDCKEY_SRCBLT, &colourKey));
  EXPECT_EQ(key, colourKey.dwColorSpaceLowValue);
  EXPECT_EQ(DDERR_NOCOLORKEY, g_TextureSurfaces[plain]->GetColorKey(DDCKEY_SRCBLT, &colourKey));
  // A later key does not change loaded slots.
  g_ColourKey = {0, 0, 0};
  TextureSlot again = 0;
  ASSERT_TRUE(Load("DATA\\UI\\_KEYED.TEX", &again));
  EXPECT_EQ(keyed, again);
  EXPECT_EQ(250, g_TextureManager.keyColour[keyed].red);
}

TEST_F(TexturesTest, FiveSixFiveTexturesHaveNoAlphaBitAndRelyOnTheColourKey) {
  platform::DirectDrawMachine m = platform::DefaultDirectDrawMachine();
  m.textureFormats = {platform::RgbPixelFormat(16, 0xF800, 0x07E0, 0x001F, 0)};
  platform::SetDirectDrawMachine(m);
  ASSERT_TRUE(OpenAt(640, 480));
  OpenUiArchive({{"_K.TEX", BuildTex(32, 32, [](int x, int) { return x == 0 ? Rgb{0, 0, 0} : Rgb{255, 128, 8}; })}});
  g_ColourKey = {0, 0, 0};
  TextureSlot slot = 0;
  ASSERT_TRUE(Load("DATA\\UI\\_K.TEX", &slot));
  const std::vector<std::uint16_t> t = Texels(slot);
  EXPECT_EQ(0, t[0]);
  EXPECT_EQ((31 << 11) | (32 << 5) | 1, t[1]);
  DDCOLORKEY colourKey{};
  ASSERT_EQ(DD_OK, g_TextureSurfaces[slot]->GetColorKey(DDCKEY_SRCBLT, &colourKey));
  EXPECT_EQ(0u, colourKey.dwColorSpaceLowValue);
  EXPECT_FALSE(Direct3DRenderer::AlphaTestReplacesColourKey());
}

TEST_F(TexturesTest, LargeTexturesKeepEveryStepthTexel) {
  ASSERT_TRUE(OpenAt(640, 480));
  OpenUiArchive({{"BIG.TEX", BuildTex(512, 512, [](int x, int y) {
                    return Rgb{static_cast<std::uint8_t>(x & 0xF8), static_cast<std::uint8_t>(y & 0xF8), 0};
                  })},
                 {"ODD.TEX", BuildTex(100, 40, [](int x, int) { return Rgb{static_cast<std::uint8_t>(x * 2), 0, 0}; })}});
  TextureSlot big = 0, odd = 0;
  ASSERT_TRUE(Load("DATA\\UI\\BIG.TEX", &big, 8));
  EXPECT_EQ(256, g_TextureManager.width[big]);
  EXPECT_EQ(256, g_TextureManager.height[big]);
  const std::vector<std::uint16_t> t = Texels(big);
  // Texel (i, j) is file texel (2i, 2j).
  for (int j : {0, 5, 255}) {
    for (int i : {0, 7, 255}) {
      const int r = (2 * i) & 0xF8, g = (2 * j) & 0xF8;
      EXPECT_EQ(0x8000 | ((r >> 3) << 10) | ((g >> 3) << 5), t[j * 256 + i]) << i << "," << j;
    }
  }
  // A limit of 0 counts as 1 (32 texels); 100 / 32 = 3 is the step.
  ASSERT_TRUE(Load("DATA\\UI\\ODD.TEX", &odd, 0));
  EXPECT_EQ(32, g_TextureManager.width[odd]);
  EXPECT_EQ(32, g_TextureManager.height[odd]);
  EXPECT_EQ(0x8000 | ((((31 * 3 * 2) & 0xFF) >> 3) << 10), Texels(odd)[31]);
}

TEST_F(TexturesTest, DamagedFilesAreRefusedBeforeAnyAllocation) {
  ASSERT_TRUE(OpenAt(640, 480));
  OpenUiArchive({{"SHORT.TEX", kelvdata::BuildTexRaw(60000, 60000, kelvdata::Bytes(30, 1))},
                 {"ZERO.TEX", kelvdata::BuildTexRaw(0, 4, kelvdata::Bytes(12, 1))}});
  TextureSlot slot = 0;
  EXPECT_FALSE(Load("DATA\\UI\\SHORT.TEX", &slot));
  EXPECT_FALSE(Load("DATA\\UI\\ZERO.TEX", &slot));
  EXPECT_FALSE(Load("DATA\\UI\\MISSING.TEX", &slot));
  const std::vector<std::string> expected = {"Error loading texture.\nPlease reinstall Kelvarro.",
                                             "Error loading texture.\nPlease reinstall Kelvarro.",
                                             "File error opening texture data.\nPlease reinstall Kelvarro."};
  EXPECT_EQ(expected, Boxes());
  for (int i = 1; i < TEXTURE_SLOT_COUNT; ++i) EXPECT_EQ(nullptr, g_TextureSurfaces[i]);
}

TEST_F(TexturesTest, SlotsFillFromOneFreeingReleasesAndFullTableFailsQuietly) {
  ASSERT_TRUE(OpenAt(640, 480));
  std::vector<kelvdata::BbfMember> members;
  for (int i = 0; i < 64; ++i) members.push_back({"T" + std::to_string(i) + ".TEX", BuildTex(32, 32, [](int, int) { return Rgb{1, 2, 3}; })});
  OpenUiArchive(members);
  TextureSlot slot = 0;
  ASSERT_TRUE(Load("NULL", &slot));
  EXPECT_EQ(0, slot);
  for (int i = 0; i < 63; ++i) {
    ASSERT_TRUE(Load("DATA\\UI\\T" + std::to_string(i) + ".TEX", &slot));
    EXPECT_EQ(i + 1, slot);
  }
  EXPECT_FALSE(Load("DATA\\UI\\T63.TEX", &slot));
  EXPECT_TRUE(Boxes().empty());
  g_TextureManager.Select(5);
  g_TextureManager.Free(5);
  EXPECT_EQ(0, g_TextureManager.selected);
  EXPECT_STREQ("UNUSED TEXTURE", g_TextureManager.name[5]);
  EXPECT_EQ(nullptr, g_TextureSurfaces[5]);
  ASSERT_TRUE(Load("DATA\\UI\\T63.TEX", &slot));
  EXPECT_EQ(5, slot);
}

TEST_F(TexturesTest, HardwareTexturesNeedVideoMemory) {
  platform::DirectDrawMachine m = platform::DefaultDirectDrawMachine();
  m.textureMemory = 4096;
  platform::SetDirectDrawMachine(m);
  ASSERT_TRUE(OpenAt(640, 480));
  OpenUiArchive({{"A.TEX", BuildTex(32, 32, [](int, int) { return Rgb{1, 2, 3}; })},
                 {"B.TEX", BuildTex(64, 64, [](int, int) { return Rgb{1, 2, 3}; })}});
  TextureSlot slot = 0;
  ASSERT_TRUE(Load("DATA\\UI\\A.TEX", &slot));
  EXPECT_FALSE(Load("DATA\\UI\\B.TEX", &slot));
  EXPECT_EQ((std::vector<std::string>{
                "Error: Not enough video memory to load textures.\nPlease use setup program to select a lower resolution."}),
            Boxes());
}

TEST_F(TexturesTest, SelectMovesOnlyWhenTheDeviceTookTheTexture) {
  ASSERT_TRUE(OpenAt(640, 480));
  OpenUiArchive({{"A.TEX", BuildTex(32, 32, [](int, int) { return Rgb{1, 2, 3}; })}});
  TextureSlot slot = 0;
  ASSERT_TRUE(Load("DATA\\UI\\A.TEX", &slot));
  platform::ClearDirectDrawRecords();
  g_TextureManager.Select(slot);
  g_TextureManager.Select(slot);
  g_TextureManager.Select(0);
  const auto calls = Calls("IDirect3DDevice3::SetTexture");
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ(1.0, calls[0].args[1]);
  EXPECT_EQ(0.0, calls[1].args[1]);
}

TEST_F(TexturesTest, LostTexturesAreRestoredAndReadAgain) {
  ASSERT_TRUE(OpenAt(640, 480));
  OpenUiArchive({{"A.TEX", BuildTex(64, 32, [](int, int) { return Rgb{255, 0, 0}; })}});
  TextureSlot slot = 0;
  ASSERT_TRUE(Load("DATA\\UI\\A.TEX", &slot));
  platform::SetDirectDrawSurfacesLost(true);
  platform::ClearDirectDrawRecords();
  ASSERT_TRUE(g_TextureManager.ReloadAll());
  EXPECT_EQ(1u, Calls("IDirectDrawSurface4::Restore").size());
  EXPECT_EQ(1u, Calls("IDirect3DTexture2::Load").size());
  EXPECT_EQ(0xFC00, Texels(slot)[0]);
  // Nothing lost: nothing read.
  platform::ClearDirectDrawRecords();
  ASSERT_TRUE(g_TextureManager.ReloadAll());
  EXPECT_TRUE(Calls("IDirect3DTexture2::Load").empty());
}

TEST_F(TexturesTest, SizeClassesStartFromTheLargestTextureAndHalveToTheBudget) {
  struct Case {
    const char* name;
    DWORD maxTexture;
    DWORD memory;
    const char* driverName;
    std::uint8_t first;   // entry 1
    std::uint8_t small;   // entry 0
  } cases[] = {
      {"2048 with room", 2048, 64u << 20, "display", 32, 8},
      {"256", 256, 64u << 20, "display", 8, 8},
      {"no size reported", 0, 64u << 20, "display", 32, 8},
      {"64", 64, 64u << 20, "display", 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::DirectDrawMachine m = platform::DefaultDirectDrawMachine();
    m.drivers[0].devices[1].maxTextureSize = c.maxTexture;
    m.drivers[0].name = c.driverName;
    m.textureMemory = c.memory;
    platform::SetDirectDrawMachine(m);
    ASSERT_TRUE(OpenAt(640, 480));
    g_Renderer.AssignTextureSizeClasses(8);
    EXPECT_EQ(c.first, g_TextureSizeClasses[1]);
    EXPECT_EQ(c.first, g_TextureSizeClasses[31]);
    EXPECT_EQ(c.small, g_TextureSizeClasses[0]);
    EXPECT_EQ(c.small, g_TextureSizeClasses[44]);
    EXPECT_EQ(1, g_TextureSizeClasses[45]);
    EXPECT_EQ(1, g_TextureSizeClasses[46]);
    g_Renderer.Close();
  }
}

TEST_F(TexturesTest, HalvingWalksFromEntryZeroAndTheThreeDfxBudgetIsHalf) {
  // Everything in use at 8: 47 entries less 45, 46 at 1 -> 45 x 64 x 2048 + 2 x 2048.
  const long long full = 45ll * 64 * 2048 + 2 * 2048;
  struct Case {
    const char* name;
    const char* driverName;
    long long memory;
    int halved;  // entries 0..halved-1 end at 4, the rest stay at 8
  } cases[] = {
      {"fits", "display", full, 0},
      {"three short", "display", full - 3 * 48 * 2048 + 1, 3},
      {"3dfxV2 halves the budget", "mm3dfxV2", 2 * (full - 2 * 48 * 2048), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::DirectDrawMachine m = platform::DefaultDirectDrawMachine();
    m.drivers[0].devices[1].maxTextureSize = 256;
    m.drivers[0].name = c.driverName;
    m.textureMemory = static_cast<DWORD>(c.memory);
    platform::SetDirectDrawMachine(m);
    ASSERT_TRUE(OpenAt(640, 480));
    g_Renderer.AssignTextureSizeClasses(8);
    for (int i = 0; i < 45; ++i) EXPECT_EQ(i < c.halved ? 4 : 8, g_TextureSizeClasses[i]) << i;
    g_Renderer.Close();
  }
  // No memory at all: the loop ends with every halvable entry in use at 0.
  platform::DirectDrawMachine m = platform::DefaultDirectDrawMachine();
  m.textureMemory = 0;
  platform::SetDirectDrawMachine(m);
  ASSERT_TRUE(OpenAt(640, 480));
  g_RiderCount = 8;
  g_Renderer.AssignTextureSizeClasses(1);
  EXPECT_EQ(0, g_TextureSizeClasses[0]);
  EXPECT_EQ(32, g_TextureSizeClasses[2]);   // a land group not in use
  EXPECT_EQ(32, g_TextureSizeClasses[9]);   // a rider group not in use
  EXPECT_EQ(32, g_TextureSizeClasses[20]);  // the last rider group not in use
  EXPECT_EQ(0, g_TextureSizeClasses[21]);   // a rider group in use
  EXPECT_EQ(8, g_TextureSizeClasses[42]);   // never halved
}

}  // namespace
