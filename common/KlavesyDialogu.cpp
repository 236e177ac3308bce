#include "KlavesyDialogu.h"

#include <QAbstractButton>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace {

// Enter that reaches a dialog without a default button: no button was
// focused to take it, so nothing is pressed.
class BezVychozihoTlacitka : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == parent() && event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
    }
    return false;
  }
};

// Shown with its window (also before the window itself is shown).
bool Ukazany(const QWidget* w) { return w->isWindow() || w->isVisibleTo(w->window()); }

bool BereZamer(const QWidget* w) {
  return w && w->isEnabled() && Ukazany(w) && (w->focusPolicy() & Qt::TabFocus);
}

QWidget* Cil(QWidget* w) {
  if (!w || !w->isEnabled() || !Ukazany(w)) return nullptr;
  if (BereZamer(w)) return w;
  QWidget* prvni = nullptr;
  for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
    if (!BereZamer(b)) continue;
    if (b->isChecked()) return b;
    if (!prvni) prvni = b;
  }
  return prvni;
}

}  // namespace

void NastavTlacitkaDialogu(QDialog* dialog, QPushButton* vychozi) {
  for (QPushButton* b : dialog->findChildren<QPushButton*>()) b->setAutoDefault(true);
  if (vychozi) {
    vychozi->setDefault(true);
  } else {
    dialog->installEventFilter(new BezVychozihoTlacitka(dialog));
  }
  QObject::connect(dialog, &QDialog::finished, dialog, [dialog] { VratZamer(dialog->parentWidget()); });
}

void VratZamer(QWidget* vlastnik) {
  // A window manager can lose the focus between two windows closing at
  // once (a question, then the dialog it was asked over), leaving no
  // window with it; the window under them asks for it, as the desktop
  // gives it back to a dialog's owner.
  if (QWidget* okno = vlastnik ? vlastnik->window() : nullptr; okno && okno->isVisible()) okno->activateWindow();
}

void ZamerNaPrvni(std::initializer_list<QWidget*> poradi) {
  for (QWidget* w : poradi) {
    if (QWidget* cil = Cil(w)) {
      cil->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
}
