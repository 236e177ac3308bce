#include "KatalogSestav_f.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QTextLayout>
#include <QTreeWidget>
#include <algorithm>

#include "FileLayer.h"
#include "RecordStore.h"
#include "KlavesyDialogu.h"
#include "Seam.h"
#include "SouboryProgramu.h"
#include "Texty.h"
#include "Zpravy.h"

namespace fs = std::filesystem;

QString NazevSestavy(const fs::path& soubor) {
  std::string text;
  try {
    text = files::readWholeFile(soubor);
  } catch (const files::FileError&) {
    return {};
  }
  return sestavy::CtiSurovyNazev(text);
}

std::vector<QString> SouboryVAdresari(const fs::path& adresar) {
  std::vector<QString> jmena;
  std::error_code chyba;
  fs::directory_iterator it(adresar, chyba), konec;
  for (; !chyba && it != konec; it.increment(chyba)) {
    const QString jmeno = QString::fromStdString(it->path().filename().string());
    if (jmeno.isEmpty() || jmeno.startsWith(QLatin1Char('.'))) continue;
    if (!jmeno.endsWith(QStringLiteral(".ses"), Qt::CaseInsensitive)) continue;
    std::error_code e;
    if (!it->is_regular_file(e)) continue;
    jmena.push_back(jmeno);
  }
  std::sort(jmena.begin(), jmena.end(), [](const QString& a, const QString& b) {
    const int c = a.toUpper().compare(b.toUpper(), Qt::CaseSensitive);
    return c != 0 ? c < 0 : a < b;
  });
  return jmena;
}

namespace {

// Draws the tree's nodes through the dialog's drawing handler.
class KresleniUzlu : public QStyledItemDelegate {
 public:
  KresleniUzlu(const TKatalogSestav* katalog, QObject* parent) : QStyledItemDelegate(parent), katalog_(katalog) {}

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    katalog_->SeznamSestavCustomDrawItem(index, option->font);
  }

 private:
  const TKatalogSestav* katalog_;
};

// A long text's tooltip: rich text, so that the tooltip wraps it.
QString bublina(const QString& text) {
  return text.size() > 60 ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}

// One line of a value label: what does not fit its width ends with "…",
// and the tooltip holds the whole text (cut to what a window shows).
void nastavRadek(QLabel* l, const QString& text) {
  const QString cely = sestavy::ZkracenyText(text);
  const QString videt = l->fontMetrics().elidedText(cely, Qt::ElideRight, l->contentsRect().width());
  l->setText(videt);
  l->setToolTip(videt != text ? bublina(cely) : QString());
}

// The description in its word-wrapped area: the lines that fit, the last of
// them ending with "…" when more follows; the tooltip holds the whole text.
void nastavOdstavce(QLabel* l, const QString& text) {
  constexpr qsizetype kNejdelsiPopis = 2000;
  const QString cely = sestavy::ZkracenyText(text, kNejdelsiPopis);
  const QFontMetrics fm(l->font());
  // A little narrower than the label, so that the label's own wrapping
  // keeps every line as laid out here.
  const int sirka = std::max(1, l->contentsRect().width() - 4);
  // Lines as the label measures them when it wraps.
  auto vyska = [&](const QString& t) { return fm.boundingRect(QRect(0, 0, sirka, 1 << 20), Qt::TextWordWrap, t).height(); };
  const int prvni = vyska(QStringLiteral("X")), dalsi = std::max(1, vyska(QStringLiteral("X\nX")) - prvni);
  int zbyva = std::max(1, 1 + (l->contentsRect().height() - prvni) / dalsi);
  const QStringList odstavce = cely.split(QLatin1Char('\n'));
  QStringList radky;
  bool zkraceno = cely.size() < text.size();
  for (qsizetype i = 0; i < odstavce.size() && zbyva > 0; ++i) {
    const QString& odstavec = odstavce[i];
    QTextLayout rozvrzeni(odstavec, l->font());
    QTextOption volba;
    volba.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    rozvrzeni.setTextOption(volba);
    rozvrzeni.beginLayout();
    for (QTextLine radek = rozvrzeni.createLine(); radek.isValid() && zbyva > 0; radek = rozvrzeni.createLine()) {
      radek.setLineWidth(sirka);
      const qsizetype konec = radek.textStart() + radek.textLength();
      const bool dalsi = konec < odstavec.size() || i + 1 < odstavce.size();
      if (--zbyva == 0 && dalsi) {
        // The last line that fits: the rest of the text, elided.
        const QChar tecky(0x2026);
        QString posledni = fm.elidedText(odstavec.mid(radek.textStart()), Qt::ElideRight,
                                         sirka - fm.horizontalAdvance(tecky));
        if (!posledni.endsWith(tecky)) posledni += tecky;
        radky << posledni;
        zkraceno = true;
        break;
      }
      // The space a line was broken at stays off the line.
      QString cast = odstavec.mid(radek.textStart(), radek.textLength());
      while (!cast.isEmpty() && cast.back().isSpace()) cast.chop(1);
      radky << cast;
    }
    rozvrzeni.endLayout();
  }
  l->setText(radky.join(QLatin1Char('\n')));
  l->setToolTip(zkraceno ? bublina(cely) : QString());
}

QLabel* popiska(QWidget* rodic, const char* jmeno, const QString& text, QRect kde) {
  auto* l = new QLabel(text, rodic);
  l->setObjectName(QLatin1String(jmeno));
  l->setGeometry(kde);
  return l;
}

QFrame* linka(QWidget* rodic, const char* jmeno, int y) {
  auto* l = new QFrame(rodic);
  l->setObjectName(QLatin1String(jmeno));
  l->setFrameShape(QFrame::HLine);
  l->setFrameShadow(QFrame::Sunken);
  l->setGeometry(220, y, 327, 2);
  return l;
}

}  // namespace

TKatalogSestav::TKatalogSestav(store::RecordStore& data, std::filesystem::path adresarProgramu, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      data_(data),
      adresarProgramu_(std::move(adresarProgramu)) {
  setObjectName(QStringLiteral("KatalogSestav"));
  setWindowTitle(QStringLiteral("Generátor sestav"));
  setFixedSize(555, 378);
  setAutoFillBackground(true);
  QPalette bila = palette();
  bila.setColor(QPalette::Window, Qt::white);
  setPalette(bila);

  ImageList1 << style()->standardIcon(QStyle::SP_DirIcon) << style()->standardIcon(QStyle::SP_FileIcon);

  La_SeznamSestav = popiska(this, "La_SeznamSestav", QStringLiteral("Seznam sestav"), {8, 6, 201, 16});
  SeznamSestav = new QTreeWidget(this);
  SeznamSestav->setObjectName(QStringLiteral("SeznamSestav"));
  SeznamSestav->setGeometry(8, 25, 201, 345);
  SeznamSestav->setHeaderHidden(true);
  SeznamSestav->setRootIsDecorated(false);
  SeznamSestav->setEditTriggers(QAbstractItemView::NoEditTriggers);
  SeznamSestav->setSelectionMode(QAbstractItemView::SingleSelection);
  SeznamSestav->setItemDelegate(new KresleniUzlu(this, SeznamSestav));
  // The selection stays visible when the tree loses focus.
  QPalette vyber = SeznamSestav->palette();
  vyber.setColor(QPalette::Inactive, QPalette::Highlight, vyber.color(QPalette::Active, QPalette::Highlight));
  vyber.setColor(QPalette::Inactive, QPalette::HighlightedText, vyber.color(QPalette::Active, QPalette::HighlightedText));
  SeznamSestav->setPalette(vyber);

  const QColor modra(0, 137, 194);
  auto zvyrazni = [](QLabel* l, const QColor& barva) {
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, barva);
    l->setPalette(p);
  };
  Popiska_Nazev = popiska(this, "Popiska_Nazev", QStringLiteral("Název sestavy:"), {220, 25, 105, 16});
  zvyrazni(Popiska_Nazev, QColor(128, 0, 0));
  La_Nazev = popiska(this, "La_Nazev", {}, {328, 25, 219, 16});
  Linka1 = linka(this, "Linka1", 45);
  Popiska_Autor = popiska(this, "Popiska_Autor", QStringLiteral("Autor sestavy:"), {220, 52, 105, 16});
  zvyrazni(Popiska_Autor, modra);
  La_Autor = popiska(this, "La_Autor", {}, {328, 52, 219, 16});
  Linka6 = linka(this, "Linka6", 72);
  La_Popiska_Soubor = popiska(this, "La_Popiska_Soubor", QStringLiteral("Jméno souboru:"), {220, 79, 105, 16});
  zvyrazni(La_Popiska_Soubor, modra);
  La_Soubor = popiska(this, "La_Soubor", {}, {328, 79, 219, 16});
  Linka7 = linka(this, "Linka7", 99);
  Popiska_Popis = popiska(this, "Popiska_Popis", QStringLiteral("Popis sestavy:"), {220, 106, 105, 16});
  zvyrazni(Popiska_Popis, modra);
  La_Popis = popiska(this, "La_Popis", {}, {220, 126, 321, 145});
  La_Popis->setWordWrap(true);
  La_Popis->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto akce = [&](QAction*& a, const char* jmeno, const QString& text, void (TKatalogSestav::*handler)()) {
    a = new QAction(text, this);
    a->setObjectName(QLatin1String(jmeno));
    connect(a, &QAction::triggered, this, [this, handler] { Chranene([&] { (this->*handler)(); }); });
  };
  akce(Akce_Tisk, "Akce_Tisk", QStringLiteral("Tisk"), &TKatalogSestav::Akce_TiskExecute);
  akce(Akce_Nahled, "Akce_Nahled", QStringLiteral("Náhled"), &TKatalogSestav::Akce_NahledExecute);
  akce(Akce_Editace, "Akce_Editace", QStringLiteral("Editace"), &TKatalogSestav::Akce_EditaceExecute);
  akce(Akce_Storno, "Akce_Storno", QStringLiteral("Storno"), &TKatalogSestav::Akce_StornoExecute);
  int x = 220;
  auto tlacitko = [&](QPushButton*& t, const char* jmeno, QAction* a) {
    t = new QPushButton(a->text(), this);
    t->setObjectName(QLatin1String(jmeno));
    t->setGeometry(x, 340, 75, 25);
    x += 83;
    connect(t, &QPushButton::clicked, a, &QAction::trigger);
    connect(a, &QAction::enabledChanged, t, &QWidget::setEnabled);
  };
  tlacitko(Tl_Tisk, "Tl_Tisk", Akce_Tisk);
  tlacitko(Tl_Nahled, "Tl_Nahled", Akce_Nahled);
  tlacitko(Tl_Editace, "Tl_Editace", Akce_Editace);
  tlacitko(Tl_Konec, "Tl_Konec", Akce_Storno);
  // No default button: Enter presses only a button that has the focus.
  NastavTlacitkaDialogu(this, nullptr);
  setTabOrder(Tl_Tisk, Tl_Nahled);
  setTabOrder(Tl_Nahled, Tl_Editace);
  setTabOrder(Tl_Editace, Tl_Konec);
  setTabOrder(Tl_Konec, SeznamSestav);

  connect(SeznamSestav, &QTreeWidget::itemSelectionChanged, this, [this] { Chranene([this] { SeznamSestavChange(); }); });

  // Centred on the screen.
  const QRect obrazovka = seam::interaction().primaryScreen();
  move(obrazovka.center() - QPoint(width() / 2, height() / 2));

  Chranene([this] { FormCreate(); });
  ZamerNaPrvni({Tl_Tisk, Tl_Nahled, Tl_Editace, Tl_Konec, SeznamSestav});
}

TKatalogSestav::~TKatalogSestav() = default;

fs::path TKatalogSestav::AdresarSestav() const { return program::Soubor(adresarProgramu_, program::kSestavy); }

void TKatalogSestav::Povol(bool ano) {
  for (QAction* a : {Akce_Tisk, Akce_Nahled, Akce_Editace}) a->setEnabled(ano);
  for (QPushButton* t : {Tl_Tisk, Tl_Nahled, Tl_Editace}) t->setEnabled(ano);
}

void TKatalogSestav::Vyprazdni() {
  for (QLabel* l : {La_Nazev, La_Autor, La_Soubor, La_Popis}) {
    l->clear();
    l->setToolTip(QString());
  }
  Povol(false);
}

void TKatalogSestav::FormCreate() {
  std::error_code chyba;
  fs::create_directories(AdresarSestav(), chyba);  // a failure leaves the list empty
  Vyprazdni();
  SestavaData1.data = &data_;
  Sestava1.DataSet = &SestavaData1;
  Sestava1.Okna = &OknaSestavy1;
  Sestava1.SouborNastaveni = program::Soubor(adresarProgramu_, program::kNastaveniSestav);
  NaplnSeznamSestav(SeznamSestav);
}

void TKatalogSestav::NaplnSeznamSestav(QTreeWidget* seznam) {
  for (const QString& soubor : SouboryVAdresari(AdresarSestav())) {
    Sestavy.emplace_back(soubor, NazevSestavy(AdresarSestav() / CestaZTextu(soubor)));
    QCoreApplication::processEvents();
  }
  if (Sestavy.empty()) return;
  // A node shows its report name cut to what a window shows, and keeps the
  // whole name as the key by which SouborSestavy finds its file.
  auto uzel = [](QTreeWidgetItem* u, const QString& nazev) {
    u->setText(0, sestavy::ZkracenyText(nazev));
    u->setData(0, Qt::UserRole, nazev);
  };
  auto* koren = new QTreeWidgetItem(seznam);
  uzel(koren, QStringLiteral("Základní sestavy"));
  koren->setIcon(0, ImageList1.value(0));
  for (const auto& [soubor, nazev] : Sestavy) {
    auto* dite = new QTreeWidgetItem(koren);
    uzel(dite, nazev);
    dite->setIcon(0, ImageList1.value(1));
  }
  koren->setExpanded(true);
  seznam->setCurrentItem(koren->child(0));
}

QString TKatalogSestav::SouborSestavy(const QString& nazev) const {
  for (const auto& [soubor, jmeno] : Sestavy)
    if (jmeno == nazev) return soubor;
  return {};
}

void TKatalogSestav::SeznamSestavChange() {
  const auto vybrane = SeznamSestav->selectedItems();
  if (vybrane.isEmpty()) return Vyprazdni();
  const QString soubor = SouborSestavy(vybrane.front()->data(0, Qt::UserRole).toString());
  const fs::path cesta = AdresarSestav() / CestaZTextu(soubor);
  std::error_code chyba;
  // The top node, a name not in the table, a template deleted meanwhile.
  if (soubor.isEmpty() || !fs::is_regular_file(cesta, chyba)) return Vyprazdni();
  try {
    Sestava1.NactiZeSouboru(cesta);
  } catch (...) {
    Vyprazdni();  // nothing is loaded: the commands must not run
    throw;
  }
  nastavRadek(La_Nazev, Sestava1.Nazev());
  nastavRadek(La_Autor, Sestava1.Autor());
  nastavRadek(La_Soubor, TextCesty(Sestava1.Soubor().filename()));
  nastavOdstavce(La_Popis, Sestava1.Popis().join(QLatin1Char('\n')));
  Povol(true);
}

void TKatalogSestav::SeznamSestavCustomDrawItem(const QModelIndex& uzel, QFont& pismo) const {
  pismo.setBold(uzel.model() && uzel.model()->hasChildren(uzel));
}

namespace {
bool vybrano(QTreeWidget* seznam) {
  if (!seznam->selectedItems().isEmpty()) return true;
  ZobrazZpravu(QStringLiteral("Není vybrána žádná sestava"));
  return false;
}
}  // namespace

void TKatalogSestav::Akce_TiskExecute() {
  if (vybrano(SeznamSestav)) Sestava1.Tiskni(this);
}

void TKatalogSestav::Akce_NahledExecute() {
  if (vybrano(SeznamSestav)) Sestava1.Nahled(this);
}

void TKatalogSestav::Akce_EditaceExecute() {
  if (vybrano(SeznamSestav)) Sestava1.Navrh(this);
}

void TKatalogSestav::Akce_StornoExecute() { reject(); }
