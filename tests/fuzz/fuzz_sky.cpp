// Fuzz target for the sky loader: any bytes as the track archive, from which
// "DATA\TRACK\COURSE.SKY" is loaded with its cloud texture. A load either
// builds a sky that updates and draws (clouds and stars) without a NaN, or
// fails with a message (or with the texture manager's, or silently when the
// texture slots are full).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/scene/scene.h"
#include "engine/system.h"
#include "platform/glide/glide.h"
#include "platform/win32/msgbox.h"
#include "tests/support/fuzz_renderer.h"
#include "tests/support/fuzz_temp_file.h"
#include "tools/bytes.h"
#include "world/sky.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

struct World : kelvtest::FuzzTempFile {
  World() : FuzzTempFile("kelv-fuzz-sky", ".bbf") {
    kelvtest::OpenFuzzRenderer();
    g_Renderer.AssignTextureSizeClasses(2);
    g_FrameTime = 0.02f;
    g_Camera.position = Vector3(0.0f, 2.0f, 0.0f);
    g_Camera.LookAt(Vector3(0.0f, 30.0f, 100.0f));
    g_GeometryPipeline.SetupProjection();
  }
  ~World() { g_Renderer.Close(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static World world;
  if (!kelvdata::WriteHostFile(world.path, kelvdata::Bytes(data, data + size))) return 0;
  if (!g_TrackArchive.Open(world.path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) {
    platform::ClearRecordedMessageBoxes();
    return 0;
  }
  for (std::uint8_t stars = 0; stars < 2; ++stars) {
    Sky sky;
    sky.starMode = stars;
    if (sky.Load("DATA\\TRACK\\COURSE.SKY")) {
      Check(sky.radius > 0.0f && std::isfinite(sky.radius));
      for (int k = 0; k < 3; ++k) {
        Check(sky.Update(20, 0));
        Check(sky.Draw());
      }
      Check(sky.starCount <= SKY_MAX_CORNERS);
      Check(g_Camera.farPlane == 500.0f);
      for (std::uint16_t i = 0; i < sky.starCount; ++i) Check(std::isfinite(sky.stars[i].x));
    }
    g_TextureManager.Free(sky.texture);
  }
  platform::ClearGlideRecords();
  platform::ClearRecordedMessageBoxes();
  g_TrackArchive.Close();
  return 0;
}
