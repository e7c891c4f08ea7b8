// A property sheet, its pages and their controls, shaped like the MFC
// classes the setup program was written against. The model holds every
// text, selection, font and rectangle; a driver plays the user: the Qt
// Widgets view on a desktop, or a scripted headless driver (tests, headless
// runs). Notifications reach a page only from the user's actions, never
// from a programmatic selection.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ddraw/ddraw.h"  // RECT
#include "platform/win32/types.h"

constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE RUSSIAN_CHARSET = 204;


constexpr WORD CBN_SELCHANGE = 1;
constexpr WORD BN_CLICKED = 0;
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
constexpr int CB_ERR_INDEX = -1;

struct LOGFONTA {
  std::string lfFaceName = "Arial";
  int pointSize = 8;
  BYTE lfCharSet = ANSI_CHARSET;
};

class CFont {
 public:
  BOOL CreateFontIndirect(const LOGFONTA& font);
  bool IsCreated() const { return created_; }
  const LOGFONTA& Description() const { return desc_; }

 private:
  LOGFONTA desc_;
  bool created_ = false;
};

enum class ControlKind { STATIC, BUTTON, CHECKBOX, COMBOBOX, PICTURE };

// One control of a dialog template; rectangle in dialog units.
struct ControlTemplate {
  int id;
  ControlKind kind;
  int x, y, width, height;
  std::string text;
};

struct DialogTemplate {
  int resource = 0;
  std::string caption;
  int width = 330;  // dialog units
  int height = 225;
  LOGFONTA font;
  std::vector<ControlTemplate> controls;
};

class CPropertySheet;

// A control in pixels. Texts are bytes of the control's font's code page
// (Windows-1251 under RUSSIAN_CHARSET, else Windows-1252).
class CWnd {
 public:
  CWnd(int id, ControlKind kind) : id_(id), kind_(kind) {}
  virtual ~CWnd() = default;

  int GetDlgCtrlID() const { return id_; }
  ControlKind Kind() const { return kind_; }
  void SetWindowText(const std::string& text) { text_ = text; }
  const std::string& GetWindowText() const { return text_; }
  void EnableWindow(BOOL enable) { enabled_ = enable != FALSE; }
  bool IsWindowEnabled() const { return enabled_; }
  void ShowWindow(bool show) { visible_ = show; }
  bool IsVisible() const { return visible_; }
  void SetFont(const CFont* font) { font_ = font->Description(); }
  const LOGFONTA& GetFont() const { return font_; }
  void SetFontDescription(const LOGFONTA& font) { font_ = font; }
  RECT GetWindowRect() const { return rect_; }
  void MoveWindow(const RECT& rect) { rect_ = rect; }
  // Keeps the position.
  void Resize(int width, int height);

 private:
  int id_;
  ControlKind kind_;
  std::string text_;
  bool enabled_ = true;
  bool visible_ = true;
  LOGFONTA font_;
  RECT rect_{};
};

class CStatic : public CWnd {
 public:
  using CWnd::CWnd;
  // PICTURE controls: the bitmap resource painted stretched over the control.
  int bitmap = 0;
};

class CButton : public CWnd {
 public:
  using CWnd::CWnd;
  int GetCheck() const { return checked_; }
  void SetCheck(int check) { checked_ = check; }

 private:
  int checked_ = BST_UNCHECKED;
};

class CComboBox : public CWnd {
 public:
  using CWnd::CWnd;
  // Drop-down lists keep insertion order.
  int AddString(const std::string& text);
  void ResetContent();
  int GetCount() const { return static_cast<int>(items_.size()); }
  int GetCurSel() const { return selection_; }
  // Out of range clears the selection and answers CB_ERR_INDEX.
  int SetCurSel(int index);
  int SetItemData(int index, LPARAM data);
  LPARAM GetItemData(int index) const;
  std::string GetLBText(int index) const;

 private:
  std::vector<std::string> items_;
  std::vector<LPARAM> data_;
  int selection_ = CB_ERR_INDEX;
};

class CPropertyPage {
 public:
  explicit CPropertyPage(DialogTemplate dialog);
  virtual ~CPropertyPage() = default;

  // The first time the tab opens: the controls exist, then this runs.
  virtual BOOL OnInitDialog() { return TRUE; }
  // Each time the tab becomes current, after OnInitDialog the first time.
  virtual BOOL OnSetActive() { return TRUE; }
  // OK or Apply, only on pages that were created.
  virtual BOOL OnApply() { return TRUE; }
  // A user's action on control `id`.
  virtual void OnCommand(int id, WORD code) { (void)id; (void)code; }

  void SetModified(BOOL modified = TRUE);
  // Ends the sheet with `result` (as Cancel).
  void EndDialog(int result);
  // Ends the sheet's modal loop and with it the program's run.
  void PostQuitMessage();

  CWnd* GetDlgItem(int id);
  CComboBox& Combo(int id);
  CButton& Button(int id);
  CStatic& Static(int id);
  CStatic& AddPicture(int bitmap);
  RECT GetClientRect() const;
  const std::vector<std::unique_ptr<CWnd>>& Controls() const { return controls_; }

  void SetTitle(const std::string& title) { title_ = title; }
  const std::string& Title() const { return title_; }
  const DialogTemplate& Template() const { return template_; }
  bool IsCreated() const { return created_; }
  CPropertySheet* Sheet() { return sheet_; }

 private:
  friend class CPropertySheet;
  void Create(CPropertySheet* sheet);

  DialogTemplate template_;
  std::string title_;
  std::vector<std::unique_ptr<CWnd>> controls_;
  CPropertySheet* sheet_ = nullptr;
  bool created_ = false;
};

// The user's actions as a driver reports them.
enum class SheetAction { OPEN_TAB, SELECT, CLICK, OK, APPLY, CANCEL };
struct SheetStep {
  SheetAction action;
  int control = 0;  // SELECT, CLICK
  int index = 0;    // OPEN_TAB: the tab; SELECT: the item
};

class CPropertySheet {
 public:
  virtual ~CPropertySheet() = default;
  virtual BOOL OnInitDialog() { return TRUE; }

  void SetTitle(const std::string& title) { title_ = title; }
  const std::string& Title() const { return title_; }
  void AddPage(CPropertyPage* page) { pages_.push_back(page); }
  int GetPageCount() const { return static_cast<int>(pages_.size()); }
  CPropertyPage* GetPage(int index) { return pages_[static_cast<std::size_t>(index)]; }
  void SetActivePage(int index);
  int GetActiveIndex() const { return active_; }

  // Runs the sheet with the current driver; IDOK, IDCANCEL or
  // the result a page ended it with.
  std::intptr_t DoModal();

  // The sheet's own buttons: OK, Cancel, Apply in this order.
  CButton& OkButton() { return ok_; }
  CButton& CancelButton() { return cancel_; }
  CButton& ApplyButton() { return apply_; }
  const LOGFONTA& Font() const { return font_; }
  void SetFont(const CFont* font) { font_ = font->Description(); }
  // The sheet's child buttons, for a search by class and text.
  std::vector<CButton*> ChildButtons() { return {&ok_, &cancel_, &apply_}; }

  // Driver side.
  bool Ended() const { return ended_; }
  std::intptr_t Result() const { return result_; }
  bool QuitPosted() const { return quit_; }
  void Perform(const SheetStep& step);
  void End(std::intptr_t result);
  void PostQuit() { quit_ = true; End(-1); }
  void ActivateTab(int index);

 private:
  std::string title_;
  std::vector<CPropertyPage*> pages_;
  int start_ = 0;
  int active_ = -1;
  CButton ok_{1, ControlKind::BUTTON};
  CButton cancel_{2, ControlKind::BUTTON};
  CButton apply_{0x3021, ControlKind::BUTTON};
  LOGFONTA font_;
  bool ended_ = false;
  bool quit_ = false;
  std::intptr_t result_ = 0;
};

// Every box of the program: one OK button, exclamation icon, topmost,
// captioned with the application's name.
int AfxMessageBox(const std::string& text, UINT type = MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);

namespace platform::mfc {

// The application's name (the program file's name without extension).
void SetAppName(const std::string& name);
const std::string& AppName();

// Text measurement of a font: width and line height in pixels. Dialog units
// follow from it (x: average character width / 4, y: line height / 8).
struct TextSize {
  int width;
  int height;
};
using TextMeasurer = std::function<TextSize(const LOGFONTA& font, const std::string& text)>;
// Empty: the fixed headless metrics (6 pixels a character, 13 a line).
void SetTextMeasurer(TextMeasurer measurer);
TextSize MeasureText(const LOGFONTA& font, const std::string& text);
RECT DialogUnitsToPixels(const LOGFONTA& font, int x, int y, int width, int height);

// Bitmap resources (24-bit RGB rows, top first).
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};
void RegisterBitmap(int resource, Bitmap bitmap);
const Bitmap* FindBitmap(int resource);

// Scripted driver: the steps are played in order; when they run out before
// the sheet ends, it ends as Cancel would (never blocks). While on, every
// sheet uses it instead of the screen.
void UseScriptedSheets(bool on);
void ScriptSheet(const std::vector<SheetStep>& steps);
// "tab 1; select 1033 2; click 1030; apply; ok; cancel". False on a word it
// does not know (the steps are then untouched).
bool ParseSheetScript(const std::string& text, std::vector<SheetStep>* steps);

// Qt driver (mfc_qt.cpp): shows the sheet and plays the user's actions
// until it ends; false when no display can show it.
bool RunSheetWithQt(CPropertySheet* sheet);
// Draws the current page of the sheet (created and active) as the Qt view
// shows it, into a PNG file; false when Qt cannot draw.
bool RenderSheetToPng(CPropertySheet* sheet, const std::string& path);

}  // namespace platform::mfc
