// Fuzz target for the texture file readers of both builds: any bytes as a
// .TEX member of the UI archive, read through the data-file routing at two
// size classes, by the Glide build's reader and by the Direct3D build's into
// a system-memory surface (on the DirectDraw layer's recording backend). A
// read either yields a texture no larger than the file's own size fields and
// the size class, or fails with one error box.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/archive.h"
#include "engine/texture_manager.h"
#include "platform/ddraw/ddraw_machine.h"
#include "platform/win32/msgbox.h"
#include "render_d3d/direct3d_renderer.h"
#include "render_d3d/direct3d_textures.h"
#include "tools/bbf.h"
#include "tests/support/fuzz_temp_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

struct TempFile : kelvtest::FuzzTempFile {
  TempFile() : FuzzTempFile("kelv-fuzz-tex", ".bbf") {
    platform::UseTestMessageBoxes(true);
    // A DirectDraw object and the 1-5-5-5 texture format, as an open device leaves them.
    platform::UseDirectDrawTestBackend(true);
    IDirectDraw* first = nullptr;
    Check(DirectDrawCreate(nullptr, &first, nullptr) == DD_OK);
    Check(first->QueryInterface(IID_IDirectDraw4, reinterpret_cast<void**>(&Direct3DRenderer::directDraw)) == DD_OK);
    first->Release();
    DDPIXELFORMAT format = platform::RgbPixelFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000);
    g_TextureFormatCount = 0;
    TextureFormatCallback(&format, nullptr);
    g_ChosenTextureFormat = 0;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TempFile temp;
  // A member after the texture, so that a read past its end would find bytes.
  kelvdata::Bytes archive = kelvdata::BuildBbf(
      {{"_FUZZ.TEX", kelvdata::Bytes(data, data + size)}, {"NEXT.BIN", kelvdata::Bytes(64, 'x')}});
  if (!kelvdata::WriteHostFile(temp.path, archive)) return 0;
  Check(g_UiArchive.Open(temp.path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));

  for (std::uint8_t limit : {std::uint8_t(0), std::uint8_t(8)}) {
    TexPixels p;
    if (TextureManager::ReadTexFile("DATA\\UI\\_FUZZ.TEX", true, limit, 250, 0, 200, &p)) {
      Check(platform::RecordedMessageBoxes().empty());
      Check(size >= 4);
      const unsigned w = data[0] | (data[1] << 8);
      const unsigned h = data[2] | (data[3] << 8);
      const unsigned side = (limit ? limit : 1) * 32u;
      Check(p.texels != nullptr && p.width >= 1 && p.height >= 1);
      Check(p.width <= w && p.height <= h && p.width <= side && p.height <= side);
      Check(4ull + 3ull * w * h <= size);
    } else {
      Check(p.texels == nullptr && platform::RecordedMessageBoxes().size() == 1);
    }
    platform::ClearRecordedMessageBoxes();

    IDirectDrawSurface4* surface = nullptr;
    if (ReadTexSurface("DATA\\UI\\_FUZZ.TEX", &surface, limit, true, 250, 0, 200)) {
      Check(platform::RecordedMessageBoxes().empty() && surface != nullptr && size >= 4);
      DDSURFACEDESC2 d{};
      Check(surface->GetSurfaceDesc(&d) == DD_OK);
      const unsigned w = data[0] | (data[1] << 8);
      const unsigned h = data[2] | (data[3] << 8);
      const unsigned side = (limit ? limit : 1) * 32u;
      Check(d.dwWidth >= 1 && d.dwHeight >= 1 && d.dwWidth <= w && d.dwHeight <= h);
      Check(d.dwWidth <= side && d.dwHeight <= side && 4ull + 3ull * w * h <= size);
      surface->Release();
    } else {
      Check(surface == nullptr && platform::RecordedMessageBoxes().size() == 1);
    }
    platform::ClearRecordedMessageBoxes();
    platform::ClearDirectDrawRecords();
  }
  g_UiArchive.Close();
  return 0;
}
