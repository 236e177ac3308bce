// Navigation through the records, the jump to a position, deletion, and the
// commands that open the record editor, the code list and the settings.
#include <QMessageBox>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "Ciselnik_f.h"
#include "Hlavni_f.h"
#include "Konfig_f.h"
#include "NovyEdit_f.h"
#include "Seam.h"
#include "Zpravy.h"

void THlavni::Akce_PrvniZaznamExecute() { ClientDataSet1.first(); }

void THlavni::Akce_PredchazejiciZaznamExecute() {
  ClientDataSet1.prior();
  // With no previous record the first one stays current.
  if (ClientDataSet1.bof()) ClientDataSet1.prior();
}

void THlavni::Akce_NasledujiciZaznamExecute() {
  ClientDataSet1.next();
  if (ClientDataSet1.eof()) ClientDataSet1.last();
}

void THlavni::Akce_PosledniZaznamExecute() { ClientDataSet1.last(); }

void THlavni::Akce_PrejitNaZaznamExecute() {
  const int aktualni = std::max(0, ClientDataSet1.recNo());
  const int pocet = ClientDataSet1.recordCount();

  seam::InputRequest dotaz;
  dotaz.caption = QStringLiteral("Přejít na záznam ...");
  dotaz.prompt = QStringLiteral("Zadejte pořadí záznamu od 1 do %1  :").arg(pocet);
  dotaz.text = QString::number(aktualni);
  dotaz.maxLength = 255;
  const std::optional<QString> odpoved = seam::interaction().input(this, dotaz);
  if (!odpoved) return;
  const QString& text = *odpoved;

  if (text.isEmpty()) {
    ZobrazZpravu(QStringLiteral("Nebyla zadaná žádná hodnota"));
    return;
  }
  // Only the digits 0 to 9: a space or a sign is as wrong as a letter.
  for (QChar c : text) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
      ZobrazZpravu(QStringLiteral("Zadali jste neplatnou hodnotu"));
      return;
    }
  }
  std::int64_t cislo = 0;
  for (QChar c : text) {
    cislo = cislo * 10 + (c.unicode() - '0');
    if (cislo > INT32_MAX)
      throw std::runtime_error("'" + text.toStdString() + "' is not a valid integer value");
  }

  if (cislo == aktualni) return;
  if (cislo < 1 || cislo > pocet) {
    ZobrazZpravu(QStringLiteral("Zadali jste hodnotu mimo povolený rozsah"));
    return;
  }
  ClientDataSet1.setRecNo(static_cast<int>(cislo));
}

void THlavni::Akce_OdstranitZaznamExecute() {
  if (ZobrazDotaz(QStringLiteral("Mazání záznamu"), QStringLiteral("Opravdu chcete odstranit aktuální záznam?"),
                  DruhDotazu::AnoNeVarovani) == QMessageBox::Yes)
    ClientDataSet1.deleteRecord();
}

// The dialogs are owned by the main window for as long as they are shown and
// destroyed when they close, whatever way they close.
KontextEditoru THlavni::ProEditor() {
  return {ClientDataSet1,         Akce_PrvniZaznam, Akce_PredchazejiciZaznam, Akce_NasledujiciZaznam,
          Akce_PosledniZaznam,    Akce_NovyZaznam,  SouborSeznamu(),          ZobrazDialogUloz};
}

void THlavni::OtevriEditor(TNovyEdit::Rezim rezim) {
  TNovyEdit editor(ProEditor(), this);
  editor.NastavRezim(rezim);
  editor.exec();
}

void THlavni::Akce_NovyZaznamExecute() { OtevriEditor(TNovyEdit::Rezim::Novy); }

void THlavni::Akce_EditZaznamuExecute() { OtevriEditor(TNovyEdit::Rezim::Editace); }

void THlavni::Akce_CiselnikExecute() {
  TCiselnik dialog(ClientDataSet1, SouborSeznamu(), this);
  dialog.exec();
}

void THlavni::Akce_KonfigExecute() {
  TKonfig dialog(ZobrazDialogUloz, UkladatPozici, SouborNastaveni(), this);
  dialog.exec();
}
