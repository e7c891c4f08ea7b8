// The single race's screens' texts in the eight languages, in the game's
// order: English, Italian, Spanish, Portuguese, Dutch, French, German,
// Russian. The texts that the event and results commands show by their own
// numbers (the tracks' descriptions, the weathers, the results tables'
// titles and headings) come with the championship's, which shows them too.
#include <string>

#include "tools/flow_scenes.h"
#include "tools/language_texts.h"
#include "tools/scene_single.h"

namespace kelvdata {

namespace {

const LanguageText kTexts[] = {
    // The single race's own.
    {TEXT_SGL_EVENT_TITLE, {"SINGLE RACE", "GARA SINGOLA", "CARRERA INDIVIDUAL", "CORRIDA INDIVIDUAL", "LOSSE RACE",
                            "COURSE SIMPLE", "EINZELRENNEN", "ОДИНОЧНАЯ ГОНКА"}},
    {TEXT_SGL_PREVIOUS, {"< PREV", "< PREC.", "< ANTERIOR", "< ANTERIOR", "< VORIGE", "< PREC.", "< VORHER",
                         "< НАЗАД"}},
    {TEXT_SGL_NEXT, {"NEXT >", "SUCC. >", "SIGUIENTE >", "SEGUINTE >", "VOLGENDE >", "SUIV. >", "WEITER >",
                     "ДАЛЕЕ >"}},
    {TEXT_SGL_LENGTH, {"LENGTH", "LUNGHEZZA", "LONGITUD", "EXTENSAO", "LENGTE", "LONGUEUR", "LAENGE", "ДЛИНА"}},
    {TEXT_SGL_LAP_RECORD, {"RECORD", "RECORD", "RECORD", "RECORDE", "RECORD", "RECORD", "REKORD", "РЕКОРД"}},
    {TEXT_SGL_TRACK, {"TRACK", "PISTA", "PISTA", "PISTA", "BAAN", "PISTE", "STRECKE", "ТРАССА"}},
    {TEXT_SGL_WEATHER, {"WEATHER", "METEO", "TIEMPO", "TEMPO", "WEER", "METEO", "WETTER", "ПОГОДА"}},
    {TEXT_SGL_OPTIONS_TITLE, {"OPTIONS", "OPZIONI", "OPCIONES", "OPCOES", "OPTIES", "OPTIONS", "OPTIONEN",
                              "НАСТРОЙКИ"}},
    {TEXT_SGL_SKILL, {"SKILL", "ABILITA", "DIFICULTAD", "DIFICULDADE", "NIVEAU", "NIVEAU", "KOENNEN", "УРОВЕНЬ"}},
    {TEXT_SGL_RACE_LENGTH, {"RACE LENGTH", "DURATA GARA", "DURACION", "DURACAO", "RACEDUUR", "DUREE DE COURSE",
                            "RENNDAUER", "ДЛИТЕЛЬНОСТЬ"}},
    {TEXT_SGL_MUSIC, {"MUSIC", "MUSICA", "MUSICA", "MUSICA", "MUZIEK", "MUSIQUE", "MUSIK", "МУЗЫКА"}},
    {TEXT_SGL_EFFECTS, {"EFFECTS", "EFFETTI", "EFECTOS", "EFEITOS", "EFFECTEN", "EFFETS", "EFFEKTE", "ЭФФЕКТЫ"}},
    {TEXT_SGL_RIDERS, {"RIDERS", "PILOTI", "PILOTOS", "PILOTOS", "RIJDERS", "PILOTES", "FAHRER", "ГОНЩИКИ"}},
    {TEXT_SGL_SKILL_LEVELS + 0, {"EASY", "FACILE", "FACIL", "FACIL", "MAKKELIJK", "FACILE", "LEICHT", "ЛЕГКО"}},
    {TEXT_SGL_SKILL_LEVELS + 1, {"MEDIUM", "MEDIO", "MEDIO", "MEDIO", "GEMIDDELD", "MOYEN", "MITTEL", "СРЕДНЕ"}},
    {TEXT_SGL_SKILL_LEVELS + 2, {"HARD", "DIFFICILE", "DIFICIL", "DIFICIL", "MOEILIJK", "DIFFICILE", "SCHWER",
                                 "ТРУДНО"}},
    {TEXT_SGL_TOGGLES + 0, {"GEARS: AUTOMATIC", "CAMBIO: AUTOMATICO", "CAMBIO: AUTOMATICO", "CAIXA: AUTOMATICA",
                            "SCHAKELEN: AUTOMATISCH", "VITESSES: AUTO", "SCHALTUNG: AUTOMATIK", "КПП: АВТОМАТ"}},
    {TEXT_SGL_TOGGLES + 1, {"GEARS: MANUAL", "CAMBIO: MANUALE", "CAMBIO: MANUAL", "CAIXA: MANUAL",
                            "SCHAKELEN: HANDMATIG", "VITESSES: MANUEL", "SCHALTUNG: MANUELL", "КПП: РУЧНАЯ"}},
    {TEXT_SGL_TOGGLES + 2, {"SPEED: KM/H", "VELOCITA: KM/H", "VELOCIDAD: KM/H", "VELOCIDADE: KM/H",
                            "SNELHEID: KM/U", "VITESSE: KM/H", "TEMPO: KM/H", "СКОРОСТЬ: КМ/Ч"}},
    {TEXT_SGL_TOGGLES + 3, {"SPEED: MPH", "VELOCITA: MPH", "VELOCIDAD: MPH", "VELOCIDADE: MPH", "SNELHEID: MPH",
                            "VITESSE: MPH", "TEMPO: MPH", "СКОРОСТЬ: МИЛИ/Ч"}},
    {TEXT_SGL_TOGGLES + 4, {"SKY: OFF", "CIELO: NO", "CIELO: NO", "CEU: NAO", "LUCHT: UIT", "CIEL: NON",
                            "HIMMEL: AUS", "НЕБО: ВЫКЛ"}},
    {TEXT_SGL_TOGGLES + 5, {"SKY: ON", "CIELO: SI", "CIELO: SI", "CEU: SIM", "LUCHT: AAN", "CIEL: OUI", "HIMMEL: AN",
                            "НЕБО: ВКЛ"}},
    {TEXT_SGL_TOGGLES + 6, {"FOG: ON", "NEBBIA: SI", "NIEBLA: SI", "NEVOEIRO: SIM", "MIST: AAN", "BROUILLARD: OUI",
                            "NEBEL: AN", "ТУМАН: ВКЛ"}},
    {TEXT_SGL_TOGGLES + 7, {"FOG: OFF", "NEBBIA: NO", "NIEBLA: NO", "NEVOEIRO: NAO", "MIST: UIT", "BROUILLARD: NON",
                            "NEBEL: AUS", "ТУМАН: ВЫКЛ"}},
    {TEXT_SGL_TOGGLES + 8, {"VIEW: NEAR", "VISTA: VICINA", "VISTA: CERCA", "VISTA: PERTO", "ZICHT: DICHTBIJ",
                            "VUE: PROCHE", "SICHT: NAH", "ОБЗОР: БЛИЗКО"}},
    {TEXT_SGL_TOGGLES + 9, {"VIEW: FAR", "VISTA: LONTANA", "VISTA: LEJOS", "VISTA: LONGE", "ZICHT: VER",
                            "VUE: LOINTAINE", "SICHT: WEIT", "ОБЗОР: ДАЛЕКО"}},
    {TEXT_SGL_TOGGLES + 10, {"WEATHER: OFF", "METEO: NO", "TIEMPO: NO", "TEMPO: NAO", "WEER: UIT", "METEO: NON",
                             "WETTER: AUS", "ПОГОДА: ВЫКЛ"}},
    {TEXT_SGL_TOGGLES + 11, {"WEATHER: ON", "METEO: SI", "TIEMPO: SI", "TEMPO: SIM", "WEER: AAN", "METEO: OUI",
                             "WETTER: AN", "ПОГОДА: ВКЛ"}},
    {TEXT_SGL_TOGGLES + 12, {"DAMAGE: OFF", "DANNI: NO", "DANOS: NO", "DANOS: NAO", "SCHADE: UIT", "DEGATS: NON",
                             "SCHAEDEN: AUS", "ПОВРЕЖДЕНИЯ: ВЫКЛ"}},
    {TEXT_SGL_TOGGLES + 13, {"DAMAGE: ON", "DANNI: SI", "DANOS: SI", "DANOS: SIM", "SCHADE: AAN", "DEGATS: OUI",
                             "SCHAEDEN: AN", "ПОВРЕЖДЕНИЯ: ВКЛ"}},
    {TEXT_SGL_START, {"START", "VIA", "SALIDA", "PARTIDA", "START", "DEPART", "START", "СТАРТ"}},
    {TEXT_SGL_PLAYER_TITLE, {"CHOOSE YOUR RIDER", "SCEGLI IL PILOTA", "ELIGE TU PILOTO", "ESCOLHE O PILOTO",
                             "KIES JE RIJDER", "CHOISISSEZ VOTRE PILOTE", "WAEHLE DEINEN FAHRER", "ВЫБЕРИТЕ ГОНЩИКА"}},
    {TEXT_SGL_RATINGS + 0, {"SPEED", "VELOCITA", "VELOCIDAD", "VELOCIDADE", "SNELHEID", "VITESSE", "TEMPO",
                            "СКОРОСТЬ"}},
    {TEXT_SGL_RATINGS + 1, {"STARTS", "PARTENZE", "SALIDAS", "ARRANQUES", "STARTS", "DEPARTS", "STARTS", "СТАРТ"}},
    {TEXT_SGL_RATINGS + 2, {"CORNERS", "CURVE", "CURVAS", "CURVAS", "BOCHTEN", "VIRAGES", "KURVEN", "ПОВОРОТЫ"}},
    {TEXT_SGL_RATINGS + 3, {"JUMPS", "SALTI", "SALTOS", "SALTOS", "SPRONGEN", "SAUTS", "SPRUENGE", "ПРЫЖКИ"}},
    {TEXT_SGL_RATINGS + 4, {"BRAKING", "FRENATA", "FRENADA", "TRAVAGEM", "REMMEN", "FREINAGE", "BREMSEN",
                            "ТОРМОЖЕНИЕ"}},
    {TEXT_SGL_RATINGS + 5, {"STAMINA", "RESISTENZA", "RESISTENCIA", "RESISTENCIA", "UITHOUDING", "ENDURANCE",
                            "AUSDAUER", "ВЫНОСЛИВОСТЬ"}},
    {TEXT_SGL_NAME, {"NAME", "NOME", "NOMBRE", "NOME", "NAAM", "NOM", "NAME", "ИМЯ"}},
    {TEXT_SKILL_CLASSES + 0, {"CLASS: NOVICE", "CLASSE: ESORDIENTI", "CLASE: NOVATOS", "CLASSE: ESTREANTES",
                              "KLASSE: NIEUWELINGEN", "CLASSE: DEBUTANTS", "KLASSE: EINSTEIGER", "КЛАСС: НОВИЧКИ"}},
    {TEXT_SKILL_CLASSES + 1, {"CLASS: AMATEUR", "CLASSE: AMATORI", "CLASE: AFICIONADOS", "CLASSE: AMADORES",
                              "KLASSE: AMATEURS", "CLASSE: AMATEURS", "KLASSE: AMATEURE", "КЛАСС: ЛЮБИТЕЛИ"}},
    {TEXT_SKILL_CLASSES + 2, {"CLASS: PRO", "CLASSE: PRO", "CLASE: PROFESIONALES", "CLASSE: PROFISSIONAIS",
                              "KLASSE: PROFS", "CLASSE: PROS", "KLASSE: PROFIS", "КЛАСС: ПРОФИ"}},
    {TEXT_SGL_QUICK_RACE, {"QUICK RACE", "GARA VELOCE", "CARRERA RAPIDA", "CORRIDA RAPIDA", "SNELLE RACE",
                           "COURSE RAPIDE", "SCHNELLES RENNEN", "БЫСТРАЯ ГОНКА"}},
    {TEXT_SGL_QUICK_MENU, {"Quick race", "Gara veloce", "Carrera rapida", "Corrida rapida", "Snelle race",
                           "Course rapide", "Schnelles Rennen", "Быстрая гонка"}},
    {TEXT_SGL_RACE, {"RACE", "CORRI", "CORRER", "CORRER", "RIJDEN", "COURIR", "FAHREN", "ГОНКА"}},
    {TEXT_SGL_SESSIONS_TITLE, {"BETWEEN SESSIONS", "TRA LE SESSIONI", "ENTRE SESIONES", "ENTRE SESSOES",
                               "TUSSEN DE SESSIES", "ENTRE LES SEANCES", "ZWISCHEN DEN LAEUFEN", "МЕЖДУ ЗАЕЗДАМИ"}},
    {TEXT_SGL_CONTINUE, {"CONTINUE", "CONTINUA", "CONTINUAR", "CONTINUAR", "VERDER", "CONTINUER", "WEITER",
                         "ДАЛЬШЕ"}},
    {TEXT_SGL_GARAGE, {"GARAGE", "GARAGE", "TALLER", "OFICINA", "GARAGE", "GARAGE", "WERKSTATT", "ГАРАЖ"}},
    {TEXT_SGL_SETUP, {"BIKE SET-UP", "ASSETTO", "REGLAJES", "AFINACAO", "AFSTELLING", "REGLAGES", "ABSTIMMUNG",
                      "НАСТРОЙКА"}},
    {TEXT_SGL_ABANDON, {"ABANDON", "ABBANDONA", "ABANDONAR", "ABANDONAR", "OPGEVEN", "ABANDONNER", "AUFGEBEN",
                        "ВЫЙТИ"}},
    {TEXT_SGL_CHASSIS, {"CHASSIS >", "TELAIO >", "CHASIS >", "CHASSIS >", "CHASSIS >", "CHASSIS >", "FAHRWERK >",
                        "ШАССИ >"}},
    {TEXT_SETUP2_TITLE, {"SUSPENSION AND CHASSIS", "SOSPENSIONI E TELAIO", "SUSPENSION Y CHASIS",
                         "SUSPENSAO E CHASSIS", "VERING EN CHASSIS", "SUSPENSION ET CHASSIS", "FEDERUNG UND FAHRWERK",
                         "ПОДВЕСКА И ШАССИ"}},
    // The second set-up page's sliders 0 to 17.
    {TEXT_SETUP2_CAPTIONS + 0, {"FRONT TRAVEL", "CORSA ANT.", "RECORRIDO DEL.", "CURSO FRENTE", "VEERWEG VOOR",
                                "COURSE AV.", "FEDERWEG VORN", "ХОД ПЕРЕДИ"}},
    {TEXT_SETUP2_CAPTIONS + 1, {"REAR TRAVEL", "CORSA POST.", "RECORRIDO TRAS.", "CURSO TRAS", "VEERWEG ACHTER",
                                "COURSE AR.", "FEDERWEG HINTEN", "ХОД СЗАДИ"}},
    {TEXT_SETUP2_CAPTIONS + 2, {"FRONT BUMP", "COMPR. ANT.", "COMPR. DEL.", "COMPR. FRENTE", "INVERING VOOR",
                                "COMPR. AV.", "DRUCKST. VORN", "СЖАТИЕ ПЕРЕДИ"}},
    {TEXT_SETUP2_CAPTIONS + 3, {"REAR BUMP", "COMPR. POST.", "COMPR. TRAS.", "COMPR. TRAS", "INVERING ACHTER",
                                "COMPR. AR.", "DRUCKST. HINTEN", "СЖАТИЕ СЗАДИ"}},
    {TEXT_SETUP2_CAPTIONS + 4, {"CHASSIS HEIGHT", "ALTEZZA TELAIO", "ALTURA CHASIS", "ALTURA CHASSIS",
                                "HOOGTE CHASSIS", "HAUTEUR CHASSIS", "RAHMENHOEHE", "ВЫСОТА РАМЫ"}},
    {TEXT_SETUP2_CAPTIONS + 5, {"SEAT HEIGHT", "ALTEZZA SELLA", "ALTURA ASIENTO", "ALTURA BANCO", "ZADELHOOGTE",
                                "HAUTEUR SELLE", "SITZHOEHE", "ВЫСОТА СЕДЛА"}},
    {TEXT_SETUP2_CAPTIONS + 6, {"FRONT WEIGHT", "PESO ANT.", "PESO DEL.", "PESO FRENTE", "GEWICHT VOOR",
                                "POIDS AV.", "GEWICHT VORN", "ВЕС ПЕРЕДИ"}},
    {TEXT_SETUP2_CAPTIONS + 7, {"REAR WEIGHT", "PESO POST.", "PESO TRAS.", "PESO TRAS", "GEWICHT ACHTER",
                                "POIDS AR.", "GEWICHT HINTEN", "ВЕС СЗАДИ"}},
    {TEXT_SETUP2_CAPTIONS + 8, {"FRONT REBOUND", "ESTENS. ANT.", "EXTENS. DEL.", "EXTENS. FRENTE",
                                "UITVERING VOOR", "DETENTE AV.", "ZUGST. VORN", "ОТБОЙ ПЕРЕДИ"}},
    {TEXT_SETUP2_CAPTIONS + 9, {"REAR REBOUND", "ESTENS. POST.", "EXTENS. TRAS.", "EXTENS. TRAS",
                                "UITVERING ACHTER", "DETENTE AR.", "ZUGST. HINTEN", "ОТБОЙ СЗАДИ"}},
    {TEXT_SETUP2_CAPTIONS + 10, {"FRONT SPRING", "MOLLA ANT.", "MUELLE DEL.", "MOLA FRENTE", "VEER VOOR",
                                 "RESSORT AV.", "FEDER VORN", "ПРУЖИНА ПЕРЕДИ"}},
    {TEXT_SETUP2_CAPTIONS + 11, {"REAR SPRING", "MOLLA POST.", "MUELLE TRAS.", "MOLA TRAS", "VEER ACHTER",
                                 "RESSORT AR.", "FEDER HINTEN", "ПРУЖИНА СЗАДИ"}},
    {TEXT_SETUP2_CAPTIONS + 12, {"CHASSIS MASS", "MASSA TELAIO", "MASA CHASIS", "MASSA CHASSIS", "MASSA CHASSIS",
                                 "MASSE CHASSIS", "RAHMENMASSE", "МАССА РАМЫ"}},
    {TEXT_SETUP2_CAPTIONS + 13, {"WHEELBASE", "PASSO", "DISTANCIA EJES", "DISTANCIA EIXOS", "WIELBASIS",
                                 "EMPATTEMENT", "RADSTAND", "БАЗА"}},
    {TEXT_SETUP2_CAPTIONS + 14, {"FORK OFFSET", "AVANCORSA", "AVANCE", "AVANCO", "NALOOP", "CHASSE", "NACHLAUF",
                                 "ВЫЛЕТ ВИЛКИ"}},
    {TEXT_SETUP2_CAPTIONS + 15, {"SWINGARM", "FORCELLONE", "BASCULANTE", "BRACO OSCILANTE", "ACHTERVORK",
                                 "BRAS OSCILLANT", "SCHWINGE", "МАЯТНИК"}},
    {TEXT_SETUP2_CAPTIONS + 16, {"FRONT TYRE", "GOMMA ANT.", "NEUMATICO DEL.", "PNEU FRENTE", "BAND VOOR",
                                 "PNEU AV.", "REIFEN VORN", "ШИНА ПЕРЕДИ"}},
    {TEXT_SETUP2_CAPTIONS + 17, {"REAR TYRE", "GOMMA POST.", "NEUMATICO TRAS.", "PNEU TRAS", "BAND ACHTER",
                                 "PNEU AR.", "REIFEN HINTEN", "ШИНА СЗАДИ"}},
    {TEXT_SGL_SUBTITLE, {"OFF-ROAD MOTORCYCLE RACING", "CORSE IN MOTO FUORISTRADA", "CARRERAS DE MOTOS TODOTERRENO",
                         "CORRIDAS DE MOTOS TODO-O-TERRENO", "MOTORRACES OFF-ROAD", "COURSES DE MOTOS TOUT-TERRAIN",
                         "GELAENDE-MOTORRADRENNEN", "МОТОГОНКИ ПО БЕЗДОРОЖЬЮ"}},
};

// The minutes of a race and the riders in it: numbers and a unit.
const char* const kMinutes[8] = {"MIN", "MIN", "MIN", "MIN", "MIN", "MIN", "MIN", "МИН"};

}  // namespace

void AddSingleRaceTexts(int language, std::vector<std::string>* texts) {
  const int l = language < 0 || language > 7 ? 0 : language;
  PutTexts(kTexts, l, texts);
  for (int i = 0; i < 20; ++i) PutText(TEXT_SGL_MINUTES + i, std::to_string(2 + 2 * i) + " " + kMinutes[l], texts);
  for (int i = 0; i < 13; ++i) PutText(TEXT_SGL_RIDER_COUNTS + i, std::to_string(8 + i), texts);
}

}  // namespace kelvdata
