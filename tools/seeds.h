// Seed files for the fuzz targets: small valid files of each format and a few
// near misses, written into a folder.
#pragma once

#include <string>

namespace kelvdata {

bool WriteBbfSeeds(const std::string& dir);
bool WriteTdbSeeds(const std::string& dir);
bool WriteQdvSeeds(const std::string& dir);
bool WriteTexSeeds(const std::string& dir);
bool WriteSfxSeeds(const std::string& dir);
bool WriteActSeeds(const std::string& dir);
bool WriteAnimSeeds(const std::string& dir);
// The font, static-text, UI static-text, edit-text, panel and backdrop
// readers, each file behind a byte that picks the reader.
bool WriteUiSeeds(const std::string& dir);
bool WriteMovieSeeds(const std::string& dir);
// Disc images: a cue sheet naming "DISC.BIN", a NUL, then that image.
bool WriteCueSeeds(const std::string& dir);
bool WriteTrackSeeds(const std::string& dir);
// Sky files, as the track archive's member "DATA\\TRACK\\COURSE.SKY" with
// its cloud texture.
bool WriteSkySeeds(const std::string& dir);

}  // namespace kelvdata
