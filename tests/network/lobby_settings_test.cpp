#include "network/lobby_settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/text_database.h"
#include "tests/support/game_root.h"
#include "tools/bbf.h"
#include "tools/dataset.h"
#include "tools/tdb.h"

namespace {

// The data set's text databases of the eight languages in the UI archive.
class LobbyTextsTest : public kelvtest::GameRootTest {
 protected:
  void SetUp() override {
    GameRootTest::SetUp();
    std::vector<kelvdata::BbfMember> ui;
    for (int language = 0; language < 8; ++language) {
      ui.push_back(
          {"GAMETXT" + std::to_string(language) + ".TDB", kelvdata::BuildTdb(kelvdata::DataSetTexts(language))});
    }
    Put("DATA/UI.BBF", kelvdata::BuildBbf(ui));
    ASSERT_TRUE(g_UiArchive.Open("DATA\\UI.BBF", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ));
    LoadLanguage(0);
    std::memset(g_NetModemNames, 0, sizeof g_NetModemNames);
    g_NetModemCount = 0;
  }
  void TearDown() override {
    g_TextDatabase.Release();
    g_UiArchive.Close();
    g_NetModemCount = 0;
    GameRootTest::TearDown();
  }
  void LoadLanguage(int language) { ASSERT_TRUE(g_TextDatabase.Load(TextDatabaseFile(static_cast<DWORD>(language)))); }
};

TEST_F(LobbyTextsTest, WithoutModemsSteppingKeepsIndexZeroAndTheTextIs995) {
  NetLobbySettings s;
  s.IncrementModem();
  s.IncrementModem();
  EXPECT_EQ(s.modemIndex, 0);
  EXPECT_STREQ(s.GetModemText(), "NO MODEM");
  LoadLanguage(6);
  EXPECT_STREQ(s.GetModemText(), "KEIN MODEM");
}

TEST_F(LobbyTextsTest, ModemNamesAreUpperCasedInTheTable) {
  std::strcpy(g_NetModemNames[0], "Null modem 56k");
  std::strcpy(g_NetModemNames[1], "fax line 2");
  g_NetModemCount = 2;
  NetLobbySettings s;
  EXPECT_STREQ(s.GetModemText(), "NULL MODEM 56K");
  EXPECT_STREQ(g_NetModemNames[0], "NULL MODEM 56K") << "the kept name itself";
  for (int i = 0; i < 3; ++i) s.IncrementModem();
  EXPECT_EQ(s.modemIndex, 1) << "held at the last modem";
  EXPECT_STREQ(s.GetModemText(), "FAX LINE 2");
}

TEST_F(LobbyTextsTest, EachSettingStepsUpToItsTopAndShowsItsText) {
  struct Setting {
    const char* name;
    std::uint8_t NetLobbySettings::*index;
    void (NetLobbySettings::*increment)();
    const char* (NetLobbySettings::*text)() const;
    std::vector<std::string> texts;
  };
  const Setting settings[] = {
      {"COM port",
       &NetLobbySettings::comPortIndex,
       &NetLobbySettings::IncrementComPort,
       &NetLobbySettings::GetComPortText,
       {"COM1", "COM2", "COM3", "COM4"}},
      {"baud rate",
       &NetLobbySettings::baudRateIndex,
       &NetLobbySettings::IncrementBaudRate,
       &NetLobbySettings::GetBaudRateText,
       {"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "56000", "57600", "115200",
        "128000", "256000"}},
      {"parity",
       &NetLobbySettings::parityIndex,
       &NetLobbySettings::IncrementParity,
       &NetLobbySettings::GetParityText,
       {"NONE", "ODD", "EVEN", "MARK"}},
      {"stop bits",
       &NetLobbySettings::stopBitsIndex,
       &NetLobbySettings::IncrementStopBits,
       &NetLobbySettings::GetStopBitsText,
       {"1.0", "1.5", "2.0"}},
      {"flow control",
       &NetLobbySettings::flowControlIndex,
       &NetLobbySettings::IncrementFlowControl,
       &NetLobbySettings::GetFlowControlText,
       {"NONE", "XON/XOFF", "DTR", "RTS", "RTS/DTR"}},
  };
  for (const Setting& c : settings) {
    NetLobbySettings s;
    for (std::size_t i = 0; i < c.texts.size() + 2; ++i) {
      const std::size_t want = i < c.texts.size() ? i : c.texts.size() - 1;
      EXPECT_EQ(s.*c.index, want) << c.name;
      EXPECT_EQ((s.*c.text)(), c.texts[want]) << c.name << " " << i;
      (s.*c.increment)();
    }
    s.*c.index = static_cast<std::uint8_t>(c.texts.size());
    EXPECT_STREQ((s.*c.text)(), "") << c.name << " past its range";
    s.*c.index = 255;
    EXPECT_STREQ((s.*c.text)(), "") << c.name << " far past its range";
  }
}

TEST_F(LobbyTextsTest, EveryLanguageHasTheLobbyTexts) {
  for (int language = 0; language < 8; ++language) {
    LoadLanguage(language);
    for (std::uint32_t id = TEXT_NET_NO_MODEM; id <= TEXT_NET_FLOW_CONTROL + 4; ++id) {
      EXPECT_STRNE(g_TextDatabase.Text(id), "") << "language " << language << " text " << id;
    }
    EXPECT_STREQ(g_TextDatabase.Text(TEXT_NET_COM_PORT + 3), "COM4");
    EXPECT_STREQ(g_TextDatabase.Text(TEXT_NET_FLOW_CONTROL + 1), "XON/XOFF");
  }
}

TEST(LobbySettings, EightSessionsScrollToShowSessionsOneToSeven) {
  char names[8][NET_NAME_TEXT_SIZE];
  std::vector<char*> list;
  for (int i = 0; i < 8; ++i) {
    std::snprintf(names[i], sizeof names[i], "race night %d", i);
    list.push_back(names[i]);
  }
  NetLobbySettings s;
  for (int i = 0; i < 4; ++i) s.ScrollSessionList(8);
  EXPECT_EQ(s.firstShownSession, 1);
  EXPECT_STREQ(GetSessionText(s, 0, list), "RACE NIGHT 1");
  EXPECT_STREQ(GetSessionText(s, 6, list), "RACE NIGHT 7");
  EXPECT_STREQ(GetSessionText(s, 7, list), "") << "no eighth row";
  EXPECT_STREQ(names[1], "RACE NIGHT 1") << "upper-cased in the table";
  EXPECT_STREQ(names[0], "race night 0") << "a name not shown keeps its case";

  NetLobbySettings few;
  few.ScrollSessionList(5);
  few.ScrollSessionList(0);
  EXPECT_EQ(few.firstShownSession, 0);
  list.resize(5);
  EXPECT_STREQ(GetSessionText(few, 5, list), "");
  std::uint8_t session = 99;
  EXPECT_TRUE(few.SessionOfRow(4, 5, &session));
  EXPECT_EQ(session, 4);
  EXPECT_FALSE(few.SessionOfRow(5, 5, &session));
}

TEST(LobbySettings, PlayerTextOnlyForNamedSlotsBelowSeven) {
  char a[NET_NAME_TEXT_SIZE] = "ada";
  char empty[NET_NAME_TEXT_SIZE] = "";
  char* const names[NET_PLAYER_SLOTS] = {a, empty, nullptr, nullptr, nullptr, nullptr, nullptr};
  EXPECT_STREQ(GetPlayerText(0, names), "ADA");
  EXPECT_STREQ(a, "ADA");
  EXPECT_STREQ(GetPlayerText(1, names), "");
  EXPECT_STREQ(GetPlayerText(2, names), "");
  EXPECT_STREQ(GetPlayerText(7, names), "");
  EXPECT_STREQ(GetPlayerText(255, names), "");
}

TEST(LobbySettings, ConnectionKindPicksTheFirstConnectionOfItsProvider) {
  const GUID ipx{1, 0, 0, {0}}, tcp{2, 0, 0, {0}}, modem{3, 0, 0, {0}}, serial{4, 0, 0, {0, 0, 0, 0, 0, 0, 0, 9}};
  const GUID kinds[4] = {ipx, tcp, modem, serial};
  const GUID installed[] = {modem, tcp, tcp, GUID{4, 0, 0, {0}}, serial};
  struct Case {
    std::uint8_t kind;
    std::uint8_t want;
  };
  for (const Case c : {Case{1, 1}, Case{2, 0}, Case{3, 4}, Case{0, 0}, Case{4, 0}, Case{255, 0}}) {
    NetLobbySettings s;
    s.connectionIndex = 7;
    s.SelectConnectionKind(c.kind, installed, std::span<const GUID, 4>(kinds));
    EXPECT_EQ(s.connectionIndex, c.want) << int{c.kind};
  }
}

TEST(LobbySettings, SerialSettingsAsTheAddressCarriesThem) {
  EXPECT_EQ(NetBaudRate(0), 110u);
  EXPECT_EQ(NetBaudRate(12), 115200u);
  EXPECT_EQ(NetBaudRate(14), 256000u);
  EXPECT_EQ(NetBaudRate(15), 0u);
  const std::uint32_t flow[] = {0, 1, 3, 2, 4, 0};
  for (std::uint8_t i = 0; i < 6; ++i) EXPECT_EQ(NetFlowControlValue(i), flow[i]) << int{i};
  EXPECT_EQ(NetStopBitsValue(2), 2u);
  EXPECT_EQ(NetStopBitsValue(3), 0u);
  EXPECT_EQ(NetParityValue(3), 3u);
  EXPECT_EQ(NetParityValue(4), 0u);
}

}  // namespace
