// Pictures in tests: our own PNG files read back, compared with reference
// pictures kept under tests/references/. Setting KELVARRO_UPDATE_REFERENCES=1
// rewrites the references instead of comparing (after a reviewed change).
//
// A picture test that cannot open its OpenGL window fails: a run that drew
// nothing must not pass. On a machine known to have no OpenGL, setting
// KELVARRO_SKIP_PICTURES=1 skips them instead; under CI (CI set to anything
// but "" or "0" or "false") that opt-out is ignored.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/glide/glide.h"

namespace kelvtest {

// True when a picture test without OpenGL may skip (see above).
bool PicturesMaySkip();

// Opens a picture test's window (an expression that is false without
// OpenGL); without it the test fails, or skips where that is allowed.
#define KELV_OPEN_PICTURE(opened)                                                                    \
  do {                                                                                               \
    if (opened) break;                                                                               \
    if (::kelvtest::PicturesMaySkip()) GTEST_SKIP() << "no OpenGL window (KELVARRO_SKIP_PICTURES=1)"; \
    FAIL() << "no OpenGL window: picture tests need one (KELVARRO_SKIP_PICTURES=1 skips them)";      \
  } while (false)

// How far a picture may stray from its reference: each channel by this much,
// and a few pixels (this share of them) by any amount, so that a new Mesa
// rounding a filter or an edge differently does not fail the test. The exact
// values are the hand-worked pixels each picture test checks as well.
constexpr int kReferenceTolerance = 3;
constexpr int kReferenceOutliersPerMille = 5;

// Reads a PNG as our writer makes it (8-bit RGB, stored deflate blocks,
// unfiltered rows); false with a reason for anything else or any damage.
bool ReadPng(const std::string& path, platform::Picture* out, std::string* error);

// A part of a picture (clipped to it).
platform::Picture Crop(const platform::Picture& picture, int x, int y, int width, int height);

// The colour of one pixel as 0xRRGGBB.
unsigned PixelAt(const platform::Picture& picture, int x, int y);

// Success when every channel of the pixel at (x, y) lies within `tolerance`
// of 0xRRGGBB `expected`: for the values a test works out by hand.
::testing::AssertionResult PixelNear(const platform::Picture& picture, int x, int y, unsigned expected,
                                     int tolerance);

// Success when both have the same size and every channel of every pixel
// differs by at most `tolerance`, but for at most `outliers` pixels; the
// failure names the first pixel apart.
::testing::AssertionResult SamePicture(const platform::Picture& expected, const platform::Picture& actual,
                                       int tolerance, int outliers = 0);

// Compares with the reference PNG at `path` within the reference tolerance
// and outlier share above. A missing reference or a mismatch fails and
// leaves the picture beside the test run as "<name>.actual.png" for a look;
// with KELVARRO_UPDATE_REFERENCES=1 the reference is written instead.
::testing::AssertionResult MatchesReference(const platform::Picture& picture, const std::string& path);

}  // namespace kelvtest
