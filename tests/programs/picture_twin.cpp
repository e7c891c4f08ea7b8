// picture_twin DIRECT3D.png GLIDE.png TOLERANCE OUTLIER_PERMILLE [X,Y=RRGGBB~TOLERANCE]...
//
// Compares a picture of kelvarro_dx with its twin from kelvarro_glide. The
// Glide board presents its frame through a gamma of 1.2, which the Direct3D
// build does not have, so that gamma is applied to the Direct3D picture
// first. Direct3D puts pixel centres on whole coordinates, the Glide board
// on half ones: the same triangles are sampled half a pixel apart, which on
// the courses' grainy textures changes most pixels of the ground by more
// than any tolerance. So a Direct3D pixel (x, y), which shows the point
// where the Glide pixels (x - 1 .. x, y - 1 .. y) meet, is compared with
// those four: each channel must lie within TOLERANCE of the range they span,
// but for at most OUTLIER_PERMILLE thousandths of the pixels (where the
// builds draw differently, as their blend factors, the fade and dithering
// do). Each pixel given is checked in the Direct3D picture as it stands.
// Exits 0 when everything holds, 1 after naming each failure, 2 for bad
// arguments.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/picture.h"

namespace {

bool ParseNumber(const char* text, int* out) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < 0 || v > 1000) return false;
  *out = static_cast<int>(v);
  return true;
}

// The pixels of the Direct3D picture (gamma applied) outside the range of
// their four Glide pixels by more than the tolerance; the first of them and
// the largest distance.
struct Outliers {
  long long count = 0;
  int worst = 0;
  int firstX = -1, firstY = -1;
};

Outliers CountOutliers(const platform::Picture& direct3D, const platform::Picture& glide, int tolerance) {
  Outliers o;
  for (int y = 0; y < direct3D.height; ++y) {
    for (int x = 0; x < direct3D.width; ++x) {
      int distance = 0;
      for (int c = 0; c < 3; ++c) {
        int lo = 255, hi = 0;
        for (int yy = std::max(y - 1, 0); yy <= y; ++yy) {
          for (int xx = std::max(x - 1, 0); xx <= x; ++xx) {
            const int v = glide.rgb[(static_cast<std::size_t>(yy) * glide.width + xx) * 3 + c];
            lo = std::min(lo, v);
            hi = std::max(hi, v);
          }
        }
        const int v = direct3D.rgb[(static_cast<std::size_t>(y) * direct3D.width + x) * 3 + c];
        distance = std::max({distance, lo - v, v - hi});
      }
      o.worst = std::max(o.worst, distance);
      if (distance > tolerance && o.count++ == 0) {
        o.firstX = x;
        o.firstY = y;
      }
    }
  }
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  int tolerance = 0, permille = 0;
  if (argc < 5 || !ParseNumber(argv[3], &tolerance) || !ParseNumber(argv[4], &permille) || tolerance > 255) {
    std::fprintf(stderr, "usage: picture_twin DIRECT3D.png GLIDE.png TOLERANCE OUTLIER_PERMILLE [X,Y=RRGGBB~T]...\n");
    return 2;
  }
  platform::Picture direct3D, glide;
  std::string error;
  for (auto [path, picture] : {std::pair{argv[1], &direct3D}, std::pair{argv[2], &glide}}) {
    if (!kelvtest::ReadPng(path, picture, &error)) {
      std::fprintf(stderr, "%s: %s\n", path, error.c_str());
      return 1;
    }
  }
  int status = 0;
  for (int i = 5; i < argc; ++i) {
    int x = 0, y = 0, t = 0, used = 0;
    unsigned colour = 0;
    if (std::sscanf(argv[i], "%d,%d=%6x~%d%n", &x, &y, &colour, &t, &used) != 4 || argv[i][used] != '\0') {
      std::fprintf(stderr, "picture_twin: \"%s\" is not X,Y=RRGGBB~TOLERANCE\n", argv[i]);
      return 2;
    }
    const ::testing::AssertionResult near = kelvtest::PixelNear(direct3D, x, y, colour, t);
    if (!near) {
      std::fprintf(stderr, "%s: %s\n", argv[1], near.message());
      status = 1;
    }
  }
  unsigned char gamma[256];
  for (int i = 0; i < 256; ++i) {
    const float v = std::pow(static_cast<float>(i) / 255.0f, 1.0f / 1.2f) * 255.0f + 0.5f;
    gamma[i] = static_cast<unsigned char>(v > 255.0f ? 255.0f : v);
  }
  platform::Picture shown = direct3D;
  for (auto& c : shown.rgb) c = gamma[c];
  if (shown.width != glide.width || shown.height != glide.height) {
    std::fprintf(stderr, "%s: %dx%d, its twin %s %dx%d\n", argv[1], shown.width, shown.height, argv[2], glide.width,
                 glide.height);
    return 1;
  }
  const long long allowed = static_cast<long long>(shown.width) * shown.height * permille / 1000;
  const Outliers o = CountOutliers(shown, glide, tolerance);
  if (o.count > allowed) {
    std::fprintf(stderr,
                 "%s against %s: %lld pixels lie more than %d outside their Glide pixels (at most %lld may; worst "
                 "%d); first at (%d, %d)\n",
                 argv[1], argv[2], o.count, tolerance, allowed, o.worst, o.firstX, o.firstY);
    status = 1;
  }
  return status;
}
