#include "setup/captions.h"

#include <cstdint>

#include "platform/mfc/mfc.h"

CaptionTables g_Captions;

namespace {

// The source spells the texts in UTF-8; the tables hold them as the single
// bytes of the Windows code pages (1251 for Cyrillic, 1252 otherwise).
std::string ToWindowsBytes(const char* utf8) {
  std::string out;
  const auto* p = reinterpret_cast<const unsigned char*>(utf8);
  while (*p != 0) {
    std::uint32_t cp = *p++;
    if (cp >= 0xC0 && (*p & 0xC0) == 0x80) {
      cp = ((cp & 0x1F) << 6) | (*p++ & 0x3F);
    }
    if (cp >= 0x0410 && cp <= 0x044F) out += static_cast<char>(0xC0 + (cp - 0x0410));
    else if (cp == 0x0401) out += static_cast<char>(0xA8);
    else if (cp == 0x0451) out += static_cast<char>(0xB8);
    else out += static_cast<char>(cp & 0xFF);
  }
  return out;
}

const char* const kFx[CAPTION_LANGUAGES][CAPTIONS_3DFX_ENTRIES] = {
    {"3D Device:", "Resolution:", "Glide Ver.:", "Shadows:", "Lens Flare:", "Particle FX:", "Sound Device:",
     "Input Device:", "Run Control Panel", "Refresh Device List", "Off", "Low", "Medium", "High", "FFeedback: Low",
     "FFeedback: Normal", "FFeedback: High", "3DFx Settings"},
    {"Dispositivo 3D:", "Risoluzione:", "Versione Glide:", "Ombre:", "Lens Flare:", "Particelle:",
     "Dispositivo Audio:", "Dispositivo d'Ingresso:", "Pannello di Controllo", "Aggiorna\nLista Dispositivi",
     "Nessuno", "Basso", "Medio", "Alto", "FFeedback: Basso", "FFeedback: Normale", "FFeedback: Alto",
     "Impostazioni 3DFx"},
    {"Dispositivo 3D:", "Resolución:", "Versión Glide:", "Sombras:", "Destellos:", "Effectos Partículas:",
     "Dispositivo de Sonido:", "Dispositivo de Entrada:", "Ejecutar\nPanel de Control",
     "Actualizar\nLista Dispositivos", "Off", "Min", "Med", "Max", "FFeedback: Min", "FFeedback: Med",
     "FFeedback: Max", "Configuración 3DFx"},
    {"Dispositivo 3D:", "Resolução:", "Versão Glide:", "Sombras:", "Reflexos:", "Efeitos de Lama:",
     "Dispositivo de Som:", "Dispositivo de Entrada:", "Correr\nPainel de Controlo", "Renovar\nLista de Dispositivos",
     "Off", "Min", "Med", "Max", "FFeedback: Min", "FFeedback: Med", "FFeedback: Max", "Ajustes 3DFx"},
    {"3D Apparaat:", "Resolutie:", "Glide Versie:", "Schaduwen:", "Lens Flare:", "Modder Effect:",
     "Geluidsapparaat:", "Invoer Apparaat:", "Start\nControle Paneel", "Vernieuw\nLijst Apparaten", "Off", "Min",
     "Med", "Max", "FFeedback: Min", "FFeedback: Med", "FFeedback: Max", "3DFx Instellingen"},
    {"Périphérique 3D:", "Résolution:", "Version Glide:", "Ombres:", "Reflets:", "Particules:", "Carte Son:",
     "Controleur:", "Panneau de\nConfiguration", "Rafraichir la\nListe", "Off", "Min", "Med", "Max",
     "FFeedback: Min", "FFeedback: Med", "FFeedback: Max", "Reglages 3DFx"},
    {"3D-Gerät:", "Auflösung:", "Glide-Version:", "Schatten:", "Linsenreflexe:", "Partikeleffekte:", "Soundgerät:",
     "Eingabegerät:", "Systemsteuerung\nAusführen", "Geräteliste Aktualisieren", "Off", "Min", "Med", "Max",
     "FFeedback: Min", "FFeedback: Med", "FFeedback: Max", "3DFx-Einstellungen"},
    {"3D устройство:", "Разрешение:", "Версия Glide:", "Тени:", "Блики:", "Эффект брызг:", "Звуковое устройство:",
     "Устройство управления:", "Панель управления\nwindows", "Обновить список\nустройств", "Off", "Min", "Med", "Max",
     "FFeedback: Min", "FFeedback: Med", "FFeedback: Max", "Отменить настройку 3Dfx"},
};

const char* const kD3d[CAPTION_LANGUAGES][CAPTIONS_D3D_ENTRIES] = {
    {"3D Device:", "Resolution:", "Render Quality:", "Shadows:", "Filtering:", "Persp. Correction:", "Lens Flare:",
     "Particle FX:", "Sound Device:", "Input Device:", "Run Control Panel", "Refresh Device List", "Off", "Low",
     "Medium", "High", "FFeedback: Low", "FFeedback: Normal", "FFeedback: High", "Direct3D Settings"},
    {"Dispositivo 3D:", "Risoluzione:", "Qualità visiva:", "Ombre:", "Filtraggio:", "Corr. Prospettica:",
     "Lens Flare:", "Particelle:", "Dispositivo Audio:", "Dispositivo d'Ingresso:", "Pannello di Controllo",
     "Aggiorna\nLista Dispositivi", "Nessuno", "Basso", "Medio", "Alto", "FFeedback: Basso", "FFeedback: Normale",
     "FFeedback: Alto", "Impostazioni Direct3D"},
    {"Dispositivo 3D:", "Resolución:", "Calidad:", "Sombras:", "Filtrado:", "Corr. Perspectiva:", "Destellos:",
     "Effectos Partículas:", "Dispositivo de Sonido:", "Dispositivo de Entrada:", "Ejecutar\nPanel de Control",
     "Actualizar\nLista Dispositivos", "Off", "Min", "Med", "Max", "FFeedback: Min", "FFeedback: Med",
     "FFeedback: Max", "Configuración Direct3D"},
    {"Dispositivo 3D:", "Resolução:", "Qualidade:", "Sombras:", "Filtragem:", "Corr. Perspectiva:", "Reflexos:",
     "Efeitos de Lama:", "Dispositivo de Som:", "Controlador:", "Painel de Controlo", "Actualizar lista\nde dispositivos",
     "Off", "Min", "Med", "Max", "FFeedback: Min", "FFeedback: Med", "FFeedback: Max", "Definições Direct3D"},
    {"3D Apparaat:", "Resolutie:", "Weergave Kwaliteit:", "Schaduwen:", "Filtering:", "Persp. Correctie:",
     "Lens Flare:", "Modder Effect:", "Geluidsapparaat:", "Invoer Apparaat:", "Start\nControle Paneel",
     "Vernieuw\nLijst Apparaten", "Off", "Min", "Med", "Max", "FFeedback: Min", "FFeedback: Med", "FFeedback: Max",
     "Direct3D Instellingen"},
    {"Périphérique 3D:", "Résolution:", "Rendu:", "Ombres:", "Filtrage:", "Corr. Perspective:", "Reflets:",
     "Particules:", "Carte Son:", "Controleur:", "Panneau de\nConfiguration", "Rafraichir la\nListe", "Off", "Min",
     "Med", "Max", "FFeedback: Min", "FFeedback: Med", "FFeedback: Max", "Parametres Direct3D"},
    {"3D-Gerät:", "Auflösung:", "Render-Qualität:", "Schatten:", "Filterung:", "Perspektivkorrektur:",
     "Linsenreflexe:", "Partikeleffekte:", "Soundgerät:", "Eingabegerät:", "Systemsteuerung\nAusführen",
     "Geräteliste Aktualisieren", "Off", "Min", "Med", "Max", "FFeedback: Min", "FFeedback: Med", "FFeedback: Max",
     "Direct3D-Einstellungen"},
    {"3D устройство:", "Разрешение:", "Качество\nизображения:", "Тени:", "Фильтрация:", "Коррекция перспективы:",
     "Блики:", "Эффект брызг:", "Звуковое устройство:", "Устройство управления:", "Панель управления\nwindows",
     "Обновить список\nустройств", "Off", "Min", "Med", "Max", "FFeedback: Min", "FFeedback: Med", "FFeedback: Max",
     "Конфигурация Direct3D"},
};

const char* const kControls[CAPTION_LANGUAGES][CAPTIONS_CONTROLS_ENTRIES] = {
    {"Accelerator:", "Brakes:", "Left:", "Right:", "Gear Up:", "Gear Down:", "Clutch:", "Game Controls"},
    {"Acceleratore:", "Freni:", "Sinistra:", "Destra:", "Marcia Su:", "Marcia Giu:", "Frizione:",
     "Controlli del Gioco"},
    {"Acelerador:", "Frenos:", "Izquierda:", "Derecha:", "Marcha Arriba:", "Marcha Abajo:", "Embrague:",
     "Controles de Juego"},
    {"Acelerador:", "Travões:", "Esquerda:", "Direita:", "Mudança Superior:", "Mudança Inferior:", "Embraiagem:",
     "Comandos do Jogo"},
    {"Gas:", "Remmen:", "Links:", "Rechts:", "Opschakelen:", "Terugschakelen:", "Koppeling:", "Spel Besturing"},
    {"Accélérateur:", "Freins:", "Gauche:", "Droite:", "Rapport Sup.:", "Rapport Inf.:", "Embrayage:", "Controles"},
    {"Gas geben:", "Bremsen:", "Links:", "Rechts:", "Gang Hochschalten:", "Gang Herunterschalten:", "Kupplung:",
     "Spielsteuerung"},
    {"Ускорение:", "Тормоз:", "Влево:", "Вправо:", "Включить следующую передачу:", "Включить предыдущую передачу:",
     "Сцепление:", "Управление игрой"},
};

const char* const kButtons[CAPTION_LANGUAGES][CAPTIONS_BUTTONS_ENTRIES] = {
    {"Cancel", "Apply"},         {"Cancella", "Applica"}, {"Cancelar", "Aplicar"},    {"Cancelar", "Aplicar"},
    {"Annuleren", "Toepassen"}, {"Annuler", "Appliquer"}, {"Abbrechen", "Übernehmen"}, {"Отменить", "Применить"},
};

const std::string kNone;

}  // namespace

void FillCaptionTables() {
  for (int l = 0; l < CAPTION_LANGUAGES; ++l) {
    for (int e = 0; e < CAPTIONS_3DFX_ENTRIES; ++e) g_Captions.fx[l][e] = ToWindowsBytes(kFx[l][e]);
    for (int e = 0; e < CAPTIONS_D3D_ENTRIES; ++e) g_Captions.d3d[l][e] = ToWindowsBytes(kD3d[l][e]);
    for (int e = 0; e < CAPTIONS_CONTROLS_ENTRIES; ++e) g_Captions.controls[l][e] = ToWindowsBytes(kControls[l][e]);
    for (int e = 0; e < CAPTIONS_BUTTONS_ENTRIES; ++e) g_Captions.buttons[l][e] = ToWindowsBytes(kButtons[l][e]);
  }
}

const std::string& Caption(CaptionTable table, std::uint32_t language, int entry) {
  if (language >= CAPTION_LANGUAGES || entry < 0) return kNone;
  switch (table) {
    case CAPTIONS_3DFX: return entry < CAPTIONS_3DFX_ENTRIES ? g_Captions.fx[language][entry] : kNone;
    case CAPTIONS_D3D: return entry < CAPTIONS_D3D_ENTRIES ? g_Captions.d3d[language][entry] : kNone;
    case CAPTIONS_CONTROLS: return entry < CAPTIONS_CONTROLS_ENTRIES ? g_Captions.controls[language][entry] : kNone;
    case CAPTIONS_BUTTONS: return entry < CAPTIONS_BUTTONS_ENTRIES ? g_Captions.buttons[language][entry] : kNone;
  }
  return kNone;
}

void FitLabelToCaption(CWnd* label) {
  if (label == nullptr) return;
  const std::string& text = label->GetWindowText();
  int lines = 1;
  std::string longest;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (line.size() > longest.size()) longest = line;  // the first of equally long lines
    if (end == std::string::npos) break;
    ++lines;
    start = end + 1;
  }
  const platform::mfc::TextSize size = platform::mfc::MeasureText(label->GetFont(), lines == 1 ? text : longest);
  label->Resize(size.width, size.height * lines);
}
