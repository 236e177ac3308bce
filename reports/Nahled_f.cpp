#include "Nahled_f.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QWheelEvent>
#include <QVBoxLayout>
#include <filesystem>

#include "BehVystupu.h"
#include "BusyCursor.h"
#include "OknaSestavy.h"
#include "PostaDialog_f.h"
#include "PripravenaSoubor.h"
#include "Seam.h"
#include "SettingsFile.h"
#include "Texty.h"
#include "Vykresleni.h"
#include "Vystupy.h"
#include "Zpravy.h"

namespace sestavy {

namespace fs = std::filesystem;

namespace {


}  // namespace

double TStranaNahledu::bodyNaMm() const { return logicalDpiX() / 25.4 * zvetseni; }

QSize TStranaNahledu::velikostStrany() const {
  if (!sestava) return {};
  return {qRound(sestava->sirka * bodyNaMm()), qRound(sestava->vyska * bodyNaMm())};
}

QPoint TStranaNahledu::pocatek(int s) const {
  if (sloupcu <= 0) return {kMezera, kMezera};
  const QSize v = velikostStrany();
  return {kMezera + (s % sloupcu) * (v.width() + kMezera), kMezera + (s / sloupcu) * (v.height() + kMezera)};
}

void TStranaNahledu::prizpusob() {
  if (!sestava) return;
  const QSize v = velikostStrany();
  if (sloupcu <= 0) {
    setFixedSize(v.width() + 2 * kMezera, v.height() + 2 * kMezera);
  } else {
    const int stran = std::max<int>(1, static_cast<int>(sestava->strany.size()));
    const int radku = (stran + sloupcu - 1) / sloupcu;
    setFixedSize(sloupcu * (v.width() + kMezera) + kMezera, radku * (v.height() + kMezera) + kMezera);
  }
  update();
}

void TStranaNahledu::paintEvent(QPaintEvent* udalost) {
  QPainter painter(this);
  painter.fillRect(udalost->rect(), palette().color(QPalette::Dark));
  if (!sestava) return;
  painter.setRenderHint(QPainter::TextAntialiasing);
  const QSize v = velikostStrany();
  const int stran = static_cast<int>(sestava->strany.size());
  auto kresli = [&](int s) {
    const QRect r(pocatek(s), v);
    if (!r.intersects(udalost->rect())) return;
    painter.fillRect(r, Qt::white);
    if (s >= stran) return;
    painter.save();
    painter.setClipRect(r);
    painter.translate(r.topLeft());
    VykresliStranu(painter, *sestava, s, bodyNaMm(), nalezena);
    painter.restore();
    if (sloupcu > 0 && s == strana) {
      painter.setPen(QPen(palette().color(QPalette::Highlight), 3));
      painter.drawRect(r.adjusted(-2, -2, 1, 1));
    }
  };
  if (sloupcu <= 0) {
    kresli(strana);
    return;
  }
  // Only the rows the repainted rectangle meets: a report of thousands of
  // pages scrolls as fast as one of a few.
  const int vyskaRadku = v.height() + kMezera;
  if (vyskaRadku <= 0) return;
  const int prvni = std::max(0, (udalost->rect().top() - kMezera) / vyskaRadku);
  const int posledni = udalost->rect().bottom() / vyskaRadku;
  for (int r = prvni; r <= posledni; ++r)
    for (int c = 0; c < sloupcu; ++c)
      if (const int s = r * sloupcu + c; s < stran) kresli(s);
}

int TStranaNahledu::stranaNa(QPoint bod) const {
  if (sloupcu <= 0 || !sestava) return -1;
  const QSize v = velikostStrany();
  const QPoint p = bod - QPoint(kMezera, kMezera);
  if (p.x() < 0 || p.y() < 0) return -1;
  const int c = p.x() / (v.width() + kMezera), r = p.y() / (v.height() + kMezera);
  const int s = r * sloupcu + c;
  return c < sloupcu && s < static_cast<int>(sestava->strany.size()) ? s : -1;
}

void TStranaNahledu::mousePressEvent(QMouseEvent* udalost) {
  if (const int s = stranaNa(udalost->position().toPoint()); s >= 0 && klepnuto) klepnuto(s);
}

void TStranaNahledu::mouseDoubleClickEvent(QMouseEvent* udalost) {
  if (const int s = stranaNa(udalost->position().toPoint()); s >= 0 && dvojklik) dvojklik(s);
}

namespace {

// The zoom list: fixed factors, then the modes that follow the window.
constexpr double kStupne[] = {0.25, 0.5, 0.75, 1.0, 1.5, 2.0, 3.0};
double dataRezimu(RezimZvetseni r) { return -static_cast<double>(r); }

// The report's name as a file name, as the export offers it: characters no
// file name may hold become "_", a long name is cut.
QString jmenoSouboru(const QString& nazev) {
  QString jmeno = nazev.isEmpty() ? QStringLiteral("Sestava") : ZkracenyText(nazev, 100);
  static const QRegularExpression zakazane(QStringLiteral("[\\\\/:*?\"<>|]"));
  return jmeno.replace(zakazane, QStringLiteral("_"));
}

// Where the last prepared report file was opened or saved, and the last
// export's type (by its extension) beside the export's folder.
constexpr const char* kSekcePripravene = "Pripravena";
constexpr const char* kSekceExport = "Export";

// The folder a file dialog of the preview opens in: the one remembered in
// the settings file's section `sekce`, else the program directory (where
// the settings file lives), never the working directory.
QString PosledniAdresar(const TSestava& sestava, const char* sekce) {
  if (sestava.SouborNastaveni.empty()) return QCoreApplication::applicationDirPath();
  const settings::SettingsFile nastaveni(sestava.SouborNastaveni);
  const QString posledni = zAnsi(nastaveni.readString(sekce, "Adresar", ""));
  return posledni.isEmpty() ? TextCesty(sestava.SouborNastaveni.parent_path()) : posledni;
}

// Remembers the folder of `soubor` for the next dialog of `sekce`. Only a
// convenience: a settings file that cannot be written undoes nothing.
void ZapamatujAdresar(const TSestava& sestava, const char* sekce, const QString& soubor) {
  if (sestava.SouborNastaveni.empty()) return;
  try {
    settings::SettingsFile(sestava.SouborNastaveni)
        .writeString(sekce, "Adresar", doAnsi(QFileInfo(soubor).absolutePath()));
  } catch (const settings::SettingsWriteError&) {
  }
}


}  // namespace

TNahledSestavy::TNahledSestavy(TOknaSestavy& okna, TSestava& sestava, PripravenaSestava pripravena, QWidget* parent)
    : QDialog(parent), okna_(okna), sestava_(sestava), list_(sestava.sablona().stranka), pripravena_(std::move(pripravena)) {
  setObjectName(QStringLiteral("TNahledSestavy"));
  setWindowTitle(QStringLiteral("Náhled sestavy - %1").arg(ZkracenyText(pripravena_.nazev)));
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setAttribute(Qt::WA_DeleteOnClose, false);
  resize(900, 700);

  auto* lista = new QToolBar(this);
  lista->setObjectName(QStringLiteral("ToolBar1"));
  auto akce = [this](const char* jmeno, const QString& text, auto handler) {
    auto* a = new QAction(text, this);
    a->setObjectName(QLatin1String(jmeno));
    connect(a, &QAction::triggered, this, [this, handler] { Chranene([&] { handler(); }); });
    addAction(a);  // its key works wherever the focus is in the window
    return a;
  };
  auto tlacitko = [&](const char* jmeno, const QString& text, auto handler) {
    QAction* a = akce(jmeno, text, handler);
    lista->addAction(a);
    return a;
  };
  auto nabidka = [&](const char* jmeno, const QString& text) {
    auto* b = new QToolButton(lista);
    b->setObjectName(QLatin1String(jmeno));
    b->setText(text);
    b->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(b);
    b->setMenu(menu);
    lista->addWidget(b);
    return menu;
  };
  tlacitko("Tl_Prvni", QStringLiteral("|<"), [this] { JdiNaStranu(0); })->setToolTip(QStringLiteral("První stránka"));
  tlacitko("Tl_Predchozi", QStringLiteral("<"), [this] { JdiNaStranu(Strana() - 1); })
      ->setToolTip(QStringLiteral("Předchozí stránka"));
  Ed_Strana = new QSpinBox(lista);
  Ed_Strana->setObjectName(QStringLiteral("Ed_Strana"));
  Ed_Strana->setRange(1, std::max<int>(1, static_cast<int>(pripravena_.strany.size())));
  lista->addWidget(Ed_Strana);
  La_Strana = new QLabel(lista);
  La_Strana->setObjectName(QStringLiteral("La_Strana"));
  lista->addWidget(La_Strana);
  tlacitko("Tl_Dalsi", QStringLiteral(">"), [this] { JdiNaStranu(Strana() + 1); })
      ->setToolTip(QStringLiteral("Další stránka"));
  tlacitko("Tl_Posledni", QStringLiteral(">|"), [this] { JdiNaStranu(int(pripravena_.strany.size()) - 1); })
      ->setToolTip(QStringLiteral("Poslední stránka"));
  lista->addSeparator();
  CBox_Zvetseni = new QComboBox(lista);
  CBox_Zvetseni->setObjectName(QStringLiteral("CBox_Zvetseni"));
  for (double z : kStupne) CBox_Zvetseni->addItem(QStringLiteral("%1 %").arg(qRound(z * 100)), z);
  CBox_Zvetseni->addItem(QStringLiteral("Na šířku stránky"), dataRezimu(RezimZvetseni::NaSirku));
  CBox_Zvetseni->addItem(QStringLiteral("Celá stránka"), dataRezimu(RezimZvetseni::CelaStrana));
  CBox_Zvetseni->addItem(QStringLiteral("Více stránek"), dataRezimu(RezimZvetseni::ViceStran));
  CBox_Zvetseni->setToolTip(QStringLiteral("Zvětšení (Ctrl+kolečko, Ctrl+plus, Ctrl+minus)"));
  lista->addWidget(CBox_Zvetseni);
  Akce_Osnova = tlacitko("Tl_Osnova", QStringLiteral("Osnova"), [] {});
  Akce_Osnova->setCheckable(true);
  Akce_Osnova->setChecked(true);
  Akce_Osnova->setToolTip(QStringLiteral("Zobrazit nebo skrýt osnovu skupin"));
  lista->addSeparator();
  tlacitko("Tl_Otevrit", QStringLiteral("Otevřít"), [this] { Tl_OtevritClick(); })
      ->setToolTip(QStringLiteral("Otevřít připravenou sestavu ze souboru"));
  tlacitko("Tl_Ulozit", QStringLiteral("Uložit"), [this] { Tl_UlozitClick(); })
      ->setToolTip(QStringLiteral("Uložit zobrazenou sestavu do souboru"));
  tlacitko("Tl_Najit", QStringLiteral("Najít"), [this] { Tl_NajitClick(); })->setShortcut(QKeySequence::Find);
  tlacitko("Tl_Tisk", QStringLiteral("Tisk"), [this] { Tl_TiskClick(); })->setShortcut(QKeySequence::Print);
  Akce_Vzhled = tlacitko("Tl_Vzhled", QStringLiteral("Vzhled stránky"), [this] { Tl_VzhledClick(); });
  Akce_Upravit = tlacitko("Tl_Upravit", QStringLiteral("Upravit"), [this] { Tl_UpravitClick(); });
  auto* export_ = new QToolButton(lista);
  export_->setObjectName(QStringLiteral("Tl_Export"));
  export_->setText(QStringLiteral("Export"));
  export_->setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(export_);
  for (int i = 0; i < static_cast<int>(DruhyVystupu().size()); ++i)
    connect(menu->addAction(DruhyVystupu()[i].nazev), &QAction::triggered, this,
            [this, i] { Chranene([&] { Exportuj(i); }); });
  menu->addSeparator();
  connect(menu->addAction(QStringLiteral("E-mail…")), &QAction::triggered, this,
          [this] { Chranene([&] { OdesliEmailem(pripravena_, sestava_.SouborNastaveni, this); }); });
  export_->setMenu(menu);
  lista->addWidget(export_);
  Akce_RychlyExport = tlacitko("Tl_RychlyExport", QStringLiteral("Rychlý export"), [this] { RychlyExport(); });
  QMenu* nastroje = nabidka("Tl_Nastroje", QStringLiteral("Nástroje"));
  nastroje->addAction(Akce_Osnova);
  nastroje->addAction(akce("Akce_Prejit", QStringLiteral("Přejít na stránku..."), [this] { Tl_PrejitClick(); }));
  nastroje->actions().back()->setShortcut(Qt::CTRL | Qt::Key_G);
  nastroje->addAction(akce("Akce_NajitDalsi", QStringLiteral("Najít další"), [this] { NajdiDalsi(); }));
  nastroje->actions().back()->setShortcut(Qt::Key_F3);
  nastroje->addSeparator();
  Akce_CelaObrazovka = akce("Akce_CelaObrazovka", QStringLiteral("Celá obrazovka"),
                            [this] {
                              setWindowState(Akce_CelaObrazovka->isChecked() ? windowState() | Qt::WindowFullScreen
                                                                             : windowState() & ~Qt::WindowFullScreen);
                            });
  Akce_CelaObrazovka->setCheckable(true);
  Akce_CelaObrazovka->setShortcut(Qt::Key_F11);
  nastroje->addAction(Akce_CelaObrazovka);
  lista->addSeparator();
  tlacitko("Tl_Zavrit", QStringLiteral("Zavřít"), [this] { reject(); });

  Osnova = new QTreeWidget(this);
  Osnova->setObjectName(QStringLiteral("Osnova"));
  // A header's text, and its page: headers of a code that comes back are
  // told apart by where they stand.
  Osnova->setColumnCount(2);
  Osnova->setHeaderHidden(true);
  Osnova->setRootIsDecorated(false);
  Osnova->header()->setStretchLastSection(false);
  Osnova->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  Osnova->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  plocha_ = new QScrollArea(this);
  plocha_->setBackgroundRole(QPalette::Dark);
  plocha_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  strana_ = new TStranaNahledu(plocha_);
  strana_->sestava = &pripravena_;
  strana_->klepnuto = [this](int s) { Chranene([&] { JdiNaStranu(s); }); };
  // A double click in the grid shows that page alone, across the window.
  strana_->dvojklik = [this](int s) {
    Chranene([&] {
      JdiNaStranu(s);
      NastavRezim(RezimZvetseni::NaSirku);
    });
  };
  plocha_->setWidget(strana_);
  plocha_->setFocusPolicy(Qt::StrongFocus);
  plocha_->installEventFilter(this);
  plocha_->viewport()->installEventFilter(this);
  delic_ = new QSplitter(this);
  delic_->addWidget(Osnova);
  delic_->addWidget(plocha_);
  delic_->setStretchFactor(1, 1);
  delic_->setSizes({180, 720});
  auto* rozlozeni = new QVBoxLayout(this);
  rozlozeni->setContentsMargins(0, 0, 0, 0);
  rozlozeni->setSpacing(0);
  rozlozeni->addWidget(lista);
  rozlozeni->addWidget(delic_);

  connect(Ed_Strana, &QSpinBox::valueChanged, this, [this](int v) { Chranene([&] { JdiNaStranu(v - 1); }); });
  connect(CBox_Zvetseni, &QComboBox::currentIndexChanged, this, [this](int i) {
    Chranene([&] {
      const double d = CBox_Zvetseni->itemData(i).toDouble();
      if (d < 0) NastavRezim(static_cast<RezimZvetseni>(qRound(-d)));
      else NastavZvetseni(d);
    });
  });
  connect(Akce_Osnova, &QAction::toggled, this, [this] { ukazOsnovu(); });
  auto bodOsnovy = [this](QTreeWidgetItem* polozka) {
    Chranene([&] { JdiNaBodOsnovy(Osnova->indexOfTopLevelItem(polozka)); });
  };
  connect(Osnova, &QTreeWidget::itemClicked, this, bodOsnovy);
  connect(Osnova, &QTreeWidget::itemActivated, this, bodOsnovy);
  klavesy();
  naplnOsnovu();
  obnovRychlyExport();
  // The preview opens at 100 %.
  NastavZvetseni(1.0);
  obnov();
  plocha_->setFocus();
}

void TNahledSestavy::klavesy() {
  auto klavesa = [this](const QKeySequence& k, auto handler) {
    auto* a = new QAction(this);
    a->setShortcut(k);
    connect(a, &QAction::triggered, this, [this, handler] { Chranene([&] { handler(); }); });
    addAction(a);
  };
  klavesa(QKeySequence(Qt::Key_PageDown), [this] { JdiNaStranu(Strana() + 1); });
  klavesa(QKeySequence(Qt::Key_PageUp), [this] { JdiNaStranu(Strana() - 1); });
  klavesa(QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { JdiNaStranu(0); });
  klavesa(QKeySequence(Qt::CTRL | Qt::Key_End), [this] { JdiNaStranu(int(pripravena_.strany.size()) - 1); });
  klavesa(QKeySequence(Qt::Key_Home), [this] { posunNa(Strana(), 0); });
  klavesa(QKeySequence(Qt::Key_End), [this] { posunNa(Strana(), pripravena_.vyska); });
  klavesa(QKeySequence::ZoomIn, [this] { Priblizit(true); });
  klavesa(QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { Priblizit(true); });
  klavesa(QKeySequence::ZoomOut, [this] { Priblizit(false); });
}

void TNahledSestavy::obnov() {
  const int stran = static_cast<int>(pripravena_.strany.size());
  Ed_Strana->blockSignals(true);
  Ed_Strana->setRange(1, std::max(1, stran));
  Ed_Strana->setValue(Strana() + 1);
  Ed_Strana->blockSignals(false);
  La_Strana->setText(QStringLiteral(" z %1 ").arg(stran));
  strana_->prizpusob();
}

void TNahledSestavy::JdiNaStranu(int strana) {
  const int stran = static_cast<int>(pripravena_.strany.size());
  strana = std::clamp(strana, 0, std::max(0, stran - 1));
  const bool jina = strana != strana_->strana;
  if (jina) strana_->nalezena = nullptr;
  strana_->strana = strana;
  obnov();
  if (Sloupcu() > 0) {
    // The whole page in view, as far as it fits.
    const QSize v = strana_->velikostStrany();
    const QPoint p = strana_->pocatek(strana);
    plocha_->ensureVisible(p.x() + v.width() / 2, p.y() + v.height() / 2, v.width() / 2 + TStranaNahledu::kMezera,
                           v.height() / 2 + TStranaNahledu::kMezera);
  } else if (jina) {
    plocha_->verticalScrollBar()->setValue(0);
  }
}

double TNahledSestavy::ZvetseniPro(RezimZvetseni rezim, QSize plocha, int pruh, double sirkaMm, double vyskaMm,
                                    double pxNaMm) {
  const int m = TStranaNahledu::kMezera;
  const double strana = sirkaMm * pxNaMm, vyska = vyskaMm * pxNaMm;
  if (strana <= 0 || vyska <= 0) return 1.0;
  // One pixel less than the room, so that rounding never calls up a scroll bar.
  const double naSirku = (plocha.width() - pruh - 2 * m - 1) / strana;
  double z = 1.0;
  switch (rezim) {
    case RezimZvetseni::Pevne: return 1.0;
    case RezimZvetseni::NaSirku: z = naSirku; break;
    case RezimZvetseni::CelaStrana:
      z = std::min((plocha.width() - 2 * m - 1) / strana, (plocha.height() - 2 * m - 1) / vyska);
      break;
    case RezimZvetseni::ViceStran:
      // Two rows of pages fill the height; as many columns as fit beside.
      z = std::min(naSirku, (plocha.height() - 3 * m - 1) / 2.0 / vyska);
      break;
  }
  return std::clamp(z, 0.05, 10.0);
}

void TNahledSestavy::prepocitejZvetseni() {
  const bool zMrizky = Sloupcu() > 0;
  if (rezim_ == RezimZvetseni::Pevne) {
    strana_->sloupcu = 0;
  } else {
    const int pruh = plocha_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, plocha_->verticalScrollBar());
    const QSize p = plocha_->maximumViewportSize();
    const double pxNaMm = strana_->logicalDpiX() / 25.4;
    strana_->zvetseni = ZvetseniPro(rezim_, p, pruh, pripravena_.sirka, pripravena_.vyska, pxNaMm);
    strana_->sloupcu = 0;
    if (rezim_ == RezimZvetseni::ViceStran) {
      const int sirka = strana_->velikostStrany().width() + TStranaNahledu::kMezera;
      strana_->sloupcu = std::max(1, (p.width() - pruh - TStranaNahledu::kMezera - 1) / std::max(1, sirka));
    }
  }
  strana_->prizpusob();
  // From the grid to one page: that page from its top.
  if (zMrizky && Sloupcu() == 0) plocha_->verticalScrollBar()->setValue(0);
  ukazNalezenou();
}

void TNahledSestavy::ukazZvetseniVSeznamu() {
  const int i = CBox_Zvetseni->findData(rezim_ == RezimZvetseni::Pevne ? strana_->zvetseni : dataRezimu(rezim_));
  CBox_Zvetseni->blockSignals(true);
  CBox_Zvetseni->setCurrentIndex(i);
  CBox_Zvetseni->blockSignals(false);
}

void TNahledSestavy::NastavZvetseni(double zvetseni) {
  rezim_ = RezimZvetseni::Pevne;
  strana_->zvetseni = std::clamp(zvetseni, 0.1, 10.0);
  ukazZvetseniVSeznamu();
  prepocitejZvetseni();
}

void TNahledSestavy::NastavRezim(RezimZvetseni rezim) {
  if (rezim == RezimZvetseni::Pevne) return NastavZvetseni(Zvetseni());
  rezim_ = rezim;
  ukazZvetseniVSeznamu();
  prepocitejZvetseni();
  JdiNaStranu(Strana());
}

void TNahledSestavy::Priblizit(bool blize) {
  const double z = Zvetseni();
  double novy = blize ? kStupne[std::size(kStupne) - 1] : kStupne[0];
  for (double k : kStupne) {
    if (blize && k > z + 1e-6) return NastavZvetseni(k);
    if (!blize && k < z - 1e-6) novy = k;
  }
  NastavZvetseni(blize ? std::max(z, novy) : std::min(z, novy));
}

bool TNahledSestavy::eventFilter(QObject* objekt, QEvent* udalost) {
  if (objekt == plocha_ && udalost->type() == QEvent::Resize && rezim_ != RezimZvetseni::Pevne) {
    prepocitejZvetseni();
  } else if (objekt == plocha_->viewport() && udalost->type() == QEvent::Wheel) {
    const auto* kolecko = static_cast<QWheelEvent*>(udalost);
    const int krok = kolecko->angleDelta().y();
    if (krok == 0) return false;
    if (kolecko->modifiers() & Qt::ControlModifier) {
      Chranene([&] { Priblizit(krok > 0); });
      return true;
    }
    // With one page on screen, the wheel goes on to the next page at the
    // page's end and back to the previous one at its top.
    QScrollBar* svisly = plocha_->verticalScrollBar();
    const int stran = static_cast<int>(pripravena_.strany.size());
    if (Sloupcu() == 0 && krok < 0 && svisly->value() >= svisly->maximum() && Strana() + 1 < stran) {
      JdiNaStranu(Strana() + 1);
      return true;
    }
    if (Sloupcu() == 0 && krok > 0 && svisly->value() <= svisly->minimum() && Strana() > 0) {
      JdiNaStranu(Strana() - 1);
      svisly->setValue(svisly->maximum());
      return true;
    }
  }
  return QDialog::eventFilter(objekt, udalost);
}

void TNahledSestavy::posunNa(int strana, double yMm) {
  const QPoint p = strana_->pocatek(strana);
  plocha_->verticalScrollBar()->setValue(p.y() + qRound(yMm * strana_->bodyNaMm()) - TStranaNahledu::kMezera);
}

void TNahledSestavy::ukazNalezenou() {
  const Polozka* p = strana_->nalezena;
  if (!p) return;
  const double m = strana_->bodyNaMm();
  const QPoint o = strana_->pocatek(Strana());
  const QRect r(o.x() + qRound(p->obdelnik.left() * m), o.y() + qRound(p->obdelnik.top() * m),
                qRound(p->obdelnik.width() * m), qRound(p->obdelnik.height() * m));
  // The whole text where it fits, its start where it does not.
  plocha_->ensureVisible(r.center().x(), r.center().y(), std::min(r.width() / 2 + 20, plocha_->viewport()->width() / 2),
                         std::min(r.height() / 2 + 20, plocha_->viewport()->height() / 2));
}

void TNahledSestavy::naplnOsnovu() {
  Osnova->clear();
  for (const BodOsnovy& b : pripravena_.osnova) {
    const QString text = ZkracenyText(b.text);
    auto* polozka = new QTreeWidgetItem(Osnova, QStringList{text, QString::number(b.strana + 1)});
    polozka->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    polozka->setToolTip(0, QStringLiteral("%1 (strana %2)").arg(text).arg(b.strana + 1));
  }
  ukazOsnovu();
}

void TNahledSestavy::ukazOsnovu() {
  // A report without groups has no outline: the panel stays hidden.
  const bool skupiny = !pripravena_.osnova.empty();
  Akce_Osnova->setEnabled(skupiny);
  Osnova->setVisible(skupiny && Akce_Osnova->isChecked());
}

void TNahledSestavy::JdiNaBodOsnovy(int i) {
  if (i < 0 || i >= static_cast<int>(pripravena_.osnova.size())) return;
  const BodOsnovy& b = pripravena_.osnova[static_cast<std::size_t>(i)];
  JdiNaStranu(b.strana);
  posunNa(b.strana, b.y);
}

void TNahledSestavy::Tl_PrejitClick() {
  const int stran = static_cast<int>(pripravena_.strany.size());
  seam::InputRequest dotaz{QStringLiteral("Přejít na stránku"), QStringLiteral("Číslo stránky (1 - %1):").arg(stran),
                           QString::number(Strana() + 1), 10};
  const auto text = seam::interaction().input(this, dotaz);
  if (!text) return;
  bool ok = false;
  const int cislo = text->trimmed().toInt(&ok);
  if (!ok || cislo < 1 || cislo > stran) {
    ZobrazZpravu(QStringLiteral("Stránka \"%1\" v sestavě není.").arg(text->trimmed()));
    return;
  }
  JdiNaStranu(cislo - 1);
}

void TNahledSestavy::NajdiDalsi() {
  if (hledany_.isEmpty()) return Tl_NajitClick();
  Najdi(hledany_);
}

void TNahledSestavy::Tl_NajitClick() {
  seam::InputRequest dotaz{QStringLiteral("Hledat text"), QStringLiteral("Hledaný text:"), hledany_, 255};
  const auto text = seam::interaction().input(this, dotaz);
  if (!text || text->isEmpty()) return;
  if (*text != hledany_) hledanaStrana_ = Strana(), hledanaPolozka_ = -1;
  Najdi(*text);
}

bool TNahledSestavy::Najdi(const QString& text) {
  if (text != hledany_) {
    hledany_ = text;
    hledanaStrana_ = Strana();
    hledanaPolozka_ = -1;
  }
  const int stran = static_cast<int>(pripravena_.strany.size());
  for (int s = hledanaStrana_; s < stran; ++s) {
    const auto& polozky = pripravena_.strany[s].polozky;
    for (int i = (s == hledanaStrana_ ? hledanaPolozka_ + 1 : 0); i < static_cast<int>(polozky.size()); ++i) {
      if (polozky[i].text.contains(text, Qt::CaseInsensitive)) {
        hledanaStrana_ = s;
        hledanaPolozka_ = i;
        JdiNaStranu(s);
        strana_->nalezena = &polozky[i];
        strana_->update();
        ukazNalezenou();
        return true;
      }
    }
  }
  ZobrazZpravu(QStringLiteral("Text \"%1\" nebyl nalezen.").arg(text));
  return false;
}

// The pages shown are printed: a page setup of this preview and a prepared
// report opened from a file print as they look here.
void TNahledSestavy::Tl_TiskClick() { okna_.Tiskni(pripravena_, this); }

void TNahledSestavy::Tl_VzhledClick() {
  if (nacteno_) return;  // see Otevri
  QPrinter& tiskarna = okna_.Tiskarna();
  tiskarna.setPageLayout(RozvrzeniListu(pripravena_));
  const Stranka& st = list_;
  tiskarna.setPageMargins(QMarginsF(st.levy, st.horni, st.pravy, st.dolni), QPageLayout::Millimeter);
  QPageSetupDialog dialog(&tiskarna, this);
  if (dialog.exec() != QDialog::Accepted) return;
  ZmenList(tiskarna.pageLayout());
}

void TNahledSestavy::ZmenList(const QPageLayout& rozvrzeni) {
  const Stranka& st = list_;
  const QSizeF velikost = rozvrzeni.pageSize().size(QPageSize::Millimeter);
  const QMarginsF okraje = rozvrzeni.margins(QPageLayout::Millimeter);
  Stranka nova = st;
  nova.sirka = velikost.width();
  nova.vyska = velikost.height();
  nova.naSirku = rozvrzeni.orientation() == QPageLayout::Landscape;
  nova.levy = okraje.left(), nova.horni = okraje.top(), nova.pravy = okraje.right(), nova.dolni = okraje.bottom();
  if (nova.sirkaTisku() <= 0 || nova.horni + nova.dolni >= nova.vyskaListu())
    throw ChybaSablony("Okraje stránky jsou větší než stránka");
  list_ = nova;
  pripravZnovu();
}

void TNahledSestavy::Tl_UpravitClick() {
  if (nacteno_) return;  // see Otevri
  // What the designer saved is the template's sheet from now on.
  if (okna_.Navrh(sestava_, this)) list_ = sestava_.sablona().stranka;
  pripravZnovu();
}

void TNahledSestavy::pripravZnovu() {
  pripravena_ = okna_.Priprav(sestava_, list_);
  strana_->nalezena = nullptr;
  hledanaPolozka_ = -1;
  setWindowTitle(QStringLiteral("Náhled sestavy - %1").arg(ZkracenyText(pripravena_.nazev)));
  naplnOsnovu();
  prepocitejZvetseni();
  JdiNaStranu(Strana());
}

void TNahledSestavy::Tl_OtevritClick() {
  seam::FileRequest dotaz{QStringLiteral("Otevřít připravenou sestavu"), PosledniAdresar(sestava_, kSekcePripravene),
                          {}, {FiltrPripravene()}, 0};
  const QString soubor = seam::interaction().openFileName(this, dotaz);
  if (soubor.isEmpty()) return;
  Otevri(soubor);
  ZapamatujAdresar(sestava_, kSekcePripravene, soubor);
}

void TNahledSestavy::Otevri(const QString& soubor) {
  PripravenaSestava nova;
  {
    KurzorCekani kurzor;
    nova = NactiPripravenou(CestaZTextu(soubor));
  }
  pripravena_ = std::move(nova);
  nacteno_ = true;
  // Page setup and edit prepare the template anew from the register: over
  // pages opened from a file that would throw those pages away for pages
  // of another report (or of the register as it is now), so a preview
  // showing a file offers neither. Print, export, find and save act on the
  // pages shown.
  Akce_Vzhled->setEnabled(false);
  Akce_Upravit->setEnabled(false);
  const QString neni = QStringLiteral("Sestava otevřená ze souboru se znovu nepřipravuje");
  Akce_Vzhled->setToolTip(neni);
  Akce_Upravit->setToolTip(neni);
  strana_->nalezena = nullptr;
  strana_->strana = 0;
  hledanaStrana_ = 0;
  hledanaPolozka_ = -1;
  setWindowTitle(
      QStringLiteral("Náhled sestavy - %1 (%2)").arg(ZkracenyText(pripravena_.nazev), QFileInfo(soubor).fileName()));
  naplnOsnovu();
  prepocitejZvetseni();
  JdiNaStranu(0);
  plocha_->verticalScrollBar()->setValue(0);
}

void TNahledSestavy::Tl_UlozitClick() {
  seam::FileRequest dotaz{QStringLiteral("Uložit připravenou sestavu"), PosledniAdresar(sestava_, kSekcePripravene),
                          jmenoSouboru(pripravena_.nazev) + QLatin1Char('.') + PriponaPripravene(),
                          {FiltrPripravene()}, 0};
  QString soubor = seam::interaction().saveFileName(this, dotaz);
  if (soubor.isEmpty()) return;
  if (QFileInfo(soubor).suffix().isEmpty()) soubor += QLatin1Char('.') + PriponaPripravene();
  {
    KurzorCekani kurzor;
    UlozPripravenou(pripravena_, CestaZTextu(soubor));
  }
  ZapamatujAdresar(sestava_, kSekcePripravene, soubor);
}

QString AdresarExportu(const TSestava& sestava) { return PosledniAdresar(sestava, kSekceExport); }

void TNahledSestavy::Exportuj(int druh) {
  const DruhVystupu& d = DruhyVystupu().at(druh);
  seam::FileRequest dotaz{TitulekExportu(), AdresarExportu(sestava_),
                          jmenoSouboru(pripravena_.nazev) + QLatin1Char('.') + d.pripona, {d.filtr}, 0};
  const QString soubor = seam::interaction().saveFileName(this, dotaz);
  if (soubor.isEmpty() || !SpustVystup(this, druh, pripravena_, CestaZTextu(soubor), ProdlevaPrubehu)) return;
  if (sestava_.SouborNastaveni.empty()) return;
  // The folder and the type for the next export and the quick export: only
  // a convenience, so a settings file that cannot be written does not undo
  // the export that was written.
  try {
    settings::SettingsFile nastaveni(sestava_.SouborNastaveni);
    nastaveni.writeString(kSekceExport, "Adresar", doAnsi(QFileInfo(soubor).absolutePath()));
    nastaveni.writeString(kSekceExport, "Druh", doAnsi(d.pripona));
  } catch (const settings::SettingsWriteError&) {
  }
  obnovRychlyExport();
}

namespace {

// The last export's type (an index into DruhyVystupu(), -1 for none) and folder.
std::pair<int, QString> posledniExport(const fs::path& souborNastaveni) {
  if (souborNastaveni.empty()) return {-1, {}};
  settings::SettingsFile nastaveni(souborNastaveni);
  const QString pripona = zAnsi(nastaveni.readString(kSekceExport, "Druh", ""));
  const QString adresar = zAnsi(nastaveni.readString(kSekceExport, "Adresar", ""));
  for (int i = 0; i < static_cast<int>(DruhyVystupu().size()); ++i)
    if (!pripona.isEmpty() && DruhyVystupu()[i].pripona == pripona && !adresar.isEmpty()) return {i, adresar};
  return {-1, {}};
}

}  // namespace

void TNahledSestavy::obnovRychlyExport() {
  const auto [druh, adresar] = posledniExport(sestava_.SouborNastaveni);
  Akce_RychlyExport->setEnabled(druh >= 0);
  Akce_RychlyExport->setToolTip(
      druh >= 0 ? QStringLiteral("Rychlý export: %1 do složky %2").arg(DruhyVystupu()[druh].nazev, adresar)
                : QStringLiteral("Rychlý export zopakuje druh a složku posledního exportu; zatím žádný nebyl"));
}

void TNahledSestavy::RychlyExport() {
  const auto [druh, adresar] = posledniExport(sestava_.SouborNastaveni);
  if (druh < 0) return;
  const DruhVystupu& d = DruhyVystupu()[static_cast<std::size_t>(druh)];
  SpustVystup(this, druh, pripravena_,
              CestaZTextu(adresar) / CestaZTextu(jmenoSouboru(pripravena_.nazev) + QLatin1Char('.') + d.pripona),
              ProdlevaPrubehu);
}

}  // namespace sestavy
