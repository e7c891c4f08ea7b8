// Seed files for the fuzz targets: small valid files of each format and a few
// near misses, written into a folder.
#pragma once

#include <string>
#include <vector>

#include "tools/bbf.h"

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
// The dialog reader with every widget kind: the first byte picks the file
// that the rest replaces among DialogFuzzMembers (0 "D.DLG", 1 "B.BTN",
// 2 "C.CHO", 3 "P.PRB", 4 "S.SLD").
bool WriteDialogSeeds(const std::string& dir);
// A small dialog of every widget kind with its files, textures, an
// animation and a text database, as members of the UI archive.
std::vector<BbfMember> DialogFuzzMembers();
// Sky files, as the track archive's member "DATA\\TRACK\\COURSE.SKY" with
// its cloud texture.
bool WriteSkySeeds(const std::string& dir);
// Rider files, read as the track archive's member "DATA\\TRACK\\FUZZ.RDR"
// beside RiderFuzzMembers: their texture, an empty bank and the joints.
inline constexpr const char* RIDER_FUZZ_TEXTURE = "DATA\\TRACK\\FUZZ.TEX";
inline constexpr const char* RIDER_FUZZ_BANK = "DATA\\TRACK\\FUZZ.BNK";
bool WriteRiderSeeds(const std::string& dir);
// Replay recordings: a u32 record count, then the recording's bytes.
bool WriteReplaySeeds(const std::string& dir);
// Race description files and loading pictures, each the plain bytes of one
// file.
bool WriteRaceSeeds(const std::string& dir);
bool WriteLoadingPictureSeeds(const std::string& dir);
// The network layer's own packets, one per file.
bool WriteDplaySeeds(const std::string& dir);
std::vector<BbfMember> RiderFuzzMembers(const Bytes& texture);

// Results tables, players lists and save games, each as the plain bytes of
// one file. A save game's seeds belong to the synthetic data set's tables of
// skill class 0.
bool WriteRltSeeds(const std::string& dir);
bool WritePltSeeds(const std::string& dir);
bool WriteSvdSeeds(const std::string& dir);

// UI scene files behind a byte that gives the scene number, naming the
// members of SceneFuzzMembers; focus lists as the plain bytes of one file.
bool WriteSceneSeeds(const std::string& dir);
bool WriteFltSeeds(const std::string& dir);
std::vector<BbfMember> SceneFuzzMembers();

}  // namespace kelvdata
