// Desktop actions: open the current address, copy the current record to
// the clipboard, the help file and the about box.
#include <QString>
#include <string>

#include "Autor.h"
#include "Hlavni_f.h"
#include "OProgramu.h"
#include "Seam.h"
#include "Soubory.h"
#include "Texty.h"
#include "Zpravy.h"

namespace {

// The build date the about box shows.
const QString kDatumSestaveni = QStringLiteral("2010-11-25");


}  // namespace

void THlavni::Akce_SpustitExecute() {
  const QString adresa = zAnsi(ClientDataSet1.text("http"));
  if (adresa.isEmpty()) {
    ZobrazZpravu(QStringLiteral("Není zadaná žádná adresa ..."));
    return;
  }
  if (!SpustitSoubor(adresa, QString(), AdresarProgramu))
    ZobrazZpravu(QStringLiteral("Chyba při spuštění programu ..."));
}

void THlavni::Akce_KopirovatTextExecute() {
  // Composed in Windows-1250, as the record holds it, and converted once.
  std::string text;
  text += "N\xE1zev: ";
  text += ClientDataSet1.text("nazev");
  text += "\r\nHTTP: ";
  text += ClientDataSet1.text("http");
  text += "\r\nK\xF3" "d: ";
  text += ClientDataSet1.text("kod");
  text += "\r\nPopis: ";
  text += ClientDataSet1.text("popis");
  seam::interaction().setClipboardText(zAnsi(text));
}

void THlavni::Akce_NapovedaExecute() {
  const std::filesystem::path napoveda = program::Soubor(AdresarProgramu, program::kNapoveda);
  std::error_code ec;
  if (std::filesystem::exists(napoveda, ec)) {
    if (!SpustitSoubor(TextCesty(napoveda), QString(), AdresarProgramu))
      ZobrazZpravu(QStringLiteral("Chyba při spuštění nápovědy - soubor \"") + TextCesty(napoveda) +
                   QStringLiteral("\"."));
    return;
  }
  if (ZobrazDotaz(QStringLiteral("Nápověda k programu"),
                  QStringLiteral("Soubor nápovědy nebyl nalezen. Chcete vyhledat nápovědu na webových stránkách "
                                 "autora?"),
                  DruhDotazu::AnoNe) == QMessageBox::Yes)
    SpustitSoubor(QLatin1String(kStrankyAutora) + QLatin1String(kStrankaKeStazeni));
}

void THlavni::Akce_OProgramuExecute() { ZobrazOProgramu(TitulekAplikace(), kDatumSestaveni); }
