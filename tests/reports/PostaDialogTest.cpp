// The dialog "Odeslat sestavu e-mailem" driven offscreen: what it keeps in
// Sestavy.ini, the password, the sending through a local server, Storno.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>

#include "../windows/FakeInteraction.h"
#include "CteniPosty.h"
#include "FileLayer.h"
#include "Nahled_f.h"
#include "OknaSestavy.h"
#include "Pomocnici.h"
#include "PostaDialog_f.h"
#include "ServerPosty.h"
#include "SettingsFile.h"
#include "Vystupy.h"

using namespace sestavy;
using namespace cteni;
namespace fs = std::filesystem;

namespace {

// A keyring in memory that notes what it was asked.
class FalesnaKlicenka : public UlozisteHesel {
 public:
  std::map<QString, QString> hesla;
  QStringList volani;
  std::optional<QString> Nacti(const QString& klic) override {
    volani << QStringLiteral("Nacti ") + klic;
    const auto i = hesla.find(klic);
    return i == hesla.end() ? std::nullopt : std::optional<QString>(i->second);
  }
  bool Uloz(const QString& klic, const QString& heslo) override {
    volani << QStringLiteral("Uloz ") + klic;
    hesla[klic] = heslo;
    return true;
  }
  void Smaz(const QString& klic) override {
    volani << QStringLiteral("Smaz ") + klic;
    hesla.erase(klic);
  }
};

// Runs `akce` once a visible T turns up among the application's widgets.
template <class T>
void azSeUkaze(std::function<void(T*)> akce) {
  auto* casovac = new QTimer;
  casovac->setInterval(10);
  QObject::connect(casovac, &QTimer::timeout, [casovac, akce] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* t = dynamic_cast<T*>(w); t && t->isVisible()) {
        casovac->stop();
        casovac->deleteLater();
        akce(t);
        return;
      }
  });
  casovac->start();
}

class PostaDialogTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  fs::path dir{tmp.path().toStdString()};
  fs::path ini = dir / "Sestavy.ini";
  FakeInteraction person;
  FalesnaKlicenka klicenka;
  store::RecordStore data;
  PripravenaSestava s;

  void SetUp() override {
    pomoc::napln(data, 12);
    s = Priprav(pomoc::malaSablona(), data);
    NastavUlozisteHesel(&klicenka);
  }
  void TearDown() override { NastavUlozisteHesel(nullptr); }

  static void vypln(TPostaSestavy& d, int port, const char* vystup = "pdf") {
    d.Ed_Server->setText(QStringLiteral("127.0.0.1"));
    d.Ed_Port->setValue(port);
    d.Ed_Odesilatel->setText(QStringLiteral("Odkazník <odkaznik@example.cz>"));
    d.Ed_Prijemci->setText(QStringLiteral("Jan Novák <jan@example.cz>; petr@example.cz"));
    d.Ed_Predmet->setText(QStringLiteral("Přehled – sestava"));
    d.Ed_Text->setPlainText(QStringLiteral("Dobrý den,\nv příloze je sestava."));
    d.CBox_Vystup->setCurrentIndex(d.CBox_Vystup->findData(QLatin1String(vystup)));
  }
};

#define SPUST_SERVER(server, ...)                                                               \
  if (pomoc::ServerPosty::Python().isEmpty()) GTEST_SKIP() << "python3-aiosmtpd is missing"; \
  ASSERT_TRUE(server.Spust(__VA_ARGS__))

}  // namespace

TEST_F(PostaDialogTest, FieldsAreKeptInSestavyIniAndRestoredButNeverThePassword) {
  pomoc::MlciciServer zavreny;
  zavreny.Zavri();
  {
    TPostaSestavy d(s, ini);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Odeslat sestavu e-mailem"));
    EXPECT_EQ(d.Ed_Port->value(), 25);
    EXPECT_EQ(d.CBox_Vystup->currentText(), QStringLiteral("Soubor PDF"));
    EXPECT_EQ(d.Ed_Predmet->text(), QStringLiteral("Malá sestava"));
    EXPECT_FALSE(d.ChB_Heslo->isChecked());
    EXPECT_TRUE(d.Tl_Odeslat->isDefault());

    vypln(d, zavreny.port, "csv");
    d.Ed_Uzivatel->setText(QStringLiteral("odkaznik"));
    d.ChB_Heslo->setChecked(true);
    person.inputAnswers = {QStringLiteral("Tajné heslo 1")};
    d.Tl_Odeslat->click();

    ASSERT_EQ(person.inputs.size(), 1u);
    EXPECT_TRUE(person.inputs[0].hidden);
    EXPECT_EQ(person.inputs[0].prompt, QStringLiteral("Heslo uživatele odkaznik na serveru 127.0.0.1:"));
    ASSERT_EQ(person.messages.size(), 1u);
    EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(person.messages[0].text.startsWith(QStringLiteral("E-mail se nepodařilo odeslat: k serveru se nelze připojit (")))
        << person.messages[0].text.toStdString();
    EXPECT_NE(d.result(), QDialog::Accepted);
    // A password the server never took is not kept.
    EXPECT_TRUE(klicenka.hesla.empty());
  }
  const std::string obsah = files::readWholeFile(ini);
  for (const std::string& radek :
       {std::string("[Email]"), std::string("Server=127.0.0.1"), "Port=" + std::to_string(zavreny.port),
        std::string("Odesilatel=Odkazn\xEDk <odkaznik@example.cz>"),
        std::string("Prijemci=Jan Nov\xE1k <jan@example.cz>; petr@example.cz"),
        std::string("Predmet=P\xF8" "ehled \x96 sestava"), std::string("Vystup=csv"), std::string("Uzivatel=odkaznik"),
        std::string("ZapamatovatHeslo=1")})
    EXPECT_NE(obsah.find(radek + "\r\n"), std::string::npos) << radek << "\n" << obsah;
  EXPECT_EQ(obsah.find("Tajn"), std::string::npos);
  EXPECT_EQ(obsah.find("heslo 1"), std::string::npos);
  EXPECT_EQ(obsah.find("Text"), std::string::npos);

  TPostaSestavy d(s, ini);
  EXPECT_EQ(d.Ed_Server->text(), QStringLiteral("127.0.0.1"));
  EXPECT_EQ(d.Ed_Port->value(), zavreny.port);
  EXPECT_EQ(d.Ed_Odesilatel->text(), QStringLiteral("Odkazník <odkaznik@example.cz>"));
  EXPECT_EQ(d.Ed_Prijemci->text(), QStringLiteral("Jan Novák <jan@example.cz>; petr@example.cz"));
  EXPECT_EQ(d.Ed_Predmet->text(), QStringLiteral("Přehled – sestava"));
  EXPECT_EQ(d.CBox_Vystup->currentText(), QStringLiteral("Soubor CSV"));
  EXPECT_EQ(d.Ed_Uzivatel->text(), QStringLiteral("odkaznik"));
  EXPECT_TRUE(d.ChB_Heslo->isChecked());
}

TEST_F(PostaDialogTest, AMissingRecipientIsToldAndNothingIsKeptOrSent) {
  TPostaSestavy d(s, ini);
  vypln(d, 25);
  d.Ed_Prijemci->setText(QStringLiteral(" ; "));
  d.Ed_Uzivatel->setText(QStringLiteral("odkaznik"));
  d.Tl_Odeslat->click();
  EXPECT_EQ(person.texts(), QStringList{QStringLiteral("Zadejte alespoň jednoho příjemce.")});
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Information);
  EXPECT_TRUE(person.inputs.empty());
  EXPECT_FALSE(fs::exists(ini));
  EXPECT_NE(d.result(), QDialog::Accepted);
}

TEST_F(PostaDialogTest, TheReportGoesInTheChosenTypeAndTheTemporaryFilesGo) {
  pomoc::ServerPosty server;
  SPUST_SERVER(server);
  const struct {
    const char* vystup;
    std::vector<const char*> prilohy;
  } pripady[] = {
      {"csv", {"Malá sestava.csv"}},
      // A picture per page: three pages, three attachments in page order.
      {"png", {"Malá sestava.png", "Malá sestava_2.png", "Malá sestava_3.png"}},
  };
  const QByteArray tmpdir = qgetenv("TMPDIR");
  fs::create_directories(dir / "tmp");
  qputenv("TMPDIR", QByteArray::fromStdString((dir / "tmp").string()));
  int n = 0;
  for (const auto& p : pripady) {
    person.messages.clear();
    TPostaSestavy d(s, ini);
    vypln(d, server.port, p.vystup);
    d.Tl_Odeslat->click();
    EXPECT_EQ(person.texts(), QStringList{QStringLiteral("Sestava byla odeslána.")}) << p.vystup;
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(fs::is_empty(dir / "tmp")) << "the exported report is left behind";

    const auto prijata = server.Zprava(++n);
    ASSERT_FALSE(prijata.zprava.empty()) << p.vystup;
    EXPECT_EQ(prijata.obalka["mail_from"].toString(), QStringLiteral("odkaznik@example.cz"));
    EXPECT_EQ(prijata.obalka["rcpt_tos"].toVariant().toStringList(),
              (QStringList{QStringLiteral("jan@example.cz"), QStringLiteral("petr@example.cz")}));
    EXPECT_EQ(dekodujSlova(rozloz(prijata.zprava).hlavicky.at("subject")), QStringLiteral("Přehled – sestava"));
    const auto c = casti(prijata.zprava);
    ASSERT_EQ(c.size(), 1 + p.prilohy.size()) << p.vystup;
    EXPECT_EQ(QString::fromUtf8(dekodujQP(c[0].telo)), QStringLiteral("Dobrý den,\r\nv příloze je sestava."));
    // The attachments are what the export of the same type writes.
    const fs::path vzor = dir / ("vzor." + std::string(p.vystup));
    int druh = 0;
    while (DruhyVystupu()[druh].pripona != QLatin1String(p.vystup)) ++druh;
    Vystup(druh, s, vzor);
    for (std::size_t i = 0; i < p.prilohy.size(); ++i) {
      EXPECT_EQ(jmenoSouboru(c[1 + i].hlavicky.at("content-disposition")), QString::fromUtf8(p.prilohy[i]));
      const fs::path soubor = i == 0 ? vzor : dir / ("vzor_" + std::to_string(i + 1) + "." + p.vystup);
      EXPECT_EQ(dekodujBase64(c[1 + i].telo), files::readWholeFile(soubor)) << p.prilohy[i];
    }
  }
  qputenv("TMPDIR", tmpdir);
}

TEST_F(PostaDialogTest, ThePasswordComesFromTheKeyringOrIsAsked) {
  pomoc::ServerPosty server;
  if (!pomoc::Certifikat(tmp.path())) GTEST_SKIP() << "openssl could not make a certificate";
  SPUST_SERVER(server, {QStringLiteral("--tls"), tmp.filePath(QStringLiteral("cert.pem")),
                        tmp.filePath(QStringLiteral("key.pem")), QStringLiteral("--login"), QStringLiteral("odkaznik"),
                        QStringLiteral("heslo")});
  const QString klic = QStringLiteral("odkaznik@127.0.0.1:%1").arg(server.port);
  const struct {
    const char* jak;
    bool zapamatovatPredtim, zapamatovat;
    std::optional<QString> vKlicence;
    bool zeptat;
    std::optional<QString> potomVKlicence;
  } pripady[] = {
      {"kept in the keyring", true, true, QStringLiteral("heslo"), false, QStringLiteral("heslo")},
      {"to be kept, not kept yet", false, true, std::nullopt, true, QStringLiteral("heslo")},
      {"no longer to be kept", true, false, QStringLiteral("heslo"), true, std::nullopt},
      {"never kept", false, false, std::nullopt, true, std::nullopt},
  };
  int n = 0;
  for (const auto& p : pripady) {
    SCOPED_TRACE(p.jak);
    settings::SettingsFile(ini).writeBool("Email", "ZapamatovatHeslo", p.zapamatovatPredtim);
    klicenka.hesla.clear();
    if (p.vKlicence) klicenka.hesla[klic] = *p.vKlicence;
    person.inputs.clear();
    person.messages.clear();
    person.inputAnswers = {QStringLiteral("heslo")};

    TPostaSestavy d(s, ini);
    d.Volby.certifikaty = dir / "cert.pem";
    vypln(d, server.port);
    d.Ed_Uzivatel->setText(QStringLiteral("odkaznik"));
    d.ChB_Heslo->setChecked(p.zapamatovat);
    d.Tl_Odeslat->click();
    EXPECT_EQ(person.texts(), QStringList{QStringLiteral("Sestava byla odeslána.")});
    EXPECT_EQ(person.inputs.size(), p.zeptat ? 1u : 0u);
    const auto prijata = server.Zprava(++n);
    EXPECT_EQ(prijata.obalka["login"].toString(), QStringLiteral("odkaznik"));
    EXPECT_TRUE(prijata.obalka["tls"].toBool());
    const auto i = klicenka.hesla.find(klic);
    EXPECT_EQ(i == klicenka.hesla.end() ? std::nullopt : std::optional<QString>(i->second), p.potomVKlicence);
  }
  EXPECT_EQ(files::readWholeFile(ini).find("heslo="), std::string::npos);
}

TEST_F(PostaDialogTest, AKeptPasswordTheServerRefusesIsForgotten) {
  pomoc::ServerPosty server;
  if (!pomoc::Certifikat(tmp.path())) GTEST_SKIP() << "openssl could not make a certificate";
  SPUST_SERVER(server, {QStringLiteral("--tls"), tmp.filePath(QStringLiteral("cert.pem")),
                        tmp.filePath(QStringLiteral("key.pem")), QStringLiteral("--login"), QStringLiteral("odkaznik"),
                        QStringLiteral("nove")});
  const QString klic = QStringLiteral("odkaznik@127.0.0.1:%1").arg(server.port);
  klicenka.hesla[klic] = QStringLiteral("stare");
  TPostaSestavy d(s, ini);
  d.Volby.certifikaty = dir / "cert.pem";
  vypln(d, server.port);
  d.Ed_Uzivatel->setText(QStringLiteral("odkaznik"));
  d.ChB_Heslo->setChecked(true);
  d.Tl_Odeslat->click();
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_TRUE(person.messages[0].text.startsWith(QStringLiteral("E-mail se nepodařilo odeslat: server odmítl přihlášení")));
  EXPECT_TRUE(klicenka.hesla.empty());
  // The next time it is asked for, and kept once the server takes it.
  person.inputAnswers = {QStringLiteral("nove")};
  d.Tl_Odeslat->click();
  EXPECT_EQ(person.inputs.size(), 1u);
  EXPECT_EQ(person.texts().back(), QStringLiteral("Sestava byla odeslána."));
  EXPECT_EQ(klicenka.hesla[klic], QStringLiteral("nove"));
}

TEST_F(PostaDialogTest, StornoWhileSendingStopsItQuietly) {
  pomoc::MlciciServer mlcici;
  TPostaSestavy d(s, ini);
  d.Volby.limit = 30;
  vypln(d, mlcici.port);
  bool zruseno = false;
  azSeUkaze<QProgressDialog>([&](QProgressDialog* p) {
    EXPECT_EQ(p->labelText(), QStringLiteral("Odesílám sestavu na server 127.0.0.1…"));
    auto* storno = p->findChild<QPushButton*>();
    ASSERT_TRUE(storno);
    EXPECT_EQ(storno->text(), QStringLiteral("Storno"));
    zruseno = true;
    storno->click();
  });
  d.Tl_Odeslat->click();
  EXPECT_TRUE(zruseno);
  EXPECT_TRUE(person.messages.empty()) << person.texts().join(QLatin1Char('\n')).toStdString();
  EXPECT_NE(d.result(), QDialog::Accepted);
}

TEST_F(PostaDialogTest, ThePreviewOffersEMailAfterTheExportTypes) {
  TSestavaData link;
  link.data = &data;
  TSestava sestava;
  sestava.DataSet = &link;
  sestava.SouborNastaveni = ini;
  fs::create_directories(dir / "Ses");
  UlozSablonu(dir / "Ses" / "mala.ses", pomoc::malaSablona());
  sestava.NactiZeSouboru(dir / "Ses" / "mala.ses");
  TOknaSestavy okna;
  TNahledSestavy n(okna, sestava, sestava.Priprav());
  auto* tlacitko = n.findChild<QToolButton*>(QStringLiteral("Tl_Export"));
  ASSERT_TRUE(tlacitko && tlacitko->menu());
  QStringList texty;
  for (QAction* a : tlacitko->menu()->actions())
    if (!a->isSeparator()) texty << a->text();
  ASSERT_EQ(texty.size(), static_cast<int>(DruhyVystupu().size()) + 1);
  EXPECT_EQ(texty.back(), QStringLiteral("E-mail…"));

  QString predmet;
  azSeUkaze<TPostaSestavy>([&](TPostaSestavy* d) {
    predmet = d->Ed_Predmet->text();
    d->Tl_Storno->click();
  });
  tlacitko->menu()->actions().back()->trigger();
  EXPECT_EQ(predmet, QStringLiteral("Malá sestava"));
  // Storno keeps nothing.
  EXPECT_FALSE(fs::exists(ini));
}
