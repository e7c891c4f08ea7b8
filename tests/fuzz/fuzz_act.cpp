// Fuzz target for the object-file reader with its lit meshes: any bytes as
// an .ACT member of the UI archive, beside a texture and the two animations
// that the seeds name, loaded (lit for inputs of odd size), then updated in
// every mode and drawn on the recording Glide board. A load either keeps
// meshes and node tables that the pipeline can use safely, or fails with
// one error box and keeps nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/archive.h"
#include "engine/camera.h"
#include "engine/display.h"
#include "engine/geometry_pipeline.h"
#include "engine/object3d.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "platform/glide/glide.h"
#include "platform/win32/msgbox.h"
#include "tests/support/fuzz_renderer.h"
#include "tests/support/fuzz_temp_file.h"
#include "tools/bbf.h"
#include "tools/object_samples.h"
#include "tools/tex.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// The archive's fixed members, the renderer open on the recording board and
// a camera looking at the origin from 8 units away.
struct World : kelvtest::FuzzTempFile {
  kelvdata::Bytes texture;
  kelvdata::Bytes meshAnimation;
  kelvdata::Bytes uvAnimation;

  World() : FuzzTempFile("kelv-fuzz-act", ".bbf") {
    kelvtest::OpenFuzzRenderer();
    g_Camera.position = Vector3(0.0f, 1.0f, -8.0f);
    g_Camera.LookAt(Vector3(0.0f, 0.0f, 0.0f));
    g_GeometryPipeline.SetupProjection();
    g_LightDirection = Vector3(0.0f, -0.6f, 0.8f);
    texture = kelvdata::BuildTex(64, 32, [](int x, int y) {
      return kelvdata::Rgb{static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 8), 90};
    });
    meshAnimation = kelvdata::BuildMeshAnimationFile(kelvdata::SampleSpin(2, 8));
    uvAnimation = kelvdata::BuildUvAnimationFile(kelvdata::SampleScroll(2));
  }
  ~World() { g_Renderer.Close(); }
};

void CheckLoaded(const Object3D& o) {
  Check(o.meshCount == o.meshes.size() && o.visible.size() == o.meshes.size());
  for (const LitMesh& m : o.meshes) {
    Check(m.positionCount == m.positions.size() && m.positionCount <= PIPELINE_MAX_VERTICES);
    Check(m.indexCount == m.indices.size() && m.indexCount % 3 == 0 && m.attributes.size() == m.indexCount);
    for (std::uint16_t i : m.indices) Check(i < m.positionCount);
    Check(m.lights.empty() || m.lights.size() == m.positionCount);
    if (m.skinned) {
      std::uint32_t sum = 0;
      for (std::uint16_t s : m.partSizes) sum += s;
      Check(m.partSizes.size() == m.partCount && sum == m.positionCount);
    }
  }
  if (o.skinned) Check(o.NodeTablesValid() && o.meshes.size() == 1 && o.meshes[0].partCount == o.nodeCount);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static World world;
  // A member after the input, so that a read past its end would find bytes.
  const kelvdata::Bytes archive = kelvdata::BuildBbf({{"FUZZ.ACT", kelvdata::Bytes(data, data + size)},
                                                      {"NEXT.BIN", kelvdata::Bytes(2048, 0x41)},
                                                      {"FUZZ.TEX", world.texture},
                                                      {"FUZZ.ANM", world.meshAnimation},
                                                      {"FUZZ.UVA", world.uvAnimation}});
  if (!kelvdata::WriteHostFile(world.path, archive)) return 0;
  Check(g_UiArchive.Open(world.path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  {
    Object3D o;
    if (o.LoadObject("DATA\\UI\\FUZZ.ACT", size % 2 == 1)) {
      Check(platform::RecordedMessageBoxes().empty());
      CheckLoaded(o);
      o.alternateSelection = static_cast<std::uint8_t>(size % 3 == 0);
      for (int mode = 0; mode <= 3; ++mode) {
        o.Update(70u * static_cast<unsigned>(mode) + 5u, mode);
        Check(o.Draw());
      }
    } else {
      Check(platform::RecordedMessageBoxes().size() == 1);
      Check(o.meshCount == 0 && o.meshes.empty() && o.nodeCount == 0);
      Check(o.Update(16, 1) && o.Draw());
    }
  }
  platform::ClearGlideRecords();
  platform::ClearRecordedMessageBoxes();
  g_UiArchive.Close();
  return 0;
}
