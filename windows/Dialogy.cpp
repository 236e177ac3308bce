#include "Dialogy.h"

#include <QAction>
#include <QDialog>

#include "Seam.h"

void NastavDialog(QDialog* dialog, int sirka, int vyska) {
  dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  dialog->setFixedSize(sirka, vyska);
  const QRect obrazovka = seam::interaction().primaryScreen();
  dialog->move(obrazovka.x() + (obrazovka.width() - sirka) / 2, obrazovka.y() + (obrazovka.height() - vyska) / 2);
}

bool SpustAkci(QAction* akce) {
  if (!akce || !akce->isEnabled()) return false;
  akce->trigger();
  return true;
}
