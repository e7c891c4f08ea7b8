// The dialog model and its scripted driver.
#include "platform/ddraw/driver_dialog.h"

#include <cstdlib>

namespace {

HWND const kDialogHandle = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0xD1A10103u));

platform::DialogModel* g_model = nullptr;
DLGPROC g_procedure = nullptr;
bool g_scripted = false;
std::vector<platform::DialogStep> g_script;
std::vector<platform::DialogModel> g_states;
int g_shown = 0;

platform::DialogCombo* Combo(HWND dialog, int control) {
  if (dialog != kDialogHandle || !g_model) return nullptr;
  for (platform::DialogCombo& c : g_model->combos) {
    if (c.id == control) return &c;
  }
  return nullptr;
}

// One user action through the procedure, as Windows would send it.
bool Step(const platform::DialogStep& step) {
  switch (step.action) {
    case platform::DialogAction::OK:
      g_procedure(kDialogHandle, WM_COMMAND, IDOK, 0);
      break;
    case platform::DialogAction::CANCEL:
      g_procedure(kDialogHandle, WM_COMMAND, IDCANCEL, 0);
      break;
    case platform::DialogAction::SELECT: {
      platform::DialogCombo* c = Combo(kDialogHandle, step.control);
      if (!c || step.index < 0 || step.index >= static_cast<int>(c->items.size())) return false;
      c->selection = step.index;
      g_procedure(kDialogHandle, WM_COMMAND, (static_cast<WPARAM>(CBN_SELENDOK) << 16) | static_cast<WPARAM>(step.control), 0);
      break;
    }
  }
  if (g_scripted) g_states.push_back(*g_model);
  return true;
}

}  // namespace

std::intptr_t DialogBoxParamA(HINSTANCE, int resource, HWND, DLGPROC procedure, LPARAM parameter) {
  if (resource != DRIVER_DIALOG_RESOURCE || procedure == nullptr || g_model != nullptr) return -1;
  platform::DialogModel model;
  model.caption = "Select display driver";
  model.combos[0].id = IDC_DRIVER_LIST;
  model.combos[1].id = IDC_DEVICE_LIST;
  model.combos[2].id = IDC_MODE_LIST;
  model.typeLines[0] = "DRIVER TYPE";
  model.typeLines[1] = "DEVICE TYPE";
  g_model = &model;
  g_procedure = procedure;
  ++g_shown;
  procedure(kDialogHandle, WM_INITDIALOG, 0, parameter);
  bool shown = true;
  if (g_scripted) {
    g_states.clear();
    g_states.push_back(model);
    std::size_t next = 0;
    while (!model.ended && next < g_script.size()) Step(g_script[next++]);
    g_script.erase(g_script.begin(), g_script.begin() + static_cast<std::ptrdiff_t>(next));
    if (!model.ended) Step({platform::DialogAction::CANCEL});
  } else {
    shown = platform::RunDialogWithQt(&model, Step);
  }
  g_model = nullptr;
  g_procedure = nullptr;
  if (!shown) return -1;
  return model.ended ? model.result : -1;
}

LRESULT SendDlgItemMessageA(HWND dialog, int control, UINT message, WPARAM wParam, LPARAM lParam) {
  platform::DialogCombo* c = Combo(dialog, control);
  if (!c) return CB_ERR;
  const int count = static_cast<int>(c->items.size());
  const int index = static_cast<int>(wParam);
  switch (message) {
    case CB_RESETCONTENT:
      c->items.clear();
      c->data.clear();
      c->selection = -1;
      return 0;
    case CB_ADDSTRING:
      c->items.emplace_back(reinterpret_cast<const char*>(lParam));
      c->data.push_back(0);
      return count;
    case CB_GETCOUNT: return count;
    case CB_GETCURSEL: return c->selection;
    case CB_SETCURSEL:
      c->selection = index >= 0 && index < count ? index : -1;
      return c->selection;
    case CB_GETITEMDATA: return index >= 0 && index < count ? c->data[index] : CB_ERR;
    case CB_SETITEMDATA:
      if (index < 0 || index >= count) return CB_ERR;
      c->data[index] = lParam;
      return 0;
    default: return CB_ERR;
  }
}

BOOL SetDlgItemTextA(HWND dialog, int control, const char* text) {
  if (dialog != kDialogHandle || !g_model) return FALSE;
  if (control == IDC_DRIVER_TYPE) g_model->typeLines[0] = text;
  else if (control == IDC_DEVICE_TYPE) g_model->typeLines[1] = text;
  else return FALSE;
  return TRUE;
}

BOOL EndDialog(HWND dialog, std::intptr_t result) {
  if (dialog != kDialogHandle || !g_model) return FALSE;
  g_model->ended = true;
  g_model->result = result;
  return TRUE;
}

namespace platform {

void ScriptDriverDialog(const std::vector<DialogStep>& steps) { g_script = steps; }
void UseScriptedDialogs(bool on) {
  g_scripted = on;
  g_script.clear();
  g_states.clear();
  g_shown = 0;
}
const std::vector<DialogModel>& RecordedDialogStates() { return g_states; }
int ShownDialogCount() { return g_shown; }

}  // namespace platform
