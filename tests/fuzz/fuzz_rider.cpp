// Fuzz target for the rider-file reader: any bytes as the track archive's
// member FUZZ.RDR beside a texture, an empty sound bank, the joint file and
// the shadow file, loaded as a whole rider on the recording Glide board, and
// then as a shadow file (the same reader). A load either keeps node tables
// that the pose step can use safely and meshes within the pipeline's limits,
// or fails with one error box.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/archive.h"
#include "engine/display.h"
#include "engine/program_objects.h"
#include "engine/renderer.h"
#include "engine/system.h"
#include "engine/texture_manager.h"
#include "platform/glide/glide.h"
#include "platform/win32/msgbox.h"
#include "riders/rider.h"
#include "riders/shadow.h"
#include "tests/support/fuzz_temp_file.h"
#include "tools/bbf.h"
#include "tools/seeds.h"
#include "tools/tex.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

class FuzzRider : public Rider {
 public:
  void ComputeControls() override {}
  void SetupAi() override {}
};

struct World : kelvtest::FuzzTempFile {
  kelvdata::Bytes texture;

  World() : FuzzTempFile("kelv-fuzz-rider", ".bbf") {
    platform::UseTestMessageBoxes(true);
    platform::UseGlideTestBackend(true);
    g_MainWindow = reinterpret_cast<HWND>(std::uintptr_t{1});
    GetProgramObject(PROGRAM_OBJECT_RENDERER).construct();
    GetProgramObject(PROGRAM_OBJECT_TEXTURE_MANAGER).construct();
    g_ScreenWidth = 640;
    g_ScreenHeight = 480;
    Check(g_Renderer.Open());
    texture = kelvdata::BuildTex(32, 32, [](int x, int y) {
      return kelvdata::Rgb{static_cast<std::uint8_t>(x * 8), static_cast<std::uint8_t>(y * 8), 90};
    });
  }
  ~World() { g_Renderer.Close(); }
};

void CheckMesh(const LitMesh& m) {
  Check(m.positionCount == m.positions.size() && m.positionCount <= PIPELINE_MAX_VERTICES);
  for (std::uint16_t i : m.indices) Check(i < m.positionCount);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static World world;
  std::vector<kelvdata::BbfMember> members = kelvdata::RiderFuzzMembers(world.texture);
  members.insert(members.begin(), {"FUZZ.RDR", kelvdata::Bytes(data, data + size)});
  // A member after the input, so that a read past its end would find bytes.
  members.insert(members.begin() + 1, {"NEXT.BIN", kelvdata::Bytes(2048, 0x41)});
  if (!kelvdata::WriteHostFile(world.path, kelvdata::BuildBbf(members))) return 0;
  Check(g_TrackArchive.Open(world.path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  {
    FuzzRider rider;
    rider.effectsTexture = kelvdata::RIDER_FUZZ_TEXTURE;
    if (rider.Load("DATA\\TRACK\\FUZZ.RDR")) {
      Check(platform::RecordedMessageBoxes().empty());
      Check(rider.NodeTablesValid() && rider.nodeCount >= 11 && rider.partCount >= 7);
      Check(rider.localMatrices.size() <= rider.nodeCount);
      CheckMesh(rider.bodyMesh);
      for (std::uint16_t i = 0; i < rider.partCount; ++i) {
        CheckMesh(rider.nearParts[i]);
        CheckMesh(rider.middleParts[i]);
      }
      CheckMesh(*rider.farMesh);
      for (std::uint16_t node : rider.ParentsFirstOrder()) rider.BlendNodeMatrix(node, &rider.matrix);
    } else {
      Check(platform::RecordedMessageBoxes().size() == 1);
    }
  }
  platform::ClearRecordedMessageBoxes();
  {
    Shadow shadow;
    if (shadow.Load("DATA\\TRACK\\FUZZ.RDR")) {
      Check(platform::RecordedMessageBoxes().empty());
      Check(shadow.NodeTablesValid() && shadow.nodeCount >= 11 && shadow.partCount >= 7);
      Check(shadow.outputMatrices.size() == shadow.nodeCount);
      CheckMesh(shadow.body);
      for (std::uint16_t i = 0; i < shadow.partCount; ++i) CheckMesh(shadow.middleParts[i]);
      CheckMesh(*shadow.farMesh);
    } else {
      Check(platform::RecordedMessageBoxes().size() == 1);
    }
  }
  platform::ClearGlideRecords();
  platform::ClearRecordedMessageBoxes();
  g_TrackArchive.Close();
  return 0;
}
