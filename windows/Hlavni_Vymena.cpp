// Export of the register to six file types and the import of delimited
// text.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QProgressBar>
#include <QStringList>
#include <memory>

#include "Autor.h"
#include "BusyCursor.h"
#include "Export1.h"
#include "Hlavni_f.h"
#include "ImportCSV.h"
#include "Seam.h"
#include "Texty.h"
#include "Zpravy.h"

namespace {

const QString kTitulekExportu = QStringLiteral("Uložit databázi do souboru ...");


// While a table export walks the register the window repaints, but takes no
// commands: a record deleted mid-walk would spoil the file. Input meant for
// the program is dropped, not kept for later, and the window cannot be
// closed.
class BezPrikazu : public QObject {
 public:
  BezPrikazu() { qApp->installEventFilter(this); }
  ~BezPrikazu() override { qApp->removeEventFilter(this); }

  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Shortcut:
      case QEvent::ShortcutOverride:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
        return true;
      case QEvent::Close:
        event->ignore();
        return true;
      default:
        return false;
    }
  }
};

// The frame of a table export on the window's side: busy cursor, no
// commands, repaints while the writer walks, and a progress bar in the
// status panel once the export has taken half a second.
class BehExportu {
 public:
  explicit BehExportu(THlavni& okno) : okno_(okno) {
    cas_.start();
    prubeh.zpravy = [] { QCoreApplication::processEvents(); };
    prubeh.postup = [this](std::int64_t zapsano, std::int64_t celkem) { ukaz(zapsano, celkem); };
  }
  ~BehExportu() { delete pruh_; }
  BehExportu(const BehExportu&) = delete;
  BehExportu& operator=(const BehExportu&) = delete;

  vymena::Prubeh prubeh;

 private:
  void ukaz(std::int64_t zapsano, std::int64_t celkem) {
    if (!pruh_) {
      if (cas_.elapsed() < 500) return;
      QWidget* panel = okno_.SpodniNastrojPanel;
      pruh_ = new QProgressBar(panel);
      pruh_->setObjectName(QStringLiteral("PrubehExportu"));
      pruh_->setTextVisible(true);
      pruh_->setGeometry(panel->width() - 248, 3, 240, panel->height() - 6);
      pruh_->setRange(0, static_cast<int>(std::min<std::int64_t>(celkem, INT_MAX)));
      pruh_->setFormat(QStringLiteral("Zapsáno %v z %m záznamů"));
      pruh_->show();
    }
    pruh_->setValue(static_cast<int>(std::min<std::int64_t>(zapsano, INT_MAX)));
  }

  THlavni& okno_;
  QElapsedTimer cas_;
  KurzorCekani kurzor_;
  BezPrikazu bezPrikazu_;
  QProgressBar* pruh_ = nullptr;
};

// How each type is written. The three forms of the data packet hold the
// whole register; the three tables follow the grid's order and filter.
template <store::PacketForm forma>
void ZapisPaket(THlavni& okno, const QString& soubor) {
  okno.ClientDataSet1.saveToFile(CestaZTextu(soubor), forma);
}

void ZapisHTML(THlavni& okno, const QString& soubor) { okno.ExportDoHTML(soubor); }

void ZapisXLS(THlavni& okno, const QString& soubor) {
  try {
    BehExportu beh(okno);
    vymena::ExportDoXLS(okno.ClientDataSet1, true, CestaZTextu(soubor), beh.prubeh);
  } catch (const vymena::PrilisMnohoRadku& e) {
    ZobrazZpravu(QString::fromUtf8(e.what()));
  }
}

void ZapisCSV(THlavni& okno, const QString& soubor) {
  BehExportu beh(okno);
  vymena::ExportDoCSV(okno.ClientDataSet1, true, true, ';', CestaZTextu(soubor), beh.prubeh);
}

struct TTyp {
  const char* NazevTypu;
  const char* Pripona;
  void (*Zapis)(THlavni& okno, const QString& soubor);
};

// The export types; a row's place (from 1) is the type's number and its
// index (from 0) in the save dialog's type list.
constexpr TTyp TypyExportu[] = {
    {"Document HTML", ".html", ZapisHTML},
    {"Document XML", ".xml", ZapisPaket<store::PacketForm::Xml>},
    {"Document XML (UTF8)", ".xml", ZapisPaket<store::PacketForm::XmlUtf8>},
    {"Document MS Excel", ".xls", ZapisXLS},
    {"Database CDS", ".cds", ZapisPaket<store::PacketForm::Binary>},
    {"Database CSV", ".csv", ZapisCSV},
};
constexpr int kPocetTypu = static_cast<int>(std::size(TypyExportu));

}  // namespace

QString THlavni::OpravPriponu(const QString& jmeno, int typ) {
  if (typ < 1 || typ > kPocetTypu) return jmeno;
  const QString pripona = QLatin1String(TypyExportu[typ - 1].Pripona);
  qsizetype oddelovac = jmeno.lastIndexOf(u'/');
#ifdef _WIN32
  oddelovac = std::max(oddelovac, jmeno.lastIndexOf(u'\\'));
#endif
  const qsizetype tecka = jmeno.lastIndexOf(u'.');
  if (tecka < 0 || tecka < oddelovac) return jmeno + pripona;
  QString stavajici = jmeno.mid(tecka);
  // Letters compared as ASCII: no other letter folds.
  for (QChar& c : stavajici)
    if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + 32);
  if (stavajici == pripona) return jmeno;
  return jmeno.left(tecka) + pripona;
}

void THlavni::Akce_ExportDatExecute() {
  seam::FileRequest dialog;
  dialog.caption = kTitulekExportu;
  dialog.directory = TextCesty(AdresarProgramu);
  dialog.fileName = QStringLiteral("Nový soubor");
  for (const TTyp& t : TypyExportu)
    dialog.filters << QLatin1String(t.NazevTypu) + QStringLiteral(" (*") + QLatin1String(t.Pripona) +
                          QStringLiteral(")");
  dialog.filterIndex = TypExportu - 1;
  const QString zvoleno = seam::interaction().saveFileName(this, dialog);
  if (zvoleno.isEmpty()) return;
  const int typ = dialog.filterIndex + 1;
  if (typ >= 1 && typ <= kPocetTypu) TypExportu = typ;

  const QString soubor = OpravPriponu(zvoleno, typ);
  if (QFileInfo::exists(soubor) &&
      ZobrazDotaz(kTitulekExportu,
                  QStringLiteral("Soubor \"") + QDir::toNativeSeparators(soubor) +
                      QStringLiteral("\" již existuje. Chcete jej přepsat?"),
                  DruhDotazu::AnoNeVarovani) != QMessageBox::Yes)
    return;

  if (typ >= 1 && typ <= kPocetTypu) TypyExportu[typ - 1].Zapis(*this, soubor);
}

void THlavni::ExportDoHTML(const QString& soubor) {
  BehExportu beh(*this);
  vymena::ExportDoHTML(ClientDataSet1, doAnsi(TitulekAplikace()), kStrankyAutora, CestaZTextu(soubor), beh.prubeh);
}

void THlavni::Akce_ImportDatExecute() {
  seam::FileRequest dialog;
  dialog.caption = QStringLiteral("Otevřít soubor csv");
  dialog.directory = TextCesty(AdresarProgramu);
  dialog.filters << QStringLiteral("Databáze csv (*.csv)");
  dialog.filterIndex = 0;
  const QString soubor = seam::interaction().openFileName(this, dialog);
  if (soubor.isEmpty()) return;
  ImportZCSV(soubor);
}

void THlavni::ImportZCSV(const QString& soubor) {
  // The import lets no messages through: the window repaints once, at its end.
  KurzorCekani kurzor;
  vymena::ImportZCSV(ClientDataSet1, CestaZTextu(soubor));
}
