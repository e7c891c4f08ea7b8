// The rendering chain of the Direct3D renderer: Z-buffer formats, the
// failures of Open's steps, presenting, the restore after lost surfaces and
// the DirectDraw error box.
#include <gtest/gtest.h>

#include "platform/win32/msgbox.h"
#include "tests/render_d3d/direct3d_fixture.h"

namespace {

using platform::DirectDrawMachine;

class ChainTest : public kelvtest::Direct3DTest {};

TEST_F(ChainTest, ZBufferDepthFollowsTheDeviceInItsOwnOrder) {
  struct Case {
    const char* name;
    DWORD depths;
    DWORD rasterCaps;
    int bits;  // 0: no Z-buffer
  } cases[] = {
      {"16 and 24 gives 16", DDBD_16 | DDBD_24, 0, 16},
      {"8 and 32 gives 8", DDBD_8 | DDBD_32, 0, 8},
      {"24 alone", DDBD_24, 0, 24},
      {"no depths: no Z-buffer", 0, 0, 0},
      {"Z-less hidden-surface removal: no Z-buffer", DDBD_16, D3DPRASTERCAPS_ZBUFFERLESSHSR, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DirectDrawMachine m = platform::DefaultDirectDrawMachine();
    m.drivers[0].devices[1].zBufferBitDepths = c.depths;
    m.drivers[0].devices[1].rasterCaps = c.rasterCaps;
    m.zFormats.push_back(platform::ZPixelFormat(8));
    platform::SetDirectDrawMachine(m);
    g_ScreenWidth = 640;
    g_ScreenHeight = 480;
    ASSERT_TRUE(g_Renderer.Open());
    std::vector<double> zCaps;
    for (const auto& call : Calls("IDirectDraw4::CreateSurface")) {
      if (static_cast<DWORD>(call.args[0]) & DDSCAPS_ZBUFFER) zCaps.push_back(call.args[0]);
    }
    ASSERT_EQ(c.bits ? 1u : 0u, zCaps.size());
    if (c.bits) {
      DDSURFACEDESC2 desc{};
      Direct3DRenderer::zBuffer->GetSurfaceDesc(&desc);
      EXPECT_EQ(static_cast<DWORD>(c.bits), desc.ddpfPixelFormat.dwRGBBitCount);
      EXPECT_EQ(1, Direct3DRenderer::zBufferInVideoMemory);
    }
    g_Renderer.Close();
    platform::ClearDirectDrawRecords();
  }
}

TEST_F(ChainTest, EachFailingStepShowsItsOwnTextAndFailsOpen) {
  struct Case {
    const char* name;
    void (*fault)(DirectDrawMachine&);
    const char* text;  // nullptr: Open fails without a box
  } cases[] = {
      {"no Z depth the game knows", [](DirectDrawMachine& m) { m.drivers[0].devices[1].zBufferBitDepths = 0x80; },
       "Error: unsupported Z-buffer depth requested by device.\nPlease check you have the latest version of your "
       "display driver or reinstall DirectX."},
      {"Z formats cannot be enumerated", [](DirectDrawMachine& m) { m.failEnumZBufferFormats = true; },
       "Error: Can't enumerate Z Buffer formats.\nPlease use setup program to select another device or reinstall "
       "DirectX."},
      {"no Z format of the depth", [](DirectDrawMachine& m) { m.zFormats = {platform::ZPixelFormat(32)}; },
       "Error: Can't find a valid Z Buffer format.\nPlease use setup program to select another device."},
      {"Z-buffer cannot be made", [](DirectDrawMachine& m) { m.failCreateZBuffer = true; },
       "Error: Not enough video memory to create a Z buffer.\nPlease use setup program to select a lower resolution."},
      {"hardware Z-buffer outside video memory", [](DirectDrawMachine& m) { m.zBufferInSystemMemory = true; },
       "Error: Could not fit the Z-buffer in video memory\nfor this hardware device.\nPlease use setup program to "
       "select a lower resolution."},
      {"hardware back buffer outside video memory", [](DirectDrawMachine& m) { m.backBufferInSystemMemory = true; },
       "Error: Could not fit the rendering surfaces in video memory\nfor this hardware device.\nPlease use setup "
       "program to select a lower resolution."},
      {"device refused", [](DirectDrawMachine& m) { m.failCreateDevice = true; },
       "Error: Unable to create Direct3D device.\nPlease use setup program to select another device or reinstall "
       "DirectX."},
      {"no texture format", [](DirectDrawMachine& m) { m.textureFormats.clear(); },
       "Error: Could not enumerate texture formats.Please use setup program to select another device or reinstall "
       "DirectX."},
      {"display mode refused", [](DirectDrawMachine& m) { m.failSetDisplayMode = true; }, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DirectDrawMachine m = platform::DefaultDirectDrawMachine();
    c.fault(m);
    platform::SetDirectDrawMachine(m);
    platform::ClearRecordedMessageBoxes();
    platform::ClearDirectDrawRecords();
    g_ScreenWidth = 640;
    g_ScreenHeight = 480;
    EXPECT_FALSE(g_Renderer.Open());
    const std::vector<std::string> boxes = Boxes();
    if (c.text) {
      ASSERT_FALSE(boxes.empty());
      EXPECT_EQ(c.text, boxes.back());
      // The desktop's surface is shown first.
      EXPECT_EQ(boxes.size(), Calls("IDirectDraw4::FlipToGDISurface").size());
    } else {
      EXPECT_TRUE(boxes.empty());
    }
    g_Renderer.Close();
  }
}

TEST_F(ChainTest, SoftwareDeviceKeepsItsSurfacesInSystemMemoryWithoutComplaint) {
  DirectDrawMachine m = platform::DefaultDirectDrawMachine();
  m.backBufferInSystemMemory = true;
  platform::SetDirectDrawMachine(m);
  Choose(0, 0, 16);
  ASSERT_TRUE(OpenAt(640, 480));
  EXPECT_EQ(0, Direct3DRenderer::backBufferInVideoMemory);
  EXPECT_EQ(0, Direct3DRenderer::zBufferInVideoMemory);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(ChainTest, CloseReleasesTheChainInReverseAndLeavesExclusiveMode) {
  ASSERT_TRUE(OpenAt(800, 600));
  EXPECT_EQ(799.0f, g_ViewWidth);
  g_Renderer.Close();
  const std::vector<std::string> expected = {
      "IDirect3DViewport3::Release",           "IDirect3DDevice3::Release",
      "IDirect3D3::Release",                   "IDirectDrawSurface4::Release",  // Z-buffer
      "IDirectDrawSurface4::Release",                                           // back buffer
      "IDirectDrawSurface4::Release",                                           // primary
      "IDirectDraw4::SetCooperativeLevel",     "IDirectDraw4::Release",
  };
  std::vector<std::string> names = CallNames();
  ASSERT_EQ(expected, names);
  EXPECT_EQ(static_cast<double>(DDSCL_NORMAL | DDSCL_ALLOWREBOOT | DDSCL_FPUSETUP),
            Calls("IDirectDraw4::SetCooperativeLevel")[0].args[0]);
  EXPECT_EQ(nullptr, Direct3DRenderer::directDraw);
}

TEST_F(ChainTest, LostSurfacesRaiseARestoreThatBlackensBothBuffersInOrder) {
  ASSERT_TRUE(OpenAt(640, 480));
  platform::SetDirectDrawSurfacesLost(true);
  EXPECT_EQ(PresentResult::SURFACE_LOST, g_Renderer.Present());
  EXPECT_TRUE(Boxes().empty());
  platform::ClearDirectDrawRecords();
  ASSERT_TRUE(g_Renderer.RestoreSurfaces());
  std::vector<std::pair<std::string, double>> calls;
  for (const auto& c : platform::RecordedDirectDrawCalls()) calls.emplace_back(c.function, c.args.empty() ? 0 : c.args[0]);
  const std::vector<std::pair<std::string, double>> expected = {
      {"IDirectDraw4::SetCooperativeLevel", DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_FPUSETUP},
      {"IDirectDraw4::SetDisplayMode", 640},
      {"IDirectDrawSurface4::IsLost", 1},
      {"IDirectDrawSurface4::Restore", 1},
      {"IDirectDrawSurface4::Blt", 1},
      {"IDirectDrawSurface4::IsLost", 2},
      {"IDirectDrawSurface4::Restore", 2},
      {"IDirectDrawSurface4::Flip", DDFLIP_WAIT},
      {"IDirectDrawSurface4::Blt", 1},
      {"IDirectDrawSurface4::IsLost", 3},
      {"IDirectDrawSurface4::Restore", 3},
  };
  EXPECT_EQ(expected, calls);
  // The colour fill is black.
  EXPECT_EQ(0.0, Calls("IDirectDrawSurface4::Blt")[0].args[2]);
  platform::SetDirectDrawSurfacesLost(false);
  EXPECT_EQ(PresentResult::SHOWN, g_Renderer.Present());
}

TEST_F(ChainTest, RestoreWithoutTheDisplayReportsIt) {
  EXPECT_FALSE(g_Renderer.RestoreSurfaces());
  ASSERT_EQ(1u, Boxes().size());
  EXPECT_EQ("Error: unable to restore full screen display mode.\nPlease check you have the latest version of your "
            "display driver.",
            Boxes()[0]);
}

TEST_F(ChainTest, AFailedFlipNamesItsResultAfterShowingTheDesktop) {
  DirectDrawMachine m = platform::DefaultDirectDrawMachine();
  m.flipResult = DDERR_SURFACEBUSY;
  platform::SetDirectDrawMachine(m);
  ASSERT_TRUE(OpenAt(640, 480));
  EXPECT_EQ(PresentResult::FAILED, g_Renderer.Present());
  ASSERT_EQ(1u, Boxes().size());
  EXPECT_EQ("DirectDraw Error DDERR_SURFACEBUSY\n", Boxes()[0]);
  EXPECT_EQ(1u, Calls("IDirectDraw4::FlipToGDISurface").size());
}

TEST_F(ChainTest, ErrorNamesComeFromTheTableAndEverythingElseIsUnknown) {
  struct Case {
    HRESULT code;
    const char* name;
  } cases[] = {
      {DDERR_SURFACEBUSY, "DDERR_SURFACEBUSY"},
      {static_cast<HRESULT>(0x80004001u), "DDERR_UNSUPPORTED"},  // E_NOTIMPL
      {static_cast<HRESULT>(0x80004005u), "DDERR_GENERIC"},      // E_FAIL
      {MakeDdResult(680), "DDERR_NOTPAGELOCKED"},
      {D3DERR_SCENE_NOT_IN_SCENE, "Unknown Error"},
      {MakeDdResult(700), "Unknown Error"},
      {DD_OK, "Unknown Error"},
  };
  for (const Case& c : cases) EXPECT_STREQ(c.name, DirectDrawErrorName(c.code));
  // Without a DirectDraw object the box still shows, without the flip.
  ShowDirectDrawError(D3DERR_SCENE_NOT_IN_SCENE);
  ASSERT_EQ(1u, Boxes().size());
  EXPECT_EQ("DirectDraw Error Unknown Error\n", Boxes()[0]);
  EXPECT_TRUE(Calls("IDirectDraw4::FlipToGDISurface").empty());
  EXPECT_EQ(static_cast<UINT>(MB_TOPMOST | MB_ICONHAND), platform::RecordedMessageBoxes()[0].type);
}

}  // namespace
