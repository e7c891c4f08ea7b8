#include "tools/track_course.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "tools/course_set.h"
#include "tools/tex.h"

namespace kelvdata {

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kBankWidth = 3.0f;
constexpr float kGrassWidth = 20.0f;
// How far the courses' borders lie inside the ridden ground's edge: a
// contact point is tested against the border of the section it was last
// found in, which may lag a step behind on a bend.
constexpr float kBorderInset = 0.1f;
// How far the courses' edges, from which the race measures half widths, lie
// inside the ridden ground's.
constexpr float kEdgeInset = 0.5f;

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
template <class Height>
CrossLine CourseLine(const CourseShape& shape, float s, const std::vector<float>& offsets, Height height, float v) {
  float x0 = 0.0f, z0 = 0.0f, x1 = 0.0f, z1 = 0.0f, cx = 0.0f, cz = 0.0f;
  shape.point(s - 0.05f, &x0, &z0);
  shape.point(s + 0.05f, &x1, &z1);
  shape.point(s, &cx, &cz);
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

// The bank rises from the track's edge and falls back towards the field.
float BankHeight(const CourseShape& shape, float s, float offset) {
  const float d = std::fabs(offset) - shape.halfWidth(s);
  const float h = shape.height(s);
  if (d <= 0.0f) return h;
  if (d <= kBankWidth * 0.5f) return h + 0.6f * d / (kBankWidth * 0.5f);
  return h + 0.6f - (0.6f + 0.3f * h) * (d - kBankWidth * 0.5f) / (kBankWidth * 0.5f);
}

float GrassHeight(const CourseShape& shape, float s, float offset) {
  const float d = std::fabs(offset) - shape.halfWidth(s) - kBankWidth;
  const float start = BankHeight(shape, s, shape.halfWidth(s) + kBankWidth);
  return start * (1.0f - d / kGrassWidth) - 0.02f * d / kGrassWidth;
}

// The three cross lines of a section, each with the offsets `offsets(s)`.
template <class Offsets, class Height>
std::vector<CrossLine> SectionLines(const CourseShape& shape, int section, Offsets offsets, Height height) {
  std::vector<CrossLine> lines;
  for (int k = 0; k <= 2; ++k) {
    float s = static_cast<float>(section) + 0.5f * static_cast<float>(k);
    // The last section ends on the first one's opening line, point for
    // point: the same place worked out a lap later comes out a few
    // millionths away and leaves a sliver of no ground at the seam.
    if (s >= static_cast<float>(shape.sections)) s -= static_cast<float>(shape.sections);
    lines.push_back(CourseLine(shape, s, offsets(s), height, 0.5f * static_cast<float>(k)));
  }
  return lines;
}

// The bank or grass strips of both sides of a section, `inner(s)` to
// `inner(s) + width` from the centre.
template <class Inner, class Height>
LitMeshRecord SideMesh(const CourseShape& shape, int section, Inner inner, float width, Height height, int columns) {
  auto right = [&](float s) {
    std::vector<float> out;
    const float in = inner(s);
    const float outer = in + width;
    for (int c = 0; c <= columns; ++c) out.push_back(in + (outer - in) * static_cast<float>(c) / static_cast<float>(columns));
    return out;
  };
  auto left = [&](float s) {
    std::vector<float> out = right(s);
    std::reverse(out.begin(), out.end());
    for (float& o : out) o = -o;
    return out;
  };
  LitMeshRecord a = StripLitMesh(SectionLines(shape, section, right, height));
  const LitMeshRecord b = StripLitMesh(SectionLines(shape, section, left, height));
  std::vector<LitMeshVertex> vertices = a.vertices;
  vertices.insert(vertices.end(), b.vertices.begin(), b.vertices.end());
  return MakeLitMesh(vertices, false);
}

}  // namespace

SectionMesh StripSectionMesh(const std::vector<CrossLine>& lines, std::uint8_t kind, float borderInset,
                             float edgeInset) {
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
  const PointXZ acrossFirst = Unit(first.back().x - first.front().x, first.back().z - first.front().z);
  // The edges lie `edgeInset` inside the first line's ends: the race puts
  // its trackside cameras a half width from a node's centre, square to the
  // section's direction rather than along the line, and on a bend or where
  // the course narrows that point must still stand on the strip.
  m.edgePoint1 = {first.front().x + acrossFirst.x * edgeInset, first.front().z + acrossFirst.z * edgeInset};
  m.edgePoint2 = {first.back().x - acrossFirst.x * edgeInset, first.back().z - acrossFirst.z * edgeInset};
  // Each border is a straight line, from the first line's end along the
  // chord to the last line's end, with its normal across it towards the
  // other side. Where the edge bows outwards between them the line moves in
  // until every end point of the section on that side lies on or outside
  // it, and `borderInset` further: whatever the borders hold in stands over
  // the strip.
  auto border = [&](bool front, PointXZ* point, PointXZ* normal) {
    const StripPoint& a = front ? first.front() : first.back();
    const StripPoint& b = front ? last.front() : last.back();
    const PointXZ chord = Unit(b.x - a.x, b.z - a.z);
    PointXZ n{chord.z, -chord.x};
    const float towards = (n.x * acrossFirst.x + n.z * acrossFirst.z) * (front ? 1.0f : -1.0f);
    if (towards < 0.0f) n = {-n.x, -n.z};
    float in = 0.0f;
    for (const CrossLine& line : lines) {
      const StripPoint& p = front ? line.front() : line.back();
      in = std::max(in, (p.x - a.x) * n.x + (p.z - a.z) * n.z);
    }
    in += borderInset;
    *point = {a.x + n.x * in, a.z + n.z * in};
    *normal = n;
  };
  border(true, &m.sidePoint1, &m.sideNormal1);
  border(false, &m.sidePoint2, &m.sideNormal2);
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

float CourseHalfWidth(float s) { return StartWideHalfWidth(s, COURSE_SECTIONS, 4.0f); }

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

CourseTrack BuildCourseTrack(const CourseShape& shape, const CourseFiles& files) {
  CourseTrack out;
  TrackFile& track = out.track;
  track.landPieces = {"DATA\\TRACK\\" + files.grassPiece, "DATA\\TRACK\\" + files.bankPiece};
  track.groundTexture = files.groundTexture;
  track.trackObjects = "DATA\\TRACK\\" + files.stem + ".TOB";
  track.alternativeTrackObjects = "DATA\\TRACK\\" + files.stem + "2.TOB";
  out.grass.texture = files.grassTexture;
  out.banks.texture = files.bankTexture;
  auto across = [&](float s) {
    const float w = shape.halfWidth(s);
    return std::vector<float>{w, w * 0.5f, 0.0f, -w * 0.5f, -w};
  };
  auto ground = [&](float s, float) { return shape.height(s); };
  auto bank = [&](float s, float o) { return BankHeight(shape, s, o); };
  auto grass = [&](float s, float o) { return GrassHeight(shape, s, o); };
  auto bankInner = [&](float s) { return shape.halfWidth(s); };
  auto grassInner = [&](float s) { return shape.halfWidth(s) + kBankWidth; };
  for (int s = 0; s < shape.sections; ++s) {
    TrackSectionEntry entry;
    entry.mesh = StripSectionMesh(SectionLines(shape, s, across, ground), 1, kBorderInset, kEdgeInset);
    entry.pieces = {{1, static_cast<std::uint16_t>(s)}, {1, static_cast<std::uint16_t>(s)}};
    track.sections.push_back(std::move(entry));
    out.grass.meshes.push_back(SideMesh(shape, s, grassInner, kGrassWidth, grass, 1));
    out.banks.meshes.push_back(SideMesh(shape, s, bankInner, kBankWidth, bank, 2));
  }
  return out;
}

std::vector<BbfMember> CourseTrackMembers(const CourseTrack& course, const CourseFiles& files) {
  return {{files.stem + ".TRK", BuildTrackFile(course.track)},
          {files.stem + ".HFD", BuildHeightFieldFile(course.field)},
          {files.stem + ".TOB", BuildTrackObjectFile(course.sounds)},
          {files.grassPiece, BuildLandPieceFile(course.grass)},
          {files.bankPiece, BuildLandPieceFile(course.banks)}};
}

Bytes CourseNoiseTex(int size, Rgb base, float spread, int seed, bool ruts) { return NoiseTex(size, base, spread, seed, ruts); }

std::vector<BbfMember> CourseMembers() {
  const CourseShape shape{COURSE_SECTIONS, CoursePoint, CourseHeight, CourseHalfWidth};
  const CourseFiles files{"COURSE", "GRASS.LND", "BANKS.LND", "DATA\\TRACK\\DIRT.TEX", "DATA\\TRACK\\GRASS.TEX",
                          "DATA\\TRACK\\BANK.TEX"};
  CourseTrack course = BuildCourseTrack(shape, files);

  // Flat ground a little below the fields, 4 m cells, over the whole area.
  HeightFieldFile& field = course.field;
  field.width = 61;
  field.height = 61;
  field.originX = -120.0f;
  field.originZ = -120.0f;
  field.cell = 4.0f;
  field.heights.assign(static_cast<std::size_t>(field.width) * field.height, -0.05f);

  course.sounds.emitters = {{0, "SOUNDS\\HUM.SFX", std::nullopt, {static_cast<std::uint16_t>(COURSE_HILL_TOP)}},
                            {1, "SOUNDS\\CLICK.SFX", std::nullopt, {0x2000}}};

  std::vector<BbfMember> out = CourseTrackMembers(course, files);
  out.push_back({"DIRT.TEX", NoiseTex(128, {150, 112, 72}, 0.35f, 1, true)});
  out.push_back({"GRASS.TEX", NoiseTex(128, {70, 135, 50}, 0.4f, 2, false)});
  out.push_back({"BANK.TEX", NoiseTex(64, {115, 80, 50}, 0.45f, 3, false)});
  return out;
}

}  // namespace kelvdata
