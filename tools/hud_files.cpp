#include "tools/hud_files.h"

#include <cstdio>

#include "tools/language_texts.h"
#include "tools/tex.h"
#include "tools/ui_files.h"

namespace kelvdata {

namespace {

// One texture for the HUD's plates: the backdrop white in the top-left
// quarter, the two flags and the grid panel beside it, the gap arrow where
// the HUD takes it (u 0.533..0.996, v 0.780..0.843).
Bytes PlatesTex() {
  return BuildTex(256, 256, [](int x, int y) {
    if (y < 64) {
      if (x < 64) return Rgb{255, 255, 255};
      const bool stripe = ((x + y) / 8) % 2 == 0;
      if (x < 128) return stripe ? Rgb{250, 220, 20} : Rgb{60, 60, 20};
      if (x < 192) return stripe ? Rgb{30, 80, 230} : Rgb{200, 210, 240};
      return ((x / 8) + (y / 8)) % 2 ? Rgb{240, 240, 240} : Rgb{40, 40, 40};
    }
    if (y >= 200 && y <= 215 && x >= 137) {
      // An arrow pointing right: a shaft, then a head narrowing to x 254.
      const int dy = y < 208 ? 208 - y : y - 207;
      const bool shaft = x < 230 && dy <= 3;
      const bool head = x >= 230 && dy <= (254 - x) / 3;
      if (shaft || head) return Rgb{255, 160, 20};
      return Rgb{8, 8, 8};
    }
    return Rgb{128, 128, 128};
  });
}

// Twenty cells of 64 x 51 texels, four across: the cell of race number n.
void Cell(int n, float* u0, float* v0, float* u1, float* v1) {
  const int cx = n % 4;
  const int cy = n / 4;
  *u0 = static_cast<float>(cx * 64) / 256.0f;
  *u1 = static_cast<float>(cx * 64 + 63) / 256.0f;
  *v0 = static_cast<float>(cy * 51) / 256.0f;
  *v1 = static_cast<float>(cy * 51 + 50) / 256.0f;
}

Rgb RiderColour(int n) {
  return Rgb{static_cast<std::uint8_t>(60 + (n * 53) % 190), static_cast<std::uint8_t>(60 + (n * 97) % 190),
             static_cast<std::uint8_t>(60 + (n * 31) % 190)};
}

// Number plates: the rider's colour with a white bar per unit of the number
// (n % 5 + 1 bars) on a dark edge.
Bytes NumbersTex() {
  return BuildTex(256, 256, [](int x, int y) {
    const int n = (y / 51) * 4 + x / 64;
    const int lx = x % 64;
    const int ly = y % 51;
    if (n >= HUD_RIDERS || y >= 255) return Rgb{20, 20, 20};
    if (lx < 3 || lx > 60 || ly < 3 || ly > 47) return Rgb{20, 20, 20};
    const int bars = n % 5 + 1;
    if (ly > 20 && ly < 30 && lx >= 8 && (lx - 8) / 10 < bars && (lx - 8) % 10 < 6) return Rgb{250, 250, 250};
    return RiderColour(n);
  });
}

// Helmets: a disc in the rider's colour with a visor band, on grey.
Bytes HelmetsTex() {
  return BuildTex(256, 256, [](int x, int y) {
    const int n = (y / 51) * 4 + x / 64;
    const int dx = x % 64 - 32;
    const int dy = y % 51 - 25;
    if (n >= HUD_RIDERS) return Rgb{90, 90, 90};
    if (dx * dx + dy * dy > 22 * 22) return Rgb{90, 90, 90};
    if (dy > -4 && dy < 5 && dx > -2) return Rgb{30, 30, 40};
    return RiderColour(n);
  });
}

Bytes EventFlagsTex() {
  return BuildTex(256, 256, [](int x, int y) {
    const int n = (y / 64) * 4 + x / 64;
    const int ly = y % 64;
    const Rgb bands[3] = {RiderColour(n * 3 + 1), Rgb{240, 240, 240}, RiderColour(n * 3 + 2)};
    return bands[ly * 3 / 64 > 2 ? 2 : ly * 3 / 64];
  });
}

Bytes Plate(const char* texture, std::uint8_t yFromTop, std::uint8_t xFromLeft, float x, float y, float w, float h,
            float u0, float v0, float u1, float v1) {
  PanelFile f;
  f.yFromTop = yFromTop;
  f.xFromLeft = xFromLeft;
  f.blend = 1;
  f.texture = texture;
  f.position[0] = x;
  f.position[1] = y;
  f.size[0] = w;
  f.size[1] = h;
  const float u[4] = {u0, u1, u1, u0};
  const float v[4] = {v0, v0, v1, v1};
  for (int i = 0; i < 4; ++i) {
    f.u[i] = u[i];
    f.v[i] = v[i];
  }
  return BuildOsp(f);
}

Bytes Label(std::uint32_t textId) {
  StaticTextBody b;
  b.yFromTop = 0;
  b.xFromLeft = 1;
  b.hasText = textId != 0 ? 1 : 0;
  b.textId = textId;
  return BuildStaticTextBody(b);
}

std::string Numbered(const char* stem, int n) {
  char name[32];
  std::snprintf(name, sizeof name, "%s%02d.OSP", stem, n);
  return name;
}

// Russian key names keep the letters on the keys.
const LanguageText kTexts[] = {
    {10, {"ESC", "ESC", "ESC", "ESC", "ESC", "ECHAP", "ESC", "ESC"}},
    {11, {"F1", "F1", "F1", "F1", "F1", "F1", "F1", "F1"}},
    {12, {"F2", "F2", "F2", "F2", "F2", "F2", "F2", "F2"}},
    {13, {"F3", "F3", "F3", "F3", "F3", "F3", "F3", "F3"}},
    {14, {"F4", "F4", "F4", "F4", "F4", "F4", "F4", "F4"}},
    {15, {"F5 F6", "F5 F6", "F5 F6", "F5 F6", "F5 F6", "F5 F6", "F5 F6", "F5 F6"}},
    {16, {"F7 F8", "F7 F8", "F7 F8", "F7 F8", "F7 F8", "F7 F8", "F7 F8", "F7 F8"}},
    {17, {"PG UP PG DN", "PAG SU PAG GIU", "RE PAG AV PAG", "PG UP PG DN", "PG UP PG DN", "PG PREC PG SUIV",
          "BILD AUF BILD AB", "PG UP PG DN"}},
    {18, {"SHIFT", "MAIUSC", "MAYUS", "SHIFT", "SHIFT", "MAJ", "UMSCHALT", "SHIFT"}},
    {19, {"WAIT IN THE PITS", "ATTESA AI BOX", "ESPERA EN BOXES", "ESPERA NAS BOXES", "WACHTEN IN DE PITS",
          "ATTENTE AUX STANDS", "WARTEN IN DER BOX", "ОЖИДАНИЕ В БОКСАХ"}},
    {20, {"MIN", "MIN", "MIN", "MIN", "MIN", "MIN", "MIN", "МИН"}},
    {21, {"SEC", "SEC", "SEG", "SEG", "SEC", "SEC", "SEK", "СЕК"}},
    {22, {"POS", "POS", "POS", "POS", "POS", "POS", "POS", "ПОЗ"}},
    {23, {"GAP", "DISTACCO", "DIFERENCIA", "DIFERENCA", "ACHTERSTAND", "ECART", "ABSTAND", "ОТРЫВ"}},
    {24, {"BEST", "MIGLIORE", "MEJOR", "MELHOR", "BESTE", "MEILLEUR", "BESTE", "ЛУЧШИЙ"}},
    {25, {"YOU ARE THE LAST PLAYER IN THE RACE", "SEI L'ULTIMO GIOCATORE IN GARA", "ERES EL ULTIMO JUGADOR EN CARRERA",
          "VOCE E O ULTIMO JOGADOR NA CORRIDA", "JE BENT DE LAATSTE SPELER IN DE RACE",
          "VOUS ETES LE DERNIER JOUEUR EN COURSE", "DU BIST DER LETZTE SPIELER IM RENNEN",
          "ВЫ ПОСЛЕДНИЙ ИГРОК В ГОНКЕ"}},
    {36, {"KMH", "KMH", "KMH", "KMH", "KMH", "KMH", "KMH", "КМ/Ч"}},
    {37, {"MPH", "MPH", "MPH", "MPH", "MPH", "MPH", "MPH", "МИЛЬ/Ч"}},
    {40, {"ESC PAUSES THE RACE", "ESC METTE IN PAUSA LA GARA", "ESC PAUSA LA CARRERA", "ESC PAUSA A CORRIDA",
          "ESC PAUZEERT DE RACE", "ECHAP MET LA COURSE EN PAUSE", "ESC HAELT DAS RENNEN AN",
          "ESC СТАВИТ ГОНКУ НА ПАУЗУ"}},
    {41, {"F7 AND F8 CHANGE THE CAMERA", "F7 E F8 CAMBIANO LA CAMERA", "F7 Y F8 CAMBIAN LA CAMARA",
          "F7 E F8 MUDAM A CAMARA", "F7 EN F8 WISSELEN DE CAMERA", "F7 ET F8 CHANGENT LA CAMERA",
          "F7 UND F8 WECHSELN DIE KAMERA", "F7 И F8 МЕНЯЮТ КАМЕРУ"}},
    {42, {"WRONG WAY", "CONTROMANO", "DIRECCION CONTRARIA", "SENTIDO CONTRARIO", "VERKEERDE RICHTING",
          "MAUVAIS SENS", "FALSCHE RICHTUNG", "НЕВЕРНОЕ НАПРАВЛЕНИЕ"}},
    {43, {"YOU HAVE BEEN STOPPED", "SEI STATO FERMATO", "HAS SIDO DETENIDO", "VOCE FOI PARADO", "JE BENT GESTOPT",
          "VOUS AVEZ ETE ARRETE", "DU WURDEST ANGEHALTEN", "ВЫ ОСТАНОВЛЕНЫ"}},
    {44, {"RETIRED", "RITIRATO", "RETIRADO", "ABANDONOU", "UITGEVALLEN", "ABANDON", "AUSGESCHIEDEN", "СОШЁЛ"}},
    {45, {"2 LAPS TO GO", "2 GIRI ALLA FINE", "QUEDAN 2 VUELTAS", "FALTAM 2 VOLTAS", "NOG 2 RONDES",
          "2 TOURS A FAIRE", "2 RUNDEN ZU FAHREN", "ОСТАЛОСЬ 2 КРУГА"}},
    {46, {"PRACTICE IS OVER", "PROVE LIBERE FINITE", "ENTRENAMIENTO TERMINADO", "TREINO TERMINADO",
          "TRAINING IS AFGELOPEN", "ESSAIS TERMINES", "TRAINING BEENDET", "ТРЕНИРОВКА ОКОНЧЕНА"}},
    {47, {"QUALIFYING IS OVER", "QUALIFICHE FINITE", "CLASIFICACION TERMINADA", "QUALIFICACAO TERMINADA",
          "KWALIFICATIE IS AFGELOPEN", "QUALIFICATIONS TERMINEES", "QUALIFIKATION BEENDET",
          "КВАЛИФИКАЦИЯ ОКОНЧЕНА"}},
    {48, {"TIME", "TEMPO", "TIEMPO", "TEMPO", "TIJD", "TEMPS", "ZEIT", "ВРЕМЯ"}},
    {49, {"FASTEST LAP", "GIRO PIU VELOCE", "VUELTA MAS RAPIDA", "VOLTA MAIS RAPIDA", "SNELSTE RONDE",
          "MEILLEUR TOUR", "SCHNELLSTE RUNDE", "БЫСТРЕЙШИЙ КРУГ"}},
    {50, {"RACE", "GARA", "CARRERA", "CORRIDA", "RACE", "COURSE", "RENNEN", "ГОНКА"}},
    {51, {"RUNNING", "ORDINE", "ORDEN", "ORDEM", "STAND", "ORDRE", "STAND", "ПОРЯДОК"}},
    {52, {"ORDER AFTER", "DOPO", "TRAS", "APOS", "NA", "APRES", "NACH", "ПОСЛЕ"}},
    {53, {"LAP", "GIRO", "VUELTA", "VOLTA", "RONDE", "TOUR", "RUNDE", "КРУГ"}},
    {54, {"LAPS", "GIRI", "VUELTAS", "VOLTAS", "RONDES", "TOURS", "RUNDEN", "КРУГОВ"}},
    {55, {"BEST LAP", "GIRO MIGLIORE", "MEJOR VUELTA", "MELHOR VOLTA", "BESTE RONDE", "MEILLEUR TOUR",
          "BESTE RUNDE", "ЛУЧШИЙ КРУГ"}},
    {56, {"LAST LAP", "ULTIMO GIRO", "ULTIMA VUELTA", "ULTIMA VOLTA", "LAATSTE RONDE", "DERNIER TOUR",
          "LETZTE RUNDE", "ПОСЛЕДНИЙ КРУГ"}},
    {57, {"LAST LAP!", "ULTIMO GIRO!", "ULTIMA VUELTA!", "ULTIMA VOLTA!", "LAATSTE RONDE!", "DERNIER TOUR!",
          "LETZTE RUNDE!", "ПОСЛЕДНИЙ КРУГ!"}},
    {58, {"FINISHED", "ARRIVATO", "EN META", "TERMINOU", "GEFINISHT", "ARRIVE", "IM ZIEL", "ФИНИШ"}},
    {59, {"WINNER", "VINCITORE", "GANADOR", "VENCEDOR", "WINNAAR", "VAINQUEUR", "SIEGER", "ПОБЕДИТЕЛЬ"}},
    {60, {"AVERAGE SPEED", "VELOCITA MEDIA", "VELOCIDAD MEDIA", "VELOCIDADE MEDIA", "GEMIDDELDE SNELHEID",
          "VITESSE MOYENNE", "DURCHSCHNITT", "СРЕДНЯЯ СКОРОСТЬ"}},
    {61, {"STARTING GRID", "GRIGLIA DI PARTENZA", "PARRILLA DE SALIDA", "GRELHA DE PARTIDA", "STARTOPSTELLING",
          "GRILLE DE DEPART", "STARTAUFSTELLUNG", "СТАРТОВАЯ РЕШЁТКА"}},
    {62, {"RIDER", "PILOTA", "PILOTO", "PILOTO", "RIJDER", "PILOTE", "FAHRER", "ГОНЩИК"}},
    {63, {"RIDERS ON TRACK", "PILOTI IN PISTA", "PILOTOS EN PISTA", "PILOTOS NA PISTA", "RIJDERS OP DE BAAN",
          "PILOTES EN PISTE", "FAHRER AUF DER STRECKE", "ГОНЩИКИ НА ТРАССЕ"}},
    {64, {"SESSION TIME", "TEMPO SESSIONE", "TIEMPO DE SESION", "TEMPO DA SESSAO", "SESSIETIJD",
          "TEMPS DE SEANCE", "SITZUNGSZEIT", "ВРЕМЯ СЕССИИ"}},
    {65, {"PRACTICE SESSION", "PROVE LIBERE", "ENTRENAMIENTO LIBRE", "TREINO LIVRE", "VRIJE TRAINING",
          "ESSAIS LIBRES", "FREIES TRAINING", "СВОБОДНАЯ ТРЕНИРОВКА"}},
    {66, {"QUALIFYING SESSION", "QUALIFICHE", "CLASIFICACION", "QUALIFICACAO", "KWALIFICATIE", "QUALIFICATIONS",
          "QUALIFIKATION", "КВАЛИФИКАЦИЯ"}},
    {67, {"FIRST MOTO", "PRIMA MANCHE", "PRIMERA MANGA", "PRIMEIRA MANGA", "EERSTE MANCHE", "PREMIERE MANCHE",
          "ERSTER LAUF", "ПЕРВЫЙ ЗАЕЗД"}},
    {68, {"SECOND MOTO", "SECONDA MANCHE", "SEGUNDA MANGA", "SEGUNDA MANGA", "TWEEDE MANCHE", "DEUXIEME MANCHE",
          "ZWEITER LAUF", "ВТОРОЙ ЗАЕЗД"}},
    {69, {"LAP", "GIRO", "VUELTA", "VOLTA", "RONDE", "TOUR", "RUNDE", "КРУГ"}},
    {70, {"GET READY", "PRONTI", "PREPARADOS", "PREPARAR", "MAAK JE KLAAR", "PREPAREZ-VOUS", "FERTIG MACHEN",
          "ПРИГОТОВЬТЕСЬ"}},
    {71, {"SPEED", "VELOCITA", "VELOCIDAD", "VELOCIDADE", "SNELHEID", "VITESSE", "TEMPO", "СКОРОСТЬ"}},
    {72, {"RPM", "GIRI", "RPM", "RPM", "TPM", "TR/MIN", "U/MIN", "ОБ/МИН"}},
    {73, {"CLUTCH", "FRIZIONE", "EMBRAGUE", "EMBRAIAGEM", "KOPPELING", "EMBRAYAGE", "KUPPLUNG", "СЦЕПЛЕНИЕ"}},
    {74, {"SUSPENSION", "SOSPENSIONI", "SUSPENSION", "SUSPENSAO", "VERING", "SUSPENSION", "FEDERUNG", "ПОДВЕСКА"}},
    {75, {"WHEELS", "RUOTE", "RUEDAS", "RODAS", "WIELEN", "ROUES", "RAEDER", "КОЛЁСА"}},
    {76, {"ENGINE", "MOTORE", "MOTOR", "MOTOR", "MOTOR", "MOTEUR", "MOTOR", "ДВИГАТЕЛЬ"}},
    {77, {"BRAKES", "FRENI", "FRENOS", "TRAVOES", "REMMEN", "FREINS", "BREMSEN", "ТОРМОЗА"}},
    {78, {"GEARBOX", "CAMBIO", "CAMBIO", "CAIXA", "BAK", "BOITE", "GETRIEBE", "КОРОБКА"}},
    {TEXT_HUD_PRESS, {"PRESS", "PREMI", "PULSA", "PRIMA", "DRUK OP", "APPUYEZ SUR", "DRUECKE", "НАЖМИТЕ"}},
    {TEXT_HUD_ACTIONS + 0, {"TO PAUSE", "PER LA PAUSA", "PARA PAUSAR", "PARA PAUSAR", "OM TE PAUZEREN",
                            "POUR LA PAUSE", "ZUM ANHALTEN", "ДЛЯ ПАУЗЫ"}},
    {TEXT_HUD_ACTIONS + 1, {"TO ENTER OR LEAVE THE PITS", "PER ENTRARE O USCIRE DAI BOX", "PARA ENTRAR O SALIR DE BOXES",
                            "PARA ENTRAR OU SAIR DAS BOXES", "OM DE PITS IN OF UIT TE GAAN",
                            "POUR ENTRER OU SORTIR DES STANDS", "ZUM EIN- ODER AUSFAHREN DER BOX",
                            "ЧТОБЫ ЗАЕХАТЬ В БОКСЫ ИЛИ ВЫЕХАТЬ"}},
    {TEXT_HUD_ACTIONS + 2, {"FOR THE BRAKING AID", "PER L'AIUTO IN FRENATA", "PARA LA AYUDA DE FRENADO",
                            "PARA A AJUDA DE TRAVAGEM", "VOOR DE REMHULP", "POUR L'AIDE AU FREINAGE",
                            "FUER DIE BREMSHILFE", "ДЛЯ ПОМОЩИ ПРИ ТОРМОЖЕНИИ"}},
    {TEXT_HUD_ACTIONS + 3, {"FOR THE HELP ICONS", "PER LE ICONE DI AIUTO", "PARA LOS ICONOS DE AYUDA",
                            "PARA OS ICONES DE AJUDA", "VOOR DE HULPICONEN", "POUR LES ICONES D'AIDE",
                            "FUER DIE HILFESYMBOLE", "ДЛЯ ЗНАЧКОВ ПОДСКАЗКИ"}},
    {TEXT_HUD_ACTIONS + 4, {"FOR THE LANDING AID", "PER L'AIUTO IN ATTERRAGGIO", "PARA LA AYUDA DE ATERRIZAJE",
                            "PARA A AJUDA DE ATERRAGEM", "VOOR DE LANDINGSHULP", "POUR L'AIDE A LA RECEPTION",
                            "FUER DIE LANDEHILFE", "ДЛЯ ПОМОЩИ ПРИ ПРИЗЕМЛЕНИИ"}},
    {TEXT_HUD_ACTIONS + 5, {"TO FOLLOW ANOTHER RIDER", "PER SEGUIRE UN ALTRO PILOTA", "PARA SEGUIR A OTRO PILOTO",
                            "PARA SEGUIR OUTRO PILOTO", "OM EEN ANDERE RIJDER TE VOLGEN",
                            "POUR SUIVRE UN AUTRE PILOTE", "UM EINEM ANDEREN FAHRER ZU FOLGEN",
                            "ЧТОБЫ СЛЕДИТЬ ЗА ДРУГИМ ГОНЩИКОМ"}},
    {TEXT_HUD_ACTIONS + 6, {"TO CHANGE THE CAMERA", "PER CAMBIARE CAMERA", "PARA CAMBIAR LA CAMARA",
                            "PARA MUDAR A CAMARA", "OM VAN CAMERA TE WISSELEN", "POUR CHANGER DE CAMERA",
                            "UM DIE KAMERA ZU WECHSELN", "ЧТОБЫ СМЕНИТЬ КАМЕРУ"}},
    {TEXT_HUD_ACTIONS + 7, {"TO WIDEN OR NARROW THE VIEW", "PER ALLARGARE O STRINGERE LA VISTA",
                            "PARA AMPLIAR O REDUCIR LA VISTA", "PARA ALARGAR OU ESTREITAR A VISTA",
                            "OM HET BEELD BREDER OF SMALLER TE MAKEN", "POUR ELARGIR OU REDUIRE LA VUE",
                            "UM DIE SICHT ZU VERBREITERN ODER ZU VERENGEN", "ЧТОБЫ РАСШИРИТЬ ИЛИ СУЗИТЬ ОБЗОР"}},
    {TEXT_HUD_ACTIONS + 8, {"TO LOOK BACK", "PER GUARDARE INDIETRO", "PARA MIRAR ATRAS", "PARA OLHAR PARA TRAS",
                            "OM ACHTERUIT TE KIJKEN", "POUR REGARDER DERRIERE", "UM NACH HINTEN ZU SEHEN",
                            "ЧТОБЫ ПОСМОТРЕТЬ НАЗАД"}},
};

// The events' names are the tracks' own and read the same in every
// language.
const char* const kEvents[HUD_EVENTS] = {"ALDER OPEN",    "BRACKEN OPEN",  "CINDER OPEN",    "DUNMORE OPEN",
                                         "ESKER OPEN",    "FELLGATE OPEN", "GRITSTONE OPEN", "HOLLOW OPEN",
                                         "IRONBANK OPEN", "BRAZIL OPEN",   "JUNIPER OPEN",   "KESTREL OPEN"};

}  // namespace

std::vector<BbfMember> HudTrackMembers() {
  const char* plates = "DATA\\TRACK\\_HUDMSG.TEX";
  const float k = 1.0f / 256.0f;
  std::vector<BbfMember> m = {
      {"_HUDMSG.TEX", PlatesTex()},
      {"_HELMETS.TEX", HelmetsTex()},
      {"_NUMBERS.TEX", NumbersTex()},
      // The flags at the top right corner of the screen.
      {"YFLAG.OSP", Plate(plates, 1, 0, 10.0f, 10.0f, 64.0f, 48.0f, 64 * k, 0, 127 * k, 63 * k)},
      {"BFLAG.OSP", Plate(plates, 1, 0, 10.0f, 10.0f, 64.0f, 48.0f, 128 * k, 0, 191 * k, 63 * k)},
      {"BPANEL.OSP", Plate(plates, 0, 0, 0.0f, 0.0f, 640.0f, 95.0f, 8 * k, 8 * k, 56 * k, 56 * k)},
      {"GRID.OSP", Plate(plates, 0, 0, 290.0f, 70.0f, 39.0f, 340.0f, 192 * k, 0, 255 * k, 63 * k)},
      {"ARROW.OSP", Plate(plates, 0, 0, 270.0f, 16.0f, 100.0f, 18.0f, 137 * k, 200 * k, 255 * k, 215 * k)},
      {"PRESS.STX", Label(TEXT_HUD_PRESS)},
      {"NAME.STX", Label(0)}};
  for (int i = 0; i < 9; ++i) {
    m.push_back({"HELP" + std::to_string(i + 1) + ".STX", Label(static_cast<std::uint32_t>(TEXT_HUD_ACTIONS + i))});
  }
  for (int n = 0; n < HUD_RIDERS; ++n) {
    float u0, v0, u1, v1;
    Cell(n, &u0, &v0, &u1, &v1);
    m.push_back({Numbered("HELMET", n), Plate("DATA\\TRACK\\_HELMETS.TEX", 1, 1, 0, 0, 40, 40, u0, v0, u1, v1)});
    m.push_back({Numbered("NUMBER", n), Plate("DATA\\TRACK\\_NUMBERS.TEX", 1, 1, 0, 0, 40, 40, u0, v0, u1, v1)});
  }
  return m;
}

std::vector<BbfMember> HudUiMembers() {
  std::vector<BbfMember> m = {{"_EVFLAGS.TEX", EventFlagsTex()}};
  for (int n = 0; n < HUD_EVENTS; ++n) {
    const float u0 = static_cast<float>((n % 4) * 64) / 256.0f;
    const float v0 = static_cast<float>((n / 4) * 64) / 256.0f;
    // Anchored to the top-left corner: the standings place them by their
    // top edge in the heading row above the riders' names.
    m.push_back({Numbered("FLAG", n), Plate("DATA\\UI\\_EVFLAGS.TEX", 1, 1, 280, 37, 80, 53, u0, v0,
                                            u0 + 63.0f / 256.0f, v0 + 63.0f / 256.0f)});
  }
  return m;
}

void AddHudTexts(int language, std::vector<std::string>* texts) {
  PutTexts(kTexts, language, texts);
  for (int e = 0; e < HUD_EVENTS; ++e) PutText(119 + e, kEvents[e], texts);
}

}  // namespace kelvdata
