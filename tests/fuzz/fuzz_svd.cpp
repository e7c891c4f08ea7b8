// Fuzz target for the save-game reader: any bytes as DATA\SAVE\01.SVD,
// restored against the synthetic results tables and players lists. A
// refused save changes nothing; a restored one leaves the championship in
// range.
#include <cstddef>
#include <cstdint>

#include "engine/game_settings.h"
#include "engine/renderer.h"
#include "frontend/championship.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "platform/win32/msgbox.h"
#include "tests/fuzz/front_end_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static kelvfuzz::FrontEndRoot root("kelv-fuzz-svd");
  kelvfuzz::InRoot inRoot(root);
  using kelvfuzz::Check;
  Check(kelvdata::WriteHostFile("DATA/SAVE/01.SVD", kelvdata::Bytes(data, data + size)));
  g_RiderCount = 12;
  g_GameSkill = 1;
  g_Championship.current = 0;
  g_PlayersList.entries[0].money = 1234;
  char label[256];
  const bool named = ReadSaveGameName(0, label, sizeof label);
  if (!g_Championship.LoadSaveGame(2)) {
    Check(g_RiderCount == 12 && g_GameSkill == 1 && g_Championship.current == 0 &&
          g_PlayersList.entries[0].money == 1234);
  } else {
    Check(named && g_RiderCount >= 8 && g_RiderCount <= 20 && g_GameSkill <= 2);
    Check(g_Championship.current >= 0 && g_Championship.current < g_Championship.entryCount);
    Check(g_Championship.roundsStarted <= g_Championship.entryCount);
  }
  platform::ClearRecordedMessageBoxes();
  return 0;
}
