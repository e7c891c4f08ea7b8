// The race's own HUD over the picture: the intro banner, the session table or
// the starting grid, the help texts, and the messages and flags of the race.
// The race manager owns one; its widgets are loaded once per race.
#pragma once

#include <cstdint>

#include "ui/panel.h"
#include "ui/static_text.h"

// What a message slot holds. Slot 1 shows one main message at a time; slot 2
// the yellow or the blue flag.
enum HudMessage : std::uint8_t {
  HUD_NONE,
  HUD_BANNER,
  HUD_SESSION_INFO,
  HUD_STARTING_GRID,
  HUD_HELP,
  HUD_FINAL_LAP,
  HUD_LAST_LAP,
  HUD_LAP_DISPLAY,
  HUD_FASTEST_LAP,
  HUD_GAP,
  HUD_LAP_COUNT,
  HUD_STANDINGS_PAGES,
  HUD_STANDINGS_LIST,
  HUD_FINISH,
  HUD_RETIRED,
  HUD_STOPPED,
  HUD_PIT_WAIT,
  HUD_SPLIT,
  HUD_RIDER_INFO,
  HUD_ALONE,
  HUD_SESSION_OVER,
  HUD_YELLOW_FLAG,
  HUD_BLUE_FLAG,
  HUD_MESSAGE_COUNT,
};

constexpr float HUD_HIGHLIGHT[3] = {1.0f, 0.7764700f, 0.0980390f};

// One rider's widgets: helmet, race number and three texts that the tables
// and messages place (place or position, name, time).
struct HudRiderWidgets {
  Panel helmet;
  Panel number;
  StaticText rows[3];
};

struct RaceHud {
  // The extra entry after the twenty slots holds the player's helmet and
  // number again, for a message that shows the player twice.
  static constexpr std::uint32_t RIDER_ENTRIES = 21;
  static constexpr std::uint32_t PLAYER_EXTRA = 20;
  static constexpr std::uint32_t KEY_PAIRS = 9;

  // Widgets, in the order they are loaded.
  Panel yellowFlag;
  Panel blueFlag;
  StaticText press;
  StaticText keyNames[KEY_PAIRS];
  StaticText keyActions[KEY_PAIRS];
  Panel messageBackdrop;
  Panel bannerBackdrop;
  Panel gridPanel;
  Panel gapArrow;
  HudRiderWidgets riders[RIDER_ENTRIES];
  Panel eventFlag;

  // Texts set up from the text database.
  StaticText gridTitle;
  StaticText gridSubtitle;
  StaticText fastestLapTitle;
  StaticText lastLapText;
  StaticText finisherTitles[2];  // 58 for the others, 59 for the winner
  StaticText finisherLine;
  StaticText lapCountText;
  StaticText splitLines[4];  // best and last lap, left then right
  StaticText helpTexts[2];
  StaticText speedLine;
  StaticText finalLapText;
  StaticText retiredText;
  StaticText stoppedText;
  StaticText raceTypeTitle;
  StaticText eventName;
  StaticText columnTitles[3];
  StaticText counters[2];
  StaticText sessionEndText;
  // Texts the messages fill in.
  StaticText positionLine;
  StaticText gapText;
  StaticText difference;
  StaticText pitTexts[5];
  StaticText aloneText;
  StaticText lapTimes[2];  // the lap display's reference and lap rows

  // Message state.
  HudMessage slot1 = HUD_NONE;
  HudMessage slot2 = HUD_NONE;
  float timers[HUD_MESSAGE_COUNT] = {};  // s
  // The message's fade-out has been started (once per showing).
  std::uint8_t fadingOut[HUD_MESSAGE_COUNT] = {};
  float introTimer = 0.0f;                // s
  float keyHelpTimer = 0.0f;              // s, the session table's key cycle
  float differenceTimer = 0.0f;           // s
  float pageTimer = 0.0f;                 // s, the standings pages and list
  std::uint8_t riderInfoRequested = 0;
  std::uint8_t flagOverlayOn = 0;
  std::uint8_t introHelp = 1;
  std::uint8_t shownRiders[2] = {};
  char gapKind = '*';
  std::uint8_t followedSlot = 0;
  std::uint8_t leaderSlot = 0;
  std::uint32_t standingsRounds = 0;
  std::uint8_t standingsDue = 0;
  std::uint8_t finishShown[20] = {};
  std::uint8_t lastLapDue = 1;
  std::uint8_t yellowShown = 0;
  std::uint8_t blueShown = 0;
  std::uint8_t lappingRider = 0;
  // The lap display's reference rider last shown; 255 before the first.
  std::uint8_t referenceShown = 255;
  // The standings' order, fixed on their first page, and the page shown.
  std::uint8_t standingsOrder[20] = {};
  std::uint8_t standingsCount = 0;
  std::uint32_t page = 0;
  std::uint8_t rowsShown = 0;
  std::uint8_t finisherTitle = 0;  // 1 for the winner
};

// A time in the lap-time form (mm'ss"hh) or the short form (ss"hh): at
// least 9 or 6 bytes.
void FormatLapTime(std::uint32_t minutes, std::uint32_t seconds, std::uint32_t hundredths, char* out);
void FormatShortTime(std::uint32_t seconds, std::uint32_t hundredths, char* out);
// A speed in km/h as the HUD shows it: unchanged, or in mph x 0.621 rounded
// up.
float HudSpeed(float kmh, bool mph);
