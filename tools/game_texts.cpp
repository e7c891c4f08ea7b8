#include "tools/game_texts.h"

#include "tools/language_texts.h"
#include "tools/race_samples.h"
#include "tools/scene_samples.h"

namespace kelvdata {

namespace {

const LanguageText kTexts[] = {
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
    {TEXT_LOAD_GAME, {"LOAD", "CARICA", "CARGAR", "CARREGAR", "LADEN", "CHARGER", "LADEN", "ЗАГРУЗИТЬ"}},
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
};

// The credits' 53 lines, in the order the credits screen shows them from
// game text CREDITS_FIRST_TEXT on. Headings in the language, names as they
// are (one text for every language); blank lines are spacing.
struct CreditLine {
  const char* text[8];
};

const CreditLine kCredits[CREDITS_LINES] = {
    {{"KELVARRO"}},
    {{"A SYNTHETIC DATA SET", "DATI SINTETICI", "DATOS SINTETICOS", "DADOS SINTETICOS", "SYNTHETISCHE DATA",
      "DONNEES SYNTHETIQUES", "SYNTHETISCHE DATEN", "СИНТЕТИЧЕСКИЕ ДАННЫЕ"}},
    {{"BUILT BY KELVDATA", "CREATI DA KELVDATA", "CREADO CON KELVDATA", "CRIADO COM KELVDATA", "GEMAAKT MET KELVDATA",
      "CREE PAR KELVDATA", "ERSTELLT MIT KELVDATA", "СОЗДАН ПРОГРАММОЙ KELVDATA"}},
    {{"GAME DESIGN", "PROGETTO DEL GIOCO", "DISENO DEL JUEGO", "DESENHO DO JOGO", "SPELONTWERP", "CONCEPTION",
      "SPIELDESIGN", "ДИЗАЙН ИГРЫ"}},
    {{"ORSOLYA BRENNICK"}},
    {{"PROGRAMMING", "PROGRAMMAZIONE", "PROGRAMACION", "PROGRAMACAO", "PROGRAMMERING", "PROGRAMMATION",
      "PROGRAMMIERUNG", "ПРОГРАММИРОВАНИЕ"}},
    {{"TAMSIN OKAFOR"}},
    {{"JURI VALDMANN"}},
    {{"PIETER SLOANE"}},
    {{"RIDER PHYSICS", "FISICA DEI PILOTI", "FISICA DE LOS PILOTOS", "FISICA DOS PILOTOS", "RIJDERFYSICA",
      "PHYSIQUE DES PILOTES", "FAHRERPHYSIK", "ФИЗИКА ГОНЩИКОВ"}},
    {{"AMADOU KESSLER"}},
    {{"COURSES", "PISTE", "PISTAS", "PISTAS", "BANEN", "CIRCUITS", "STRECKEN", "ТРАССЫ"}},
    {{"HELKA MARSDEN"}},
    {{"RUBEN ACHTERBERG"}},
    {{"ARTWORK", "GRAFICA", "GRAFICOS", "GRAFICOS", "VORMGEVING", "GRAPHISMES", "GRAFIK", "ГРАФИКА"}},
    {{"SIOBHAN TREW"}},
    {{"RIDERS AND BIKES", "PILOTI E MOTO", "PILOTOS Y MOTOS", "PILOTOS E MOTOS", "RIJDERS EN MOTOREN",
      "PILOTES ET MOTOS", "FAHRER UND MOTORRAEDER", "ГОНЩИКИ И МОТОЦИКЛЫ"}},
    {{"MATEO LINDQVIST"}},
    {{"MENUS", "MENU", "MENUS", "MENUS", "MENU'S", "MENUS", "MENUES", "МЕНЮ"}},
    {{"YARA POLLOCK"}},
    {{"SOUND", "SONORO", "SONIDO", "SOM", "GELUID", "SON", "TON", "ЗВУК"}},
    {{"DESMOND FAIRWEATHER"}},
    {{"MUSIC", "MUSICA", "MUSICA", "MUSICA", "MUZIEK", "MUSIQUE", "MUSIK", "МУЗЫКА"}},
    {{"CALLUM IRVINE"}},
    {{"NOOR HADDAD"}},
    {{"LIESL VANDORP"}},
    {{""}},
    {{"NETWORK GAME", "GIOCO IN RETE", "JUEGO EN RED", "JOGO EM REDE", "NETWERKSPEL", "JEU EN RESEAU",
      "NETZWERKSPIEL", "СЕТЕВАЯ ИГРА"}},
    {{"KOFI ANSAH"}},
    {{"MAREK ZELENY"}},
    {{"TESTING", "COLLAUDO", "PRUEBAS", "TESTES", "TESTEN", "TESTS", "TESTS", "ТЕСТИРОВАНИЕ"}},
    {{"ISABEL FONTAINE"}},
    {{"TRANSLATIONS", "TRADUZIONI", "TRADUCCIONES", "TRADUCOES", "VERTALINGEN", "TRADUCTIONS", "UEBERSETZUNGEN",
      "ПЕРЕВОДЫ"}},
    {{"ILONA VARGA"}},
    {{"PRODUCTION", "PRODUZIONE", "PRODUCCION", "PRODUCAO", "PRODUCTIE", "PRODUCTION", "PRODUKTION", "ПРОДЮСЕРЫ"}},
    {{"GRETA HALVORSEN"}},
    {{"OWEN TREMAYNE"}},
    {{"SPECIAL THANKS", "RINGRAZIAMENTI", "AGRADECIMIENTOS", "AGRADECIMENTOS", "MET DANK AAN", "REMERCIEMENTS",
      "BESONDERER DANK", "ОСОБАЯ БЛАГОДАРНОСТЬ"}},
    {{"TO THE RIDERS", "AI PILOTI", "A LOS PILOTOS", "AOS PILOTOS", "AAN DE RIJDERS", "AUX PILOTES", "DEN FAHRERN",
      "ГОНЩИКАМ"}},
    {{"OF THE PLAYERS LISTS", "DELLE LISTE", "DE LAS LISTAS", "DAS LISTAS", "VAN DE LIJSTEN", "DES LISTES",
      "DER LISTEN", "ИЗ СПИСКОВ"}},
    {{"TO THE COURSES", "ALLE PISTE", "A LAS PISTAS", "AS PISTAS", "AAN DE BANEN", "AUX CIRCUITS", "DEN STRECKEN",
      "ТРАССАМ"}},
    {{"ALDER, BRACKEN, MIRE"}},
    {{"TO THE MARSHALS", "AI COMMISSARI", "A LOS COMISARIOS", "AOS COMISSARIOS", "AAN DE MARSHALS",
      "AUX COMMISSAIRES", "DEN STRECKENPOSTEN", "МАРШАЛАМ"}},
    {{"AND THEIR FLAGS", "E LE LORO BANDIERE", "Y SUS BANDERAS", "E AS SUAS BANDEIRAS", "EN HUN VLAGGEN",
      "ET LEURS DRAPEAUX", "UND IHREN FLAGGEN", "И ИХ ФЛАГАМ"}},
    {{"TO EVERY TEST", "A OGNI PROVA", "A CADA PRUEBA", "A CADA TESTE", "AAN ELKE TEST", "A CHAQUE TEST",
      "JEDEM TEST", "КАЖДОМУ ТЕСТУ"}},
    {{"THAT FAILED", "FALLITA", "FALLIDA", "FALHADO", "DIE FAALDE", "ECHOUE", "DER FEHLSCHLUG", "С ОШИБКОЙ"}},
    {{"TO OUR FAMILIES", "ALLE NOSTRE FAMIGLIE", "A NUESTRAS FAMILIAS", "AS NOSSAS FAMILIAS", "AAN ONZE FAMILIES",
      "A NOS FAMILLES", "UNSEREN FAMILIEN", "НАШИМ СЕМЬЯМ"}},
    {{"FOR THEIR PATIENCE", "PER LA PAZIENZA", "POR SU PACIENCIA", "PELA PACIENCIA", "VOOR HUN GEDULD",
      "POUR LEUR PATIENCE", "FUER IHRE GEDULD", "ЗА ТЕРПЕНИЕ"}},
    {{"OSTRELMONT"}},
    {{"PUBLISHED BY", "PUBBLICATO DA", "PUBLICADO POR", "PUBLICADO POR", "UITGEGEVEN DOOR", "EDITE PAR",
      "VEROEFFENTLICHT VON", "ИЗДАТЕЛЬ"}},
    {{"OSTRELMONT"}},
    {{"THANK YOU FOR PLAYING", "GRAZIE PER AVER GIOCATO", "GRACIAS POR JUGAR", "OBRIGADO POR JOGAR",
      "BEDANKT VOOR HET SPELEN", "MERCI D'AVOIR JOUE", "DANKE FUERS SPIELEN", "СПАСИБО ЗА ИГРУ"}},
    {{""}},
};

// The lobby's texts that read the same in every language.
const std::pair<int, const char*> kNeutral[] = {{996, "COM1"}, {997, "COM2"}, {998, "COM3"}, {999, "COM4"},
                                                {1005, "XON/XOFF"}, {1006, "DTR"}, {1007, "RTS"}, {1008, "RTS/DTR"}};

}  // namespace

void AddGameTexts(int language, std::vector<std::string>* texts) {
  PutTexts(kTexts, language, texts);
  for (const auto& [id, text] : kNeutral) PutText(id, text, texts);
}

void AddCreditTexts(int language, std::vector<std::string>* texts) {
  const int l = language < 0 || language > 7 ? 0 : language;
  if (texts->size() < static_cast<std::size_t>(CREDITS_FIRST_TEXT + CREDITS_LINES)) {
    texts->resize(static_cast<std::size_t>(CREDITS_FIRST_TEXT + CREDITS_LINES));
  }
  for (int i = 0; i < CREDITS_LINES; ++i) {
    const CreditLine& c = kCredits[i];
    (*texts)[static_cast<std::size_t>(CREDITS_FIRST_TEXT + i)] = c.text[l] ? c.text[l] : c.text[0];
  }
}

}  // namespace kelvdata
