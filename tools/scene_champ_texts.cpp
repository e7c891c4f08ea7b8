// The championship screens' texts in the eight languages (English, Italian,
// Spanish, Portuguese, Dutch, French, German, Russian), UTF-8.
#include <string>

#include "tools/flow_scenes.h"
#include "tools/language_texts.h"
#include "tools/scene_champ_widgets.h"

namespace kelvdata {

namespace {

const LanguageText kTexts[] = {
    // The course's facts that the round screen shows: the ground, the
    // jumps and the weather.
    {26, {"SANDY GROUND", "FONDO SABBIOSO", "SUELO ARENOSO", "PISO ARENOSO", "ZANDGROND", "SOL SABLONNEUX",
          "SANDBODEN", "ПЕСЧАНЫЙ ГРУНТ"}},
    {27, {"HARD GROUND", "FONDO DURO", "SUELO DURO", "PISO DURO", "HARDE GROND", "SOL DUR", "HARTER BODEN",
          "ТВЁРДЫЙ ГРУНТ"}},
    {28, {"SOFT GROUND", "FONDO MORBIDO", "SUELO BLANDO", "PISO MOLE", "ZACHTE GROND", "SOL MEUBLE", "WEICHER BODEN",
          "МЯГКИЙ ГРУНТ"}},
    {29, {"FEW JUMPS", "POCHI SALTI", "POCOS SALTOS", "POUCOS SALTOS", "WEINIG SPRONGEN", "PEU DE SAUTS",
          "WENIGE SPRUENGE", "МАЛО ТРАМПЛИНОВ"}},
    {30, {"SOME JUMPS", "ALCUNI SALTI", "ALGUNOS SALTOS", "ALGUNS SALTOS", "ENKELE SPRONGEN", "QUELQUES SAUTS",
          "EINIGE SPRUENGE", "НЕСКОЛЬКО ТРАМПЛИНОВ"}},
    {31, {"MANY JUMPS", "MOLTI SALTI", "MUCHOS SALTOS", "MUITOS SALTOS", "VEEL SPRONGEN", "BEAUCOUP DE SAUTS",
          "VIELE SPRUENGE", "МНОГО ТРАМПЛИНОВ"}},
    {32, {"CLEAR", "SERENO", "DESPEJADO", "LIMPO", "HELDER", "DEGAGE", "KLAR", "ЯСНО"}},
    {33, {"RAIN", "PIOGGIA", "LLUVIA", "CHUVA", "REGEN", "PLUIE", "REGEN", "ДОЖДЬ"}},
    {34, {"FOG", "NEBBIA", "NIEBLA", "NEVOEIRO", "MIST", "BROUILLARD", "NEBEL", "ТУМАН"}},
    // The standings' total column (short: its heading stands between the
    // last round's flag and the screen's edge) and the results tables'
    // titles and headings.
    {TEXT_STANDINGS, {"PTS", "PTI", "PTS", "PTS", "PNT", "PTS", "PKT", "ОЧК"}},
    {156, {"PRACTICE TIMES", "TEMPI DELLE PROVE", "TIEMPOS DE ENTRENAMIENTO", "TEMPOS DO TREINO", "TRAININGSTIJDEN",
           "TEMPS DES ESSAIS", "TRAININGSZEITEN", "ВРЕМЯ ТРЕНИРОВКИ"}},
    {157, {"QUALIFYING TIMES", "TEMPI DELLE QUALIFICHE", "TIEMPOS DE CLASIFICACION", "TEMPOS DA QUALIFICACAO",
           "KWALIFICATIETIJDEN", "TEMPS DES QUALIFICATIONS", "QUALIFIKATIONSZEITEN", "ВРЕМЯ КВАЛИФИКАЦИИ"}},
    {158, {"POINTS", "PUNTI", "PUNTOS", "PONTOS", "PUNTEN", "POINTS", "PUNKTE", "ОЧКИ"}},
    {159, {"POS", "POS", "POS", "POS", "POS", "POS", "PLATZ", "МЕСТО"}},
    {160, {"RIDER", "PILOTA", "PILOTO", "PILOTO", "RIJDER", "PILOTE", "FAHRER", "ГОНЩИК"}},
    {161, {"TIME", "TEMPO", "TIEMPO", "TEMPO", "TIJD", "TEMPS", "ZEIT", "ВРЕМЯ"}},
    {164, {"RESULTS", "RISULTATI", "RESULTADOS", "RESULTADOS", "UITSLAG", "RESULTATS", "ERGEBNIS", "ИТОГИ"}},
    {167, {"CHAMPIONSHIP STANDINGS", "CLASSIFICA DEL CAMPIONATO", "CLASIFICACION DEL CAMPEONATO",
           "CLASSIFICACAO DO CAMPEONATO", "STAND VAN HET KAMPIOENSCHAP", "CLASSEMENT DU CHAMPIONNAT",
           "MEISTERSCHAFTSSTAND", "ТАБЛИЦА ЧЕМПИОНАТА"}},
    // The weather announcement's line.
    {TEXT_ROUND_WEATHER, {"THE WEATHER HAS CHANGED", "IL TEMPO E CAMBIATO", "EL TIEMPO HA CAMBIADO",
                          "O TEMPO MUDOU", "HET WEER IS VERANDERD", "LE TEMPS A CHANGE", "DAS WETTER HAT SICH GEAENDERT",
                          "ПОГОДА ИЗМЕНИЛАСЬ"}},
    // The championship's own screens.
    {CHAMP_TEXT_ROUND, {"ROUND", "PROVA", "PRUEBA", "ETAPA", "RONDE", "MANCHE", "LAUF", "ЭТАП"}},
    {CHAMP_TEXT_PRACTICE, {"PRACTICE", "PROVE LIBERE", "ENTRENAMIENTO", "TREINO", "TRAINING", "ESSAIS",
                           "TRAINING", "ТРЕНИРОВКА"}},
    {CHAMP_TEXT_SKIP_PRACTICE, {"TO QUALIFYING", "ALLE QUALIFICHE", "A CLASIFICACION", "PARA QUALIFICACAO",
                                "NAAR KWALIFICATIE", "AUX QUALIFS", "ZUR QUALI", "К КВАЛИФИКАЦИИ"}},
    {CHAMP_TEXT_SKIP_QUALIFYING, {"TO THE MOTOS", "ALLE MANCHE", "A LAS MANGAS", "PARA AS MANGAS",
                                  "NAAR DE MANCHES", "AUX MANCHES", "ZU DEN LAEUFEN", "К ЗАЕЗДАМ"}},
    {CHAMP_TEXT_SETUP, {"SET-UP", "ASSETTO", "REGLAJES", "AFINACAO", "AFSTELLING", "REGLAGES", "SETUP",
                        "НАСТРОЙКА"}},
    {CHAMP_TEXT_GARAGE, {"GARAGE", "GARAGE", "TALLER", "OFICINA", "GARAGE", "GARAGE", "WERKSTATT", "ГАРАЖ"}},
    {CHAMP_TEXT_CONTINUE, {"CONTINUE", "CONTINUA", "CONTINUAR", "CONTINUAR", "VERDER", "CONTINUER", "WEITER",
                           "ДАЛЕЕ"}},
    {CHAMP_TEXT_NEXT_ROUND, {"NEXT ROUND", "PROSSIMA PROVA", "SIGUIENTE PRUEBA", "PROXIMA ETAPA", "VOLGENDE RONDE",
                             "MANCHE SUIVANTE", "NAECHSTER LAUF", "СЛЕДУЮЩИЙ ЭТАП"}},
    {CHAMP_TEXT_SECOND_MOTO, {"SECOND MOTO", "SECONDA MANCHE", "SEGUNDA MANGA", "SEGUNDA MANGA", "TWEEDE MANCHE",
                              "DEUXIEME MANCHE", "ZWEITER LAUF", "ВТОРОЙ ЗАЕЗД"}},
    {CHAMP_TEXT_LENGTH, {"LENGTH", "LUNGHEZZA", "LONGITUD", "COMPRIMENTO", "LENGTE", "LONGUEUR", "LAENGE", "ДЛИНА"}},
    {CHAMP_TEXT_LAP_RECORD, {"LAP RECORD", "RECORD SUL GIRO", "RECORD DE VUELTA", "RECORDE DE VOLTA", "RONDERECORD",
                             "RECORD DU TOUR", "RUNDENREKORD", "РЕКОРД КРУГА"}},
    {CHAMP_TEXT_GROUND, {"GROUND", "FONDO", "SUELO", "PISO", "GROND", "SOL", "BODEN", "ГРУНТ"}},
    {CHAMP_TEXT_JUMPS, {"JUMPS", "SALTI", "SALTOS", "SALTOS", "SPRONGEN", "SAUTS", "SPRUENGE", "ТРАМПЛИНЫ"}},
    {CHAMP_TEXT_WEATHER, {"WEATHER", "METEO", "TIEMPO", "TEMPO", "WEER", "METEO", "WETTER", "ПОГОДА"}},
    {CHAMP_TEXT_MONEY, {"MONEY", "DENARO", "DINERO", "DINHEIRO", "GELD", "ARGENT", "GELD", "ДЕНЬГИ"}},
    {CHAMP_TEXT_WORKSHOP_TIME, {"WORKSHOP TIME", "TEMPO IN OFFICINA", "TIEMPO DE TALLER", "TEMPO DE OFICINA",
                                "WERKPLAATSTIJD", "TEMPS D'ATELIER", "WERKSTATTZEIT", "ВРЕМЯ РЕМОНТА"}},
    {CHAMP_TEXT_PRICE_OF_A_STEP, {"PRICE", "PREZZO", "PRECIO", "PRECO", "PRIJS", "PRIX", "PREIS", "ЦЕНА"}},
    {CHAMP_TEXT_PIT_LANE, {"PIT LANE", "CORSIA BOX", "CALLE DE BOXES", "PIT LANE", "PITSTRAAT", "VOIE DES STANDS",
                           "BOXENGASSE", "ПИТ-ЛЕЙН"}},
    {CHAMP_TEXT_PIT_LANE_NOTE, {"THE TEAM SETTLES ITS ACCOUNTS", "LA SQUADRA FA I CONTI", "EL EQUIPO HACE CUENTAS",
                                "A EQUIPA FAZ AS CONTAS", "HET TEAM MAAKT DE REKENING OP", "L'EQUIPE FAIT SES COMPTES",
                                "DAS TEAM RECHNET AB", "КОМАНДА ПОДВОДИТ СЧЁТ"}},
    {CHAMP_TEXT_FORECAST, {"WEATHER FORECAST", "PREVISIONI METEO", "PRONOSTICO DEL TIEMPO", "PREVISAO DO TEMPO",
                           "WEERBERICHT", "PREVISIONS METEO", "WETTERBERICHT", "ПРОГНОЗ ПОГОДЫ"}},
    {CHAMP_TEXT_BIKE_SETUP, {"BIKE SET-UP", "ASSETTO DELLA MOTO", "REGLAJES DE LA MOTO", "AFINACAO DA MOTA",
                             "AFSTELLING VAN DE MOTOR", "REGLAGES DE LA MOTO", "MOTORRAD-SETUP", "НАСТРОЙКА МОТОЦИКЛА"}},
    {CHAMP_TEXT_OK, {"OK", "OK", "OK", "OK", "OK", "OK", "OK", "ОК"}},
    {CHAMP_TEXT_THROTTLE, {"THROTTLE", "ACCELERATORE", "ACELERADOR", "ACELERADOR", "GAS", "ACCELERATEUR", "GAS",
                           "ГАЗ"}},
    {CHAMP_TEXT_SUSPENSION, {"SUSPENSION", "SOSPENSIONI", "SUSPENSION", "SUSPENSAO", "VERING", "SUSPENSION",
                             "FEDERUNG", "ПОДВЕСКА"}},
    {CHAMP_TEXT_TYRES, {"TYRES", "GOMME", "NEUMATICOS", "PNEUS", "BANDEN", "PNEUS", "REIFEN", "ШИНЫ"}},
    {CHAMP_TEXT_BRAKES, {"BRAKES", "FRENI", "FRENOS", "TRAVOES", "REMMEN", "FREINS", "BREMSEN", "ТОРМОЗА"}},
    {CHAMP_TEXT_DRY, {"DRY", "ASCIUTTO", "SECO", "SECO", "DROOG", "SEC", "TROCKEN", "СУХИЕ"}},
    {CHAMP_TEXT_WET, {"WET", "BAGNATO", "MOJADO", "MOLHADO", "NAT", "PLUIE", "NASS", "ДОЖДЕВЫЕ"}},
    {CHAMP_TEXT_REPAIR, {"+", "+", "+", "+", "+", "+", "+", "+"}},
    {CHAMP_TEXT_UNDO, {"-", "-", "-", "-", "-", "-", "-", "-"}},
};

// "GEAR n" in each language.
const char* const kGear[8] = {"GEAR", "MARCIA", "MARCHA", "MUDANCA", "VERSNELLING", "RAPPORT", "GANG", "ПЕРЕДАЧА"};

}  // namespace

void AddChampionshipTexts(int language, std::vector<std::string>* texts) {
  const int l = language < 0 || language > 7 ? 0 : language;
  PutTexts(kTexts, l, texts);
  for (int g = 0; g < 6; ++g) PutText(CHAMP_TEXT_GEAR + g, std::string(kGear[l]) + " " + std::to_string(g + 1), texts);
  for (int n = 0; n <= 20; ++n) PutText(CHAMP_TEXT_NUMBER + n, std::to_string(n), texts);
  for (int n = 0; n <= 10; ++n) PutText(CHAMP_TEXT_PERCENT + n, std::to_string(10 * n) + "%", texts);
}

}  // namespace kelvdata
