#include "Navrhar_f.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLocale>
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
  auto milimetry = [this](const char* jmeno, double od, double do_) {
    auto* e = pojmenuj(new QDoubleSpinBox(this), jmeno);
    e->setRange(od, do_);
    e->setDecimals(2);
    e->setSuffix(QStringLiteral(" mm"));
    return e;
  };
  auto* papir = new QHBoxLayout;
  CBox_Papir = pojmenuj(new QComboBox(this), "CBox_Papir");
  for (const auto& p : kPapiry) CBox_Papir->addItem(QLatin1String(p.nazev));
  CBox_Papir->addItem(QStringLiteral("Vlastní"));
  papir->addWidget(CBox_Papir);
  papir->addWidget(new QLabel(QStringLiteral("šířka"), this));
  papir->addWidget(Ed_SirkaPapiru = milimetry("Ed_SirkaPapiru", kNejmensiList, kNejvetsiList));
  papir->addWidget(new QLabel(QStringLiteral("výška"), this));
  papir->addWidget(Ed_VyskaPapiru = milimetry("Ed_VyskaPapiru", kNejmensiList, kNejvetsiList));
  papir->addStretch();
  formular->addRow(QStringLiteral("Papír:"), papir);
  auto* okraje = new QHBoxLayout;
  const struct {
    const char* jmeno;
    const char* popis;
    QDoubleSpinBox** ed;
  } kOkraje[] = {{"Ed_Levy", "levý", &Ed_Levy}, {"Ed_Horni", "horní", &Ed_Horni}, {"Ed_Pravy", "pravý", &Ed_Pravy},
                 {"Ed_Dolni", "dolní", &Ed_Dolni}};
  for (const auto& o : kOkraje) {
    okraje->addWidget(new QLabel(QString::fromUtf8(o.popis), this));
    okraje->addWidget(*o.ed = milimetry(o.jmeno, 0, kNejvetsiDelka));
  }
  okraje->addStretch();
  formular->addRow(QStringLiteral("Okraje stránky:"), okraje);
  formular->addRow(QStringLiteral("Titulek:"), Ed_Titulek = pojmenuj(new QLineEdit(this), "Ed_Titulek"));
  Ed_Titulek->setMaxLength(static_cast<int>(kNejdelsiText));
  CBox_Skupina = pojmenuj(new QComboBox(this), "CBox_Skupina");
  CBox_Skupina->addItem(QStringLiteral("(bez skupin)"), QString());
  for (const auto& p : pole_) CBox_Skupina->addItem(p, p);
  formular->addRow(QStringLiteral("Seskupit podle:"), CBox_Skupina);

  auto* ramSloupce = pojmenuj(new QGroupBox(QStringLiteral("Sloupce"), this), "Ram_Sloupce");
  Sloupce = pojmenuj(new QTableWidget(0, kSloupcu, ramSloupce), "Sloupce");
  Sloupce->setHorizontalHeaderLabels({QStringLiteral("Pole"), QStringLiteral("Nadpis"), QStringLiteral("Šířka (mm)"),
                                      QStringLiteral("Písmo"), QStringLiteral("Velikost"), QStringLiteral("Tučně"),
                                      QStringLiteral("Zarovnání"), QStringLiteral("Roztahovat"),
                                      QStringLiteral("Tučný nadpis")});
  Sloupce->horizontalHeader()->setStretchLastSection(true);
  // Narrow enough that every column shows in the dialog's width.
  const int sirky[kSloupcu] = {95, 110, 70, 125, 60, 50, 90, 75, 85};
  for (int k = 0; k < kSloupcu; ++k) Sloupce->setColumnWidth(k, sirky[k]);
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

  La_Varovani = pojmenuj(new QLabel(this), "La_Varovani");
  QPalette cervena = La_Varovani->palette();
  cervena.setColor(QPalette::WindowText, Qt::red);
  La_Varovani->setPalette(cervena);
  La_Varovani->setWordWrap(true);
  La_Varovani->hide();

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
  hlavni->addWidget(La_Varovani);
  hlavni->addLayout(tlacitka);
  resize(900, 640);

  // The warning follows every edit that changes a width.
  auto kontrola = [this] { zkontrolujSirku(); };
  connect(Sloupce, &QTableWidget::itemChanged, this, kontrola);
  connect(Sloupce->model(), &QAbstractItemModel::rowsInserted, this, kontrola);
  connect(Sloupce->model(), &QAbstractItemModel::rowsRemoved, this, kontrola);
  connect(Rb_NaSirku, &QRadioButton::toggled, this, kontrola);
  for (QDoubleSpinBox* e : {Ed_SirkaPapiru, Ed_VyskaPapiru, Ed_Levy, Ed_Horni, Ed_Pravy, Ed_Dolni})
    connect(e, &QDoubleSpinBox::valueChanged, this, kontrola);
  connect(CBox_Papir, &QComboBox::currentIndexChanged, this, [this] { papirZmenen(); });

  NastavFormular(NavrhZeSablony(sestava.sablona()));
}

void TNavrharSestav::papirZmenen() {
  const int i = CBox_Papir->currentIndex();
  const bool vlastni = i < 0 || i >= static_cast<int>(std::size(kPapiry));
  if (!vlastni) {
    Ed_SirkaPapiru->setValue(kPapiry[i].sirka);
    Ed_VyskaPapiru->setValue(kPapiry[i].vyska);
  }
  Ed_SirkaPapiru->setEnabled(vlastni);
  Ed_VyskaPapiru->setEnabled(vlastni);
}

void TNavrharSestav::zkontrolujSirku() {
  // Only what can be read: a width being typed is not an error yet.
  Navrh n;
  n.naSirku = Rb_NaSirku->isChecked();
  n.stranka.sirka = Ed_SirkaPapiru->value(), n.stranka.vyska = Ed_VyskaPapiru->value();
  n.stranka.levy = Ed_Levy->value(), n.stranka.horni = Ed_Horni->value();
  n.stranka.pravy = Ed_Pravy->value(), n.stranka.dolni = Ed_Dolni->value();
  for (int r = 0; r < Sloupce->rowCount(); ++r) {
    const QTableWidgetItem* i = Sloupce->item(r, kSirka);
    bool ok = false;
    const double sirka = i ? QString(i->text()).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok) : 0;
    if (ok && sirka > 0) n.sloupce.push_back(Sloupec{QString(), QString(), sirka});
  }
  const bool sirsi = SloupceSirsiNezStranka(n);
  if (sirsi) {
    Stranka st = n.stranka;
    st.naSirku = n.naSirku;
    La_Varovani->setText(QStringLiteral("Sloupce jsou širší než stránka: %1 mm, tisknutelná šířka je %2 mm.")
                             .arg(QLocale().toString(SirkaSloupcu(n), 'g', 6), QLocale().toString(st.sirkaTisku(), 'g', 6)));
  }
  La_Varovani->setVisible(sirsi);
}

void TNavrharSestav::pridejRadek(const Sloupec& c) {
  const int r = Sloupce->rowCount();
  Sloupce->insertRow(r);
  auto* pole = new QComboBox(Sloupce);
  pole->addItems(pole_);
  if (!c.pole.isEmpty() && !pole_.contains(c.pole)) pole->addItem(c.pole);
  pole->setCurrentText(c.pole.isEmpty() ? pole_.value(0) : c.pole);
  Sloupce->setCellWidget(r, kPole, pole);
  Sloupce->setItem(r, kNadpis, new QTableWidgetItem(c.nadpis));
  Sloupce->setItem(r, kSirka, new QTableWidgetItem(QString::number(c.sirka, 'g', 6)));
  auto* pismo = new QComboBox(Sloupce);
  pismo->setEditable(true);
  pismo->addItems({QStringLiteral("Arial"), QStringLiteral("Times New Roman"), QStringLiteral("Courier New"),
                   QStringLiteral("Verdana"), QStringLiteral("Tahoma")});
  pismo->setCurrentText(c.pismo);
  Sloupce->setCellWidget(r, kPismo, pismo);
  Sloupce->setItem(r, kVelikost, new QTableWidgetItem(QString::number(c.velikost, 'g', 6)));
  auto zaskrtnuti = [&](int sloupec, bool ano) {
    auto* i = new QTableWidgetItem;
    i->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    i->setCheckState(ano ? Qt::Checked : Qt::Unchecked);
    Sloupce->setItem(r, sloupec, i);
  };
  zaskrtnuti(kTucne, c.tucne);
  auto* zarovnani = new QComboBox(Sloupce);
  zarovnani->addItems({QStringLiteral("Vlevo"), QStringLiteral("Na střed"), QStringLiteral("Vpravo")});
  zarovnani->setCurrentIndex(static_cast<int>(c.zarovnani));
  Sloupce->setCellWidget(r, kZarovnani, zarovnani);
  zaskrtnuti(kRoztahovat, c.roztahovat);
  zaskrtnuti(kTucnyNadpis, c.tucnyNadpis);
}

void TNavrharSestav::NastavFormular(const Navrh& n) {
  Ed_Nazev->setText(n.nazev);
  Ed_Autor->setText(n.autor);
  Ed_Popis->setPlainText(n.popis.join(QLatin1Char('\n')));
  (n.naSirku ? Rb_NaSirku : Rb_NaVysku)->setChecked(true);
  Ed_SirkaPapiru->setValue(n.stranka.sirka);
  Ed_VyskaPapiru->setValue(n.stranka.vyska);
  Ed_Levy->setValue(n.stranka.levy);
  Ed_Horni->setValue(n.stranka.horni);
  Ed_Pravy->setValue(n.stranka.pravy);
  Ed_Dolni->setValue(n.stranka.dolni);
  const int papir = PapirPodleRozmeru(n.stranka.sirka, n.stranka.vyska);
  CBox_Papir->blockSignals(true);
  CBox_Papir->setCurrentIndex(papir >= 0 ? papir : CBox_Papir->count() - 1);
  CBox_Papir->blockSignals(false);
  Ed_SirkaPapiru->setEnabled(papir < 0);
  Ed_VyskaPapiru->setEnabled(papir < 0);
  Ed_Titulek->setText(n.titulek);
  Sloupce->setRowCount(0);
  for (const auto& c : n.sloupce) pridejRadek(c);
  int i = CBox_Skupina->findData(n.skupina);
  if (i < 0) {
    CBox_Skupina->addItem(n.skupina, n.skupina);
    i = CBox_Skupina->count() - 1;
  }
  CBox_Skupina->setCurrentIndex(i);
  zkontrolujSirku();
}

Navrh TNavrharSestav::Formular() const {
  Navrh n;
  n.nazev = Ed_Nazev->text();
  n.autor = Ed_Autor->text();
  const QString popis = Ed_Popis->toPlainText();
  if (!popis.isEmpty()) n.popis = popis.split(QLatin1Char('\n'));
  n.naSirku = Rb_NaSirku->isChecked();
  n.stranka = sestava_.sablona().stranka;
  n.stranka.sirka = Ed_SirkaPapiru->value();
  n.stranka.vyska = Ed_VyskaPapiru->value();
  n.stranka.levy = Ed_Levy->value();
  n.stranka.horni = Ed_Horni->value();
  n.stranka.pravy = Ed_Pravy->value();
  n.stranka.dolni = Ed_Dolni->value();
  n.titulek = Ed_Titulek->text();
  auto text = [this](int r, int k) { return Sloupce->item(r, k) ? Sloupce->item(r, k)->text().trimmed() : QString(); };
  auto cislo = [&](int r, int k, double& v) {
    bool ok = false;
    v = text(r, k).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok;
  };
  auto zaskrtnuto = [this](int r, int k) { return Sloupce->item(r, k) && Sloupce->item(r, k)->checkState() == Qt::Checked; };
  for (int r = 0; r < Sloupce->rowCount(); ++r) {
    Sloupec c;
    c.pole = static_cast<QComboBox*>(Sloupce->cellWidget(r, kPole))->currentText();
    c.nadpis = Sloupce->item(r, kNadpis) ? Sloupce->item(r, kNadpis)->text() : QString();
    if (!cislo(r, kSirka, c.sirka) || !(c.sirka > 0))
      throw ChybaSablony(
          QStringLiteral("Šířka sloupce %1 \"%2\" není platné číslo").arg(r + 1).arg(ZkracenyText(text(r, kSirka), 40)).toStdString());
    c.pismo = static_cast<QComboBox*>(Sloupce->cellWidget(r, kPismo))->currentText().trimmed();
    if (c.pismo.isEmpty() || c.pismo.size() > kNejdelsiPismo)
      throw ChybaSablony(QStringLiteral("Písmo sloupce %1 není platné").arg(r + 1).toStdString());
    if (!cislo(r, kVelikost, c.velikost) || !(c.velikost >= kNejmensiPismo && c.velikost <= kNejvetsiPismo))
      throw ChybaSablony(QStringLiteral("Velikost písma sloupce %1 \"%2\" není platné číslo od %3 do %4")
                             .arg(r + 1)
                             .arg(ZkracenyText(text(r, kVelikost), 40))
                             .arg(kNejmensiPismo)
                             .arg(kNejvetsiPismo)
                             .toStdString());
    c.tucne = zaskrtnuto(r, kTucne);
    c.zarovnani = static_cast<Zarovnani>(
        std::clamp(static_cast<QComboBox*>(Sloupce->cellWidget(r, kZarovnani))->currentIndex(), 0, 2));
    c.roztahovat = zaskrtnuto(r, kRoztahovat);
    c.tucnyNadpis = zaskrtnuto(r, kTucnyNadpis);
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
  if (SloupceSirsiNezStranka(n) &&
      ZobrazDotaz(QStringLiteral("Návrh sestavy"), QStringLiteral("Sloupce jsou širší než stránka. Uložit přesto?"),
                  DruhDotazu::AnoNeVarovani) != QMessageBox::Yes)
    return;
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
