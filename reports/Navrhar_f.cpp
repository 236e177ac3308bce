#include "Navrhar_f.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "CodePage.h"
#include "FileLayer.h"
#include "KlavesyDialogu.h"
#include "RecordStore.h"
#include "Seam.h"
#include "Sestava.h"
#include "Texty.h"
#include "Zpravy.h"

namespace sestavy {

namespace fs = std::filesystem;

namespace {
template <class T>
T* pojmenuj(T* w, const char* jmeno) {
  w->setObjectName(QLatin1String(jmeno));
  return w;
}
}  // namespace

TNavrharSestav::TNavrharSestav(TSestava& sestava, QWidget* parent) : QDialog(parent), sestava_(sestava) {
  setObjectName(QStringLiteral("TNavrharSestav"));
  setWindowTitle(sestava.Nazev().isEmpty() ? QStringLiteral("Návrh sestavy")
                                           : QStringLiteral("Návrh sestavy - %1").arg(ZkracenyText(sestava.Nazev())));
  // The fields the columns may show: those of the data link's store.
  if (sestava.DataSet && sestava.DataSet->data && sestava.DataSet->data->fieldCount() > 0) {
    const auto& data = *sestava.DataSet->data;
    for (int i = 0; i < data.fieldCount(); ++i) pole_ << zAnsi(data.fieldName(i));
  } else {
    for (const auto& d : store::addressFieldDefs()) pole_ << zAnsi(d.name);
  }

  auto* formular = new QFormLayout;
  formular->addRow(QStringLiteral("Název sestavy:"), Ed_Nazev = pojmenuj(new QLineEdit(this), "Ed_Nazev"));
  formular->addRow(QStringLiteral("Autor sestavy:"), Ed_Autor = pojmenuj(new QLineEdit(this), "Ed_Autor"));
  formular->addRow(QStringLiteral("Popis sestavy:"), Ed_Popis = pojmenuj(new QPlainTextEdit(this), "Ed_Popis"));
  Ed_Popis->setFixedHeight(60);
  // As long as a template's text may be (a line edit's own limit is shorter).
  for (QLineEdit* e : {Ed_Nazev, Ed_Autor}) e->setMaxLength(static_cast<int>(kNejdelsiText));
  auto* orientace = new QHBoxLayout;
  orientace->addWidget(Rb_NaVysku = pojmenuj(new QRadioButton(QStringLiteral("Na výšku"), this), "Rb_NaVysku"));
  orientace->addWidget(Rb_NaSirku = pojmenuj(new QRadioButton(QStringLiteral("Na šířku"), this), "Rb_NaSirku"));
  orientace->addStretch();
  formular->addRow(QStringLiteral("Orientace stránky:"), orientace);
  formular->addRow(QStringLiteral("Titulek:"), Ed_Titulek = pojmenuj(new QLineEdit(this), "Ed_Titulek"));
  Ed_Titulek->setMaxLength(static_cast<int>(kNejdelsiText));
  CBox_Skupina = pojmenuj(new QComboBox(this), "CBox_Skupina");
  CBox_Skupina->addItem(QStringLiteral("(bez skupin)"), QString());
  for (const auto& p : pole_) CBox_Skupina->addItem(p, p);
  formular->addRow(QStringLiteral("Seskupit podle:"), CBox_Skupina);

  auto* ramSloupce = pojmenuj(new QGroupBox(QStringLiteral("Sloupce"), this), "Ram_Sloupce");
  Sloupce = pojmenuj(new QTableWidget(0, 3, ramSloupce), "Sloupce");
  Sloupce->setHorizontalHeaderLabels({QStringLiteral("Pole"), QStringLiteral("Nadpis"), QStringLiteral("Šířka (mm)")});
  Sloupce->horizontalHeader()->setStretchLastSection(true);
  Sloupce->setSelectionBehavior(QAbstractItemView::SelectRows);
  Sloupce->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* tlSloupcu = new QVBoxLayout;
  auto tlacitko = [&](const char* jmeno, const QString& text, auto handler) {
    auto* t = pojmenuj(new QPushButton(text, ramSloupce), jmeno);
    connect(t, &QPushButton::clicked, this, [this, handler] { Chranene([&] { handler(); }); });
    tlSloupcu->addWidget(t);
    return t;
  };
  tlacitko("Tl_Pridat", QStringLiteral("Přidat"), [this] { Tl_PridatClick(); });
  tlacitko("Tl_Odebrat", QStringLiteral("Odebrat"), [this] { Tl_OdebratClick(); });
  tlacitko("Tl_Nahoru", QStringLiteral("Nahoru"), [this] { Tl_NahoruClick(); });
  tlacitko("Tl_Dolu", QStringLiteral("Dolů"), [this] { Tl_DoluClick(); });
  tlSloupcu->addStretch();
  auto* sloupce = new QHBoxLayout(ramSloupce);
  sloupce->addWidget(Sloupce);
  sloupce->addLayout(tlSloupcu);

  auto* tlacitka = new QHBoxLayout;
  tlacitka->addStretch();
  Tl_Ulozit = pojmenuj(new QPushButton(QStringLiteral("Uložit"), this), "Tl_Ulozit");
  Tl_UlozitJako = pojmenuj(new QPushButton(QStringLiteral("Uložit jako..."), this), "Tl_UlozitJako");
  Tl_Storno = pojmenuj(new QPushButton(QStringLiteral("Storno"), this), "Tl_Storno");
  NastavTlacitkaDialogu(this, Tl_Ulozit);
  for (auto* t : {Tl_Ulozit, Tl_UlozitJako, Tl_Storno}) tlacitka->addWidget(t);
  connect(Tl_Ulozit, &QPushButton::clicked, this, [this] { Chranene([this] { Tl_UlozitClick(); }); });
  connect(Tl_UlozitJako, &QPushButton::clicked, this, [this] { Chranene([this] { Tl_UlozitJakoClick(); }); });
  connect(Tl_Storno, &QPushButton::clicked, this, &QDialog::reject);

  auto* hlavni = new QVBoxLayout(this);
  hlavni->addLayout(formular);
  hlavni->addWidget(ramSloupce, 1);
  hlavni->addLayout(tlacitka);
  resize(620, 560);

  NastavFormular(NavrhZeSablony(sestava.sablona()));
}

void TNavrharSestav::pridejRadek(const Sloupec& c) {
  const int r = Sloupce->rowCount();
  Sloupce->insertRow(r);
  auto* pole = new QComboBox(Sloupce);
  pole->addItems(pole_);
  if (!c.pole.isEmpty() && !pole_.contains(c.pole)) pole->addItem(c.pole);
  pole->setCurrentText(c.pole.isEmpty() ? pole_.value(0) : c.pole);
  Sloupce->setCellWidget(r, 0, pole);
  Sloupce->setItem(r, 1, new QTableWidgetItem(c.nadpis));
  Sloupce->setItem(r, 2, new QTableWidgetItem(QString::number(c.sirka, 'g', 6)));
}

void TNavrharSestav::NastavFormular(const Navrh& n) {
  Ed_Nazev->setText(n.nazev);
  Ed_Autor->setText(n.autor);
  Ed_Popis->setPlainText(n.popis.join(QLatin1Char('\n')));
  (n.naSirku ? Rb_NaSirku : Rb_NaVysku)->setChecked(true);
  Ed_Titulek->setText(n.titulek);
  Sloupce->setRowCount(0);
  for (const auto& c : n.sloupce) pridejRadek(c);
  int i = CBox_Skupina->findData(n.skupina);
  if (i < 0) {
    CBox_Skupina->addItem(n.skupina, n.skupina);
    i = CBox_Skupina->count() - 1;
  }
  CBox_Skupina->setCurrentIndex(i);
}

Navrh TNavrharSestav::Formular() const {
  Navrh n;
  n.nazev = Ed_Nazev->text();
  n.autor = Ed_Autor->text();
  const QString popis = Ed_Popis->toPlainText();
  if (!popis.isEmpty()) n.popis = popis.split(QLatin1Char('\n'));
  n.naSirku = Rb_NaSirku->isChecked();
  n.titulek = Ed_Titulek->text();
  for (int r = 0; r < Sloupce->rowCount(); ++r) {
    Sloupec c;
    c.pole = static_cast<QComboBox*>(Sloupce->cellWidget(r, 0))->currentText();
    c.nadpis = Sloupce->item(r, 1) ? Sloupce->item(r, 1)->text() : QString();
    const QString sirka = Sloupce->item(r, 2) ? Sloupce->item(r, 2)->text().trimmed() : QString();
    bool ok = false;
    c.sirka = QString(sirka).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || c.sirka <= 0)
      throw ChybaSablony(QStringLiteral("Šířka sloupce %1 \"%2\" není platné číslo").arg(r + 1).arg(sirka).toStdString());
    n.sloupce.push_back(c);
  }
  n.skupina = CBox_Skupina->currentData().toString();
  return n;
}

void TNavrharSestav::Tl_PridatClick() {
  pridejRadek({pole_.value(0), pole_.value(0), 40});
  Sloupce->selectRow(Sloupce->rowCount() - 1);
}

void TNavrharSestav::Tl_OdebratClick() {
  const int r = Sloupce->currentRow();
  if (r >= 0) Sloupce->removeRow(r);
}

void TNavrharSestav::presun(int o) {
  const int r = Sloupce->currentRow();
  const int cil = r + o;
  if (r < 0 || cil < 0 || cil >= Sloupce->rowCount()) return;
  Navrh n = Formular();
  std::swap(n.sloupce[r], n.sloupce[cil]);
  Sloupce->setRowCount(0);
  for (const auto& c : n.sloupce) pridejRadek(c);
  Sloupce->selectRow(cil);
}

void TNavrharSestav::Tl_NahoruClick() { presun(-1); }
void TNavrharSestav::Tl_DoluClick() { presun(+1); }

// Whether a template of `adresar` other than `krome` is listed under the
// report name `nazev` (as the catalogue lists names: raw, as written).
static bool JmenoSestavyObsazeno(const fs::path& adresar, const QString& nazev, const fs::path& krome) {
  const QString surovy = zAnsi(ZnackovyText(nazev, Ridici::Odkazy));
  std::error_code chyba;
  for (fs::directory_iterator it(adresar, chyba), konec; !chyba && it != konec; it.increment(chyba)) {
    const fs::path& p = it->path();
    if (!cp1250::equalsAsciiNoCase(files::utf8(p.extension()), ".ses") || p.filename() == krome.filename()) continue;
    try {
      if (CtiSurovyNazev(files::readWholeFile(p)) == surovy) return true;
    } catch (const std::exception&) {
      // An unreadable file lists no name.
    }
  }
  return false;
}

void TNavrharSestav::uloz(const fs::path& soubor, const QString* nazev) {
  Sablona nova = sestava_.sablona();
  Navrh n = Formular();
  if (nazev) n.nazev = *nazev;
  PouzijNavrh(nova, n);
  sestava_.Uloz(nova, soubor);
  ulozeno_ = true;
  accept();
}

void TNavrharSestav::Tl_UlozitClick() {
  if (sestava_.Soubor().empty()) return Tl_UlozitJakoClick();
  uloz(sestava_.Soubor());
}

void TNavrharSestav::Tl_UlozitJakoClick() {
  seam::InputRequest dotaz{QStringLiteral("Uložit sestavu jako"), QStringLiteral("Jméno nového souboru sestavy:"),
                           QString(), 100};
  const auto odpoved = seam::interaction().input(this, dotaz);
  if (!odpoved) return;
  QString jmeno = odpoved->trimmed();
  static const QRegularExpression zakazane(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
  if (jmeno.isEmpty() || jmeno.contains(zakazane) || jmeno.startsWith(QLatin1Char('.'))) {
    ZobrazZpravu(QStringLiteral("Jméno souboru \"%1\" není platné.").arg(jmeno));
    return;
  }
  if (!jmeno.endsWith(QStringLiteral(".ses"), Qt::CaseInsensitive)) jmeno += QStringLiteral(".ses");
  const fs::path adresar = sestava_.AdresarSablon();
  std::error_code chyba;
  fs::create_directories(adresar, chyba);
  const fs::path soubor = adresar / CestaZTextu(jmeno);
  if (fs::exists(soubor, chyba) &&
      ZobrazDotaz(QStringLiteral("Uložit sestavu jako"),
                  QStringLiteral("Soubor %1 již existuje. Chcete jej přepsat?").arg(jmeno),
                  DruhDotazu::AnoNeVarovani) != QMessageBox::Yes)
    return;

  // The copy's own report name: the catalogue lists reports by name, and two
  // of one name cannot be told apart there.
  seam::InputRequest dotazNazev{QStringLiteral("Uložit sestavu jako"), QStringLiteral("Název nové sestavy:"),
                                Ed_Nazev->text() + QStringLiteral(" (kopie)"), 255};
  const auto nazev = seam::interaction().input(this, dotazNazev);
  if (!nazev) return;
  const QString novy = nazev->trimmed();
  if (novy.isEmpty()) {
    ZobrazZpravu(QStringLiteral("Sestava musí mít název."));
    return;
  }
  if (JmenoSestavyObsazeno(adresar, novy, soubor)) {
    ZobrazZpravu(QStringLiteral("Sestava s názvem \"%1\" již existuje. Zvolte jiný název.").arg(novy));
    return;
  }
  uloz(soubor, &novy);
}

}  // namespace sestavy
