// Pictures in tests: our own PNG files read back, compared with reference
// pictures kept under tests/references/. Setting KELVARRO_UPDATE_REFERENCES=1
// rewrites the references instead of comparing (after a reviewed change).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/glide/glide.h"

namespace kelvtest {

// Reads a PNG as our writer makes it (8-bit RGB, stored deflate blocks,
// unfiltered rows); false with a reason for anything else or any damage.
bool ReadPng(const std::string& path, platform::Picture* out, std::string* error);

// A part of a picture (clipped to it).
platform::Picture Crop(const platform::Picture& picture, int x, int y, int width, int height);

// The colour of one pixel as 0xRRGGBB.
unsigned PixelAt(const platform::Picture& picture, int x, int y);

// Success when both have the same size and every channel of every pixel
// differs by at most `tolerance`; the failure names the first pixel apart.
::testing::AssertionResult SamePicture(const platform::Picture& expected, const platform::Picture& actual,
                                       int tolerance);

// Compares with the reference PNG at `path`. A missing reference or a
// mismatch fails and leaves the picture beside the test run as
// "<name>.actual.png" for a look; with KELVARRO_UPDATE_REFERENCES=1 the
// reference is written instead.
::testing::AssertionResult MatchesReference(const platform::Picture& picture, const std::string& path,
                                            int tolerance);

}  // namespace kelvtest
