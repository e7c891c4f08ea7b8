#include "tools/track_course.h"

#include <array>
#include <cmath>

#include "tools/tex.h"

namespace kelvdata {

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kHalfWidth = 4.0f;
constexpr float kBankWidth = 3.0f;
constexpr float kGrassWidth = 20.0f;

struct V3 {
  float x, y, z;
};

V3 Sub(const StripPoint& a, const StripPoint& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// a.x b.z - a.z b.x: negative when b lies clockwise of a seen from above.
float Cross2(const V3& a, const V3& b) { return a.x * b.z - a.z * b.x; }

// The triangles of the strip, each clockwise, column by column: with four
// columns the two in the middle get triangles 4 to 11 of a section, all
// within a search of radius 4 from triangle 6, where riders start.
std::vector<std::array<StripPoint, 3>> Triangles(const std::vector<CrossLine>& lines) {
  std::vector<std::array<StripPoint, 3>> out;
  for (std::size_t c = 0; !lines.empty() && c + 1 < lines[0].size(); ++c) {
    for (std::size_t r = 0; r + 1 < lines.size(); ++r) {
      const StripPoint& a = lines[r][c];
      const StripPoint& b = lines[r][c + 1];
      const StripPoint& d = lines[r + 1][c];
      const StripPoint& e = lines[r + 1][c + 1];
      for (std::array<StripPoint, 3> t : {std::array<StripPoint, 3>{a, b, d}, std::array<StripPoint, 3>{b, e, d}}) {
        if (Cross2(Sub(t[1], t[0]), Sub(t[2], t[0])) > 0.0f) std::swap(t[1], t[2]);
        out.push_back(t);
      }
    }
  }
  return out;
}

PointXZ Unit(float x, float z) {
  const float l = std::sqrt(x * x + z * z);
  return l > 0.0f ? PointXZ{x / l, z / l} : PointXZ{0.0f, 0.0f};
}

std::uint8_t Channel(float v) { return static_cast<std::uint8_t>(v < 0.0f ? 0 : v > 255.0f ? 255 : v); }

// Deterministic texel noise, 0..1.
float Noise(int x, int y, int seed) {
  unsigned h = static_cast<unsigned>(x) * 374761393u + static_cast<unsigned>(y) * 668265263u +
               static_cast<unsigned>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<float>((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

Bytes NoiseTex(int size, Rgb base, float spread, int seed, bool ruts) {
  return BuildTex(static_cast<std::uint16_t>(size), static_cast<std::uint16_t>(size), [=](int x, int y) {
    float n = 0.75f + spread * (Noise(x, y, seed) - 0.5f) + 0.5f * spread * (Noise(x / 4, y / 4, seed + 1) - 0.5f);
    // Darker tracks worn along the course.
    if (ruts && ((x + 3) % 32 < 3 || (x + 17) % 32 < 2)) n -= 0.18f;
    return Rgb{Channel(base.r * n), Channel(base.g * n), Channel(base.b * n)};
  });
}

// The cross line of the course at `s`: points from the first side (outer)
// to the second at the given offsets from the centre, with heights from
// `height(offset)`.
CrossLine CourseLine(float s, const std::vector<float>& offsets, float (*height)(float s, float offset), float v) {
  float x0 = 0.0f, z0 = 0.0f, x1 = 0.0f, z1 = 0.0f, cx = 0.0f, cz = 0.0f;
  CoursePoint(s - 0.05f, &x0, &z0);
  CoursePoint(s + 0.05f, &x1, &z1);
  CoursePoint(s, &cx, &cz);
  const PointXZ t = Unit(x1 - x0, z1 - z0);
  // The first side lies to the right of the direction of travel.
  const PointXZ n{t.z, -t.x};
  CrossLine line;
  const float first = offsets.front();
  const float last = offsets.back();
  for (float o : offsets) {
    StripPoint p;
    p.x = cx + n.x * o;
    p.z = cz + n.z * o;
    p.y = height(s, o);
    p.u = last != first ? (o - first) / (last - first) : 0.0f;
    p.v = v;
    p.shade = 1.0f;
    line.push_back(p);
  }
  return line;
}

float GroundHeight(float s, float) { return CourseHeight(s); }

// The bank rises from the track's edge and falls back towards the field.
float BankHeight(float s, float offset) {
  const float d = std::fabs(offset) - kHalfWidth;
  const float h = CourseHeight(s);
  if (d <= 0.0f) return h;
  if (d <= kBankWidth * 0.5f) return h + 0.6f * d / (kBankWidth * 0.5f);
  return h + 0.6f - (0.6f + 0.3f * h) * (d - kBankWidth * 0.5f) / (kBankWidth * 0.5f);
}

float GrassHeight(float s, float offset) {
  const float d = std::fabs(offset) - kHalfWidth - kBankWidth;
  const float start = BankHeight(s, kHalfWidth + kBankWidth);
  return start * (1.0f - d / kGrassWidth) - 0.02f * d / kGrassWidth;
}

std::vector<CrossLine> SectionLines(int section, const std::vector<float>& offsets,
                                    float (*height)(float, float)) {
  std::vector<CrossLine> lines;
  for (int k = 0; k <= 2; ++k) {
    const float s = static_cast<float>(section) + 0.5f * static_cast<float>(k);
    lines.push_back(CourseLine(s, offsets, height, 0.5f * static_cast<float>(k)));
  }
  return lines;
}

// The bank or grass strips of both sides of a section.
LitMeshRecord SideMesh(int section, float inner, float outer, float (*height)(float, float), int columns) {
  std::vector<float> right;
  std::vector<float> left;
  for (int c = 0; c <= columns; ++c) {
    const float o = inner + (outer - inner) * static_cast<float>(c) / static_cast<float>(columns);
    right.push_back(o);
    left.insert(left.begin(), -o);
  }
  LitMeshRecord a = StripLitMesh(SectionLines(section, right, height));
  const LitMeshRecord b = StripLitMesh(SectionLines(section, left, height));
  std::vector<LitMeshVertex> vertices = a.vertices;
  vertices.insert(vertices.end(), b.vertices.begin(), b.vertices.end());
  return MakeLitMesh(vertices, false);
}

}  // namespace

SectionMesh StripSectionMesh(const std::vector<CrossLine>& lines, std::uint8_t kind) {
  SectionMesh m;
  const auto triangles = Triangles(lines);
  for (std::size_t t = 0; t < triangles.size(); ++t) {
    const auto& c = triangles[t];
    // Records in the order c2, c1, c0 and indices falling: the loader's
    // reversal and record swap give back c0, c1, c2 with their own colours.
    for (int k = 2; k >= 0; --k) {
      const StripPoint& p = c[k];
      m.vertices.push_back(SectionVertex{p.x, p.y, p.z, p.shade, p.shade, p.shade, 1.0f, {}, p.u, p.v});
    }
    const V3 e1 = Sub(c[1], c[0]);
    const V3 e2 = Sub(c[2], c[0]);
    // Clockwise from above, so e1 x e2 points up.
    V3 n{e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
    const float l = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (l > 0.0f) n = {n.x / l, n.y / l, n.z / l};
    SectionTriangle tri{};
    const auto base = static_cast<std::uint16_t>(3 * t);
    tri.i0 = static_cast<std::uint16_t>(base + 2);
    tri.i1 = static_cast<std::uint16_t>(base + 1);
    tri.i2 = base;
    tri.a = n.y != 0.0f ? -n.x / n.y : 0.0f;
    tri.b = n.y != 0.0f ? -n.z / n.y : 0.0f;
    tri.c = c[0].y - tri.a * c[0].x - tri.b * c[0].z;
    tri.nx = n.x;
    tri.ny = n.y;
    tri.nz = n.z;
    tri.kind = kind;
    m.triangles.push_back(tri);
  }
  const CrossLine& first = lines.front();
  const CrossLine& last = lines.back();
  m.edgePoint1 = {first.front().x, first.front().z};
  m.edgePoint2 = {first.back().x, first.back().z};
  m.sidePoint1 = m.edgePoint1;
  m.sidePoint2 = m.edgePoint2;
  m.sideNormal1 = Unit(first.back().x - first.front().x, first.back().z - first.front().z);
  m.sideNormal2 = {-m.sideNormal1.x, -m.sideNormal1.z};
  const StripPoint& a = first[first.size() / 2];
  const StripPoint& b = last[last.size() / 2];
  m.direction = Unit(b.x - a.x, b.z - a.z);
  return m;
}

LitMeshRecord StripLitMesh(const std::vector<CrossLine>& lines) {
  std::vector<LitMeshVertex> vertices;
  for (const auto& t : Triangles(lines)) {
    for (const StripPoint& p : t) vertices.push_back(LitMeshVertex{p.x, p.y, p.z, p.shade, p.shade, p.shade, 1.0f, p.u, p.v});
  }
  return MakeLitMesh(vertices, false);
}

TrackSet StraightTrackSet(int sections) {
  TrackSet set;
  set.track.landPieces = {"DATA\\TRACK\\PIECE.LND"};
  set.track.groundTexture = "NULL";
  set.track.trackObjects = "DATA\\TRACK\\SAMPLE.TOB";
  set.track.alternativeTrackObjects = "DATA\\TRACK\\NOWHERE.TOB";
  LandPieceFile piece;
  piece.texture = "NULL";
  for (int s = 0; s < sections; ++s) {
    std::vector<CrossLine> lines;
    for (int k = 0; k <= 2; ++k) {
      CrossLine line;
      for (int c = 0; c <= 4; ++c) {
        const float x = 2.0f - static_cast<float>(c);
        line.push_back(StripPoint{x, 0.0f, 4.0f * static_cast<float>(s) + 2.0f * static_cast<float>(k),
                                  static_cast<float>(c) * 0.25f, static_cast<float>(k) * 0.5f, 1.0f});
      }
      lines.push_back(line);
    }
    TrackSectionEntry entry;
    entry.mesh = StripSectionMesh(lines, 1);
    entry.pieces = {{1, static_cast<std::uint16_t>(s)}};
    set.track.sections.push_back(entry);
    piece.meshes.push_back(StripLitMesh(lines));
  }
  set.pieces = {piece};
  set.field.width = 5;
  set.field.height = 5;
  set.field.originX = -20.0f;
  set.field.originZ = -20.0f;
  set.field.cell = 10.0f;
  set.field.heights.assign(25, -1.0f);
  return set;
}

std::vector<BbfMember> TrackSetMembers(const TrackSet& set) {
  std::vector<BbfMember> out = {{"SAMPLE.TRK", BuildTrackFile(set.track)},
                                {"SAMPLE.HFD", BuildHeightFieldFile(set.field)},
                                {"SAMPLE.TOB", BuildTrackObjectFile(set.objects)}};
  for (std::size_t i = 0; i < set.pieces.size() && i < set.track.landPieces.size(); ++i) {
    const std::string& path = set.track.landPieces[i].text;
    const std::size_t slash = path.find_last_of('\\');
    out.push_back({slash == std::string::npos ? path : path.substr(slash + 1), BuildLandPieceFile(set.pieces[i])});
  }
  return out;
}

void CoursePoint(float s, float* x, float* z) {
  const float theta = 2.0f * kPi * s / static_cast<float>(COURSE_SECTIONS);
  const float r = 70.0f + 11.0f * std::cos(3.0f * theta);
  *x = r * std::cos(theta);
  *z = r * std::sin(theta);
}

float CourseHeight(float s) {
  // A hill over eight sections, highest at COURSE_HILL_TOP.
  const float hill = s - static_cast<float>(COURSE_HILL_TOP - 4);
  if (hill > 0.0f && hill < 8.0f) {
    const float k = std::sin(kPi * hill / 8.0f);
    return 2.5f * k * k;
  }
  // A kicker: two sections up to the lip, then down within half a section.
  const float kick = s - static_cast<float>(COURSE_KICKER_LIP - 2);
  if (kick > 0.0f && kick <= 2.0f) return 1.4f * kick / 2.0f;
  if (kick > 2.0f && kick < 2.5f) return 1.4f * (2.5f - kick) / 0.5f;
  return 0.0f;
}

std::vector<BbfMember> CourseMembers() {
  TrackFile track;
  track.landPieces = {"DATA\\TRACK\\GRASS.LND", "DATA\\TRACK\\BANKS.LND"};
  track.groundTexture = "DATA\\TRACK\\DIRT.TEX";
  track.trackObjects = "DATA\\TRACK\\COURSE.TOB";
  track.alternativeTrackObjects = "DATA\\TRACK\\COURSE2.TOB";
  LandPieceFile grass;
  grass.texture = "DATA\\TRACK\\GRASS.TEX";
  LandPieceFile banks;
  banks.texture = "DATA\\TRACK\\BANK.TEX";
  const std::vector<float> across = {kHalfWidth, kHalfWidth * 0.5f, 0.0f, -kHalfWidth * 0.5f, -kHalfWidth};
  for (int s = 0; s < COURSE_SECTIONS; ++s) {
    TrackSectionEntry entry;
    entry.mesh = StripSectionMesh(SectionLines(s, across, GroundHeight), 1);
    entry.pieces = {{1, static_cast<std::uint16_t>(s)}, {1, static_cast<std::uint16_t>(s)}};
    track.sections.push_back(std::move(entry));
    grass.meshes.push_back(SideMesh(s, kHalfWidth + kBankWidth, kHalfWidth + kBankWidth + kGrassWidth, GrassHeight, 1));
    banks.meshes.push_back(SideMesh(s, kHalfWidth, kHalfWidth + kBankWidth, BankHeight, 2));
  }

  // Flat ground a little below the fields, 4 m cells, over the whole area.
  HeightFieldFile field;
  field.width = 61;
  field.height = 61;
  field.originX = -120.0f;
  field.originZ = -120.0f;
  field.cell = 4.0f;
  field.heights.assign(static_cast<std::size_t>(field.width) * field.height, -0.05f);

  TrackObjectFile sounds;
  sounds.emitters = {{0, "SOUNDS\\HUM.SFX", std::nullopt, {static_cast<std::uint16_t>(COURSE_HILL_TOP)}},
                     {1, "SOUNDS\\CLICK.SFX", std::nullopt, {0x2000}}};

  return {{"COURSE.TRK", BuildTrackFile(track)},
          {"COURSE.HFD", BuildHeightFieldFile(field)},
          {"COURSE.TOB", BuildTrackObjectFile(sounds)},
          {"GRASS.LND", BuildLandPieceFile(grass)},
          {"BANKS.LND", BuildLandPieceFile(banks)},
          {"DIRT.TEX", NoiseTex(128, {150, 112, 72}, 0.35f, 1, true)},
          {"GRASS.TEX", NoiseTex(128, {70, 135, 50}, 0.4f, 2, false)},
          {"BANK.TEX", NoiseTex(64, {115, 80, 50}, 0.45f, 3, false)}};
}

}  // namespace kelvdata
