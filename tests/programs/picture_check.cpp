// picture_check SHOT.png REFERENCE.png [X,Y=RRGGBB~TOLERANCE]...
//
// Compares a picture a program wrote with its reference (within the
// reference tolerance; with KELVARRO_UPDATE_REFERENCES=1 the reference is
// rewritten instead) and checks each pixel given: at (X, Y) every channel
// lies within TOLERANCE of the hexadecimal colour RRGGBB. The pixels are
// checked in an update as well, so that a wrong picture never becomes a
// reference. Exits 0 when everything holds, 1 after naming each failure, 2
// for bad arguments.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/picture.h"

namespace {

struct PixelCheck {
  int x = 0;
  int y = 0;
  unsigned colour = 0;
  int tolerance = 0;
};

bool ParseCheck(const char* text, PixelCheck* c) {
  int used = 0;
  if (std::sscanf(text, "%d,%d=%6x~%d%n", &c->x, &c->y, &c->colour, &c->tolerance, &used) != 4) return false;
  return text[used] == '\0' && c->tolerance >= 0 && c->tolerance <= 255;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: picture_check SHOT.png REFERENCE.png [X,Y=RRGGBB~TOLERANCE]...\n");
    return 2;
  }
  const std::string shot = argv[1];
  platform::Picture picture;
  std::string error;
  if (!kelvtest::ReadPng(shot, &picture, &error)) {
    std::fprintf(stderr, "%s: %s\n", shot.c_str(), error.c_str());
    return 1;
  }
  int status = 0;
  for (int i = 3; i < argc; ++i) {
    PixelCheck c;
    if (!ParseCheck(argv[i], &c)) {
      std::fprintf(stderr, "picture_check: \"%s\" is not X,Y=RRGGBB~TOLERANCE\n", argv[i]);
      return 2;
    }
    const ::testing::AssertionResult near = kelvtest::PixelNear(picture, c.x, c.y, c.colour, c.tolerance);
    if (!near) {
      std::fprintf(stderr, "%s: %s\n", shot.c_str(), near.message());
      status = 1;
    }
  }
  if (status != 0) return status;
  const ::testing::AssertionResult same = kelvtest::MatchesReference(picture, argv[2]);
  if (!same) {
    std::fprintf(stderr, "%s: %s\n", shot.c_str(), same.message());
    return 1;
  }
  return 0;
}
