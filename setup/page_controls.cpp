#include "setup/page_controls.h"

#include <cstring>

#include "engine/system.h"
#include "setup/captions.h"
#include "setup/devices.h"
#include "setup/settings.h"

ControlObjectInfo g_KeyboardObjects[MAX_CONTROL_OBJECTS] = {};
std::uint32_t g_KeyboardObjectCount = 0;
ControlObjectInfo g_JoystickObjects[MAX_CONTROL_OBJECTS] = {};
std::uint32_t g_JoystickObjectCount = 0;
std::uint32_t g_ReservedKeyIndices[RESERVED_KEY_COUNT] = {};
std::uint32_t g_ReservedKeyCount = 0;
std::string g_KeyBindingNames[6];
std::string g_JoyBindingNames[6];

namespace {

constexpr std::uint32_t kReservedKeys[RESERVED_KEY_COUNT] = {1, 59, 60, 61, 62, 63, 64, 65, 66,
                                                              42, 54, 21, 34, 36, 49, 201, 209, 57};
constexpr std::uint32_t kDefaultKeys[6] = {30, 44, 203, 205, 31, 45};
// Labels in action order, then clutch, with their caption entries.
constexpr int kLabels[7] = {1048, 1049, 1050, 1051, 1052, 1053, 1054};
constexpr int kLabelEntries[7] = {0, 1, 2, 3, 4, 5, 6};
// The order in which the Russian font and the fitting reach the labels.
constexpr int kLabelOrder[7] = {1048, 1049, 1054, 1053, 1052, 1050, 1051};

DialogTemplate Template134() {
  DialogTemplate t;
  t.resource = 134;
  t.caption = "Game Controls";
  using K = ControlKind;
  t.controls = {
      {1051, K::STATIC, 45, 110, 20, 8, "Right:"},      {1050, K::STATIC, 45, 95, 15, 8, "Left:"},
      {1052, K::STATIC, 45, 125, 30, 8, "Gear Up:"},    {1053, K::STATIC, 45, 140, 39, 8, "Gear Down:"},
      {1054, K::STATIC, 45, 155, 23, 8, "Clutch:"},     {1049, K::STATIC, 45, 80, 25, 8, "Brakes:"},
      {1048, K::STATIC, 45, 65, 39, 8, "Accelerator:"}, {1012, K::COMBOBOX, 160, 110, 130, 60, ""},
      {1010, K::COMBOBOX, 160, 95, 130, 60, ""},        {1009, K::COMBOBOX, 160, 140, 130, 60, ""},
      {1007, K::COMBOBOX, 160, 125, 130, 60, ""},       {1011, K::COMBOBOX, 160, 155, 130, 60, ""},
      {1008, K::COMBOBOX, 160, 80, 130, 60, ""},        {1006, K::COMBOBOX, 160, 65, 130, 60, ""},
  };
  return t;
}

std::uint8_t JoystickKind(const GUID& type) {
  if (IsEqualGUID(type, GUID_Button)) return OBJECT_BUTTON;
  if (IsEqualGUID(type, GUID_POV)) return OBJECT_POV;
  return OBJECT_AXIS;  // the axes, the sliders and any other type
}

// The games' own object enumeration (engine/input_devices.h) fills their
// table; the page copies it, so both count the objects alike.
bool EnumObjectsInto(ControlObjectInfo* table, std::uint32_t* count, bool keyboard) {
  g_InputObjectCount = 0;
  const HRESULT listed = g_SetupInputDevice->EnumObjects(EnumInputObjectCallback, nullptr, DIDFT_ALL);
  for (std::uint32_t i = 0; i < g_InputObjectCount && i < MAX_CONTROL_OBJECTS; ++i) {
    ControlObjectInfo& o = table[i];
    std::memset(o.name, 0, sizeof(o.name));
    std::strncpy(o.name, g_InputObjects[i].name, sizeof(o.name) - 1);
    o.type = g_InputObjects[i].type;
    o.offset = g_InputObjects[i].offset;
    o.kind = keyboard ? OBJECT_KEY : JoystickKind(o.type);
  }
  *count = g_InputObjectCount < MAX_CONTROL_OBJECTS ? g_InputObjectCount : MAX_CONTROL_OBJECTS;
  return listed == DI_OK;
}

}  // namespace

bool IsReservedKey(std::uint32_t code) {
  for (std::uint32_t r : kReservedKeys)
    if (r == code) return true;
  return false;
}

ControlPage::ControlPage() : CPropertyPage(Template134()) {}

BOOL ControlPage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  picture_.Create(SETUP_BACKGROUND_BITMAP, GetClientRect(), this);
  picture_.Control()->ShowWindow(true);
  const std::uint32_t language = g_SetupSettings.Language;
  if (language == LANGUAGE_RUSSIAN && Static(1048).GetFont().lfCharSet != RUSSIAN_CHARSET) {
    const CFont* font = RussianFontFrom(Static(1048).GetFont());
    for (int id : kLabelOrder) Static(id).SetFont(font);
  }
  for (int i = 0; i < 7; ++i) Static(kLabels[i]).SetWindowText(Caption(CAPTIONS_CONTROLS, language, kLabelEntries[i]));
  for (int id : kLabelOrder) FitLabelToCaption(&Static(id));
  BuildBindingLists();
  SaveBindings();
  return TRUE;
}

BOOL ControlPage::OnSetActive() {
  SetupSettings& s = g_SetupSettings;
  s.KeyboardChosen = ChosenDeviceIsJoystick() ? 0 : 1;
  if (s.InputDeviceChanged) {
    BuildBindingLists();
    s.InputDeviceChanged = 0;
  } else if (s.KeyboardChosen) {
    RefreshKeyboardLists();
  } else {
    RefreshJoystickLists();
  }
  return CPropertyPage::OnSetActive();
}

BOOL ControlPage::OnApply() {
  SaveBindings();
  return CPropertyPage::OnApply();
}

bool ControlPage::EnumKeyboardObjects() {
  g_KeyboardObjectCount = 0;
  if (!CreateInputDevice()) {
    AfxMessageBox("Directinput device creation error! Program aborted.");
    return false;
  }
  return EnumObjectsInto(g_KeyboardObjects, &g_KeyboardObjectCount, true);
}

bool ControlPage::EnumJoystickObjects() {
  g_JoystickObjectCount = 0;
  if (!CreateInputDevice()) {
    AfxMessageBox("Directinput device creation error! Program aborted.");
    return false;
  }
  return EnumObjectsInto(g_JoystickObjects, &g_JoystickObjectCount, false);
}

std::uint32_t ControlPage::FindKeyByCode(std::uint32_t code) const {
  for (std::uint32_t i = 0; i < g_KeyboardObjectCount; ++i)
    if (g_KeyboardObjects[i].offset == code) return i;
  return 0;
}

int ControlPage::FindListPosition(int action, const std::string& name) {
  if (action < 0 || action > 5) return 0;
  CComboBox& list = Combo(kActionLists[action]);
  for (int i = 0; i < list.GetCount(); ++i)
    if (list.GetLBText(i) == name) return i;
  return 0;
}

std::string ControlPage::NthJoystickObjectName(const GUID& type, int n) const {
  for (std::uint32_t i = 0; i < g_JoystickObjectCount; ++i) {
    if (!IsEqualGUID(g_JoystickObjects[i].type, type)) continue;
    if (n-- == 0) return g_JoystickObjects[i].name;
  }
  return {};
}

std::uint8_t ControlPage::KindOfObjectNamed(const std::string& name) const {
  const bool keyboard = g_SetupSettings.KeyboardChosen != 0;
  const ControlObjectInfo* table = keyboard ? g_KeyboardObjects : g_JoystickObjects;
  const std::uint32_t count = keyboard ? g_KeyboardObjectCount : g_JoystickObjectCount;
  for (std::uint32_t i = 0; i < count; ++i)
    if (name == table[i].name) return table[i].kind;
  return 0;
}

std::uint32_t ControlPage::KeyboardObjectIndex(int action) const {
  std::uint32_t index = 0;
  for (std::uint32_t i = 0; i < g_KeyboardObjectCount; ++i)
    if (g_KeyBindingNames[action] == g_KeyboardObjects[i].name) index = i;
  return index;
}

std::uint32_t ControlPage::JoystickObjectIndex(int action) const {
  std::uint32_t index = 0;
  for (std::uint32_t i = 0; i < g_JoystickObjectCount; ++i)
    if (g_JoyBindingNames[action] == g_JoystickObjects[i].name) index = i;
  return index;
}

void ControlPage::SelectByName(int action, const std::string& name) {
  CComboBox& list = Combo(kActionLists[action]);
  for (int i = 0; i < list.GetCount(); ++i) {
    if (list.GetLBText(i) == name) {
      list.SetCurSel(i);
      return;
    }
  }
  list.SetCurSel(CB_ERR_INDEX);
}

void ControlPage::SelectKeyDefaults() {
  for (int k = 0; k < 6; ++k) {
    // An empty keyboard has no key to name: the list keeps no selection.
    if (g_KeyboardObjectCount == 0) {
      Combo(kActionLists[k]).SetCurSel(CB_ERR_INDEX);
      continue;
    }
    SelectByName(k, g_KeyboardObjects[FindKeyByCode(kDefaultKeys[k])].name);
  }
}

void ControlPage::SelectJoystickDefaults() {
  const GUID* types[6] = {&GUID_YAxis, &GUID_YAxis, &GUID_XAxis, &GUID_XAxis, &GUID_Button, &GUID_Button};
  const int nth[6] = {0, 0, 0, 0, 0, 1};
  for (int k = 0; k < 6; ++k) {
    const std::string name = NthJoystickObjectName(*types[k], nth[k]);
    if (name.empty()) Combo(kActionLists[k]).SetCurSel(CB_ERR_INDEX);
    else SelectByName(k, name);
  }
}

bool ControlPage::BuildBindingLists() {
  SetupSettings& s = g_SetupSettings;
  for (int id : kActionLists) Combo(id).ResetContent();
  Combo(kClutchList).ResetContent();
  const bool keyboard = s.KeyboardChosen != 0;
  std::string* names = keyboard ? g_KeyBindingNames : g_JoyBindingNames;
  std::uint32_t* bindings = keyboard ? s.KeyBindings : s.JoyBindings;
  bool takeSelections = false;
  if (keyboard) {
    if (!EnumKeyboardObjects()) {
      AfxMessageBox("Keyboard device commands enumeration error!");
      AfxMessageBox("An error occurred while inizializing! Program aborted.");
      EndDialog(-1);
      return false;
    }
    g_ReservedKeyCount = 0;
    for (std::uint32_t i = 0; i < g_KeyboardObjectCount; ++i) {
      if (IsReservedKey(g_KeyboardObjects[i].offset)) {
        if (g_ReservedKeyCount < RESERVED_KEY_COUNT) g_ReservedKeyIndices[g_ReservedKeyCount++] = i;
        continue;
      }
      for (int id : kActionLists) Combo(id).AddString(g_KeyboardObjects[i].name);
    }
    const std::uint32_t offered = g_KeyboardObjectCount - g_ReservedKeyCount;
    if (s.KeyBindingsMissing) {
      SelectKeyDefaults();
      s.KeyBindingsMissing = 0;
      m_keyboardListsPending = false;
      takeSelections = true;
    } else if (m_keyboardListsPending) {
      std::uint32_t positions[6];
      bool valid = true;
      for (int k = 0; k < 6; ++k) {
        std::uint32_t below = 0;
        for (std::uint32_t r = 0; r < g_ReservedKeyCount; ++r)
          if (g_ReservedKeyIndices[r] < bindings[k]) ++below;
        positions[k] = bindings[k] - below;
        if (positions[k] >= offered) valid = false;
      }
      // One bad index makes the whole stored set suspect: all six reset.
      if (valid) {
        for (int k = 0; k < 6; ++k) Combo(kActionLists[k]).SetCurSel(static_cast<int>(positions[k]));
      } else {
        SelectKeyDefaults();
      }
      m_keyboardListsPending = false;
      takeSelections = true;
    }
  } else {
    if (!EnumJoystickObjects()) {
      AfxMessageBox("Joystick device commands enumeration error!");
      AfxMessageBox("An error occurred while inizializing! Program aborted.");
      EndDialog(-1);
      return false;
    }
    for (std::uint32_t i = 0; i < g_JoystickObjectCount; ++i)
      for (int id : kActionLists) Combo(id).AddString(g_JoystickObjects[i].name);
    if (s.JoyBindingsMissing) {
      SelectJoystickDefaults();
      s.JoyBindingsMissing = 0;
      m_joystickListsPending = false;
      takeSelections = true;
    } else if (m_joystickListsPending) {
      bool valid = true;
      for (int k = 0; k < 6; ++k)
        if (bindings[k] >= g_JoystickObjectCount) valid = false;
      if (valid) {
        for (int k = 0; k < 6; ++k) Combo(kActionLists[k]).SetCurSel(static_cast<int>(bindings[k]));
      } else {
        SelectJoystickDefaults();
      }
      m_joystickListsPending = false;
      takeSelections = true;
    }
  }
  if (takeSelections) {
    for (int k = 0; k < 6; ++k) {
      CComboBox& list = Combo(kActionLists[k]);
      if (list.GetCurSel() >= 0) names[k] = list.GetLBText(list.GetCurSel());
    }
  }
  RefillBindingLists();
  ReselectAll();
  FillClutchRow();
  return true;
}

void ControlPage::RefillBindingLists() {
  const bool keyboard = g_SetupSettings.KeyboardChosen != 0;
  for (int k = 0; k < 6; ++k) {
    CComboBox& list = Combo(kActionLists[k]);
    list.ResetContent();
    if (keyboard) {
      for (std::uint32_t i = 0; i < g_KeyboardObjectCount; ++i) {
        const ControlObjectInfo& o = g_KeyboardObjects[i];
        if (IsReservedKey(o.offset)) continue;
        bool taken = false;
        for (int j = 0; j < 6; ++j)
          if (j != k && g_KeyBindingNames[j] == o.name) taken = true;
        if (!taken) list.AddString(o.name);
      }
    } else {
      const int partner = k ^ 1;
      for (std::uint32_t i = 0; i < g_JoystickObjectCount; ++i) {
        const ControlObjectInfo& o = g_JoystickObjects[i];
        bool taken = false;
        for (int j = 0; j < 6; ++j)
          if (j != k && j != partner && g_JoyBindingNames[j] == o.name) taken = true;
        // A button serves one action only; an axis or hat may serve the pair.
        if (o.kind == OBJECT_BUTTON && g_JoyBindingNames[partner] == o.name) taken = true;
        if (!taken) list.AddString(o.name);
      }
    }
  }
}

void ControlPage::ReselectAll() {
  const bool keyboard = g_SetupSettings.KeyboardChosen != 0;
  std::string* names = keyboard ? g_KeyBindingNames : g_JoyBindingNames;
  std::uint32_t* bindings = keyboard ? g_SetupSettings.KeyBindings : g_SetupSettings.JoyBindings;
  for (int k = 0; k < 6; ++k) {
    const int position = FindListPosition(k, names[k]);
    bindings[k] = static_cast<std::uint32_t>(position);
    Combo(kActionLists[k]).SetCurSel(position);
  }
}

void ControlPage::FillClutchRow() {
  const std::string* names = g_SetupSettings.KeyboardChosen ? g_KeyBindingNames : g_JoyBindingNames;
  CComboBox& clutch = Combo(kClutchList);
  clutch.ResetContent();
  clutch.AddString(names[4] + " / " + names[5]);
  clutch.SetCurSel(0);
}

void ControlPage::RefreshKeyboardLists() {
  RefillBindingLists();
  ReselectAll();
  FillClutchRow();
}

void ControlPage::RefreshJoystickLists() {
  RefillBindingLists();
  ReselectAll();
  FillClutchRow();
}

void ControlPage::OnSelchangeBinding(int action) {
  const bool keyboard = g_SetupSettings.KeyboardChosen != 0;
  std::string* names = keyboard ? g_KeyBindingNames : g_JoyBindingNames;
  CComboBox& list = Combo(kActionLists[action]);
  const std::string text = list.GetLBText(list.GetCurSel());
  if (text == names[action]) return;
  SetModified(TRUE);
  names[action] = text;
  RefillBindingLists();
  // The partner follows an axis or a hat (one object drives the pair) but
  // never a button.
  if (!keyboard && KindOfObjectNamed(text) != OBJECT_BUTTON) names[action ^ 1] = text;
  ReselectAll();
  FillClutchRow();
}

void ControlPage::OnCommand(int id, WORD code) {
  if (code != CBN_SELCHANGE) return;
  for (int k = 0; k < 6; ++k)
    if (kActionLists[k] == id) OnSelchangeBinding(k);
}

bool ControlPage::SaveBindings() {
  if (!m_keyboardListsPending)
    for (int k = 0; k < 6; ++k) WriteRegistryDword(g_KeyBindingValueNames[k], KeyboardObjectIndex(k));
  if (!m_joystickListsPending)
    for (int k = 0; k < 6; ++k) WriteRegistryDword(g_JoyBindingValueNames[k], JoystickObjectIndex(k));
  return true;
}
