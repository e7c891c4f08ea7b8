// The synthetic data set: a game root laid out with every file that tools/
// can write so far (the three archives, the scene table, the text databases
// of the eight languages, a few textures and sounds), for running the games
// without the original data.
#pragma once

#include <string>

namespace kelvdata {

// Writes the data set under `root` (DATA\UI.BBF, DATA\MISC.BBF,
// DATA\TRACK.BBF, DATA\QDV.BIN, SOUNDS\*.SFX). False when a file cannot be
// written.
bool WriteDataSet(const std::string& root);

}  // namespace kelvdata
