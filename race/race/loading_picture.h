// The loading screen's picture ("DATA\MISC\LOAD640.TEX" and its 800 and 1024
// forms): u16 width w, u16 height h, then w x h pixels of red, green, blue
// bytes row after row, scaled to the screen by nearest sample into RGB565.
#pragma once

#include <cstdint>
#include <memory>

class DataReader;

// Beyond this a side is hostile: the picture alone would take hundreds of MiB.
constexpr std::uint32_t LOADING_PICTURE_MAX_SIDE = 4096;

// The picture scaled to a `width` x `height` screen; null when a side is 0
// or too large, the file is shorter than its pixels, the screen is smaller
// than 2 x 2 or memory runs out.
std::unique_ptr<std::uint16_t[]> ReadLoadingPicture(DataReader& in, std::uint32_t width, std::uint32_t height);
