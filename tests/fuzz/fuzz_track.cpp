// Fuzz target for the track loader: any bytes as the track archive, from
// which the track file (SAMPLE.TRK, else COURSE.TRK) is loaded with its land
// pieces, textures, height field and sound emitters. A load either keeps a
// track whose queries, sounds, drawing and tyre marks are safe anywhere, or
// fails with a message.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

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
#include "world/track.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

struct World : kelvtest::FuzzTempFile {
  World() : FuzzTempFile("kelv-fuzz-track", ".bbf") {
    kelvtest::OpenFuzzRenderer();
    g_Renderer.AssignTextureSizeClasses(2);
    g_FrameTime = 0.02f;
  }
  ~World() { g_Renderer.Close(); }
};

bool Finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

void CheckLoaded(const Track& t) {
  Check(t.sectionCount >= 1 && t.landPieceCount <= TRACK_MAX_LAND_PIECES);
  Check(t.nodes.size() == t.sectionCount && t.fieldWidth >= 2 && t.fieldHeight >= 2);
  Check(t.fieldHeights.size() == static_cast<std::size_t>(t.fieldWidth) * t.fieldHeight);
  for (int s = 0; s < t.sectionCount; ++s) {
    const TrackSection& sec = t.sections[s];
    Check(sec.TriangleCount() >= 1 && sec.indexCount == sec.indices.size() && sec.indexCount % 3 == 0);
    Check(sec.attributes.size() == sec.indexCount && sec.vertexCount == sec.positions.size());
    for (std::uint16_t i : sec.indices) Check(i < sec.vertexCount);
    for (int j = 0; j < t.landPieceCount; ++j) Check(!sec.pieceVisible[j] || sec.pieceMesh[j] < t.meshCounts[j]);
  }
  Check(t.emitterCodes.size() == t.sounds.size());
}

// Points around the course from the input's bytes.
Vector3 PointFrom(const std::uint8_t* data, std::size_t size, int k) {
  auto byte = [&](int i) { return size == 0 ? 0 : data[(static_cast<std::size_t>(k) * 7 + i) % size]; };
  return Vector3(static_cast<float>(byte(0) - 128) * 0.8f, static_cast<float>(byte(1)) * 0.05f,
                 static_cast<float>(byte(2) - 128) * 0.8f);
}

void Exercise(Track* t, const std::uint8_t* data, std::size_t size) {
  std::uint16_t section = 0;
  std::uint16_t triangle = 6;
  for (int k = 0; k < 24; ++k) {
    const Vector3 p = PointFrom(data, size, k);
    float height = 0.0f;
    t->getheight(&p, &section, &triangle, &height, k % 3 != 0);
    Check(std::isfinite(height) && section < t->sectionCount);
    t->GetHeightOrField(&p, &section, &triangle, &height);
    Check(std::isfinite(height));
    TrackSurface s;
    t->GetSurface(&s, &p, static_cast<std::uint16_t>(k * 977), static_cast<std::uint16_t>(k * 131), k % 2 == 0);
    Vector3 normal;
    float depth = 0.0f;
    t->TestBorders(static_cast<std::uint16_t>(k * 1009), &normal, p, &depth);
    t->GetGroundColour(p, static_cast<std::uint16_t>(k * 613), static_cast<std::uint16_t>(k * 59));
    TyreMarkInput in{};
    in.velocity = Vector3(static_cast<float>(k % 5), 0.0f, 3.0f);
    in.rearContact1 = p;
    in.rearContact2 = Vector3(p.x + 0.3f, p.y, p.z);
    in.frontContact1 = Vector3(p.x, p.y, p.z + 1.4f);
    in.frontContact2 = Vector3(p.x + 0.3f, p.y, p.z + 1.4f);
    in.sectionHint = static_cast<std::uint32_t>(k * 3001);
    in.triangleHint = static_cast<std::uint32_t>(k * 17);
    in.useSections = static_cast<std::uint32_t>(k % 2);
    t->AddTyreMarks(in);
    Vector3 box[8];
    for (Vector3& c : box) c = p;
    box[7] = Vector3(p.x + 2.0f, p.y + 2.0f, p.z + 2.0f);
    t->SetVisibleWindow(static_cast<std::int16_t>(k * 2711 - 30000), static_cast<std::int16_t>(k * 977),
                        section);
    t->SegmentCrossesNode(box, k % 2 == 0);
    t->listenerSection = static_cast<std::uint16_t>(k * 7);
    t->listenerSpeedLevel = static_cast<float>(k % 4) * 0.3f;
    g_SoundFadeOut = static_cast<std::uint8_t>(k % 7 == 0);
    Check(t->Update(20, 2));
  }
  for (const TyreMark& m : t->ringA) {
    for (const Vector3& c : m.corners) Check(Finite(c));
  }
  g_Camera.position = PointFrom(data, size, 99);
  g_Camera.position.y += 3.0f;
  g_Camera.LookAt(Vector3(0.0f, 0.0f, 0.0f));
  g_GeometryPipeline.SetupProjection();
  g_ShowSectionMarkers = 1;
  Check(t->Draw());
  Check(t->DrawTyreMarks(true));
  Check(t->DrawTyreMarks(false));
  g_ShowSectionMarkers = 0;
  g_SoundFadeOut = 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static World world;
  if (!kelvdata::WriteHostFile(world.path, kelvdata::Bytes(data, data + size))) return 0;
  if (!g_TrackArchive.Open(world.path.c_str(), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) {
    platform::ClearRecordedMessageBoxes();
    return 0;
  }
  {
    Track t;
    ArchiveFile probe;
    const char* path = OpenDataFile("DATA\\TRACK\\SAMPLE.TRK", &probe) ? "DATA\\TRACK\\SAMPLE.TRK"
                                                                        : "DATA\\TRACK\\COURSE.TRK";
    probe.Close();
    if (t.Load(path)) {
      CheckLoaded(t);
      Exercise(&t, data, size);
    } else {
      Check(!platform::RecordedMessageBoxes().empty());
    }
  }
  platform::ClearGlideRecords();
  platform::ClearRecordedMessageBoxes();
  g_TrackArchive.Close();
  return 0;
}
