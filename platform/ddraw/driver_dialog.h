// The "Select display driver" dialog (resource 103) as a small model that
// a dialog procedure drives with Windows-shaped calls: three drop-down
// lists, two type lines, OK and Cancel. The model is drawn with Qt Widgets
// when a display is there, or played by a scripted driver (tests, headless
// runs). Shared by the games and the setup program.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/types.h"
#include "platform/win32/window.h"

constexpr int DRIVER_DIALOG_RESOURCE = 103;
constexpr int IDC_DRIVER_LIST = 1000;
constexpr int IDC_DEVICE_LIST = 1001;
constexpr int IDC_MODE_LIST = 1002;
constexpr int IDC_DRIVER_TYPE = 1003;
constexpr int IDC_DEVICE_TYPE = 1004;

constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr LRESULT CB_ERR = -1;
constexpr WORD CBN_SELENDOK = 9;

using DLGPROC = BOOL (*)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog modally; its result is what the procedure gave EndDialog
// (-1 when the template is unknown or no driver can show it).
std::intptr_t DialogBoxParamA(HINSTANCE instance, int resource, HWND owner, DLGPROC procedure, LPARAM parameter);
LRESULT SendDlgItemMessageA(HWND dialog, int control, UINT message, WPARAM wParam, LPARAM lParam);
BOOL SetDlgItemTextA(HWND dialog, int control, const char* text);
BOOL EndDialog(HWND dialog, std::intptr_t result);

namespace platform {

// What the dialog holds, for its drivers and for tests.
struct DialogCombo {
  int id = 0;
  std::vector<std::string> items;
  std::vector<LPARAM> data;
  int selection = -1;
};
struct DialogModel {
  std::string caption;
  DialogCombo combos[3];  // 1000, 1001, 1002
  std::string typeLines[2];  // 1003, 1004
  bool ended = false;
  std::intptr_t result = 0;
};

// The user's actions as a driver reports them.
enum class DialogAction { SELECT, OK, CANCEL };
struct DialogStep {
  DialogAction action;
  int control = 0;  // SELECT: the list
  int index = 0;    // SELECT: the item
};

// Scripted driver: the steps are played in order; when they run out before
// the dialog ends, it ends as Cancel would (never blocks). While on, every
// dialog uses it instead of the screen.
void ScriptDriverDialog(const std::vector<DialogStep>& steps);
void UseScriptedDialogs(bool on);
// The model as it stood after each step (the first after WM_INITDIALOG) of
// the last dialog shown.
const std::vector<DialogModel>& RecordedDialogStates();
int ShownDialogCount();

// Qt driver (driver_dialog_qt.cpp): shows the model and calls `step` with
// each user action until the model ends; false when no display can show it.
bool RunDialogWithQt(DialogModel* model, bool (*step)(const DialogStep&));

}  // namespace platform
