// The synthetic data set: a game root laid out with every file that tools/
// can write so far (the three archives, the scene table, the text databases
// of the eight languages, a few textures and sounds), for running the games
// without the original data.
#pragma once

#include <string>
#include <vector>

#include "tools/bytes.h"

namespace kelvdata {

// The mouse cursor's two 32 x 32 pictures: an arrow on black
// (DATA\UI\_CUROBJ.TEX) and its grey shadow, three pixels down and to the
// right, on white (DATA\UI\_CURSHD.TEX). The cursor loads its textures at
// start-up, before any scene sets the front end's key colour, and reloads
// them only around a display change, ahead of the next scene's key: the key
// it is given in the front end is black, so black is the pointer's key and
// its border is a grey just above it.
Bytes CursorPointerTex();
Bytes CursorShadowTex();

// The game's CD as a disc image inside the data set: CD/KELVARRO.CUE, with
// its image CD/KELVARRO.BIN (run with KELVARRO_CD naming the cue sheet).
constexpr const char* GAME_CD_CUE = "KELVARRO.CUE";
constexpr const char* GAME_CD_BIN = "KELVARRO.BIN";

// The game texts of a language (0..7, the engine's order), as its
// GAMETXT<n>.TDB holds them: in the language's code page. Empty, with the
// reason in `error`, when a text has a character that the code page lacks.
std::vector<std::string> DataSetTexts(int language, std::string* error = nullptr);

// Writes the data set under `root` (DATA\UI.BBF, DATA\MISC.BBF,
// DATA\TRACK.BBF, DATA\QDV.BIN, the courses' race descriptions
// DATA\TRACK\COURSE.RAC, BRACKEN.RAC and MIRE.RAC,
// SOUNDS\*.SFX, DATA\MOVIES\INTRO.MPG, the CD image). False when a file
// cannot be written.
bool WriteDataSet(const std::string& root);

}  // namespace kelvdata
