#include "platform/mfc/mfc.h"

#include <cstdlib>
#include <map>
#include <sstream>

#include "platform/win32/msgbox.h"

namespace {

std::string g_appName = "kelvsetup";
platform::mfc::TextMeasurer g_measurer;
std::map<int, platform::mfc::Bitmap> g_bitmaps;
bool g_scripted = false;
std::vector<SheetStep> g_script;

}  // namespace

BOOL CFont::CreateFontIndirect(const LOGFONTA& font) {
  desc_ = font;
  created_ = true;
  return TRUE;
}

void CWnd::Resize(int width, int height) {
  rect_.right = rect_.left + width;
  rect_.bottom = rect_.top + height;
}

int CComboBox::AddString(const std::string& text) {
  items_.push_back(text);
  data_.push_back(0);
  return GetCount() - 1;
}

void CComboBox::ResetContent() {
  items_.clear();
  data_.clear();
  selection_ = CB_ERR_INDEX;
}

int CComboBox::SetCurSel(int index) {
  if (index < 0 || index >= GetCount()) {
    selection_ = CB_ERR_INDEX;
    return CB_ERR_INDEX;
  }
  selection_ = index;
  return index;
}

int CComboBox::SetItemData(int index, LPARAM data) {
  if (index < 0 || index >= GetCount()) return CB_ERR_INDEX;
  data_[static_cast<std::size_t>(index)] = data;
  return 0;
}

LPARAM CComboBox::GetItemData(int index) const {
  if (index < 0 || index >= GetCount()) return CB_ERR_INDEX;
  return data_[static_cast<std::size_t>(index)];
}

std::string CComboBox::GetLBText(int index) const {
  if (index < 0 || index >= GetCount()) return {};
  return items_[static_cast<std::size_t>(index)];
}

CPropertyPage::CPropertyPage(DialogTemplate dialog) : template_(std::move(dialog)), title_(template_.caption) {}

void CPropertyPage::Create(CPropertySheet* sheet) {
  sheet_ = sheet;
  controls_.clear();
  for (const ControlTemplate& c : template_.controls) {
    std::unique_ptr<CWnd> control;
    switch (c.kind) {
      case ControlKind::STATIC:
      case ControlKind::PICTURE:
        control = std::make_unique<CStatic>(c.id, c.kind);
        break;
      case ControlKind::BUTTON:
      case ControlKind::CHECKBOX:
        control = std::make_unique<CButton>(c.id, c.kind);
        break;
      case ControlKind::COMBOBOX:
        control = std::make_unique<CComboBox>(c.id, c.kind);
        break;
    }
    control->SetWindowText(c.text);
    control->SetFontDescription(template_.font);
    control->MoveWindow(platform::mfc::DialogUnitsToPixels(template_.font, c.x, c.y, c.width, c.height));
    controls_.push_back(std::move(control));
  }
  created_ = true;
}

void CPropertyPage::SetModified(BOOL modified) {
  if (sheet_ != nullptr) sheet_->ApplyButton().EnableWindow(modified);
}

void CPropertyPage::EndDialog(int result) {
  if (sheet_ != nullptr) sheet_->End(result);
}

void CPropertyPage::PostQuitMessage() {
  if (sheet_ != nullptr) sheet_->PostQuit();
}

CWnd* CPropertyPage::GetDlgItem(int id) {
  for (auto& c : controls_)
    if (c->GetDlgCtrlID() == id) return c.get();
  return nullptr;
}

// The pages name only controls of their own templates; a wrong id is a
// programming fault, so it stops here rather than later.
template <typename T>
static T& Typed(CWnd* w) {
  T* t = dynamic_cast<T*>(w);
  if (t == nullptr) std::abort();
  return *t;
}

CComboBox& CPropertyPage::Combo(int id) { return Typed<CComboBox>(GetDlgItem(id)); }
CButton& CPropertyPage::Button(int id) { return Typed<CButton>(GetDlgItem(id)); }
CStatic& CPropertyPage::Static(int id) { return Typed<CStatic>(GetDlgItem(id)); }

CStatic& CPropertyPage::AddPicture(int bitmap) {
  auto picture = std::make_unique<CStatic>(0xFFFF, ControlKind::PICTURE);
  picture->bitmap = bitmap;
  picture->MoveWindow(GetClientRect());
  CStatic& result = *picture;
  // Bottom of the z-order: drawn first, under every other control.
  controls_.insert(controls_.begin(), std::move(picture));
  return result;
}

RECT CPropertyPage::GetClientRect() const {
  RECT r = platform::mfc::DialogUnitsToPixels(template_.font, 0, 0, template_.width, template_.height);
  return r;
}

void CPropertySheet::SetActivePage(int index) { start_ = index; }

void CPropertySheet::ActivateTab(int index) {
  if (ended_ || index < 0 || index >= GetPageCount()) return;
  CPropertyPage* page = GetPage(index);
  active_ = index;
  if (!page->IsCreated()) {
    page->Create(this);
    page->OnInitDialog();
    if (ended_) return;
  }
  page->OnSetActive();
}

void CPropertySheet::End(std::intptr_t result) {
  if (ended_) return;
  ended_ = true;
  result_ = result;
}

void CPropertySheet::Perform(const SheetStep& step) {
  if (ended_) return;
  CPropertyPage* page = active_ >= 0 ? GetPage(active_) : nullptr;
  switch (step.action) {
    case SheetAction::OPEN_TAB:
      if (step.index != active_) ActivateTab(step.index);
      break;
    case SheetAction::SELECT: {
      if (page == nullptr) break;
      auto* combo = dynamic_cast<CComboBox*>(page->GetDlgItem(step.control));
      if (combo == nullptr || !combo->IsWindowEnabled() || step.index < 0 || step.index >= combo->GetCount()) break;
      combo->SetCurSel(step.index);
      page->OnCommand(step.control, CBN_SELCHANGE);
      break;
    }
    case SheetAction::CLICK: {
      if (page == nullptr) break;
      auto* button = dynamic_cast<CButton*>(page->GetDlgItem(step.control));
      if (button == nullptr || !button->IsWindowEnabled()) break;
      if (button->Kind() == ControlKind::CHECKBOX)
        button->SetCheck(button->GetCheck() == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
      page->OnCommand(step.control, BN_CLICKED);
      break;
    }
    case SheetAction::APPLY:
      if (!apply_.IsWindowEnabled()) break;
      [[fallthrough]];
    case SheetAction::OK:
      for (CPropertyPage* p : pages_)
        if (p->IsCreated()) p->OnApply();
      apply_.EnableWindow(FALSE);
      if (step.action == SheetAction::OK) End(IDOK);
      break;
    case SheetAction::CANCEL:
      End(IDCANCEL);
      break;
  }
}

std::intptr_t CPropertySheet::DoModal() {
  ended_ = false;
  quit_ = false;
  result_ = 0;
  active_ = -1;
  ok_.SetWindowText("OK");
  cancel_.SetWindowText("Cancel");
  apply_.SetWindowText("&Apply");
  apply_.EnableWindow(FALSE);
  OnInitDialog();
  // Only the start page is made now; the others when their tab first opens.
  ActivateTab(start_);
  if (ended_) return result_;
  if (!g_scripted && platform::mfc::RunSheetWithQt(this)) return result_;
  for (const SheetStep& step : g_script) {
    if (ended_) break;
    Perform(step);
  }
  End(IDCANCEL);
  return result_;
}

int AfxMessageBox(const std::string& text, UINT type) {
  return MessageBoxA(nullptr, text.c_str(), platform::mfc::AppName().c_str(), type);
}

namespace platform::mfc {

void SetAppName(const std::string& name) { g_appName = name; }
const std::string& AppName() { return g_appName; }

void SetTextMeasurer(TextMeasurer measurer) { g_measurer = std::move(measurer); }

TextSize MeasureText(const LOGFONTA& font, const std::string& text) {
  if (g_measurer) return g_measurer(font, text);
  return {static_cast<int>(text.size()) * 6, 13};
}

RECT DialogUnitsToPixels(const LOGFONTA& font, int x, int y, int width, int height) {
  // Base units as Windows derives them: the average width of the 52 letters
  // and the font's line height.
  static const std::string kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  const TextSize letters = MeasureText(font, kLetters);
  const int baseX = (letters.width / 26 + 1) / 2;
  const int baseY = letters.height;
  const auto px = [&](int v) { return static_cast<LONG>(v * baseX / 4); };
  const auto py = [&](int v) { return static_cast<LONG>(v * baseY / 8); };
  return RECT{px(x), py(y), px(x + width), py(y + height)};
}

void RegisterBitmap(int resource, Bitmap bitmap) { g_bitmaps[resource] = std::move(bitmap); }

const Bitmap* FindBitmap(int resource) {
  auto it = g_bitmaps.find(resource);
  return it == g_bitmaps.end() ? nullptr : &it->second;
}

void UseScriptedSheets(bool on) {
  g_scripted = on;
  if (!on) g_script.clear();
}

void ScriptSheet(const std::vector<SheetStep>& steps) { g_script = steps; }

bool ParseSheetScript(const std::string& text, std::vector<SheetStep>* steps) {
  std::vector<SheetStep> parsed;
  std::stringstream all(text);
  std::string part;
  while (std::getline(all, part, ';')) {
    std::stringstream words(part);
    std::string verb;
    if (!(words >> verb)) continue;
    SheetStep step{SheetAction::OK};
    if (verb == "tab") {
      step.action = SheetAction::OPEN_TAB;
      if (!(words >> step.index)) return false;
    } else if (verb == "select") {
      step.action = SheetAction::SELECT;
      if (!(words >> step.control >> step.index)) return false;
    } else if (verb == "click") {
      step.action = SheetAction::CLICK;
      if (!(words >> step.control)) return false;
    } else if (verb == "ok") {
      step.action = SheetAction::OK;
    } else if (verb == "apply") {
      step.action = SheetAction::APPLY;
    } else if (verb == "cancel") {
      step.action = SheetAction::CANCEL;
    } else {
      return false;
    }
    parsed.push_back(step);
  }
  *steps = std::move(parsed);
  return true;
}

}  // namespace platform::mfc
