// The "Game Controls" page: binds the six driving actions to keys of a
// keyboard or to axes, buttons and hats of a joystick, offering in each list
// only what the binding rules allow, and stores each binding as the object's
// index in DirectInput's enumeration of the chosen device.
#pragma once

#include <cstdint>
#include <string>

#include "engine/input_devices.h"
#include "platform/mfc/mfc.h"
#include "setup/sheet.h"

enum ControlObjectKind : std::uint8_t { OBJECT_AXIS = 0, OBJECT_BUTTON = 1, OBJECT_POV = 2, OBJECT_KEY = 3 };

struct ControlObjectInfo {
  char name[256];
  std::uint8_t kind;  // ControlObjectKind
  GUID type;
  std::uint32_t offset;  // a key's DIK code
};

constexpr int MAX_CONTROL_OBJECTS = 256;
constexpr int RESERVED_KEY_COUNT = 18;

extern ControlObjectInfo g_KeyboardObjects[MAX_CONTROL_OBJECTS];
extern std::uint32_t g_KeyboardObjectCount;
extern ControlObjectInfo g_JoystickObjects[MAX_CONTROL_OBJECTS];
extern std::uint32_t g_JoystickObjectCount;
extern std::uint32_t g_ReservedKeyIndices[RESERVED_KEY_COUNT];
extern std::uint32_t g_ReservedKeyCount;
extern std::string g_KeyBindingNames[6];
extern std::string g_JoyBindingNames[6];

// The DIK codes that no list offers.
bool IsReservedKey(std::uint32_t code);

class ControlPage : public CPropertyPage {
 public:
  ControlPage();

  BOOL OnInitDialog() override;
  BOOL OnSetActive() override;
  BOOL OnApply() override;
  void OnCommand(int id, WORD code) override;

  bool BuildBindingLists();
  void RefillBindingLists();
  void RefreshKeyboardLists();
  void RefreshJoystickLists();
  bool SaveBindings();

  bool EnumKeyboardObjects();
  bool EnumJoystickObjects();
  std::uint32_t FindKeyByCode(std::uint32_t code) const;
  int FindListPosition(int action, const std::string& name);
  // Empty when the device has fewer objects of the type.
  std::string NthJoystickObjectName(const GUID& type, int n) const;
  std::uint8_t KindOfObjectNamed(const std::string& name) const;
  std::uint32_t KeyboardObjectIndex(int action) const;
  std::uint32_t JoystickObjectIndex(int action) const;

  bool KeyboardListsPending() const { return m_keyboardListsPending; }
  bool JoystickListsPending() const { return m_joystickListsPending; }

  // The list of each action, accelerate to gear down.
  static constexpr int kActionLists[6] = {1006, 1008, 1010, 1012, 1007, 1009};
  static constexpr int kClutchList = 1011;

 private:
  void OnSelchangeBinding(int action);
  void ReselectAll();
  void FillClutchRow();
  void SelectKeyDefaults();
  void SelectJoystickDefaults();
  void SelectByName(int action, const std::string& name);

  PictureControl picture_;
  bool m_keyboardListsPending = true;
  bool m_joystickListsPending = true;
};
