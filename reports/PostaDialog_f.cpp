#include "PostaDialog_f.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <thread>

#ifdef ODK_KLICENKA
#include <qt6keychain/keychain.h>
#endif

#include "BehVystupu.h"
#include "BusyCursor.h"
#include "KlavesyDialogu.h"
#include "Seam.h"
#include "SettingsFile.h"
#include "Texty.h"
#include "Vystupy.h"
#include "Zpravy.h"

namespace sestavy {

namespace fs = std::filesystem;

namespace {

// The section of the engine's settings file that the dialog keeps.
constexpr std::string_view kSekce = "Email";

#ifdef ODK_KLICENKA
// The desktop's keyring through qtkeychain. Its jobs answer asynchronously:
// each call waits for its job a few seconds at most. The first failure
// other than "no such entry" (no keyring service, no session bus, access
// refused) marks the keyring unreachable for the rest of the run, so that
// the person is asked for the password and told nothing, once.
class KlicenkaPlochy final : public UlozisteHesel {
 public:
  std::optional<QString> Nacti(const QString& klic) override {
    if (nedostupna_) return std::nullopt;
    auto* job = new QKeychain::ReadPasswordJob(sluzba());
    job->setKey(klic);
    const auto vysledek = spust(job, [](QKeychain::Job* j) { return static_cast<QKeychain::ReadPasswordJob*>(j)->textData(); });
    if (!vysledek || vysledek->first != QKeychain::NoError) return std::nullopt;
    return vysledek->second;
  }
  bool Uloz(const QString& klic, const QString& heslo) override {
    if (nedostupna_) return false;
    auto* job = new QKeychain::WritePasswordJob(sluzba());
    job->setKey(klic);
    job->setTextData(heslo);
    const auto vysledek = spust(job, nullptr);
    return vysledek && vysledek->first == QKeychain::NoError;
  }
  void Smaz(const QString& klic) override {
    if (nedostupna_) return;
    auto* job = new QKeychain::DeletePasswordJob(sluzba());
    job->setKey(klic);
    spust(job, nullptr);
  }

 private:
  static QString sluzba() { return QStringLiteral("Odkaznik"); }

  using Vysledek = std::pair<QKeychain::Error, QString>;
  std::optional<Vysledek> spust(QKeychain::Job* job, QString (*data)(QKeychain::Job*)) {
    // The job deletes itself when it ends, also after this call gave up on it.
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    auto vysledek = std::make_shared<std::optional<Vysledek>>();
    QEventLoop smycka;
    QObject::connect(job, &QKeychain::Job::finished, &smycka, [vysledek, data, &smycka](QKeychain::Job* j) {
      *vysledek = Vysledek{j->error(), data && j->error() == QKeychain::NoError ? data(j) : QString()};
      smycka.quit();
    });
    QTimer::singleShot(5000, &smycka, &QEventLoop::quit);
    job->start();
    if (!*vysledek) smycka.exec(QEventLoop::ExcludeUserInputEvents);
    if (!*vysledek || ((*vysledek)->first != QKeychain::NoError && (*vysledek)->first != QKeychain::EntryNotFound))
      nedostupna_ = true;
    return *vysledek;
  }

  bool nedostupna_ = false;
};
#else
// Built without a keyring: nothing is kept, the password is asked for.
class KlicenkaPlochy final : public UlozisteHesel {
 public:
  std::optional<QString> Nacti(const QString&) override { return std::nullopt; }
  bool Uloz(const QString&, const QString&) override { return false; }
  void Smaz(const QString&) override {}
};
#endif

UlozisteHesel* nahradaKlicenky = nullptr;

// The attachment's name: the report's name without the characters a file
// name may not hold.
QString jmenoPrilohy(const PripravenaSestava& s) {
  QString jmeno = s.nazev.trimmed().isEmpty() ? QStringLiteral("Sestava") : s.nazev.trimmed();
  static const QRegularExpression zakazane(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1F]"));
  return jmeno.replace(zakazane, QStringLiteral("_"));
}

}  // namespace

UlozisteHesel& Klicenka() {
  static KlicenkaPlochy plocha;
  return nahradaKlicenky ? *nahradaKlicenky : plocha;
}

void NastavUlozisteHesel(UlozisteHesel* nahrada) { nahradaKlicenky = nahrada; }

QString KlicHesla(const QString& uzivatel, const QString& server, int port) {
  return QStringLiteral("%1@%2:%3").arg(uzivatel, server.trimmed().toLower()).arg(port);
}

bool OdesliSCekanim(QWidget* parent, const ZpravaPosty& zprava, const std::string& mime, const VolbyOdeslani& volby) {
  // The sending runs on a thread of its own: a server that is slow to answer
  // (up to the time limit) leaves the window repainting and "Storno" working,
  // with no event processed inside the transfer's callbacks. The progress
  // window is modal, so nothing else of the program runs meanwhile.
  std::atomic<bool> hotovo{false}, zrusit{false};
  std::atomic<std::int64_t> odeslano{0};
  std::exception_ptr chyba;
  VolbyOdeslani vlakno = volby;
  vlakno.prubeh = [&, puvodni = volby.prubeh](std::int64_t kolik, std::int64_t celkem) {
    odeslano = kolik;
    if (puvodni && !puvodni(kolik, celkem)) return false;
    return !zrusit.load();
  };

  QProgressDialog okno(QStringLiteral("Odesílám sestavu na server %1…").arg(zprava.server.trimmed()),
                       QStringLiteral("Storno"), 0, 1000, parent);
  okno.setWindowTitle(QStringLiteral("Odesílání sestavy"));
  okno.setMinimumWidth(360);
  okno.setWindowModality(Qt::WindowModal);
  okno.setMinimumDuration(0);
  okno.setAutoClose(false);
  okno.setAutoReset(false);
  okno.setValue(0);
  okno.show();
  QObject::connect(&okno, &QProgressDialog::canceled, [&] { zrusit = true; });

  std::thread odesilani([&] {
    try {
      OdesliZpravu(zprava, mime, vlakno);
    } catch (...) {
      chyba = std::current_exception();
    }
    hotovo = true;
  });
  {
    QEventLoop smycka;
    QTimer hlidka;
    QObject::connect(&hlidka, &QTimer::timeout, [&] {
      if (hotovo) return smycka.quit();
      // Esc hides the progress window without its "canceled" signal.
      if (okno.wasCanceled() || !okno.isVisible()) zrusit = true;
      if (!mime.empty() && !zrusit)
        okno.setValue(static_cast<int>(std::min<std::int64_t>(999, odeslano * 1000 / static_cast<std::int64_t>(mime.size()))));
    });
    hlidka.start(50);
    smycka.exec();
  }
  odesilani.join();
  okno.close();
  // What follows (the message that it was sent, the error box) takes the
  // active window as its owner: the window under the progress window, once
  // the window manager has handed the activation back. Asked too early, the
  // box would have no owner and could open under the report's windows.
  if (QWidget* vlastnik = parent ? parent->window() : nullptr; vlastnik && vlastnik->isVisible()) {
    vlastnik->activateWindow();
    QElapsedTimer cekani;
    cekani.start();
    while (QApplication::activeWindow() != vlastnik && cekani.elapsed() < 1000) {
      QEventLoop chvile;
      QTimer::singleShot(10, &chvile, &QEventLoop::quit);
      chvile.exec(QEventLoop::ExcludeUserInputEvents);
    }
  }
  if (chyba) {
    try {
      std::rethrow_exception(chyba);
    } catch (const OdeslaniPreruseno&) {
      return false;
    }
  }
  return true;
}

TPostaSestavy::TPostaSestavy(const PripravenaSestava& pripravena, fs::path souborNastaveni, QWidget* parent)
    : QDialog(parent), pripravena_(pripravena), souborNastaveni_(std::move(souborNastaveni)) {
  setObjectName(QStringLiteral("TPostaSestavy"));
  setWindowTitle(QStringLiteral("Odeslat sestavu e-mailem"));
  auto pojmenuj = [](auto* w, const char* jmeno) {
    w->setObjectName(QLatin1String(jmeno));
    return w;
  };
  Ed_Server = pojmenuj(new QLineEdit(this), "Ed_Server");
  Ed_Port = pojmenuj(new QSpinBox(this), "Ed_Port");
  Ed_Port->setRange(1, 65535);
  Ed_Port->setValue(25);
  Ed_Odesilatel = pojmenuj(new QLineEdit(this), "Ed_Odesilatel");
  Ed_Prijemci = pojmenuj(new QLineEdit(this), "Ed_Prijemci");
  Ed_Prijemci->setToolTip(QStringLiteral("Více adres oddělte středníkem nebo čárkou"));
  Ed_Predmet = pojmenuj(new QLineEdit(this), "Ed_Predmet");
  Ed_Text = pojmenuj(new QPlainTextEdit(this), "Ed_Text");
  Ed_Text->setTabChangesFocus(true);
  CBox_Vystup = pojmenuj(new QComboBox(this), "CBox_Vystup");
  for (const DruhVystupu& d : DruhyVystupu()) CBox_Vystup->addItem(d.nazev, d.pripona);
  Ed_Uzivatel = pojmenuj(new QLineEdit(this), "Ed_Uzivatel");
  ChB_Heslo = pojmenuj(new QCheckBox(QStringLiteral("Zapamatovat heslo"), this), "ChB_Heslo");
  Tl_Odeslat = pojmenuj(new QPushButton(QStringLiteral("Odeslat"), this), "Tl_Odeslat");
  Tl_Storno = pojmenuj(new QPushButton(QStringLiteral("Storno"), this), "Tl_Storno");

  auto* serverPort = new QHBoxLayout;
  serverPort->addWidget(Ed_Server, 1);
  serverPort->addWidget(new QLabel(QStringLiteral("Port:"), this));
  serverPort->addWidget(Ed_Port);
  auto* formular = new QFormLayout;
  formular->addRow(QStringLiteral("Server SMTP:"), serverPort);
  formular->addRow(QStringLiteral("Odesílatel:"), Ed_Odesilatel);
  formular->addRow(QStringLiteral("Příjemci:"), Ed_Prijemci);
  formular->addRow(QStringLiteral("Předmět:"), Ed_Predmet);
  formular->addRow(QStringLiteral("Text zprávy:"), Ed_Text);
  formular->addRow(QStringLiteral("Sestava jako:"), CBox_Vystup);
  formular->addRow(QStringLiteral("Uživatel:"), Ed_Uzivatel);
  formular->addRow(QString(), ChB_Heslo);
  auto* tlacitka = new QHBoxLayout;
  tlacitka->addStretch();
  tlacitka->addWidget(Tl_Odeslat);
  tlacitka->addWidget(Tl_Storno);
  auto* rozlozeni = new QVBoxLayout(this);
  rozlozeni->addLayout(formular);
  rozlozeni->addLayout(tlacitka);
  resize(480, 420);

  setTabOrder(Ed_Server, Ed_Port);
  setTabOrder(Ed_Port, Ed_Odesilatel);
  setTabOrder(Ed_Odesilatel, Ed_Prijemci);
  setTabOrder(Ed_Prijemci, Ed_Predmet);
  setTabOrder(Ed_Predmet, Ed_Text);
  setTabOrder(Ed_Text, CBox_Vystup);
  setTabOrder(CBox_Vystup, Ed_Uzivatel);
  setTabOrder(Ed_Uzivatel, ChB_Heslo);
  setTabOrder(ChB_Heslo, Tl_Odeslat);
  setTabOrder(Tl_Odeslat, Tl_Storno);

  connect(Tl_Odeslat, &QPushButton::clicked, this, [this] { Chranene([&] { Tl_OdeslatClick(); }); });
  connect(Tl_Storno, &QPushButton::clicked, this, &QDialog::reject);
  NastavTlacitkaDialogu(this, Tl_Odeslat);

  Chranene([&] { nactiNastaveni(); });
  ZamerNaPrvni({Ed_Server});
}

void TPostaSestavy::nactiNastaveni() {
  CBox_Vystup->setCurrentIndex(std::max(0, CBox_Vystup->findData(QStringLiteral("pdf"))));
  Ed_Predmet->setText(pripravena_.nazev);
  if (souborNastaveni_.empty()) return;
  const settings::SettingsFile n(souborNastaveni_);
  auto text = [&](std::string_view klic, const QString& vychozi = {}) {
    return zAnsi(n.readString(kSekce, klic, doAnsi(vychozi)));
  };
  Ed_Server->setText(text("Server"));
  Ed_Port->setValue(std::clamp(n.readInteger(kSekce, "Port", 25), 1, 65535));
  Ed_Odesilatel->setText(text("Odesilatel"));
  Ed_Prijemci->setText(text("Prijemci"));
  Ed_Predmet->setText(text("Predmet", pripravena_.nazev));
  const int druh = CBox_Vystup->findData(text("Vystup").toLower());
  if (druh >= 0) CBox_Vystup->setCurrentIndex(druh);
  Ed_Uzivatel->setText(text("Uzivatel"));
  pametHesla_ = n.readBool(kSekce, "ZapamatovatHeslo", false);
  ChB_Heslo->setChecked(pametHesla_);
}

void TPostaSestavy::ulozNastaveni() {
  if (souborNastaveni_.empty()) return;
  settings::SettingsFile n(souborNastaveni_);
  // What the dialog keeps; the password is never among it.
  n.writeString(kSekce, "Server", doAnsi(Ed_Server->text().trimmed()));
  n.writeInteger(kSekce, "Port", Ed_Port->value());
  n.writeString(kSekce, "Odesilatel", doAnsi(Ed_Odesilatel->text().trimmed()));
  n.writeString(kSekce, "Prijemci", doAnsi(Ed_Prijemci->text().trimmed()));
  n.writeString(kSekce, "Predmet", doAnsi(Ed_Predmet->text()));
  n.writeString(kSekce, "Vystup", doAnsi(CBox_Vystup->currentData().toString()));
  n.writeString(kSekce, "Uzivatel", doAnsi(Ed_Uzivatel->text().trimmed()));
  n.writeBool(kSekce, "ZapamatovatHeslo", ChB_Heslo->isChecked());
}

ZpravaPosty TPostaSestavy::Zprava() const {
  ZpravaPosty z;
  z.server = Ed_Server->text().trimmed();
  z.port = Ed_Port->value();
  z.odesilatel = Ed_Odesilatel->text().trimmed();
  z.prijemci = Ed_Prijemci->text().trimmed();
  z.predmet = Ed_Predmet->text();
  z.text = Ed_Text->toPlainText();
  z.uzivatel = Ed_Uzivatel->text().trimmed();
  return z;
}

std::optional<QString> TPostaSestavy::heslo(const ZpravaPosty& z, bool& zKlicenky) {
  zKlicenky = false;
  const QString klic = KlicHesla(z.uzivatel, z.server, z.port);
  if (ChB_Heslo->isChecked()) {
    if (auto ulozene = Klicenka().Nacti(klic)) {
      zKlicenky = true;
      return ulozene;
    }
  } else if (pametHesla_) {
    // The person no longer wants it kept.
    Klicenka().Smaz(klic);
  }
  seam::InputRequest dotaz{QStringLiteral("Heslo"),
                           QStringLiteral("Heslo uživatele %1 na serveru %2:").arg(z.uzivatel, z.server), QString(), 255,
                           true};
  return seam::interaction().input(this, dotaz);
}

void TPostaSestavy::Tl_OdeslatClick() {
  ZpravaPosty z = Zprava();
  if (const QString chyba = ChybaAdres(z); !chyba.isEmpty()) {
    ZobrazZpravu(chyba);
    return;
  }
  // Kept before sending, so that a failed sending keeps what was typed. A
  // settings file that cannot be written does not stop the sending.
  try {
    ulozNastaveni();
  } catch (const settings::SettingsWriteError&) {
  }
  bool zKlicenky = false;
  if (!z.uzivatel.isEmpty()) {
    const auto h = heslo(z, zKlicenky);
    if (!h) return;
    z.heslo = *h;
  }

  QTemporaryDir adresar;
  if (!adresar.isValid()) throw ChybaPosty("Dočasný adresář pro přílohu nelze vytvořit.");
  const int druh = std::max(0, CBox_Vystup->currentIndex());
  const QString jmeno = jmenoPrilohy(pripravena_) + QLatin1Char('.') + DruhyVystupu().at(druh).pripona;
  const fs::path priloha = CestaZTextu(QDir(adresar.path()).filePath(jmeno));
  // The export as the preview's: its question before huge pictures and its
  // progress with "Storno", which stops the sending too.
  if (!SpustVystup(this, druh, pripravena_, priloha)) return;
  std::string mime;
  {
    KurzorCekani kurzor;
    // Every file the output wrote goes with the message (a picture per page
    // writes name.png, name_2.png, ...): the first, then by page.
    QStringList soubory = QDir(adresar.path()).entryList(QDir::Files);
    std::sort(soubory.begin(), soubory.end(), [](const QString& a, const QString& b) {
      return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const QString& s : soubory) z.prilohy.push_back({CestaZTextu(QDir(adresar.path()).filePath(s)), s});
    mime = SestavZpravu(z);
  }
  try {
    if (!OdesliSCekanim(this, z, mime, Volby)) return;
  } catch (const ChybaPosty& e) {
    // A kept password the server refused is asked for the next time.
    if (zKlicenky && e.OdmitnutoPrihlaseni()) Klicenka().Smaz(KlicHesla(z.uzivatel, z.server, z.port));
    throw;
  }
  if (!z.uzivatel.isEmpty() && ChB_Heslo->isChecked() && !zKlicenky)
    Klicenka().Uloz(KlicHesla(z.uzivatel, z.server, z.port), z.heslo);
  ZobrazZpravu(QStringLiteral("Sestava byla odeslána."));
  accept();
}

void OdesliEmailem(const PripravenaSestava& pripravena, const fs::path& souborNastaveni, QWidget* parent) {
  TPostaSestavy dialog(pripravena, souborNastaveni, parent);
  dialog.exec();
}

}  // namespace sestavy
