// Where the ground is: the section triangles searched outward from the
// caller's hints, the coarse height field off the ridden ground, the side
// boundaries, and the centre line of nodes built from the sections.
#include <cmath>
#include <string>

#include "engine/archive.h"
#include "engine/data_reader.h"
#include "engine/system.h"
#include "platform/win32/debug.h"
#include "world/track.h"
#include "world/track_internal.h"

namespace {

const char kFieldFileError[] = "File error opening height field data.\nPlease reinstall Kelvarro.";
const char kMemoryError[] = "Error: not enough system memory to run.";

// n brought into 0..count-1.
std::uint16_t Wrap(int n, int count) {
  // Most numbers are already in range; a division costs more than the rest
  // of a hinted query.
  if (n >= 0 && n < count) return static_cast<std::uint16_t>(n);
  const int r = n % count;
  return static_cast<std::uint16_t>(r < 0 ? r + count : r);
}

// The k-th section of the search order h, h+1, h-1, h+2, h-2, ...
std::uint16_t SearchOrder(int h, int k, int count) {
  const int step = (k + 1) / 2;
  return Wrap(k % 2 == 1 ? h + step : h - step, count);
}

Vector3 Normalised(const Vector3& v) {
  const float length = std::sqrt(LengthSquared(v));
  // A zero vector stays zero rather than turning into NaNs.
  return length > 0.0f ? v / length : Vector3(0.0f, 0.0f, 0.0f);
}

}  // namespace

bool Track::LoadHeightField(const char* trackPath) {
  // The track file's name with its last three characters replaced.
  std::string name(trackPath);
  name.resize(name.size() >= 3 ? name.size() - 3 : 0);
  name += "hfd";
  ArchiveFile file;
  if (!OpenDataFile(name.c_str(), &file)) {
    ShowMessageBox(kFieldFileError, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  DataReader r(&file);
  std::uint32_t w = 0;
  std::uint32_t h = 0;
  float x = 0.0f;
  float z = 0.0f;
  float cell = 0.0f;
  // A grid needs a cell, and its heights must all be there.
  if (!r.U32(&w) || !r.U32(&h) || !r.F32(&x) || !r.F32(&z) || !r.F32(&cell) || w < 2 || h < 2 ||
      static_cast<std::uint64_t>(w) * h * 4 > r.Remaining()) {
    ReportTrackError();
    return false;
  }
  fieldHeights.resize(static_cast<std::size_t>(w) * h);
  for (float& height : fieldHeights) {
    if (!r.F32(&height)) {
      fieldHeights.clear();
      ReportTrackError();
      return false;
    }
  }
  fieldWidth = w;
  fieldHeight = h;
  fieldOrigin = Vector3(x, 0.0f, z);
  fieldCell = cell;
  return true;
}

bool Track::InsideField(const Vector3* p) const {
  if (fieldHeights.empty()) return false;
  const float maxX = fieldOrigin.x + static_cast<float>(fieldWidth - 1) * fieldCell - 0.0001f;
  const float maxZ = fieldOrigin.z + static_cast<float>(fieldHeight - 1) * fieldCell - 0.0001f;
  return fieldOrigin.x < p->x && p->x < maxX && fieldOrigin.z < p->z && p->z < maxZ;
}

void Track::FieldTriangle(const Vector3* p, Vector3 corners[3]) const {
  const float wm1 = static_cast<float>(fieldWidth - 1);
  const float hm1 = static_cast<float>(fieldHeight - 1);
  std::uint32_t i = static_cast<std::uint32_t>((p->x - fieldOrigin.x) * wm1 / (wm1 * fieldCell));
  std::uint32_t j = static_cast<std::uint32_t>((p->z - fieldOrigin.z) * hm1 / (hm1 * fieldCell));
  // Rounding can land a point just inside the upper border on the last
  // grid line; it belongs to the last cell.
  if (i > fieldWidth - 2) i = fieldWidth - 2;
  if (j > fieldHeight - 2) j = fieldHeight - 2;
  auto point = [&](std::uint32_t gi, std::uint32_t gj) {
    return Vector3(fieldOrigin.x + static_cast<float>(gi) * fieldCell, fieldHeights[gj * fieldWidth + gi],
                   fieldOrigin.z + static_cast<float>(gj) * fieldCell);
  };
  const float xi = fieldOrigin.x + static_cast<float>(i) * fieldCell;
  const float xi1 = fieldOrigin.x + static_cast<float>(i + 1) * fieldCell;
  const float zj = fieldOrigin.z + static_cast<float>(j) * fieldCell;
  const float zj1 = fieldOrigin.z + static_cast<float>(j + 1) * fieldCell;
  // The diagonal from (i, j+1) to (i+1, j).
  const float zd = xi1 != xi ? zj1 + (p->x - xi) * (zj - zj1) / (xi1 - xi) : (zj + zj1) * 0.5f;
  if (zd > p->z) {
    corners[0] = point(i, j);
    corners[1] = point(i + 1, j);
    corners[2] = point(i, j + 1);
  } else {
    corners[0] = point(i + 1, j);
    corners[1] = point(i + 1, j + 1);
    corners[2] = point(i, j + 1);
  }
}

float Track::GetFieldHeight(const Vector3* point) const {
  if (fieldHeights.empty()) return 0.0f;
  if (!InsideField(point)) return fieldHeights[0];
  Vector3 k[3];
  FieldTriangle(point, k);
  const Vector3 n = Cross(k[2] - k[0], k[1] - k[0]);
  if (n.y == 0.0f) return k[0].y;
  return k[0].y - (n.x * (point->x - k[0].x) + n.z * (point->z - k[0].z)) / n.y;
}

bool Track::SearchNear(const Vector3* point, std::uint16_t* section, std::uint16_t* triangle, bool halfRadius,
                       bool hintTested) {
  for (int k = 0; k < 5; ++k) {
    const std::uint16_t s = SearchOrder(*section, k, sectionCount);
    const std::uint16_t count = sections[s].TriangleCount();
    std::uint16_t t = *triangle;
    if (sections[s].FindTriangleFrom(point, halfRadius ? static_cast<std::uint16_t>(count / 2) : 4, &t,
                                     k == 0 && hintTested)) {
      *section = s;
      *triangle = t;
      return true;
    }
  }
  return false;
}

bool Track::getheight(const Vector3* point, std::uint16_t* section, std::uint16_t* triangle, float* height,
                      bool useSections) {
  if (!useSections) {
    *height = GetFieldHeight(point);
    return true;
  }
  if (sectionCount == 0) return false;
  std::uint16_t s = *section;
  std::uint16_t t = *triangle;
  // The near pass's first candidate, tested here without the search's
  // calls: most queries end on it.
  const std::uint16_t first = Wrap(s, sectionCount);
  bool found = t < sections[first].TriangleCount() && sections[first].Holds(t, point->x, point->z);
  if (found) {
    s = first;
  } else {
    found = SearchNear(point, &s, &t, false, t < sections[first].TriangleCount());
  }
  if (!found) {
    OutputDebugStringA("Fallita getheight parziale!\n");
    for (int k = 0; k < sectionCount && !found; ++k) {
      const std::uint16_t candidate = SearchOrder(*section, k, sectionCount);
      std::uint16_t tt = *triangle;
      if (sections[candidate].FindTriangle(point, sections[candidate].TriangleCount(), &tt)) {
        s = candidate;
        t = tt;
        found = true;
      }
    }
  }
  if (!found) {
    OutputDebugStringA("Fallita getheight totale!\n");
    return false;
  }
  *section = s;
  *triangle = t;
  const TrackSurface& surface = sections[s].surfaces[t];
  *height = surface.a * point->x + surface.b * point->z + surface.c;
  return true;
}

bool Track::GetHeightOrField(const Vector3* point, std::uint16_t* section, std::uint16_t* triangle, float* height) {
  std::uint16_t s = *section;
  std::uint16_t t = *triangle;
  if (sectionCount != 0 && SearchNear(point, &s, &t, true)) {
    *section = s;
    *triangle = t;
    const TrackSurface& surface = sections[s].surfaces[t];
    *height = surface.a * point->x + surface.b * point->z + surface.c;
    return true;
  }
  *height = GetFieldHeight(point);
  return false;
}

TrackSurface* Track::GetFieldSurface(TrackSurface* out, const Vector3* point) const {
  if (InsideField(point)) {
    Vector3 k[3];
    FieldTriangle(point, k);
    const Vector3 n = Normalised(Cross(k[2] - k[0], k[1] - k[0]));
    // A flat-on-edge cell (only from damaged heights) has no plane: level.
    const float ny = n.y != 0.0f ? n.y : 1.0f;
    out->nx = n.x;
    out->ny = n.y;
    out->nz = n.z;
    out->a = -n.x / ny;
    out->b = -n.z / ny;
    out->c = (n.x * k[0].x + ny * k[0].y + n.z * k[0].z) / ny + 0.1f;
    out->kind = 1;
    return out;
  }
  out->a = 0.0f;
  out->b = 0.0f;
  out->c = fieldHeights.empty() ? 0.0f : fieldHeights[0];
  out->nx = 0.0f;
  out->ny = 1.0f;
  out->nz = 0.0f;
  out->kind = 1;
  return out;
}

bool Track::TestBorders(std::uint16_t section, Vector3* normal, Vector3 point, float* depth) const {
  *depth = 0.0f;
  const TrackSection& s = sections[SectionIndex(section)];
  *normal = s.sideNormal1;
  const float d1 = Dot(point - s.sidePoint1, s.sideNormal1);
  if (d1 < 0.0f) {
    *depth = -d1;
    return false;
  }
  *normal = s.sideNormal2;
  const float d2 = Dot(point - s.sidePoint2, s.sideNormal2);
  if (d2 < 0.0f) {
    *depth = -d2;
    return false;
  }
  return true;
}

bool Track::BuildNodes() {
  try {
    nodes.assign(sectionCount, TrackNode{});
  } catch (const std::bad_alloc&) {
    ShowMessageBox(kMemoryError, MESSAGE_BOX_CAPTION, MESSAGE_BOX_ERROR);
    return false;
  }
  for (std::uint16_t i = 0; i < sectionCount; ++i) {
    const TrackSection& s = sections[i];
    TrackNode& n = nodes[i];
    n.centre = 0.5f * (s.edgePoint1 + s.edgePoint2);
    n.halfWidth = std::sqrt(LengthSquared(n.centre - s.edgePoint1));
    n.across = Vector3(s.direction.z, 0.0f, -s.direction.x);
    // Over no triangle the node keeps the field's height, never nothing.
    n.groundHeight = GetFieldHeight(&n.centre);
    std::uint16_t section = i;
    std::uint16_t triangle = 0;
    getheight(&n.centre, &section, &triangle, &n.groundHeight, true);
  }
  return true;
}

void Track::SmoothNodes() {
  const int count = sectionCount;
  for (int k = 0; k < count; ++k) {
    Vector3 sum(0.0f, 0.0f, 0.0f);
    for (int d = -4; d <= 4; ++d) sum = sum + nodes[Wrap(k + d, count)].centre;
    sections[k].SetCentre(sum.x * 0.11111111f, sum.y * 0.11111111f, sum.z * 0.11111111f);
  }
  for (int k = 0; k < count; ++k) {
    const Vector3 centre = sections[k].centre;
    const Vector3 u = Normalised(sections[Wrap(k + 1, count)].centre - centre);
    const Vector3 a = nodes[k].across;
    Vector3 corners[4] = {centre - 0.1f * a, centre + 1.5f * u - 0.01f * a, centre + 1.5f * u + 0.01f * a,
                          centre + 0.1f * a};
    for (Vector3& c : corners) {
      std::uint16_t section = static_cast<std::uint16_t>(k);
      std::uint16_t triangle = 6;
      float height = 0.0f;
      getheight(&c, &section, &triangle, &height, true);
      c.y = height + 0.1f;
    }
    sections[k].SetMarkerCorners(corners);
  }
}

bool Track::SegmentCrossesNode(const Vector3* box, bool forward) const {
  const int count = sectionCount;
  if (count == 0 || nodes.empty()) return false;
  const Vector3& p0 = box[0];
  const Vector3& p1 = box[7];
  const std::uint16_t start = forward ? Wrap(windowFirst + 5, count) : Wrap(windowFirst, count);
  const std::uint16_t end = forward ? Wrap(windowLast + 1, count) : Wrap(windowLast + count - 4, count);
  for (std::uint16_t n = start; n != end; n = Wrap(n + 1, count)) {
    const TrackNode& node = nodes[n];
    const float g = node.groundHeight;
    if ((p0.x - node.centre.x > 0.0f) != (p1.x - node.centre.x > 0.0f) &&
        (p0.y - 1.0f - g > 0.0f) != (p1.y + 1.0f - g > 0.0f) &&
        (p0.z - node.centre.z > 0.0f) != (p1.z - node.centre.z > 0.0f))
      return true;
  }
  return false;
}
