#include "tools/rider_files.h"

#include "tools/sfx.h"
#include "tools/tex.h"
#include "tools/ui_files.h"

namespace kelvdata {

namespace {

// A box of half sizes (hx, hy, hz) at (cx, cy, cz): eight corners, twelve
// triangles, one colour.
LitMeshRecord SolidBox(float cx, float cy, float cz, float hx, float hy, float hz, float r, float g, float b) {
  std::vector<LitMeshVertex> v;
  for (int c = 0; c < 8; ++c) {
    v.push_back({cx + (c & 1 ? hx : -hx), cy + (c & 2 ? hy : -hy), cz + (c & 4 ? hz : -hz), r, g, b, 1.0f,
                 c & 1 ? 1.0f : 0.0f, c & 2 ? 1.0f : 0.0f});
  }
  const std::vector<std::uint16_t> faces = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                                            2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
  // One vertex record per triangle corner, as lit-mesh records store them.
  std::vector<LitMeshVertex> corners;
  for (std::uint16_t i : faces) corners.push_back(v[i]);
  return MakeLitMesh(corners, false);
}

// A square of half size h upright at x, facing +x (the bike's right).
LitMeshRecord SidePatch(float x, float h) {
  std::vector<LitMeshVertex> v = {{x, -h, -h, 1, 1, 1, 1, 0, 0},
                                  {x, -h, h, 1, 1, 1, 1, 1, 0},
                                  {x, h, -h, 1, 1, 1, 1, 0, 1},
                                  {x, h, h, 1, 1, 1, 1, 1, 1}};
  return MakeLitMesh({v[0], v[2], v[1], v[1], v[2], v[3]}, false);
}

// Where the synthetic joints sit, in the body's frame: hips (6) at the
// saddle, the chest (5) above, head (0), arms (1-2, 3-4), legs (7-8, 9-10).
constexpr float kJoints[11][3] = {
    {0.0f, 1.55f, 0.1f},  {0.2f, 1.3f, 0.2f},  {0.25f, 1.1f, 0.45f}, {-0.2f, 1.3f, 0.2f},
    {-0.25f, 1.1f, 0.45f}, {0.0f, 1.25f, 0.0f}, {0.0f, 0.95f, -0.1f}, {0.15f, 0.7f, 0.0f},
    {0.15f, 0.35f, 0.1f}, {-0.15f, 0.7f, 0.0f}, {-0.15f, 0.35f, 0.1f}};

}  // namespace

namespace {

// Fields 1 to 12: what a rider file and a shadow file share.
void WriteRiderMeshes(ByteWriter* out, const RiderFileSpec& f) {
  ByteWriter& w = *out;
  WriteActString(&w, f.riderTexture);
  WriteActString(&w, f.bikeTexture);
  w.U16(f.nodeCount ? *f.nodeCount : static_cast<std::uint16_t>(f.nodes.size()));
  WriteNodeTables(&w, f.nodes);
  WriteLitMesh(&w, f.body);
  WriteNodePoses(&w, f.nodes);
  w.U16(f.partCount ? *f.partCount : static_cast<std::uint16_t>(f.nearParts.size()));
  for (const LitMeshRecord& m : f.nearParts) {
    w.U16(0);
    WriteLitMesh(&w, m);
  }
  for (const LitMeshRecord& m : f.middleParts) {
    w.U16(0);
    WriteLitMesh(&w, m);
  }
  WriteLitMesh(&w, f.far);
}

}  // namespace

Bytes BuildRiderFile(const RiderFileSpec& f) {
  ByteWriter w;
  WriteRiderMeshes(&w, f);
  for (const LitMeshRecord& m : f.reflections) WriteLitMesh(&w, m);
  for (const Matrix& m : f.partOffsets) WriteMatrix(&w, m);
  w.U8(f.unused);
  WriteActString(&w, f.soundBank);
  WriteActString(&w, f.secondBank);
  return w.Take();
}

Bytes BuildShadowFile(const RiderFileSpec& f) {
  ByteWriter w;
  WriteRiderMeshes(&w, f);
  return w.Take();
}

Bytes BuildReflectionTexture() {
  // A soft highlight across the middle of the width, dimmer to the sides:
  // the bright stripe slides across a part as the light turns about it.
  return BuildTex(64, 64, [](int x, int) {
    const int d = x < 32 ? 32 - x : x - 32;
    const auto level = static_cast<std::uint8_t>(255 - d * 5);
    return Rgb{level, level, level};
  });
}

std::vector<BbfMember> RiderShadowMembers() {
  // The shadow file's texture names are read past, never loaded.
  return {{"SHADOW.PLR", BuildShadowFile(SyntheticRider("", "", ""))}, {"_08REF.TEX", BuildReflectionTexture()}};
}

Bytes BuildSoundBank(const SoundBankSpec& bank) {
  ByteWriter w;
  w.U8(bank.count ? *bank.count : static_cast<std::uint8_t>(bank.entries.size()));
  w.U8(0);
  for (const SoundBankEntry& e : bank.entries) {
    w.U8(e.slot);
    WriteActString(&w, e.file);
  }
  return w.Take();
}

Bytes BuildJointFile(const std::vector<Matrix>& rest) {
  ByteWriter w;
  for (const Matrix& m : rest) WriteMatrix(&w, m);
  return w.Take();
}

std::vector<Matrix> SyntheticJointRest() {
  std::vector<Matrix> rest;
  for (const auto& j : kJoints) rest.push_back(TranslationMatrix(j[0], j[1], j[2]));
  return rest;
}

RiderFileSpec SyntheticRider(const std::string& riderTexture, const std::string& bikeTexture,
                             const std::string& bank) {
  RiderFileSpec f;
  f.riderTexture = ActString(riderTexture);
  f.bikeTexture = ActString(bikeTexture);
  std::vector<LitMeshVertex> body;
  for (int n = 0; n < 11; ++n) {
    // Each node's box around the origin; its poses place it.
    // Sizes differ by node, so that no two nodes share a position.
    const float h = 0.06f + 0.002f * static_cast<float>(n);
    LitMeshRecord box = SolidBox(0.0f, 0.0f, 0.0f, n == 0 ? 0.12f : h, n == 0 ? 0.12f : h + 0.04f, h, 0.9f,
                                 0.3f + 0.05f * static_cast<float>(n), 0.1f);
    body.insert(body.end(), box.vertices.begin(), box.vertices.end());
    SkinnedNode node;
    node.parent = -1;
    node.vertexCount = 36;
    // Groups start, riding and crashed hold pose 0; the celebration's one
    // parameter of two steps raises the arms (pose 1).
    node.groups.push_back({{{1, 1.0f}, {1, 0.0f}}, {0}});
    node.groups.push_back({{{1, 1.0f}, {1, 0.0f}}, {0}});
    node.groups.push_back({{{1, 1.0f}}, {0}});
    node.groups.push_back({{{2, 1.0f}}, {0, 1}});
    // Poses place the node in the frame's space, whose origin sits 0.75
    // above the ground.
    const auto& j = kJoints[n];
    const float y = j[1] - 0.75f;
    node.poses.push_back(TranslationMatrix(j[0], y, j[2]));
    const bool arm = n >= 1 && n <= 4;
    node.poses.push_back(TranslationMatrix(j[0], arm ? y + 0.6f : y, arm ? j[2] - 0.2f : j[2]));
    f.nodes.push_back(node);
  }
  f.body = MakeLitMesh(body, false);

  // Front wheel, rear wheel, fork, swing arm, steering head, frame, part 6.
  const float parts[7][6] = {{0.0f, 0.0f, 0.0f, 0.05f, 0.35f, 0.35f},  {0.0f, 0.0f, 0.0f, 0.06f, 0.35f, 0.35f},
                             {0.0f, 0.3f, 0.0f, 0.04f, 0.3f, 0.04f},   {0.0f, 0.0f, -0.25f, 0.04f, 0.04f, 0.25f},
                             {0.0f, 0.0f, 0.0f, 0.06f, 0.06f, 0.06f},  {0.0f, 0.0f, 0.0f, 0.12f, 0.15f, 0.5f},
                             {0.0f, 0.1f, 0.0f, 0.15f, 0.03f, 0.2f}};
  for (const auto& p : parts) {
    f.nearParts.push_back(SolidBox(p[0], p[1], p[2], p[3], p[4], p[5], 0.2f, 0.3f, 0.9f));
    f.middleParts.push_back(SolidBox(p[0], p[1], p[2], p[3], p[4], p[5], 0.2f, 0.5f, 0.9f));
  }
  f.far = SolidBox(0.0f, 0.6f, 0.0f, 0.2f, 0.6f, 0.9f, 0.3f, 0.3f, 0.8f);
  // Shine patches just off the right sides of the helmet (node 0), the
  // frame and the steering head, in the frames of the parts they cover.
  f.reflections = {SidePatch(0.125f, 0.08f), SidePatch(0.125f, 0.12f), SidePatch(0.065f, 0.05f)};
  const float offsets[7][3] = {{0.0f, -0.3f, 0.0f}, {0.0f, 0.35f, -0.7f}, {0.0f, 0.2f, 0.1f}, {0.0f, -0.2f, -0.4f},
                               {0.0f, 0.4f, 0.65f}, {0.0f, 0.75f, 0.0f},  {0.0f, 0.6f, -0.3f}};
  for (const auto& o : offsets) f.partOffsets.push_back(TranslationMatrix(o[0], o[1], o[2]));
  f.soundBank = ActString(bank);
  f.secondBank = ActString(bank);
  return f;
}

SoundBankSpec SyntheticSoundBank() {
  SoundBankSpec bank;
  for (int slot = 0; slot < 33; ++slot) {
    bank.entries.push_back({static_cast<std::uint8_t>(slot), ActString("SOUNDS\\RIDER" + std::to_string(slot) + ".SFX")});
  }
  return bank;
}

std::vector<BbfMember> HudMembers() {
  // Plates in the top-left quarter, the dial in the top-right, the cover
  // below the plates, the clutch light's squares where the HUD reads them.
  const Bytes tex = BuildTex(256, 256, [](int x, int y) {
    if (y >= 218 && y <= 232 && x >= 221 && x <= 235) return Rgb{40, 230, 40};
    if (y >= 218 && y <= 232 && x >= 239 && x <= 253) return Rgb{60, 60, 60};
    if (x < 128 && y < 64) return x < 4 || y < 4 ? Rgb{200, 200, 220} : Rgb{30, 40, 120};
    if (x >= 128 && y < 128) {
      const int dx = x - 192, dy = y - 64;
      return dx * dx + dy * dy < 60 * 60 ? Rgb{50, 50, 50} : Rgb{10, 10, 10};
    }
    if (x < 32 && y >= 128 && y < 160) return Rgb{0, 0, 0};
    return Rgb{128, 128, 128};
  });
  auto text = [](std::uint8_t yFromTop, std::uint8_t xFromLeft, float r, float g, float b) {
    StaticTextBody body;
    body.yFromTop = yFromTop;
    body.xFromLeft = xFromLeft;
    body.colour[0] = r;
    body.colour[1] = g;
    body.colour[2] = b;
    return BuildStaticTextBody(body);
  };
  auto plate = [](std::uint8_t yFromTop, std::uint8_t xFromLeft, std::uint8_t blend, float w, float h,
                  float u0, float v0, float u1, float v1) {
    PanelFile f;
    f.yFromTop = yFromTop;
    f.xFromLeft = xFromLeft;
    f.blend = blend;
    f.texture = "DATA\\TRACK\\HUD.TEX";
    f.size[0] = w;
    f.size[1] = h;
    const float u[4] = {u0, u1, u1, u0};
    const float v[4] = {v0, v0, v1, v1};
    for (int i = 0; i < 4; ++i) {
      f.u[i] = u[i];
      f.v[i] = v[i];
    }
    return BuildOsp(f);
  };
  const float k = 1.0f / 255.0f;
  return {{"HUD.TEX", tex},
          {"POSV.STX", text(1, 1, 1.0f, 1.0f, 0.2f)},
          {"SPEEDV.STX", text(1, 0, 1.0f, 1.0f, 1.0f)},
          {"NLAPSV.STX", text(1, 0, 1.0f, 1.0f, 1.0f)},
          {"LTIMEV.STX", text(1, 1, 1.0f, 1.0f, 1.0f)},
          {"BLAPV.STX", text(1, 1, 1.0f, 1.0f, 1.0f)},
          {"GEARV.STX", text(0, 0, 1.0f, 1.0f, 1.0f)},
          {"SPEEDT.OSP", plate(1, 0, 0, 78, 19, 0, 0, 127 * k, 63 * k)},
          {"NLAPST.OSP", plate(1, 0, 0, 78, 19, 0, 0, 127 * k, 63 * k)},
          {"LTIMET.OSP", plate(1, 1, 0, 78, 19, 0, 0, 127 * k, 63 * k)},
          {"BLAPT.OSP", plate(1, 1, 0, 78, 19, 0, 0, 127 * k, 63 * k)},
          {"TACHO.OSP", plate(0, 0, 0, 96, 96, 128 * k, 0, 255 * k, 127 * k)},
          {"TACHO2.OSP", plate(0, 0, 0, 12, 12, 0, 128 * k, 31 * k, 159 * k)},
          {"FRICTION.OSP", plate(1, 0, 1, 16, 16, 239 * k, 218 * k, 253 * k, 232 * k)}};
}

std::vector<BbfMember> RiderDataSetMembers() {
  const Bytes rider = BuildTex(64, 64, [](int x, int y) {
    return Rgb{static_cast<std::uint8_t>(180 + x), static_cast<std::uint8_t>(60 + y * 2), 40};
  });
  const Bytes bike = BuildTex(64, 64, [](int x, int y) {
    return Rgb{40, static_cast<std::uint8_t>(80 + y), static_cast<std::uint8_t>(160 + x)};
  });
  std::vector<BbfMember> members = {{"RIDER.RDR", BuildRiderFile(SyntheticRider("DATA\\TRACK\\RIDER.TEX", "DATA\\TRACK\\BIKE.TEX",
                                                      "DATA\\TRACK\\RIDER.BNK"))},
          {"RIDER.TEX", rider},
          {"BIKE.TEX", bike},
          {"RIDER.BNK", BuildSoundBank(SyntheticSoundBank())},
          {"BONES.MTX", BuildJointFile(SyntheticJointRest())}};
  for (BbfMember& m : HudMembers()) members.push_back(std::move(m));
  for (BbfMember& extra : RiderShadowMembers()) members.push_back(std::move(extra));
  return members;
}

std::vector<std::pair<std::string, Bytes>> RiderDataSetSounds() {
  std::vector<std::pair<std::string, Bytes>> sounds;
  for (int slot = 0; slot < 33; ++slot) {
    // Engine layers low (loops of 0.25 s), the rest short blips.
    const double hz = slot < 6 ? 60.0 + 25.0 * slot : 300.0 + 40.0 * slot;
    const int samples = slot < 6 ? 2756 : 1500;
    sounds.push_back({"RIDER" + std::to_string(slot) + ".SFX",
                      BuildSfx(8, 1, 11025, SineTonePcm(8, 1, 11025, hz, 0.4, samples))});
  }
  return sounds;
}

}  // namespace kelvdata
