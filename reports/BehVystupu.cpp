#include "BehVystupu.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QMessageBox>
#include <QProgressDialog>
#include <memory>
#include <optional>

#include "BusyCursor.h"
#include "Seam.h"
#include "Vystupy.h"

namespace sestavy {

namespace {

// The busy cursor, the window repainting while the engine writes, and once
// the export has run `prodleva` milliseconds a progress dialog, modal over
// the window, whose "Storno" stops it.
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
    dialog_->setWindowTitle(TitulekExportu());
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

}  // namespace

QString TitulekExportu() { return QStringLiteral("Export sestavy"); }

// The question before a picture export of `bajtu` bytes over `stran` pages.
QString OtazkaVelkehoVystupu(std::int64_t bajtu, int stran) {
  const QString mb = QLocale(QLocale::Czech).toString(static_cast<qlonglong>((bajtu + 500'000) / 1'000'000));
  if (stran == 1)
    return QStringLiteral("Obrázek stránky sestavy zabere odhadem %1 MB. Chcete jej přesto uložit?").arg(mb);
  return QStringLiteral("Obrázky všech %1 stránek sestavy zaberou odhadem %2 MB. Chcete je přesto uložit?")
      .arg(stran)
      .arg(mb);
}

bool SpustVystup(QWidget* okno, int druh, const PripravenaSestava& s, const std::filesystem::path& soubor,
                 int prodleva) {
  const DruhVystupu& d = DruhyVystupu().at(druh);
  if (d.odhad) {
    std::int64_t bajtu = 0;
    {
      KurzorCekani kurzor;
      bajtu = d.odhad(s);
    }
    // Asked over `okno` rather than over the active window: just after a
    // file dialog the desktop may have no active window yet, and a box
    // without an owner stays hidden behind the preview.
    seam::MessageRequest otazka;
    otazka.icon = QMessageBox::Warning;
    otazka.caption = TitulekExportu();
    otazka.text = OtazkaVelkehoVystupu(bajtu, static_cast<int>(s.strany.size()));
    otazka.buttons = QMessageBox::Yes | QMessageBox::No;
    otazka.defaultButton = QMessageBox::No;
    if (bajtu > kVelkyVystup && seam::interaction().message(okno, otazka) != QMessageBox::Yes) return false;
  }
  try {
    BehVystupu beh(okno, prodleva);
    Vystup(druh, s, soubor, [&beh](int hotovo, int celkem) { return beh.strana(hotovo, celkem); });
  } catch (const VystupZrusen&) {
    return false;  // stopped by the person: nothing was written
  }
  return true;
}

}  // namespace sestavy
