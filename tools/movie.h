// Writer of movie files: MPEG-1 video with MPEG audio layer II sound in an
// MPEG program stream (".MPG"), codecs that every FFmpeg build has. The
// pictures are flat colours, one after the other in equal parts of the
// movie; the sound is a sine tone.
#pragma once

#include <string>
#include <vector>

#include "tools/bytes.h"
#include "tools/tex.h"

namespace kelvdata {

struct MovieSpec {
  int width = 320;  // a multiple of 16
  int height = 240;
  int framesPerSecond = 25;
  double seconds = 3.0;
  // The picture's colour in each part of the movie (at least one).
  std::vector<Rgb> colours = {{200, 40, 40}, {40, 160, 60}, {40, 80, 220}};
  bool sound = true;
  double toneHz = 440.0;
};

// False, with the reason in `error`, when FFmpeg refuses a step.
bool BuildMovie(const MovieSpec& spec, Bytes* out, std::string* error);

// The synthetic data set's movie: three seconds, red, green, then blue.
Bytes SyntheticMovie();

}  // namespace kelvdata
