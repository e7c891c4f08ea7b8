// The sheet model drawn with Qt Widgets: a tab bar, the current page with its
// controls at their pixel rectangles over the stretched background picture,
// and OK, Cancel and Apply. Only the user's own signals (activated, clicked)
// reach the model; the view is rebuilt from the model after each of them.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <cstdlib>

#include "platform/mfc/mfc.h"

namespace platform::mfc {

namespace {

constexpr int kTabHeight = 24;
constexpr int kButtonRow = 36;

// Windows-1251 (Cyrillic) or Windows-1252 bytes by the font's character set.
QString Decode(const std::string& text, BYTE charset) {
  QString out;
  for (unsigned char c : text) {
    char16_t u = c;
    if (charset == RUSSIAN_CHARSET) {
      if (c >= 0xC0) u = static_cast<char16_t>(0x0410 + (c - 0xC0));
      else if (c == 0xA8) u = 0x0401;
      else if (c == 0xB8) u = 0x0451;
    }
    out.append(QChar(u));
  }
  return out;
}

QFont FontOf(const LOGFONTA& f) {
  QFont font(QString::fromLatin1(f.lfFaceName.c_str()));
  font.setPointSize(f.pointSize);
  return font;
}

bool EnsureApplication(bool offscreen) {
  if (QApplication::instance() != nullptr) return true;
  if (offscreen && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "kelvsetup";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
  return QApplication::instance() != nullptr;
}

class PictureLabel : public QWidget {
 public:
  PictureLabel(const Bitmap* bitmap, QWidget* parent) : QWidget(parent), bitmap_(bitmap) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    if (bitmap_ == nullptr) return;
    QImage image(bitmap_->rgb.data(), bitmap_->width, bitmap_->height, bitmap_->width * 3, QImage::Format_RGB888);
    QPainter painter(this);
    painter.drawImage(rect(), image);  // stretched over the whole control
  }

 private:
  const Bitmap* bitmap_;
};

class SheetView : public QDialog {
 public:
  explicit SheetView(CPropertySheet* sheet) : sheet_(sheet) {
    setWindowTitle(QString::fromLatin1(sheet->Title().c_str()));
    const RECT client = sheet->GetPage(0)->GetClientRect();
    setFixedSize(client.right, kTabHeight + client.bottom + kButtonRow);
    tabs_ = new QTabBar(this);
    tabs_->setGeometry(0, 0, client.right, kTabHeight);
    for (int i = 0; i < sheet->GetPageCount(); ++i)
      tabs_->addTab(Decode(sheet->GetPage(i)->Title(), sheet->Font().lfCharSet));
    connect(tabs_, &QTabBar::tabBarClicked, this, [this](int i) { Act({SheetAction::OPEN_TAB, 0, i}); });
    page_ = new QWidget(this);
    page_->setGeometry(0, kTabHeight, client.right, client.bottom);
    const char* names[3] = {"ok", "cancel", "apply"};
    CButton* models[3] = {&sheet->OkButton(), &sheet->CancelButton(), &sheet->ApplyButton()};
    const SheetAction actions[3] = {SheetAction::OK, SheetAction::CANCEL, SheetAction::APPLY};
    for (int i = 0; i < 3; ++i) {
      buttons_[i] = new QPushButton(this);
      buttons_[i]->setObjectName(names[i]);
      buttons_[i]->setGeometry(client.right - (3 - i) * 84, kTabHeight + client.bottom + 6, 78, 24);
      models_[i] = models[i];
      const SheetAction action = actions[i];
      connect(buttons_[i], &QPushButton::clicked, this, [this, action] { Act({action}); });
    }
    Rebuild();
  }

  void Rebuild() {
    for (QObject* child : page_->children()) delete child;
    {
      const QSignalBlocker block(tabs_);
      tabs_->setCurrentIndex(sheet_->GetActiveIndex());
    }
    for (int i = 0; i < 3; ++i) {
      buttons_[i]->setText(Decode(models_[i]->GetWindowText(), sheet_->Font().lfCharSet));
      buttons_[i]->setFont(FontOf(models_[i]->GetFont()));
      buttons_[i]->setEnabled(models_[i]->IsWindowEnabled());
    }
    if (sheet_->GetActiveIndex() < 0) return;
    CPropertyPage* page = sheet_->GetPage(sheet_->GetActiveIndex());
    for (const auto& control : page->Controls()) {
      if (!control->IsVisible()) continue;
      const RECT r = control->GetWindowRect();
      const QRect rect(r.left, r.top, r.right - r.left, r.bottom - r.top);
      const QString text = Decode(control->GetWindowText(), control->GetFont().lfCharSet);
      const int id = control->GetDlgCtrlID();
      QWidget* widget = nullptr;
      switch (control->Kind()) {
        case ControlKind::PICTURE:
          widget = new PictureLabel(FindBitmap(static_cast<CStatic&>(*control).bitmap), page_);
          break;
        case ControlKind::STATIC: {
          auto* label = new QLabel(text, page_);
          label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
          widget = label;
          break;
        }
        case ControlKind::BUTTON: {
          auto* button = new QPushButton(text, page_);
          connect(button, &QPushButton::clicked, this, [this, id] { Act({SheetAction::CLICK, id}); });
          widget = button;
          break;
        }
        case ControlKind::CHECKBOX: {
          auto* box = new QCheckBox(page_);
          box->setChecked(static_cast<CButton&>(*control).GetCheck() == BST_CHECKED);
          connect(box, &QCheckBox::clicked, this, [this, id] { Act({SheetAction::CLICK, id}); });
          widget = box;
          break;
        }
        case ControlKind::COMBOBOX: {
          auto& model = static_cast<CComboBox&>(*control);
          auto* combo = new QComboBox(page_);
          for (int i = 0; i < model.GetCount(); ++i)
            combo->addItem(Decode(model.GetLBText(i), control->GetFont().lfCharSet));
          combo->setCurrentIndex(model.GetCurSel());
          connect(combo, &QComboBox::activated, this, [this, id](int i) { Act({SheetAction::SELECT, id, i}); });
          widget = combo;
          break;
        }
      }
      widget->setFont(FontOf(control->GetFont()));
      widget->setEnabled(control->IsWindowEnabled());
      QRect placed = rect;
      // The template gives a list its dropped height; closed it is one line.
      if (control->Kind() == ControlKind::COMBOBOX) placed.setHeight(widget->sizeHint().height());
      widget->setGeometry(placed);
      widget->show();
    }
  }

 private:
  void Act(const SheetStep& step) {
    sheet_->Perform(step);
    if (sheet_->Ended()) {
      done(0);
      return;
    }
    Rebuild();
  }

  CPropertySheet* sheet_;
  QTabBar* tabs_;
  QWidget* page_;
  QPushButton* buttons_[3];
  CButton* models_[3];
};

}  // namespace

bool RunSheetWithQt(CPropertySheet* sheet) {
  // Only with a display that can show it; the offscreen runs have none.
  const char* video = std::getenv("SDL_VIDEODRIVER");
  if (video && std::string(video) == "offscreen") return false;
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) return false;
  if (!EnsureApplication(false) || sheet->GetPageCount() == 0) return false;
  SheetView view(sheet);
  view.exec();
  sheet->End(IDCANCEL);  // closing the window is Cancel
  return true;
}

bool RenderSheetToPng(CPropertySheet* sheet, const std::string& path) {
  if (sheet->GetPageCount() == 0 || !EnsureApplication(true)) return false;
  SheetView view(sheet);
  const QImage image = view.grab().toImage();
  return image.save(QString::fromLocal8Bit(path.c_str()), "PNG");
}

}  // namespace platform::mfc
