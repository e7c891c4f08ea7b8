// The mouse cursor: the DirectInput mouse of the test input backend, the
// button messages posted to a test window, the clip rectangle, and its two
// quads on the recording board; a picture of it on the OpenGL board.
#include "engine/cursor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/maths.h"
#include "engine/program_objects.h"
#include "engine/system.h"
#include "platform/dinput/dinput.h"
#include "platform/dinput/input_test.h"
#include "platform/win32/window.h"
#include "tests/render_glide/glide_fixture.h"
#include "tests/render_glide/picture_fixture.h"
#include "tests/support/picture.h"
#include "tools/bbf.h"
#include "tools/dataset.h"

namespace {

using platform::RecordedGlideDraws;

struct Posted {
  UINT message;
  WPARAM wParam;
  int x, y;
  bool operator==(const Posted&) const = default;
};

// A window, the mouse and the cursor's textures around the real cursor.
class CursorTest : public kelvtest::GlideTest {
 protected:
  void SetUp() override {
    GlideTest::SetUp();
    platform::UseTestWindowing(true);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "QDVCLASS";
    ASSERT_NE(RegisterClassA(&wc), 0);
    window_ = CreateWindowExA(0, "QDVCLASS", "Kelvarro", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr,
                              nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    platform::UseTestInput(true);
    mouse_ = platform::AddTestMouse();
    Put("DATA/UI.BBF", kelvdata::BuildBbf({{"_CUROBJ.TEX", kelvdata::CursorPointerTex()},
                                           {"_CURSHD.TEX", kelvdata::CursorShadowTex()}}));
    ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    GetProgramObject(PROGRAM_OBJECT_CURSOR).construct();
    ASSERT_EQ(DirectInputCreateA(nullptr, 0x0500, &directInput_, nullptr), DI_OK);
  }
  void TearDown() override {
    g_Cursor.Release();
    if (directInput_ != nullptr) directInput_->Release();
    platform::UseTestInput(false);
    platform::UseTestWindowing(false);
    GlideTest::TearDown();
  }

  // The cursor as start-up makes it, at 640 x 480.
  void Start() {
    ASSERT_TRUE(OpenAt(640, 480));
    ASSERT_TRUE(g_Cursor.SetDirectInput(directInput_));
    ASSERT_TRUE(g_Cursor.Create(window_));
    g_Cursor.SetAcquired(true);
    platform::ClearGlideRecords();
  }

  // The button messages waiting for the window, taken out.
  std::vector<Posted> Clicks() {
    std::vector<Posted> out;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONUP) {
        EXPECT_EQ(msg.hwnd, window_);
        out.push_back({msg.message, msg.wParam, LOWORD(msg.lParam), HIWORD(msg.lParam)});
      }
    }
    return out;
  }

  // Moves the mouse, runs one frame and returns the position.
  std::pair<int, int> Move(int dx, int dy) {
    platform::MoveTestMouse(mouse_, dx, dy);
    EXPECT_TRUE(g_Cursor.Update());
    Vector3 p;
    g_Cursor.GetPosition(&p);
    return {static_cast<int>(p.x), static_cast<int>(p.y)};
  }

  void Focus(bool gained) {
    platform::InjectFocus(window_, gained);
    Clicks();
  }

  HWND window_ = nullptr;
  platform::TestInputDevice mouse_ = -1;
  IDirectInputA* directInput_ = nullptr;
};

TEST_F(CursorTest, AHeldButtonGivesOneDownAndOneUpAtThePosition) {
  Start();
  Move(10, 20);
  platform::SetTestMouseButton(mouse_, 1, true);  // the right button
  Move(0, 0);
  Move(5, 5);  // still held, moved
  EXPECT_EQ(Clicks(), (std::vector<Posted>{{WM_LBUTTONDOWN, 0, 10, 20}}));
  platform::SetTestMouseButton(mouse_, 1, false);
  Move(0, 0);
  Move(0, 0);
  EXPECT_EQ(Clicks(), (std::vector<Posted>{{WM_LBUTTONUP, 0, 15, 25}}));
}

TEST_F(CursorTest, TheClipRectangleHoldsThePosition) {
  Start();
  EXPECT_EQ(Move(-1000, -1000), std::make_pair(0, 0));
  EXPECT_EQ(Move(5000, 5000), std::make_pair(639, 479));
  g_Cursor.SetClipRect(100, 50, 300, 200, true);
  EXPECT_EQ(Move(0, 0), std::make_pair(300, 200));
  EXPECT_EQ(Move(-1000, 0), std::make_pair(100, 200));
  // Edges off the screen are not taken: the old right and bottom stay.
  g_Cursor.SetClipRect(0, 0, 640, 480, true);
  EXPECT_EQ(Move(1000, 1000), std::make_pair(300, 200));
  EXPECT_EQ(Move(-1000, -1000), std::make_pair(0, 0));

  g_Cursor.SetPosition(700, 40);  // x off the screen: only y is taken
  EXPECT_EQ(Move(0, 0), std::make_pair(0, 40));
}

TEST_F(CursorTest, ShadowThenPointerWithTheirStates) {
  Start();
  Move(100, 60);
  ASSERT_EQ(RecordedGlideDraws().size(), 2u);
  const auto& shadow = RecordedGlideDraws()[0];
  const auto& pointer = RecordedGlideDraws()[1];
  EXPECT_EQ(shadow.state.rgbSrc, GR_BLEND_ZERO);
  EXPECT_EQ(shadow.state.rgbDst, GR_BLEND_SRC_COLOR);
  EXPECT_EQ(shadow.state.tmu[0].minFilter, GR_TEXTUREFILTER_POINT_SAMPLED);
  EXPECT_EQ(pointer.state.rgbSrc, GR_BLEND_ONE);
  EXPECT_EQ(pointer.state.rgbDst, GR_BLEND_ZERO);
  EXPECT_EQ(pointer.state.tmu[0].minFilter, GR_TEXTUREFILTER_BILINEAR);
  EXPECT_EQ(pointer.state.alphaTestFunction, GR_CMP_GREATER) << "the keyed texels fall to the alpha test";
  for (const auto* draw : {&shadow, &pointer}) {
    EXPECT_EQ(draw->state.depthMode, GR_DEPTHBUFFER_DISABLE);
    EXPECT_EQ(draw->state.depthMask, FXFALSE);
    ASSERT_EQ(draw->vertices.size(), 6u);
    EXPECT_EQ(draw->vertices[0].x, 100.0f);
    EXPECT_EQ(draw->vertices[0].y, 60.0f);
    EXPECT_EQ(draw->vertices[4].x, 132.0f);
    EXPECT_EQ(draw->vertices[4].y, 92.0f);
    EXPECT_EQ(draw->vertices[4].s0, 256.0f);
    EXPECT_EQ(draw->vertices[4].t0, 256.0f);
  }
  EXPECT_EQ(g_Renderer.statistics.trianglesDrawn, 4u);
  EXPECT_EQ(g_Renderer.cache.zEnable, 1) << "depth test on again";
  EXPECT_EQ(g_Renderer.cache.zWriteEnable, 1);
}

TEST_F(CursorTest, KeepInsideCutsThePictureAtTheClipEdge) {
  Start();
  Move(629 - 0, 479 - 8);  // 10 pixels from the right edge, 8 from the bottom
  ASSERT_EQ(RecordedGlideDraws().size(), 2u);
  for (const auto& draw : RecordedGlideDraws()) {
    // Corners 0 (near) and 4 (far): 10 x 8 pixels showing 10/32 and 8/32 of
    // the picture.
    EXPECT_EQ(draw.vertices[0].x, 629.0f);
    EXPECT_EQ(draw.vertices[4].x, 639.0f);
    EXPECT_EQ(draw.vertices[4].y, 479.0f);
    EXPECT_EQ(draw.vertices[4].s0, 80.0f);
    EXPECT_EQ(draw.vertices[4].t0, 64.0f);
  }

  g_Cursor.SetClipRect(0, 0, 639, 479, false);
  platform::ClearGlideRecords();
  Move(0, 0);
  ASSERT_EQ(RecordedGlideDraws().size(), 2u);
  EXPECT_EQ(RecordedGlideDraws()[1].vertices[4].x, 661.0f) << "not kept inside: the whole picture";
  EXPECT_EQ(RecordedGlideDraws()[1].vertices[4].s0, 256.0f);
}

TEST_F(CursorTest, AButtonHeldAcrossReacquisitionIsANewPress) {
  Start();
  Move(30, 40);
  platform::SetTestMouseButton(mouse_, 0, true);
  Move(0, 0);
  EXPECT_EQ(Clicks().size(), 1u);
  g_Cursor.SetAcquired(false);
  EXPECT_TRUE(g_Cursor.Update()) << "not acquired: drawn where it is";
  g_Cursor.SetAcquired(true);
  Move(0, 0);
  EXPECT_EQ(Clicks(), (std::vector<Posted>{{WM_LBUTTONDOWN, 0, 30, 40}}));
}

TEST_F(CursorTest, AfterInputLostItNeitherMovesNorDraws) {
  Start();
  Move(50, 50);
  Focus(false);
  platform::ClearGlideRecords();
  platform::MoveTestMouse(mouse_, 100, 0);
  platform::SetTestMouseButton(mouse_, 0, true);
  EXPECT_FALSE(g_Cursor.Update());
  EXPECT_FALSE(g_Cursor.Update());
  EXPECT_TRUE(RecordedGlideDraws().empty());
  EXPECT_TRUE(Clicks().empty());
  Vector3 p;
  g_Cursor.GetPosition(&p);
  EXPECT_EQ(p.x, 50.0f);

  // Back in front: the frame that finds the mouse again still shows nothing;
  // motion made while away is dropped.
  Focus(true);
  EXPECT_FALSE(g_Cursor.Update());
  EXPECT_EQ(Move(2, 0), std::make_pair(52, 50));
  EXPECT_EQ(RecordedGlideDraws().size(), 2u);
}

TEST_F(CursorTest, CreationRules) {
  ASSERT_TRUE(OpenAt(640, 480));
  EXPECT_FALSE(g_Cursor.Create(window_)) << "no DirectInput yet";
  EXPECT_FALSE(g_Cursor.SetDirectInput(nullptr));
  ASSERT_TRUE(g_Cursor.SetDirectInput(directInput_));
  EXPECT_FALSE(g_Cursor.Create(nullptr));
  ASSERT_TRUE(g_Cursor.Create(window_));
  EXPECT_TRUE(g_Cursor.IsMousePresent());
  EXPECT_NE(g_Cursor.pointerTexture, 0);
  EXPECT_NE(g_Cursor.shadowTexture, 0);
  EXPECT_TRUE(g_Cursor.Create(window_)) << "the same window again";
  HWND other = CreateWindowExA(0, "QDVCLASS", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(g_Cursor.Create(other));

  // Around a display change.
  g_Cursor.FreeTextures();
  EXPECT_EQ(g_Cursor.pointerTexture, 0);
  EXPECT_EQ(g_Cursor.shadowTexture, 0);
  EXPECT_TRUE(g_Cursor.ReloadTextures());
  EXPECT_NE(g_Cursor.pointerTexture, 0);
  EXPECT_NE(g_Cursor.shadowTexture, 0);
}

TEST_F(CursorTest, NoMouseNoCursor) {
  platform::UnplugTestDevice(mouse_);
  ASSERT_TRUE(OpenAt(640, 480));
  ASSERT_TRUE(g_Cursor.SetDirectInput(directInput_));
  EXPECT_FALSE(g_Cursor.Create(window_));
  g_Cursor.SetAcquired(true);
  EXPECT_FALSE(g_Cursor.Update());
  EXPECT_TRUE(RecordedGlideDraws().empty());
}

TEST_F(CursorTest, AMissingPictureFailsCreation) {
  Put("DATA/UI.BBF", kelvdata::BuildBbf({{"_CUROBJ.TEX", kelvdata::CursorPointerTex()}}));
  g_UiArchive.Close();
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(OpenAt(640, 480));
  ASSERT_TRUE(g_Cursor.SetDirectInput(directInput_));
  EXPECT_FALSE(g_Cursor.Create(window_));
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Error loading texture.\nPlease reinstall Kelvarro."}));
  EXPECT_FALSE(g_Cursor.ReloadTextures());
}

// ---- The picture -------------------------------------------------------------------

class CursorPictureTest : public kelvtest::PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    GetProgramObject(PROGRAM_OBJECT_CURSOR).construct();
    platform::UseTestInput(true);
    mouse_ = platform::AddTestMouse();
    OpenUiArchive({{"_CUROBJ.TEX", kelvdata::CursorPointerTex()}, {"_CURSHD.TEX", kelvdata::CursorShadowTex()}});
    ASSERT_EQ(DirectInputCreateA(nullptr, 0x0500, &directInput_, nullptr), DI_OK);
  }
  void TearDown() override {
    g_Cursor.Release();
    if (directInput_ != nullptr) directInput_->Release();
    platform::UseTestInput(false);
    PictureTest::TearDown();
  }

  // The main window and the renderer at 640x480 with the cursor made as
  // start-up makes it, under the key colour the texture manager starts with,
  // and then a front-end scene's key; false where there is no OpenGL.
  bool Open() {
    if (!OpenScreen()) return false;
    EXPECT_TRUE(g_Cursor.SetDirectInput(directInput_));
    EXPECT_TRUE(g_Cursor.Create(g_MainWindow));
    g_ColourKey = {250, 0, 200};
    return true;
  }

  platform::TestInputDevice mouse_ = -1;
  IDirectInputA* directInput_ = nullptr;
};

TEST_F(CursorPictureTest, TheCursorOverAClearedFrame) {
  KELV_OPEN_PICTURE(Open());
  g_Cursor.SetAcquired(true);
  platform::MoveTestMouse(mouse_, 20, 12);

  // Two bands, so that the shadow shows over both.
  g_Renderer.clearRed = 0.2f;
  g_Renderer.clearGreen = 0.5f;
  g_Renderer.clearBlue = 0.8f;
  g_Renderer.ClearRect(0, 0, 640, 480, true);
  g_Renderer.clearRed = 0.9f;
  g_Renderer.clearGreen = 0.8f;
  g_Renderer.clearBlue = 0.3f;
  g_Renderer.ClearRect(32, 0, 64, 64, true);
  ASSERT_TRUE(g_Cursor.Update());
  g_Renderer.Present();
  platform::Picture p;
  ASSERT_TRUE(platform::GlideReadFrame(GR_BUFFER_FRONTBUFFER, false, &p));

  // The border's 16 grey is 2 in five bits, 16 again on the screen.
  EXPECT_EQ(kelvtest::PixelAt(p, 20, 12), 0x101010u) << "the arrow's tip, at the position";
  EXPECT_EQ(kelvtest::PixelAt(p, 22, 16), 0xFFFFFFu) << "inside the arrow";
  EXPECT_EQ(kelvtest::PixelAt(p, 21, 12), 0x337FCCu) << "key texels leave the frame as it was";
  EXPECT_EQ(kelvtest::PixelAt(p, 45, 14), 0xE5CC4Cu) << "beside the arrow, inside its square: no key colour";
  EXPECT_EQ(kelvtest::PixelAt(p, 50, 12), 0xE5CC4Cu);
  // Below the arrow's tail only the shadow lies: the blue band times 110/255
  // (13/31 after the texture's five bits).
  const unsigned shadowed = kelvtest::PixelAt(p, 29, 41);
  EXPECT_NEAR(static_cast<int>(shadowed >> 16), 0x15, 2);
  EXPECT_NEAR(static_cast<int>((shadowed >> 8) & 0xFF), 0x35, 2);
  EXPECT_NEAR(static_cast<int>(shadowed & 0xFF), 0x56, 2);
  EXPECT_TRUE(kelvtest::MatchesReference(kelvtest::Crop(p, 0, 0, 64, 48), Reference("cursor.png")));
}

}  // namespace
