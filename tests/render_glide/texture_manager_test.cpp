// The texture manager over the virtual board: shared names, the key colour
// in texture memory, slot and memory reuse, placement in the units, running
// out of slots and memory, Select (also after a fade), and the reloads.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/scene/scene.h"
#include "platform/win32/msgbox.h"
#include "tests/render_glide/glide_fixture.h"
#include "tools/bbf.h"
#include "tools/tex.h"

namespace {

using kelvdata::BuildTex;
using kelvdata::Rgb;
using platform::CurrentGlideState;
using platform::GlideBoard;

// A texture of one colour.
kelvdata::Bytes Plain(int w, int h, Rgb c) {
  return BuildTex(static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h), [c](int, int) { return c; });
}

std::uint16_t Opaque(Rgb c) { return static_cast<std::uint16_t>(0x8000 | ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3)); }

class TextureManagerTest : public kelvtest::GlideTest {
 protected:
  void OpenUiArchive(const std::vector<kelvdata::BbfMember>& members) {
    Put("DATA/UI.BBF", kelvdata::BuildBbf(members));
    ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  }

  // Load through a writable copy of the name, as the game's loaders do.
  static bool Load(const std::string& name, TextureSlot* slot, std::uint8_t limit = 8) {
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    return g_TextureManager.Load(buffer.data(), slot, limit);
  }

  // The 16-bit texel at `index` of the slot's texture, from the unit's memory.
  static std::uint16_t TexelInMemory(TextureSlot slot, std::size_t index) {
    const auto& memory = platform::GlideTextureMemory(static_cast<GrChipID_t>(g_TextureManager.unit[slot]));
    const std::size_t at = g_TextureManager.startAddress[slot] + 2 * index;
    EXPECT_LT(at + 1, memory.size());
    if (at + 1 >= memory.size()) return 0;
    return static_cast<std::uint16_t>(memory[at] | (memory[at + 1] << 8));
  }
};

TEST_F(TextureManagerTest, NullNeedsNoFileAndNamesAreShared) {
  ASSERT_TRUE(OpenAt(640, 480));
  TextureSlot slot = 99;
  EXPECT_TRUE(Load("null", &slot));
  EXPECT_EQ(0, slot);

  OpenUiArchive({{"_FONT1.TEX", Plain(32, 32, {1, 2, 3})}});
  ASSERT_TRUE(Load("DATA\\UI\\_FONT1.TEX", &slot));
  EXPECT_EQ(1, slot);
  EXPECT_STREQ("DATA\\UI\\_FONT1.TEX", g_TextureManager.name[1]);
  // The caller's name is upper-cased in place; the same name in lower case
  // is the same texture, with no file read (the archive is gone).
  g_UiArchive.Close();
  char lower[] = "data\\ui\\_font1.tex";
  TextureSlot again = 0;
  EXPECT_TRUE(g_TextureManager.Load(lower, &again, 8));
  EXPECT_STREQ("DATA\\UI\\_FONT1.TEX", lower);
  EXPECT_EQ(1, again);
  EXPECT_TRUE(platform::RecordedMessageBoxes().empty());
}

TEST_F(TextureManagerTest, TexelsReachTextureMemoryWithTheKeyAsAlpha) {
  ASSERT_TRUE(OpenAt(640, 480));
  const Rgb key{250, 0, 200};
  const Rgb texels[4] = {key, {251, 0, 200}, {0, 0, 0}, {255, 255, 255}};
  auto quad = [&](int x, int y) { return texels[(y % 2) * 2 + (x % 2)]; };
  OpenUiArchive({{"_KEYED.TEX", BuildTex(32, 32, quad)}, {"PLAIN.TEX", BuildTex(32, 32, quad)}});
  g_ColourKey = {250, 0, 200};
  TextureSlot keyedSlot = 0;
  TextureSlot plainSlot = 0;
  ASSERT_TRUE(Load("DATA\\UI\\_KEYED.TEX", &keyedSlot));
  ASSERT_TRUE(Load("DATA\\UI\\PLAIN.TEX", &plainSlot));
  // The slot keeps the key of its load; a later key does not change it.
  g_ColourKey = {0, 0, 0};
  EXPECT_EQ(250, g_TextureManager.keyColour[keyedSlot].red);
  EXPECT_EQ(1, g_TextureManager.keyed[keyedSlot]);
  EXPECT_EQ(0, g_TextureManager.keyed[plainSlot]);

  EXPECT_EQ(Opaque(key) & 0x7FFF, TexelInMemory(keyedSlot, 0));
  EXPECT_EQ(Opaque(texels[1]), TexelInMemory(keyedSlot, 1));
  EXPECT_EQ(Opaque(texels[3]), TexelInMemory(keyedSlot, 33));
  EXPECT_EQ(Opaque(key), TexelInMemory(plainSlot, 0));
  // One after the other in unit 0.
  EXPECT_EQ(0u, g_TextureManager.unit[plainSlot]);
  EXPECT_EQ(g_TextureManager.startAddress[keyedSlot] + g_TextureManager.memorySize[keyedSlot],
            g_TextureManager.startAddress[plainSlot]);
  EXPECT_EQ(256.0f, g_TextureManager.sScale[plainSlot]);
}

TEST_F(TextureManagerTest, SelectSetsSourceCombineAndAlphaTestOnce) {
  ASSERT_TRUE(OpenAt(640, 480));
  OpenUiArchive({{"_KEYED.TEX", Plain(64, 32, {9, 9, 9})}, {"PLAIN.TEX", Plain(32, 32, {9, 9, 9})}});
  TextureSlot keyedSlot = 0;
  TextureSlot plainSlot = 0;
  ASSERT_TRUE(Load("DATA\\UI\\_KEYED.TEX", &keyedSlot));
  ASSERT_TRUE(Load("DATA\\UI\\PLAIN.TEX", &plainSlot));

  EXPECT_TRUE(g_TextureManager.Select(keyedSlot));
  const auto& s = CurrentGlideState();
  EXPECT_TRUE(s.tmu[0].sourceSet);
  EXPECT_EQ(g_TextureManager.startAddress[keyedSlot], s.tmu[0].startAddress);
  EXPECT_EQ(6, s.tmu[0].largeLod);
  EXPECT_EQ(1, s.tmu[0].aspect);
  EXPECT_EQ(GR_TEXFMT_ARGB_1555, s.tmu[0].format);
  EXPECT_EQ(GR_COMBINE_FUNCTION_LOCAL, s.tmu[0].combine.rgbFunction);
  EXPECT_EQ(GR_COMBINE_FUNCTION_SCALE_OTHER, s.colorCombine.function);
  EXPECT_EQ(GR_CMP_GREATER, s.alphaTestFunction);
  EXPECT_EQ(127, s.alphaTestReference);
  EXPECT_EQ(TEXBLEND_MODULATE, g_Renderer.cache.textureBlend);

  platform::ClearGlideRecords();
  EXPECT_TRUE(g_TextureManager.Select(keyedSlot));
  EXPECT_TRUE(platform::RecordedGlideCalls().empty());

  g_TextureManager.Select(plainSlot);
  EXPECT_EQ(GR_CMP_ALWAYS, CurrentGlideState().alphaTestFunction);
  g_TextureManager.Select(0);
  EXPECT_EQ(GR_COMBINE_FUNCTION_LOCAL, CurrentGlideState().colorCombine.function);
  EXPECT_EQ(0, g_TextureManager.selected);
}

TEST_F(TextureManagerTest, AFadeDeselectsSoTheNextSelectReachesTheBoard) {
  ASSERT_TRUE(OpenAt(640, 480));
  OpenUiArchive({{"PLAIN.TEX", Plain(32, 32, {9, 9, 9})}});
  TextureSlot slot = 0;
  ASSERT_TRUE(Load("DATA\\UI\\PLAIN.TEX", &slot));
  g_TextureManager.Select(slot);
  g_Renderer.StartFade(2.0f, FADE_OUT, nullptr);
  g_FrameTime = 1.0f;
  ASSERT_TRUE(g_Renderer.DrawFade());
  EXPECT_EQ(GR_COMBINE_FUNCTION_LOCAL, CurrentGlideState().colorCombine.function);

  // The fade drew untextured: selecting the same texture turns texturing on again.
  platform::ClearGlideRecords();
  g_TextureManager.Select(slot);
  EXPECT_EQ(1u, Calls("grTexSource").size());
  EXPECT_EQ(GR_COMBINE_FUNCTION_SCALE_OTHER, CurrentGlideState().colorCombine.function);
  EXPECT_EQ(GR_COMBINE_OTHER_TEXTURE, CurrentGlideState().colorCombine.other);
}

TEST_F(TextureManagerTest, ReloadKeysWithTheSlotsOwnKeyColour) {
  ASSERT_TRUE(OpenAt(640, 480));
  const Rgb key{250, 0, 200};
  auto pair = [&](int x, int) { return x % 2 ? Rgb{0, 0, 0} : key; };
  OpenUiArchive({{"_KEYED.TEX", BuildTex(32, 32, pair)}});
  g_ColourKey = {250, 0, 200};  // a front-end scene's key
  TextureSlot slot = 0;
  ASSERT_TRUE(Load("DATA\\UI\\_KEYED.TEX", &slot));

  // A race's key is black; the texture loaded before it keeps its own.
  g_ColourKey = {0, 0, 0};
  ASSERT_TRUE(g_TextureManager.Reload(slot));
  EXPECT_EQ(Opaque(key) & 0x7FFF, TexelInMemory(slot, 0));
  EXPECT_EQ(Opaque({0, 0, 0}), TexelInMemory(slot, 1));
  EXPECT_EQ(250, g_TextureManager.keyColour[slot].red);
}

TEST_F(TextureManagerTest, FreedSlotsAreReusedByTexturesOfTheSameSize) {
  ASSERT_TRUE(OpenAt(640, 480));
  OpenUiArchive({{"A.TEX", Plain(32, 32, {1, 1, 1})},
                 {"B.TEX", Plain(32, 32, {2, 2, 2})},
                 {"C.TEX", Plain(32, 32, {3, 3, 3})},
                 {"D.TEX", Plain(64, 64, {4, 4, 4})}});
  TextureSlot a = 0, b = 0, c = 0, d = 0;
  ASSERT_TRUE(Load("DATA\\UI\\A.TEX", &a));
  ASSERT_TRUE(Load("DATA\\UI\\B.TEX", &b));
  const std::uint32_t aStart = g_TextureManager.startAddress[a];
  g_TextureManager.Select(a);
  g_TextureManager.Free(a);
  EXPECT_STREQ("UNUSED TEXTURE", g_TextureManager.name[a]);
  EXPECT_EQ(TEXTURE_FREED, g_TextureManager.state[a]);
  EXPECT_EQ(0, g_TextureManager.selected);
  EXPECT_EQ(TEXBLEND_COLOUR, g_Renderer.cache.textureBlend);
  g_TextureManager.Free(a);  // a second free changes nothing
  EXPECT_EQ(TEXTURE_FREED, g_TextureManager.state[a]);

  // Another size takes a new slot; the same size takes the freed one and its memory.
  ASSERT_TRUE(Load("DATA\\UI\\D.TEX", &d));
  EXPECT_EQ(3, d);
  ASSERT_TRUE(Load("DATA\\UI\\C.TEX", &c));
  EXPECT_EQ(a, c);
  EXPECT_EQ(aStart, g_TextureManager.startAddress[c]);
  EXPECT_EQ(TEXTURE_LOADED, g_TextureManager.state[c]);
  EXPECT_EQ(Opaque({3, 3, 3}), TexelInMemory(c, 0));
  (void)b;
}

TEST_F(TextureManagerTest, NoTextureStraddlesTheTwoMegabyteBoundary) {
  GlideBoard board;
  board.tmuCount = 1;
  UseBoard(board);
  ASSERT_TRUE(OpenAt(640, 480));
  std::vector<kelvdata::BbfMember> members = {{"SMALL.TEX", Plain(128, 128, {5, 5, 5})}};
  for (int i = 0; i < 16; ++i) members.push_back({"BIG" + std::to_string(i) + ".TEX", Plain(256, 256, {6, 6, 6})});
  OpenUiArchive(members);
  TextureSlot slot = 0;
  ASSERT_TRUE(Load("DATA\\UI\\SMALL.TEX", &slot));
  for (int i = 0; i < 16; ++i) ASSERT_TRUE(Load("DATA\\UI\\BIG" + std::to_string(i) + ".TEX", &slot)) << i;
  const std::uint32_t size = g_TextureManager.memorySize[slot];
  const std::uint32_t previousEnd = g_TextureManager.startAddress[slot - 1] + size;
  ASSERT_LT(previousEnd, 2u << 20);
  ASSERT_GT(previousEnd + size, 2u << 20);
  EXPECT_EQ(2u << 20, g_TextureManager.startAddress[slot]);
  EXPECT_EQ(Opaque({6, 6, 6}), TexelInMemory(slot, 0));
}

TEST_F(TextureManagerTest, TexturesGoToTheSecondUnitWhenTheFirstIsFull) {
  GlideBoard board;
  board.tmuMemory = 160u << 10;  // one 256x256 texture per unit
  UseBoard(board);
  ASSERT_TRUE(OpenAt(640, 480));
  OpenUiArchive({{"A.TEX", Plain(256, 256, {1, 1, 1})},
                 {"B.TEX", Plain(256, 256, {2, 2, 2})},
                 {"C.TEX", Plain(256, 256, {3, 3, 3})}});
  TextureSlot a = 0, b = 0, c = 0;
  ASSERT_TRUE(Load("DATA\\UI\\A.TEX", &a));
  ASSERT_TRUE(Load("DATA\\UI\\B.TEX", &b));
  EXPECT_EQ(0u, g_TextureManager.unit[a]);
  EXPECT_EQ(1u, g_TextureManager.unit[b]);
  EXPECT_EQ(Opaque({2, 2, 2}), TexelInMemory(b, 100));

  // Drawn from unit 1: unit 0 passes its texel on.
  g_TextureManager.Select(b);
  EXPECT_TRUE(CurrentGlideState().tmu[1].sourceSet);
  EXPECT_EQ(GR_COMBINE_FUNCTION_SCALE_OTHER, CurrentGlideState().tmu[0].combine.rgbFunction);
  EXPECT_EQ(GR_COMBINE_FACTOR_ONE, CurrentGlideState().tmu[0].combine.rgbFactor);

  // Both full: reported, and the slot table is as it was.
  EXPECT_FALSE(Load("DATA\\UI\\C.TEX", &c));
  EXPECT_EQ(std::vector<std::string>{"Not enough texture memory to load texture."}, Boxes());
  EXPECT_EQ(TEXTURE_UNUSED, g_TextureManager.state[3]);
  EXPECT_STREQ("UNUSED TEXTURE", g_TextureManager.name[3]);
}

TEST_F(TextureManagerTest, SixtyThreeSlotsThenLoadFailsSilently) {
  ASSERT_TRUE(OpenAt(640, 480));
  std::vector<kelvdata::BbfMember> members;
  for (int i = 0; i < 64; ++i) members.push_back({"T" + std::to_string(i) + ".TEX", Plain(1, 1, {7, 7, 7})});
  OpenUiArchive(members);
  TextureSlot slot = 0;
  for (int i = 0; i < 63; ++i) {
    ASSERT_TRUE(Load("DATA\\UI\\T" + std::to_string(i) + ".TEX", &slot)) << i;
    EXPECT_EQ(i + 1, slot);
  }
  EXPECT_FALSE(Load("DATA\\UI\\T63.TEX", &slot));
  EXPECT_TRUE(platform::RecordedMessageBoxes().empty());
}

TEST_F(TextureManagerTest, FailedLoadLeavesTheTableAsItWas) {
  ASSERT_TRUE(OpenAt(640, 480));
  OpenUiArchive({{"ODD.TEX", Plain(3, 4, {1, 1, 1})}});
  const TextureManager before = g_TextureManager;
  TextureSlot slot = 0;
  EXPECT_FALSE(Load("DATA\\UI\\ODD.TEX", &slot));
  EXPECT_FALSE(Load("DATA\\UI\\MISSING.TEX", &slot));
  EXPECT_EQ(0, std::memcmp(before.state, g_TextureManager.state, sizeof before.state));
  EXPECT_EQ(0, std::memcmp(before.name, g_TextureManager.name, sizeof before.name));
  EXPECT_EQ(before.nextFreeAddress[0], g_TextureManager.nextFreeAddress[0]);
  EXPECT_EQ((std::vector<std::string>{"Texture aspect ratio not supported.\nPlease reinstall Kelvarro",
                                      "Error loading texture.\nPlease reinstall Kelvarro."}),
            Boxes());
}

TEST_F(TextureManagerTest, ReloadAllAfterAReopenPacksTheLoadedTexturesAgain) {
  ASSERT_TRUE(OpenAt(640, 480));
  OpenUiArchive({{"A.TEX", Plain(64, 64, {1, 1, 1})},
                 {"B.TEX", Plain(64, 64, {2, 2, 2})},
                 {"C.TEX", BuildTex(256, 256, [](int x, int y) { return Rgb{std::uint8_t(x), std::uint8_t(y), 3}; })}});
  TextureSlot a = 0, b = 0, c = 0;
  ASSERT_TRUE(Load("DATA\\UI\\A.TEX", &a));
  ASSERT_TRUE(Load("DATA\\UI\\B.TEX", &b));
  ASSERT_TRUE(Load("DATA\\UI\\C.TEX", &c, 4));  // reduced to 128x128
  g_TextureManager.Select(c);
  g_TextureManager.Free(b);

  // Deactivation: the window closes and reopens with empty texture memory.
  g_Renderer.SuspendExclusiveWindow();
  ASSERT_TRUE(g_Renderer.ResumeExclusiveWindow(false));
  ASSERT_TRUE(g_Renderer.RestoreSurfaces());
  ASSERT_TRUE(g_TextureManager.ReloadAll());

  for (int i = 1; i < TEXTURE_SLOT_COUNT; ++i) EXPECT_NE(TEXTURE_FREED, g_TextureManager.state[i]) << i;
  EXPECT_EQ(TEXTURE_UNUSED, g_TextureManager.state[b]);
  EXPECT_EQ(grTexMinAddress(GR_TMU0), g_TextureManager.startAddress[a]);
  EXPECT_EQ(g_TextureManager.startAddress[a] + g_TextureManager.memorySize[a], g_TextureManager.startAddress[c]);
  EXPECT_EQ(128, g_TextureManager.width[c]);
  EXPECT_EQ(Opaque({1, 1, 1}), TexelInMemory(a, 0));
  EXPECT_EQ(Opaque({2 * 5, 2 * 7, 3}), TexelInMemory(c, 7 * 128 + 5));
  // The texture that was selected before is sent again from its new place.
  g_TextureManager.Select(c);
  EXPECT_EQ(g_TextureManager.startAddress[c], CurrentGlideState().tmu[0].startAddress);

  // A texture that cannot come back stops the reload; a repack goes on past it.
  g_UiArchive.Close();
  platform::ClearRecordedMessageBoxes();
  EXPECT_FALSE(g_TextureManager.ReloadAll());
  EXPECT_EQ(1u, Boxes().size());
  platform::ClearRecordedMessageBoxes();
  g_TextureManager.Repack();
  EXPECT_EQ(2u, Boxes().size());
}

TEST_F(TextureManagerTest, SampleTexelReadsTheFileWithTheLowBitsCleared) {
  ASSERT_TRUE(OpenAt(640, 480));
  OpenUiArchive({{"SKY.TEX", BuildTex(64, 32, [](int x, int y) { return Rgb{std::uint8_t(x * 4 + 3), std::uint8_t(y * 8 + 7), 255}; })}});
  TextureSlot slot = 0;
  ASSERT_TRUE(Load("DATA\\UI\\SKY.TEX", &slot, 1));  // stored at 32x16, sampled from the file
  float r, g, b;
  g_TextureManager.SampleTexel(slot, 0.5f, 0.25f, &r, &g, &b);
  EXPECT_FLOAT_EQ(static_cast<float>((32 * 4 + 3) & 0xF8) / 255.0f, r);
  EXPECT_FLOAT_EQ(static_cast<float>((8 * 8 + 7) & 0xF8) / 255.0f, g);
  EXPECT_FLOAT_EQ(248.0f / 255.0f, b);

  for (float u : {-0.5f, 7.0f}) {
    g_TextureManager.SampleTexel(slot, u, 0.5f, &r, &g, &b);
    EXPECT_EQ(0.0f, r + g + b) << u;
  }
  g_UiArchive.Close();
  g_TextureManager.SampleTexel(slot, 0.5f, 0.5f, &r, &g, &b);
  EXPECT_EQ(0.0f, r + g + b);
}

}  // namespace
