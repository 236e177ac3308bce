#include "Aplikace.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

#include "Zpravy.h"

void NastavAplikaci(QApplication& app) {
  QApplication::setApplicationName(TitulekAplikace());
  QApplication::setApplicationDisplayName(QString());
  // A narrow sans font of the classic 8-point desktop metrics.
  QFont font(QStringLiteral("Liberation Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  QApplication::setFont(font);

  // The buttons of message boxes and the file dialogs speak Czech whatever
  // the system's language, as they would on a Czech desktop.
  auto* translator = new QTranslator(&app);
  const QString here = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"));
  if (translator->load(QStringLiteral("qtbase_cs"), here) ||
      translator->load(QStringLiteral("qtbase_cs"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(translator);
  // Our own Czech for the texts Qt's catalogue lacks (the file dialogs'
  // "Složka"). Installed after it, so it is asked first.
  auto* vlastni = new QTranslator(&app);
  if (vlastni->load(QStringLiteral("odkaznik_cs"), here)) QCoreApplication::installTranslator(vlastni);
  QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
}
