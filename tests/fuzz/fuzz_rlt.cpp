// Fuzz target for the results-table reader: any bytes as DATA\UI\CMP2.RLT,
// loaded as the single-race series and as the championship. A failed load
// shows one box and leaves the series as it was; a loaded one has tables
// for every round, and the in-place writers never change the file's length.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "frontend/championship.h"
#include "frontend/game_controller.h"
#include "platform/win32/msgbox.h"
#include "tests/fuzz/front_end_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static kelvfuzz::FrontEndRoot root("kelv-fuzz-rlt");
  kelvfuzz::InRoot inRoot(root);
  using kelvfuzz::Check;
  Check(kelvdata::WriteHostFile("DATA/UI/FUZZ.RLT", kelvdata::Bytes(data, data + size)));
  for (RaceSeries* series : {static_cast<RaceSeries*>(&g_SingleRace), static_cast<RaceSeries*>(&g_Championship)}) {
    const std::uint16_t before = series->entryCount;
    platform::ClearRecordedMessageBoxes();
    if (!series->Load("DATA\\UI\\FUZZ.RLT")) {
      Check(platform::RecordedMessageBoxes().size() == 1 && series->entryCount == before);
      continue;
    }
    Check(series->entries.size() == series->entryCount && series->setups.size() == series->entryCount);
    Check(series->entryCount == 0 || (series->current >= 0 && series->current < series->entryCount));
    if (series == &g_Championship) {
      Check(g_Championship.roundPlayed.size() == series->entryCount);
      g_Championship.Next();
      g_Championship.PayEntryFee();
      (void)g_Championship.GetNextRoundFee();
    }
    series->Next();
    RaceTime record;
    record.minutes = 1;
    series->SaveLapRecord(record);
    series->StoreSetup();
    Check(std::filesystem::file_size("DATA/UI/FUZZ.RLT") == size);
  }
  platform::ClearRecordedMessageBoxes();
  return 0;
}
