#include "Zpravy.h"

#include <QApplication>
#include <QWidget>

#include "Seam.h"

namespace {

// The active window; just after a file dialog closes the window manager may
// not have given the activation back yet, and a box without an owner would
// open behind the modal window that asked: then the modal window on top.
QWidget* rodic() {
  if (QWidget* w = QApplication::activeWindow()) return w;
  return QApplication::activeModalWidget();
}

QMessageBox::StandardButton ukaz(QMessageBox::Icon icon, const QString& caption, const QString& text,
                                 QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) {
  seam::MessageRequest request;
  request.icon = icon;
  request.caption = caption;
  request.text = text;
  request.buttons = buttons;
  request.defaultButton = defaultButton;
  return seam::interaction().message(rodic(), request);
}

}  // namespace

void ZobrazZpravu(const QString& text) { ZobrazZpravuTitulek(QString(), text); }

void ZobrazZpravuTitulek(const QString& caption, const QString& text) {
  ukaz(QMessageBox::Information, caption.isEmpty() ? TitulekAplikace() : caption, text, QMessageBox::Ok);
}

int ZobrazDotaz(const QString& caption, const QString& text, DruhDotazu kind) {
  const bool threeButtons = kind == DruhDotazu::AnoNeStorno || kind == DruhDotazu::AnoNeStornoVarovani;
  QMessageBox::Icon icon;
  switch (kind) {
    case DruhDotazu::AnoNe:
    case DruhDotazu::AnoNeStorno: icon = QMessageBox::Question; break;
    case DruhDotazu::AnoNeVarovani:
    case DruhDotazu::AnoNeStornoVarovani: icon = QMessageBox::Warning; break;
    default: return 0;
  }
  QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
  if (threeButtons) buttons |= QMessageBox::Cancel;
  return ukaz(icon, caption, text, buttons, QMessageBox::No);
}

QString TextChyby(const QString& text) {
  if (!text.isEmpty() && text.back().unicode() > u'.') return text + u'.';
  return text;
}

void ZobrazChybu(const QString& text) {
  ukaz(QMessageBox::Critical, TitulekAplikace(), TextChyby(text), QMessageBox::Ok);
}
