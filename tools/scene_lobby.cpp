// The network game's lobby screens: the connection screen (scene 14), the
// session screen (15) and the players screen (16), laid out with the widget
// indices that the lobby commands fill (the connection's setting texts in
// static texts 0 to 5, the session rows in 3 to 9, the player rows in 10 to
// 16, the address or session name or line to send in edit text 0).
#include <string>

#include "tools/flow_scenes.h"
#include "tools/language_texts.h"
#include "tools/scene_build.h"
#include "tools/ui_files.h"

namespace kelvdata {

namespace {

constexpr std::uint16_t CMD_LEAVE_SCENE = 18;
constexpr std::uint16_t CMD_SET_EXIT = 54;
constexpr std::uint16_t CMD_NET_SHOW_SETUP = 60;
constexpr std::uint16_t CMD_NET_SELECT_PROVIDER = 61;
constexpr std::uint16_t CMD_NET_CYCLE_SETTING = 62;
constexpr std::uint16_t CMD_NET_CONNECT = 63;
constexpr std::uint16_t CMD_NET_SHOW_SESSION = 64;
constexpr std::uint16_t CMD_NET_LOBBY = 65;
constexpr std::uint16_t CMD_NET_OPEN_SESSION = 66;
constexpr std::uint16_t CMD_NET_SHOW_PLAYERS = 67;
constexpr std::uint16_t CMD_NET_SEND_CHOICE = 68;
constexpr std::uint16_t CMD_NET_START_RACE = 71;

// The lobby's own texts.
enum : std::uint32_t {
  TEXT_NETWORK_GAME = 1300,
  TEXT_CONNECT,
  TEXT_IPX,
  TEXT_TCPIP,
  TEXT_MODEM,
  TEXT_SERIAL,
  TEXT_SESSIONS,
  TEXT_HOST,
  TEXT_JOIN,
  TEXT_REFRESH,
  TEXT_SINGLE_RACES,
  TEXT_CHAMPIONSHIP,
  TEXT_PLAYERS,
  TEXT_SEND,
  TEXT_START,
  TEXT_STEP,
  TEXT_BACK_TO_MENU,
};

const LanguageText kTexts[] = {
    {TEXT_NETWORK_GAME, {"NETWORK GAME", "GIOCO IN RETE", "JUEGO EN RED", "JOGO EM REDE", "NETWERKSPEL", "JEU EN RESEAU",
                         "NETZWERKSPIEL", "СЕТЕВАЯ ИГРА"}},
    {TEXT_CONNECT, {"CONNECT", "CONNETTI", "CONECTAR", "CONECTAR", "VERBINDEN", "CONNECTER", "VERBINDEN", "ПОДКЛЮЧИТЬ"}},
    {TEXT_IPX, {"IPX", "IPX", "IPX", "IPX", "IPX", "IPX", "IPX", "IPX"}},
    {TEXT_TCPIP, {"TCP/IP", "TCP/IP", "TCP/IP", "TCP/IP", "TCP/IP", "TCP/IP", "TCP/IP", "TCP/IP"}},
    {TEXT_MODEM, {"MODEM", "MODEM", "MODEM", "MODEM", "MODEM", "MODEM", "MODEM", "МОДЕМ"}},
    {TEXT_SERIAL, {"SERIAL", "SERIALE", "SERIE", "SERIAL", "SERIEEL", "SERIE", "SERIELL", "COM-ПОРТ"}},
    {TEXT_SESSIONS, {"SESSIONS", "SESSIONI", "SESIONES", "SESSOES", "SESSIES", "SESSIONS", "SITZUNGEN", "СЕССИИ"}},
    {TEXT_HOST, {"HOST", "OSPITA", "CREAR", "CRIAR", "HOSTEN", "HEBERGER", "LEITEN", "СОЗДАТЬ"}},
    {TEXT_JOIN, {"JOIN", "UNISCITI", "UNIRSE", "ENTRAR", "DEELNEMEN", "REJOINDRE", "BEITRETEN", "ВОЙТИ"}},
    {TEXT_REFRESH, {"REFRESH", "AGGIORNA", "ACTUALIZAR", "ATUALIZAR", "VERNIEUWEN", "ACTUALISER", "AKTUALISIEREN",
                    "ОБНОВИТЬ"}},
    {TEXT_SINGLE_RACES, {"SINGLE RACES", "GARE SINGOLE", "CARRERAS", "CORRIDAS", "LOSSE RACES", "COURSES",
                         "EINZELRENNEN", "ГОНКИ"}},
    {TEXT_CHAMPIONSHIP, {"CHAMPIONSHIP", "CAMPIONATO", "CAMPEONATO", "CAMPEONATO", "KAMPIOENSCHAP", "CHAMPIONNAT",
                         "MEISTERSCHAFT", "ЧЕМПИОНАТ"}},
    {TEXT_PLAYERS, {"PLAYERS", "GIOCATORI", "JUGADORES", "JOGADORES", "SPELERS", "JOUEURS", "SPIELER", "ИГРОКИ"}},
    {TEXT_SEND, {"SEND", "INVIA", "ENVIAR", "ENVIAR", "ZENDEN", "ENVOYER", "SENDEN", "ОТПРАВИТЬ"}},
    {TEXT_START, {"START", "VIA", "EMPEZAR", "INICIAR", "START", "DEPART", "START", "СТАРТ"}},
    {TEXT_STEP, {">", ">", ">", ">", ">", ">", ">", ">"}},
    {TEXT_BACK_TO_MENU, {"BACK", "INDIETRO", "VOLVER", "VOLTAR", "TERUG", "RETOUR", "ZURUECK", "НАЗАД"}},
};

// A label, or an empty line (text 0) that a command fills in.
StaticTextBody Label(std::uint32_t textId, float x, float y, bool centred) {
  StaticTextBody b = TextAt(textId, x, y, 0, centred);
  b.hasText = textId != 0 ? 1 : 0;
  return b;
}

// A button with `textId` on it; text 0 leaves the caption empty for a
// command to fill in.
Bytes LobbyButton(std::uint32_t textId, float x, float y, float w, float h, std::vector<ButtonActionEntry> actions) {
  ButtonFile b = CaptionedButton(textId, x, y, w, h, std::move(actions));
  b.caption.hasText = textId != 0 ? 1 : 0;
  return BuildButton(b);
}

// A lobby screen: the menus' picture and fonts, the way back, and the start
// list that fills it.
SceneFile LobbyScreen(const std::string& focusList, std::vector<SceneActionEntry> start) {
  SceneFile s;
  s.background = "DATA\\UI\\MENU.PIC";
  s.fonts = MenuFonts();
  s.focusList = UiPath(focusList);
  s.lists[SCENE_BUTTONS] = {WidgetAt("DATA\\UI\\NBACK.BTN", 20.0f, 420.0f, 140.0f, 40.0f)};
  s.actions = {{CMD_SET_EXIT, 1, 0, "NULL"}};
  for (SceneActionEntry& a : start) s.actions.push_back(std::move(a));
  return s;
}

void AddButton(std::vector<BbfMember>* ui, SceneFile* s, const std::string& name, std::uint32_t textId, float x,
               float y, float w, std::vector<ButtonActionEntry> actions) {
  ui->push_back({name, LobbyButton(textId, x, y, w, 32.0f, std::move(actions))});
  s->lists[SCENE_BUTTONS].push_back(Widget(name, x, y, w, 32.0f));
}

// Scene 14: buttons 2 to 5 choose the provider (a radio choice), 6 to 11
// step the six settings shown in static texts 0 to 5; edit text 0 is the
// host's address, edit text 1 the number to dial.
SceneFile ConnectionScreen(std::vector<BbfMember>* ui) {
  SceneFile s = LobbyScreen("N14.FLT", {{CMD_NET_SHOW_SETUP, 0, 0, "NULL"}});
  AddButton(ui, &s, "NCONNECT.BTN", TEXT_CONNECT, 480.0f, 420.0f, 140.0f, {{CMD_NET_CONNECT, 0, 0, "NULL"}});
  static const std::uint32_t kProviders[4] = {TEXT_IPX, TEXT_TCPIP, TEXT_MODEM, TEXT_SERIAL};
  for (std::uint16_t k = 0; k < 4; ++k) {
    AddButton(ui, &s, "NPROV" + std::to_string(k) + ".BTN", kProviders[k], 20.0f + 150.0f * k, 80.0f, 140.0f,
              {{CMD_NET_SELECT_PROVIDER, k, 0, "NULL"}});
  }
  for (std::uint16_t k = 0; k < 6; ++k) {
    const float y = 140.0f + 38.0f * k;
    AddButton(ui, &s, "NSTEP" + std::to_string(k) + ".BTN", TEXT_STEP, 560.0f, y, 40.0f,
              {{CMD_NET_CYCLE_SETTING, k, 1, "NULL"}});
    s.lists[SCENE_STATIC_TEXTS].push_back(WidgetAt("DATA\\UI\\NLINE.STX", 330.0f, y + 8.0f));
  }
  s.lists[SCENE_STATIC_TEXTS].push_back(WidgetAt("DATA\\UI\\NTITLE.STX", 320.0f, 30.0f));
  s.lists[SCENE_EDIT_TEXTS] = {WidgetAt("DATA\\UI\\NADDR.EDT", 40.0f, 150.0f), WidgetAt("DATA\\UI\\NADDR.EDT", 40.0f, 200.0f)};
  ui->push_back({"N14.FLT", BuildFlt({{4, 1}, {4, 2}, {4, 3}, {4, 4}, {4, 5}, {7, 0}, {7, 1}, {4, 0}})});
  return s;
}

// Scene 15: edit text 0 names the session to host (or shows the chosen
// one); buttons 2 and 3 the single races or a championship; buttons 8 to 14
// choose the rows, static texts 3 to 9 the sessions, 10 to 16 their players.
SceneFile SessionScreen(std::vector<BbfMember>* ui) {
  SceneFile s = LobbyScreen("N15.FLT", {{CMD_NET_SHOW_SESSION, 0, 0, "NULL"}});
  AddButton(ui, &s, "NHOST.BTN", TEXT_HOST, 480.0f, 420.0f, 140.0f, {{CMD_NET_OPEN_SESSION, 0, 0, "NULL"}});
  AddButton(ui, &s, "NSINGLE.BTN", TEXT_SINGLE_RACES, 20.0f, 80.0f, 180.0f, {{CMD_NET_LOBBY, 0, 0, "NULL"}});
  AddButton(ui, &s, "NCHAMP.BTN", TEXT_CHAMPIONSHIP, 210.0f, 80.0f, 180.0f, {{CMD_NET_LOBBY, 1, 0, "NULL"}});
  AddButton(ui, &s, "NJOIN.BTN", TEXT_JOIN, 330.0f, 420.0f, 140.0f, {{CMD_NET_OPEN_SESSION, 1, 0, "NULL"}});
  AddButton(ui, &s, "NREFRESH.BTN", TEXT_REFRESH, 180.0f, 420.0f, 140.0f, {{CMD_NET_LOBBY, 11, 0, "NULL"}});
  AddButton(ui, &s, "NUP.BTN", TEXT_STEP, 240.0f, 130.0f, 32.0f, {{CMD_NET_LOBBY, 2, 0, "NULL"}});
  AddButton(ui, &s, "NDOWN.BTN", TEXT_STEP, 240.0f, 370.0f, 32.0f, {{CMD_NET_LOBBY, 3, 0, "NULL"}});
  for (std::uint16_t r = 0; r < 7; ++r) {
    AddButton(ui, &s, "NROW" + std::to_string(r) + ".BTN", 0, 20.0f, 130.0f + 34.0f * r, 200.0f,
              {{CMD_NET_LOBBY, static_cast<std::uint16_t>(4 + r), 0, "NULL"}});
  }
  s.lists[SCENE_STATIC_TEXTS] = {WidgetAt("DATA\\UI\\NTITLE.STX", 320.0f, 30.0f),
                                 WidgetAt("DATA\\UI\\NSESS.STX", 20.0f, 110.0f),
                                 WidgetAt("DATA\\UI\\NPLAY.STX", 330.0f, 110.0f)};
  for (int r = 0; r < 7; ++r) s.lists[SCENE_STATIC_TEXTS].push_back(WidgetAt("DATA\\UI\\NLINE.STX", 30.0f, 138.0f + 34.0f * r));
  for (int r = 0; r < 7; ++r) s.lists[SCENE_STATIC_TEXTS].push_back(WidgetAt("DATA\\UI\\NLINE.STX", 340.0f, 138.0f + 34.0f * r));
  s.lists[SCENE_EDIT_TEXTS] = {WidgetAt("DATA\\UI\\NADDR.EDT", 420.0f, 80.0f)};
  std::vector<FocusFileEntry> focus = {{7, 0}, {4, 1}, {4, 4}, {4, 5}, {4, 2}, {4, 3}};
  for (std::uint16_t r = 0; r < 7; ++r) focus.push_back({4, static_cast<std::uint16_t>(8 + r)});
  focus.push_back({4, 0});
  ui->push_back({"N15.FLT", BuildFlt(focus)});
  return s;
}

// Scene 16: the players in static texts 3 to 9 and their lines in 10 to 16;
// edit text 0 is the line to send; button 2 starts the race on the host.
SceneFile PlayersScreen(std::vector<BbfMember>* ui) {
  SceneFile s = LobbyScreen("N16.FLT", {{CMD_NET_SHOW_PLAYERS, 0, 0, "NULL"}});
  AddButton(ui, &s, "NSEND.BTN", TEXT_SEND, 330.0f, 420.0f, 140.0f, {{CMD_NET_SEND_CHOICE, 0, 0, "NULL"}});
  AddButton(ui, &s, "NSTART.BTN", TEXT_START, 480.0f, 420.0f, 140.0f, {{CMD_NET_START_RACE, 0, 0, "NULL"}});
  s.lists[SCENE_STATIC_TEXTS] = {WidgetAt("DATA\\UI\\NTITLE.STX", 320.0f, 30.0f),
                                 WidgetAt("DATA\\UI\\NPLAY.STX", 40.0f, 80.0f), WidgetAt("DATA\\UI\\NLINE.STX", 0.0f, 0.0f)};
  for (int r = 0; r < 14; ++r) s.lists[SCENE_STATIC_TEXTS].push_back(WidgetAt("DATA\\UI\\NLINE.STX", 0.0f, 0.0f));
  s.lists[SCENE_EDIT_TEXTS] = {WidgetAt("DATA\\UI\\NADDR.EDT", 40.0f, 380.0f)};
  ui->push_back({"N16.FLT", BuildFlt({{7, 0}, {4, 1}, {4, 2}, {4, 0}})});
  return s;
}

}  // namespace

void AddLobbyScenes(std::vector<BbfMember>* ui, std::map<int, SceneFile>* scenes) {
  ui->push_back({"NBACK.BTN", LobbyButton(TEXT_BACK_TO_MENU, 20.0f, 420.0f, 140.0f, 40.0f,
                                          {{CMD_LEAVE_SCENE, 0, 0, "NULL"}})});
  ui->push_back({"NTITLE.STX", BuildStaticTextBody(Label(TEXT_NETWORK_GAME, 320.0f, 30.0f, true))});
  ui->push_back({"NSESS.STX", BuildStaticTextBody(Label(TEXT_SESSIONS, 20.0f, 110.0f, false))});
  ui->push_back({"NPLAY.STX", BuildStaticTextBody(Label(TEXT_PLAYERS, 330.0f, 110.0f, false))});
  ui->push_back({"NLINE.STX", BuildStaticTextBody(Label(0, 0.0f, 0.0f, false))});
  ui->push_back({"NADDR.EDT", BuildEditText(63, Label(0, 0.0f, 0.0f, false))});
  (*scenes)[14] = ConnectionScreen(ui);
  (*scenes)[15] = SessionScreen(ui);
  (*scenes)[16] = PlayersScreen(ui);
}

void AddLobbyTexts(int language, std::vector<std::string>* texts) {
  if (language < 0 || language > 7) return;
  PutTexts(kTexts, language, texts);
}

}  // namespace kelvdata
