// picture_twin DIRECT3D.png GLIDE.png TOLERANCE OUTLIER_PERMILLE [X,Y=RRGGBB~TOLERANCE]...
//
// Compares a picture of kelvarro_dx with its twin from kelvarro_glide. The
// Glide board presents its frame through a gamma of 1.2, which the Direct3D
// build does not have, so that gamma is applied to the Direct3D picture
// first; then every channel of every pixel must lie within TOLERANCE, but for
// at most OUTLIER_PERMILLE thousandths of the pixels (where the builds draw
// differently, as their blend factors, the fade and dithering do). Each
// pixel given is checked in the Direct3D picture as it stands. Exits 0 when
// everything holds, 1 after naming each failure, 2 for bad arguments.
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
  const int outliers = static_cast<int>(static_cast<long long>(shown.width) * shown.height * permille / 1000);
  const ::testing::AssertionResult same = kelvtest::SamePicture(glide, shown, tolerance, outliers);
  if (!same) {
    std::fprintf(stderr, "%s against %s: %s\n", argv[1], argv[2], same.message());
    status = 1;
  }
  return status;
}
