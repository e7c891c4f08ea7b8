// The dialog model drawn with Qt Widgets: the lists and lines follow the
// model after every action that the procedure handled.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>

#include <cstdlib>

#include "platform/ddraw/driver_dialog.h"

namespace platform {

namespace {

void Refresh(const DialogModel& model, QComboBox* const lists[3], QLabel* const lines[2]) {
  for (int i = 0; i < 3; ++i) {
    const QSignalBlocker block(lists[i]);
    lists[i]->clear();
    for (const std::string& item : model.combos[i].items) lists[i]->addItem(QString::fromLocal8Bit(item.c_str()));
    lists[i]->setCurrentIndex(model.combos[i].selection);
  }
  for (int i = 0; i < 2; ++i) lines[i]->setText(QString::fromLocal8Bit(model.typeLines[i].c_str()));
}

}  // namespace

bool RunDialogWithQt(DialogModel* model, bool (*step)(const DialogStep&)) {
  // Only with a display that can show it; the offscreen runs have none.
  const char* video = std::getenv("SDL_VIDEODRIVER");
  if (video && std::string(video) == "offscreen") return false;
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) return false;
  static int argc = 1;
  static char name[] = "kelvarro";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance() == nullptr) new QApplication(argc, argv);

  QDialog dialog;
  dialog.setWindowTitle(QString::fromLocal8Bit(model->caption.c_str()));
  dialog.setModal(true);
  auto* grid = new QGridLayout(&dialog);
  const char* labels[3] = {"DirectDraw Driver", "Direct3D Device", "Display Mode"};
  QComboBox* lists[3];
  for (int i = 0; i < 3; ++i) {
    grid->addWidget(new QLabel(labels[i]), i, 0);
    lists[i] = new QComboBox;
    grid->addWidget(lists[i], i, 1);
  }
  QLabel* lines[2] = {new QLabel, new QLabel};
  for (int i = 0; i < 2; ++i) {
    lines[i]->setAlignment(Qt::AlignCenter);
    grid->addWidget(lines[i], 3 + i, 0, 1, 2);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  grid->addWidget(buttons, 5, 0, 1, 2);
  Refresh(*model, lists, lines);

  auto after = [&] {
    if (model->ended) {
      dialog.done(0);
      return;
    }
    Refresh(*model, lists, lines);
  };
  for (int i = 0; i < 3; ++i) {
    const int control = model->combos[i].id;
    QObject::connect(lists[i], QOverload<int>::of(&QComboBox::activated), &dialog, [&, control](int index) {
      step({DialogAction::SELECT, control, index});
      after();
    });
  }
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    step({DialogAction::OK});
    after();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, [&] {
    step({DialogAction::CANCEL});
    after();
  });
  // The window's close box is Cancel.
  QObject::connect(&dialog, &QDialog::rejected, &dialog, [&] {
    if (!model->ended) step({DialogAction::CANCEL});
  });
  dialog.exec();
  return true;
}

}  // namespace platform
