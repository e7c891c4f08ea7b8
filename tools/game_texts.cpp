#include "tools/game_texts.h"

#include "tools/race_samples.h"
#include "tools/scene_samples.h"

namespace kelvdata {

namespace {

// One text in the engine's order of languages; Russian in Cyrillic.
struct GameText {
  int id;
  const char* text[8];
};

const GameText kTexts[] = {
    {0, {"Kelvarro", "Kelvarro", "Kelvarro", "Kelvarro", "Kelvarro", "Kelvarro", "Kelvarro", "Kelvarro"}},
    {1, {"English", "Italiano", "Espanol", "Portugues", "Nederlands", "Francais", "Deutsch", "Русский"}},
    // The main menu.
    {2, {"Single race", "Gara singola", "Carrera individual", "Corrida individual", "Losse race", "Course simple",
         "Einzelrennen", "Одиночная гонка"}},
    {3, {"Championship", "Campionato", "Campeonato", "Campeonato", "Kampioenschap", "Championnat", "Meisterschaft",
         "Чемпионат"}},
    {4, {"Multiplayer", "Multigiocatore", "Multijugador", "Multijogador", "Multiplayer", "Multijoueur", "Mehrspieler",
         "Сетевая игра"}},
    {5, {"Options", "Opzioni", "Opciones", "Opcoes", "Opties", "Options", "Optionen", "Настройки"}},
    {6, {"Quit", "Esci", "Salir", "Sair", "Stoppen", "Quitter", "Beenden", "Выход"}},
    {39, {"SYNTHETIC DATA SET", "DATI SINTETICI", "DATOS SINTETICOS", "DADOS SINTETICOS", "SYNTHETISCHE DATA",
          "DONNEES SYNTHETIQUES", "SYNTHETISCHE DATEN", "СИНТЕТИЧЕСКИЕ ДАННЫЕ"}},
    // The screens' buttons and the question boxes.
    {TEXT_BACK, {"BACK", "INDIETRO", "VOLVER", "VOLTAR", "TERUG", "RETOUR", "ZURUECK", "НАЗАД"}},
    {TEXT_YES, {"YES", "SI", "SI", "SIM", "JA", "OUI", "JA", "ДА"}},
    {TEXT_NO, {"NO", "NO", "NO", "NAO", "NEE", "NON", "NEIN", "НЕТ"}},
    {TEXT_SURE, {"ARE YOU SURE?", "SEI SICURO?", "ESTAS SEGURO?", "TEM CERTEZA?", "WEET JE HET ZEKER?",
                 "ETES-VOUS SUR?", "BIST DU SICHER?", "ВЫ УВЕРЕНЫ?"}},
    {TEXT_OK, {"OK", "OK", "OK", "OK", "OK", "OK", "OK", "ОК"}},
    {TEXT_LONGER_RACES, {"LONGER RACES", "GARE LUNGHE", "CARRERAS LARGAS", "CORRIDAS LONGAS", "LANGERE RACES",
                         "COURSES LONGUES", "LANGE RENNEN", "ДЛИННЫЕ ГОНКИ"}},
    // The save and load screens.
    {TEXT_SAVE, {"SAVE", "SALVA", "GUARDAR", "GRAVAR", "OPSLAAN", "SAUVER", "SPEICHERN", "СОХРАНИТЬ"}},
    {TEXT_LOAD, {"Load", "Carica", "Cargar", "Carregar", "Laden", "Charger", "Laden", "Загрузить"}},
    {TEXT_SLOT + 0, {"SLOT 1", "SLOT 1", "RANURA 1", "POSICAO 1", "PLAATS 1", "PARTIE 1", "PLATZ 1", "ЯЧЕЙКА 1"}},
    {TEXT_SLOT + 1, {"SLOT 2", "SLOT 2", "RANURA 2", "POSICAO 2", "PLAATS 2", "PARTIE 2", "PLATZ 2", "ЯЧЕЙКА 2"}},
    {TEXT_SLOT + 2, {"SLOT 3", "SLOT 3", "RANURA 3", "POSICAO 3", "PLAATS 3", "PARTIE 3", "PLATZ 3", "ЯЧЕЙКА 3"}},
    {TEXT_SLOT + 3, {"SLOT 4", "SLOT 4", "RANURA 4", "POSICAO 4", "PLAATS 4", "PARTIE 4", "PLATZ 4", "ЯЧЕЙКА 4"}},
    {TEXT_EMPTY_SLOT, {"EMPTY", "VUOTO", "VACIO", "VAZIO", "LEEG", "VIDE", "LEER", "ПУСТО"}},
    // The race's dialogs.
    {TEXT_RACE_RETIRE, {"RETIRE", "RITIRATI", "RETIRARSE", "DESISTIR", "OPGEVEN", "ABANDONNER", "AUFGEBEN",
                        "СОЙТИ С ДИСТАНЦИИ"}},
    {TEXT_RACE_END_SESSION, {"END SESSION", "FINE SESSIONE", "TERMINAR SESION", "TERMINAR SESSAO",
                             "SESSIE BEEINDIGEN", "FINIR LA SEANCE", "SITZUNG BEENDEN", "ЗАВЕРШИТЬ СЕССИЮ"}},
    {TEXT_RACE_RESTART, {"RESTART", "RICOMINCIA", "REINICIAR", "RECOMECAR", "OPNIEUW", "RECOMMENCER", "NEUSTART",
                         "ЗАНОВО"}},
    {TEXT_RACE_GARAGE, {"GARAGE", "GARAGE", "TALLER", "OFICINA", "GARAGE", "GARAGE", "WERKSTATT", "ГАРАЖ"}},
    {TEXT_RACE_REPLAY_OFF, {"REPLAY: OFF", "REPLAY: NO", "REPETICION: NO", "REPLAY: NAO", "HERHALING: UIT",
                            "RALENTI: NON", "WIEDERHOLUNG: AUS", "ПОВТОР: ВЫКЛ"}},
    {TEXT_RACE_REPLAY_ON, {"REPLAY: ON", "REPLAY: SI", "REPETICION: SI", "REPLAY: SIM", "HERHALING: AAN",
                           "RALENTI: OUI", "WIEDERHOLUNG: AN", "ПОВТОР: ВКЛ"}},
    {TEXT_RACE_FEEDBACK_OFF, {"FORCE FEEDBACK: OFF", "FORCE FEEDBACK: NO", "FORCE FEEDBACK: NO",
                              "FORCE FEEDBACK: NAO", "FORCE FEEDBACK: UIT", "RETOUR DE FORCE: NON",
                              "FORCE FEEDBACK: AUS", "ОТДАЧА: ВЫКЛ"}},
    {TEXT_RACE_FEEDBACK_ON, {"FORCE FEEDBACK: ON", "FORCE FEEDBACK: SI", "FORCE FEEDBACK: SI", "FORCE FEEDBACK: SIM",
                             "FORCE FEEDBACK: AAN", "RETOUR DE FORCE: OUI", "FORCE FEEDBACK: AN", "ОТДАЧА: ВКЛ"}},
    {TEXT_RACE_MUSIC, {"MUSIC", "MUSICA", "MUSICA", "MUSICA", "MUZIEK", "MUSIQUE", "MUSIK", "МУЗЫКА"}},
    {TEXT_RACE_EFFECTS, {"EFFECTS", "EFFETTI", "EFECTOS", "EFEITOS", "EFFECTEN", "EFFETS", "EFFEKTE", "ЭФФЕКТЫ"}},
    {TEXT_RACE_PAUSED, {"PAUSED", "PAUSA", "PAUSA", "PAUSA", "PAUZE", "PAUSE", "PAUSE", "ПАУЗА"}},
    {TEXT_RACE_CONTINUE_REPLAY, {"CONTINUE THE REPLAY", "CONTINUA IL REPLAY", "SEGUIR LA REPETICION",
                                 "CONTINUAR O REPLAY", "HERHALING VERVOLGEN", "REPRENDRE LE RALENTI",
                                 "WIEDERHOLUNG FORTSETZEN", "ПРОДОЛЖИТЬ ПОВТОР"}},
    {TEXT_RACE_END_REPLAY, {"END THE REPLAY", "TERMINA IL REPLAY", "TERMINAR LA REPETICION", "TERMINAR O REPLAY",
                            "HERHALING STOPPEN", "ARRETER LE RALENTI", "WIEDERHOLUNG BEENDEN",
                            "ЗАКОНЧИТЬ ПОВТОР"}},
    {TEXT_RACE_WAITING, {"WAITING FOR THE OTHER PLAYERS", "IN ATTESA DEGLI ALTRI GIOCATORI",
                         "ESPERANDO A LOS DEMAS JUGADORES", "AGUARDANDO OS OUTROS JOGADORES",
                         "WACHTEN OP DE ANDERE SPELERS", "ATTENTE DES AUTRES JOUEURS",
                         "WARTEN AUF DIE ANDEREN SPIELER", "ОЖИДАНИЕ ДРУГИХ ИГРОКОВ"}},
    {TEXT_RACE_RESULT, {"RESULT ACCEPTED", "RISULTATO ACCETTATO", "RESULTADO ACEPTADO", "RESULTADO ACEITE",
                        "UITSLAG AANVAARD", "RESULTAT ACCEPTE", "ERGEBNIS ANGENOMMEN", "РЕЗУЛЬТАТ ПРИНЯТ"}},
    {TEXT_RACE_TO_GARAGE, {"TO THE GARAGE", "AL GARAGE", "AL TALLER", "PARA A OFICINA", "NAAR DE GARAGE",
                           "AU GARAGE", "IN DIE WERKSTATT", "В ГАРАЖ"}},
    {TEXT_RACE_RESTARTING, {"RESTARTING", "SI RICOMINCIA", "REINICIANDO", "A RECOMECAR", "HERSTARTEN",
                            "REDEMARRAGE", "NEUSTART", "ПЕРЕЗАПУСК"}},
    // The network lobby's settings: no modem, the parities and the first
    // flow control.
    {995, {"NO MODEM", "NESSUN MODEM", "NINGUN MODEM", "NENHUM MODEM", "GEEN MODEM", "AUCUN MODEM", "KEIN MODEM",
           "НЕТ МОДЕМА"}},
    {1000, {"NONE", "NESSUNA", "NINGUNA", "NENHUMA", "GEEN", "AUCUNE", "KEINE", "НЕТ"}},
    {1001, {"ODD", "DISPARI", "IMPAR", "IMPAR", "ONEVEN", "IMPAIRE", "UNGERADE", "НЕЧЁТ"}},
    {1002, {"EVEN", "PARI", "PAR", "PAR", "EVEN", "PAIRE", "GERADE", "ЧЁТ"}},
    {1003, {"MARK", "MARK", "MARCA", "MARCA", "MARK", "MARQUE", "MARKE", "МАРКЕР"}},
    {1004, {"NONE", "NESSUNA", "NINGUNA", "NENHUMA", "GEEN", "AUCUNE", "KEINE", "НЕТ"}},
    // The credits' first lines.
    {1048, {"KELVARRO", "KELVARRO", "KELVARRO", "KELVARRO", "KELVARRO", "KELVARRO", "KELVARRO", "KELVARRO"}},
    {1049, {"A SYNTHETIC DATA SET", "DATI SINTETICI", "UN CONJUNTO DE DATOS SINTETICOS",
            "UM CONJUNTO DE DADOS SINTETICOS", "EEN SYNTHETISCHE DATASET", "UN JEU DE DONNEES SYNTHETIQUES",
            "EIN SYNTHETISCHER DATENSATZ", "СИНТЕТИЧЕСКИЙ НАБОР ДАННЫХ"}},
    {1050, {"BUILT BY KELVDATA", "CREATI DA KELVDATA", "CREADO CON KELVDATA", "CRIADO COM KELVDATA",
            "GEMAAKT MET KELVDATA", "CREE PAR KELVDATA", "ERSTELLT MIT KELVDATA", "СОЗДАН ПРОГРАММОЙ KELVDATA"}},
};

// The lobby's texts that read the same in every language.
const std::pair<int, const char*> kNeutral[] = {{996, "COM1"}, {997, "COM2"}, {998, "COM3"}, {999, "COM4"},
                                                {1005, "XON/XOFF"}, {1006, "DTR"}, {1007, "RTS"}, {1008, "RTS/DTR"}};

}  // namespace

void AddGameTexts(int language, std::vector<std::string>* texts) {
  const int l = language < 0 || language > 7 ? 0 : language;
  auto put = [texts](int id, const char* text) {
    if (texts->size() <= static_cast<std::size_t>(id)) texts->resize(static_cast<std::size_t>(id) + 1);
    (*texts)[static_cast<std::size_t>(id)] = text;
  };
  for (const GameText& t : kTexts) put(t.id, t.text[l]);
  for (const auto& [id, text] : kNeutral) put(id, text);
}

}  // namespace kelvdata
