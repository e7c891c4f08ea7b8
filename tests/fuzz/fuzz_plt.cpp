// Fuzz target for the players-list reader: any bytes as the UI archive's
// member LIST1.PLT. A failed load shows one box and changes no slot; a
// loaded list holds NUL-terminated names, and selecting a rider works.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/archive.h"
#include "frontend/game_controller.h"
#include "frontend/players_list.h"
#include "platform/win32/msgbox.h"
#include "tests/fuzz/front_end_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static kelvfuzz::FrontEndRoot root("kelv-fuzz-plt");
  kelvfuzz::InRoot inRoot(root);
  using kelvfuzz::Check;
  Check(kelvdata::WriteHostFile("DATA/FUZZ.BBF", kelvdata::BuildBbf({{"LIST1.PLT", kelvdata::Bytes(data, data + size)},
                                                                      {"NEXT.BIN", kelvdata::Bytes(64, 'x')}})));
  g_UiArchive.Close();
  Check(g_UiArchive.Open("DATA\\FUZZ.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  std::strcpy(g_PlayersList.entries[3].name, "UNCHANGED");
  platform::ClearRecordedMessageBoxes();
  if (g_PlayersList.Load("DATA\\UI\\LIST1.PLT")) {
    Check(platform::RecordedMessageBoxes().empty());
    for (const PlayerEntry& e : g_PlayersList.entries) {
      Check(std::memchr(e.name, 0, sizeof e.name) && std::memchr(e.riderFile, 0, sizeof e.riderFile) &&
            std::memchr(e.extraText, 0, sizeof e.extraText));
    }
    g_PlayersList.Select(0, static_cast<std::uint8_t>(g_PlayersList.entries[20].riderNumber));
  } else {
    Check(platform::RecordedMessageBoxes().size() == 1);
    Check(std::strcmp(g_PlayersList.entries[3].name, "UNCHANGED") == 0);
  }
  platform::ClearRecordedMessageBoxes();
  return 0;
}
