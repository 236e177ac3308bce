#pragma once
// The message boxes of the program and the standard error box. Every box
// goes through the seam, so tests answer them.
#include <QString>
#include <exception>
#include <utility>

// The application title: the caption of the main window and of every box
// without a caption of its own.
inline const QString& TitulekAplikace() {
  static const QString titulek = QStringLiteral("Odkaznik");
  return titulek;
}

// Information box captioned with the application title.
void ZobrazZpravu(const QString& text);
// Information box captioned with `caption`, or the application title when empty.
void ZobrazZpravuTitulek(const QString& caption, const QString& text);
// The kinds of question box: its buttons and its icon.
enum class DruhDotazu {
  AnoNe = 1,                // Yes/No, question icon
  AnoNeVarovani = 2,        // Yes/No, warning icon
  AnoNeStorno = 3,          // Yes/No/Cancel, question icon
  AnoNeStornoVarovani = 4,  // Yes/No/Cancel, warning icon
};
// Question box; the second button (No) is the default. Returns
// QMessageBox::Yes, No or Cancel; a kind outside the four shows nothing and
// returns 0.
int ZobrazDotaz(const QString& caption, const QString& text, DruhDotazu kind);

// The standard error box: the text, with a full stop appended when its last
// character's code is above that of the full stop; stop icon, one OK button.
void ZobrazChybu(const QString& text);
QString TextChyby(const QString& text);

// Runs a command or dialog handler; an error that leaves it ends the handler
// and is shown in the standard error box. No exception crosses the event loop.
template <class F>
void Chranene(F&& handler) noexcept {
  try {
    std::forward<F>(handler)();
  } catch (const std::exception& e) {
    ZobrazChybu(QString::fromUtf8(e.what()));
  } catch (...) {
    ZobrazChybu(QStringLiteral("Unknown error"));
  }
}
