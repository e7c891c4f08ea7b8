#include "tests/race/data_set_fixture.h"

#include <gtest/gtest.h>

#include "engine/archive.h"
#include "engine/disk_file.h"
#include "engine/game_settings.h"
#include "engine/scene/scene_table.h"
#include "engine/text_database.h"
#include "platform/win32/timer.h"
#include "tools/dataset.h"
#include "tools/frontend_files.h"

namespace kelvtest {

DataSetFrontEnd::DataSetFrontEnd() {
  const auto list = kelvdata::SyntheticPlt(0);
  for (std::size_t i = 0; i < list.size() && i < 20; ++i) files[i] = list[i].riderFile;
  for (std::uint8_t i = 0; i < 20; ++i) order[i] = i;
}

void DataSetRaceTest::SetUp() {
  TrackTest::SetUp();
  saved_ = {g_RaceType, g_GameMode, g_RiderCount, g_RaceLengthMinutes, g_OptionReplay, g_OptionFFEnable};
  ASSERT_TRUE(kelvdata::WriteDataSet(root_.string()));
  for (BbfArchive* a : {&g_UiArchive, &g_MiscArchive, &g_TrackArchive}) a->Close();
  ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(g_MiscArchive.Open("DATA\\MISC.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(g_TrackArchive.Open("DATA\\TRACK.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
  ASSERT_TRUE(g_TextDatabase.Load("DATA\\UI\\GAMETXT0.TDB"));
  InstallFrontEndServices(&frontEnd_);
  g_GameMode = GAME_MODE_SINGLE_RACE;
}

void DataSetRaceTest::TearDown() {
  InstallFrontEndServices(nullptr);
  platform::UseRealTime();
  for (BbfArchive* a : {&g_UiArchive, &g_MiscArchive}) a->Close();
  g_RaceType = saved_.type;
  g_GameMode = saved_.mode;
  g_RiderCount = saved_.riders;
  g_RaceLengthMinutes = saved_.minutes;
  g_OptionReplay = saved_.replay;
  g_OptionFFEnable = saved_.feedback;
  TrackTest::TearDown();
}

std::vector<std::string> DataSetRaceTest::RaceSceneNames(std::uint32_t first) {
  DiskFile qdv;
  if (!qdv.Open("DATA\\QDV.BIN", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ)) return {};
  SceneTableEntry* table = nullptr;
  std::uint32_t count = 0;
  if (!ReadSceneTable(qdv, &table, &count)) return {};
  std::vector<std::string> names;
  for (std::uint32_t i = first; i < count; ++i) {
    names.push_back(table[i].kind == SCENE_KIND_RACE ? table[i].name : "(not a race)");
  }
  delete[] table;
  return names;
}

}  // namespace kelvtest
