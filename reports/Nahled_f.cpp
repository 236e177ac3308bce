#include "Nahled_f.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>
#include <memory>
#include <optional>

#include "BusyCursor.h"
#include "OknaSestavy.h"
#include "PostaDialog_f.h"
#include "Seam.h"
#include "SettingsFile.h"
#include "Texty.h"
#include "Vykresleni.h"
#include "Vystupy.h"
#include "Zpravy.h"

namespace sestavy {

namespace fs = std::filesystem;

namespace {

const QString kTitulekExportu = QStringLiteral("Export sestavy");

// Pictures estimated beyond this many bytes are written only when the
// person says so.
constexpr std::int64_t kVelkyVystup = 500'000'000;

// An export as the preview runs it: the busy cursor, the window repainting
// while the engine writes, and once the export has run `prodleva`
// milliseconds a progress dialog, modal over the preview, whose "Storno"
// stops it.
class BehVystupu {
 public:
  BehVystupu(QWidget* okno, int prodleva) : okno_(okno), prodleva_(prodleva) {
    cas_.start();
  }

  // The engine's report of a page written; false stops the export.
  bool strana(int hotovo, int celkem) {
    const qint64 ted = cas_.elapsed();
    const bool ukazat = !dialog_ && ted >= prodleva_;
    if (ukazat || ted - posledni_ >= 20 || hotovo == celkem) {
      if (ukazat) ukaz(celkem);
      if (dialog_) {
        dialog_->setLabelText(QStringLiteral("Strana %1 z %2").arg(hotovo).arg(celkem));
        dialog_->setValue(hotovo);
      }
      // Until the dialog shows, the preview only repaints: it takes no
      // command while its pages are written.
      QCoreApplication::processEvents(dialog_ ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
      posledni_ = cas_.elapsed();
    }
    return !(dialog_ && dialog_->wasCanceled());
  }

 private:
  void ukaz(int celkem) {
    dialog_ = std::make_unique<QProgressDialog>(okno_);
    dialog_->setObjectName(QStringLiteral("PrubehExportu"));
    dialog_->setWindowTitle(kTitulekExportu);
    dialog_->setCancelButtonText(QStringLiteral("Storno"));
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(0);
    dialog_->setRange(0, celkem);
    dialog_->setMinimumWidth(320);
    // Modal over the preview: its commands wait while the export runs.
    dialog_->setWindowModality(Qt::WindowModal);
    kurzor_.reset();  // the dialog's button is there to be pressed
    dialog_->show();
  }

  QWidget* okno_;
  int prodleva_;
  QElapsedTimer cas_;
  qint64 posledni_ = 0;
  std::optional<KurzorCekani> kurzor_{std::in_place};
  std::unique_ptr<QProgressDialog> dialog_;
};

// The question before a picture export of `bajtu` bytes over `stran` pages.
QString OtazkaVelkehoVystupu(std::int64_t bajtu, int stran) {
  const QString mb = QLocale(QLocale::Czech).toString(static_cast<qlonglong>((bajtu + 500'000) / 1'000'000));
  if (stran == 1)
    return QStringLiteral("Obrázek stránky sestavy zabere odhadem %1 MB. Chcete jej přesto uložit?").arg(mb);
  return QStringLiteral("Obrázky všech %1 stránek sestavy zaberou odhadem %2 MB. Chcete je přesto uložit?")
      .arg(stran)
      .arg(mb);
}

}  // namespace

double TStranaNahledu::bodyNaMm() const { return logicalDpiX() / 25.4 * zvetseni; }

void TStranaNahledu::prizpusob() {
  if (!sestava) return;
  setFixedSize(qRound(sestava->sirka * bodyNaMm()), qRound(sestava->vyska * bodyNaMm()));
  update();
}

void TStranaNahledu::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (!sestava || sestava->strany.empty()) return;
  painter.setRenderHint(QPainter::TextAntialiasing);
  VykresliStranu(painter, *sestava, strana, bodyNaMm(), nalezena);
}

TNahledSestavy::TNahledSestavy(TOknaSestavy& okna, TSestava& sestava, PripravenaSestava pripravena, QWidget* parent)
    : QDialog(parent), okna_(okna), sestava_(sestava), list_(sestava.sablona().stranka), pripravena_(std::move(pripravena)) {
  setObjectName(QStringLiteral("TNahledSestavy"));
  setWindowTitle(QStringLiteral("Náhled sestavy - %1").arg(ZkracenyText(pripravena_.nazev)));
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setAttribute(Qt::WA_DeleteOnClose, false);
  resize(900, 700);

  auto* lista = new QToolBar(this);
  lista->setObjectName(QStringLiteral("ToolBar1"));
  auto tlacitko = [&](const char* jmeno, const QString& text, auto handler) {
    QAction* a = lista->addAction(text);
    a->setObjectName(QLatin1String(jmeno));
    connect(a, &QAction::triggered, this, [this, handler] { Chranene([&] { handler(); }); });
    return a;
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
  for (int z : {25, 50, 75, 100, 150, 200, 300}) CBox_Zvetseni->addItem(QStringLiteral("%1 %").arg(z), z / 100.0);
  CBox_Zvetseni->setCurrentIndex(3);
  lista->addWidget(CBox_Zvetseni);
  lista->addSeparator();
  tlacitko("Tl_Najit", QStringLiteral("Najít"), [this] { Tl_NajitClick(); });
  tlacitko("Tl_Tisk", QStringLiteral("Tisk"), [this] { Tl_TiskClick(); });
  tlacitko("Tl_Vzhled", QStringLiteral("Vzhled stránky"), [this] { Tl_VzhledClick(); });
  tlacitko("Tl_Upravit", QStringLiteral("Upravit"), [this] { Tl_UpravitClick(); });
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
  lista->addSeparator();
  tlacitko("Tl_Zavrit", QStringLiteral("Zavřít"), [this] { reject(); });

  plocha_ = new QScrollArea(this);
  plocha_->setBackgroundRole(QPalette::Dark);
  plocha_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  strana_ = new TStranaNahledu(plocha_);
  strana_->sestava = &pripravena_;
  plocha_->setWidget(strana_);
  auto* rozlozeni = new QVBoxLayout(this);
  rozlozeni->setContentsMargins(0, 0, 0, 0);
  rozlozeni->setSpacing(0);
  rozlozeni->addWidget(lista);
  rozlozeni->addWidget(plocha_);

  connect(Ed_Strana, &QSpinBox::valueChanged, this, [this](int v) { Chranene([&] { JdiNaStranu(v - 1); }); });
  connect(CBox_Zvetseni, &QComboBox::currentIndexChanged, this,
          [this](int i) { Chranene([&] { NastavZvetseni(CBox_Zvetseni->itemData(i).toDouble()); }); });
  // The preview opens at 100 %.
  NastavZvetseni(1.0);
  obnov();
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
  if (strana != strana_->strana) strana_->nalezena = nullptr;
  strana_->strana = strana;
  obnov();
}

void TNahledSestavy::NastavZvetseni(double zvetseni) {
  strana_->zvetseni = std::clamp(zvetseni, 0.1, 10.0);
  const int i = CBox_Zvetseni->findData(strana_->zvetseni);
  if (i >= 0 && i != CBox_Zvetseni->currentIndex()) {
    CBox_Zvetseni->blockSignals(true);
    CBox_Zvetseni->setCurrentIndex(i);
    CBox_Zvetseni->blockSignals(false);
  }
  strana_->prizpusob();
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
        const double m = strana_->bodyNaMm();
        plocha_->ensureVisible(qRound(polozky[i].obdelnik.center().x() * m), qRound(polozky[i].obdelnik.center().y() * m));
        return true;
      }
    }
  }
  ZobrazZpravu(QStringLiteral("Text \"%1\" nebyl nalezen.").arg(text));
  return false;
}

void TNahledSestavy::Tl_TiskClick() { okna_.Tiskni(sestava_, this); }

void TNahledSestavy::Tl_VzhledClick() {
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
  // What the designer saved is the template's sheet from now on.
  if (okna_.Navrh(sestava_, this)) list_ = sestava_.sablona().stranka;
  pripravZnovu();
}

void TNahledSestavy::pripravZnovu() {
  pripravena_ = okna_.Priprav(sestava_, list_);
  strana_->nalezena = nullptr;
  hledanaPolozka_ = -1;
  setWindowTitle(QStringLiteral("Náhled sestavy - %1").arg(ZkracenyText(pripravena_.nazev)));
  JdiNaStranu(Strana());
}

QString AdresarExportu(const TSestava& sestava) {
  if (sestava.SouborNastaveni.empty()) return QCoreApplication::applicationDirPath();
  const settings::SettingsFile nastaveni(sestava.SouborNastaveni);
  const QString posledni = zAnsi(nastaveni.readString("Export", "Adresar", ""));
  return posledni.isEmpty() ? TextCesty(sestava.SouborNastaveni.parent_path()) : posledni;
}

void TNahledSestavy::Exportuj(int druh) {
  const DruhVystupu& d = DruhyVystupu().at(druh);
  settings::SettingsFile nastaveni(sestava_.SouborNastaveni);
  const QString adresar = AdresarExportu(sestava_);
  QString jmeno = pripravena_.nazev.isEmpty() ? QStringLiteral("Sestava") : ZkracenyText(pripravena_.nazev, 100);
  static const QRegularExpression zakazane(QStringLiteral("[\\\\/:*?\"<>|]"));
  jmeno.replace(zakazane, QStringLiteral("_"));
  seam::FileRequest dotaz{kTitulekExportu, adresar, jmeno + QLatin1Char('.') + d.pripona, {d.filtr}, 0};
  const QString soubor = seam::interaction().saveFileName(this, dotaz);
  if (soubor.isEmpty()) return;
  if (d.odhad) {
    std::int64_t bajtu = 0;
    {
      KurzorCekani kurzor;
      bajtu = d.odhad(pripravena_);
    }
    // The question as ZobrazDotaz's warning asks it, but over the preview:
    // just after the save dialog the desktop may have no active window yet,
    // and a box without one stays hidden behind the preview.
    seam::MessageRequest otazka;
    otazka.icon = QMessageBox::Warning;
    otazka.caption = kTitulekExportu;
    otazka.text = OtazkaVelkehoVystupu(bajtu, static_cast<int>(pripravena_.strany.size()));
    otazka.buttons = QMessageBox::Yes | QMessageBox::No;
    otazka.defaultButton = QMessageBox::No;
    if (bajtu > kVelkyVystup && seam::interaction().message(this, otazka) != QMessageBox::Yes) return;
  }
  try {
    BehVystupu beh(this, ProdlevaPrubehu);
    Vystup(druh, pripravena_, CestaZTextu(soubor), [&beh](int hotovo, int celkem) { return beh.strana(hotovo, celkem); });
  } catch (const VystupZrusen&) {
    return;  // stopped by the person: nothing was written, nothing to say
  }
  if (!sestava_.SouborNastaveni.empty()) {
    // Only a convenience for the next export: a settings file that cannot
    // be written does not undo the export that was written.
    try {
      nastaveni.writeString("Export", "Adresar", doAnsi(QFileInfo(soubor).absolutePath()));
    } catch (const settings::SettingsWriteError&) {
    }
  }
}

}  // namespace sestavy
