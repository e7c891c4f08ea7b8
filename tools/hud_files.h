// The race HUD's files for the data set and the tests: the flags, the key
// help texts, the message backdrop, the grid panel, the gap arrow, the
// helmets and race numbers of twenty riders and the events' flags, with the
// HUD's texts in the eight languages.
#pragma once

#include <string>
#include <vector>

#include "tools/bbf.h"

namespace kelvdata {

constexpr int HUD_RIDERS = 20;
// The events' flags and names: as many as the standings show (12 rounds).
constexpr int HUD_EVENTS = 12;
// The key help's lead and its nine actions (the key names are texts 10..18).
constexpr int TEXT_HUD_PRESS = 1491;
constexpr int TEXT_HUD_ACTIONS = 1492;  // 1492..1500

// Members of DATA\TRACK.BBF: YFLAG.OSP, BFLAG.OSP, PRESS.STX, NAME.STX,
// HELP1..9.STX, BPANEL.OSP, GRID.OSP, ARROW.OSP, HELMETnn.OSP and
// NUMBERnn.OSP for race numbers 0..19, and their textures.
std::vector<BbfMember> HudTrackMembers();
// Members of DATA\UI.BBF: FLAG00..FLAG11.OSP and their texture.
std::vector<BbfMember> HudUiMembers();
// Puts the HUD's texts of `language` (0..7) into `texts` (grown as needed).
void AddHudTexts(int language, std::vector<std::string>* texts);

}  // namespace kelvdata
