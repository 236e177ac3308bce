// A report's message sent to a local SMTP server (Python's aiosmtpd), and
// what the sending says when the server refuses or stays silent.
#include <QJsonArray>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

#include "CteniPosty.h"
#include "FileLayer.h"
#include "Pomocnici.h"
#include "Posta.h"
#include "ServerPosty.h"
#include "Vystupy.h"

using namespace sestavy;
using namespace cteni;
namespace fs = std::filesystem;

namespace {

class PostaOdeslaniTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  fs::path dir{tmp.path().toStdString()};
  pomoc::ServerPosty server;
  ZpravaPosty z;
  VolbyOdeslani volby;

  void SetUp() override {
    store::RecordStore data;
    pomoc::napln(data, 12);
    VystupPDF(Priprav(pomoc::malaSablona(), data), dir / "sestava.pdf");
    z.server = QStringLiteral("127.0.0.1");
    z.odesilatel = QStringLiteral("Odkazník <odkaznik@example.cz>");
    z.prijemci = QStringLiteral("Jan Novák <jan@example.cz>; petr@example.cz");
    z.predmet = QStringLiteral("Sestava: Malá sestava");
    // A line of a lone full stop would end the message on the wire unless
    // the sending doubles it.
    z.text = QStringLiteral("V příloze.\n.\n..\nKonec.");
    z.prilohy = {{dir / "sestava.pdf", QStringLiteral("Malá sestava.pdf")}};
    // Enough for a local server; a fault shows within seconds, not a minute.
    volby.limit = 10;
  }

  // Starts the server, or skips the test when Python's aiosmtpd is missing.
  bool spust(const QStringList& moznosti = {}) {
    if (pomoc::ServerPosty::Python().isEmpty()) return false;
    EXPECT_TRUE(server.Spust(moznosti)) << "the local SMTP server did not start";
    z.port = server.port;
    return server.port > 0;
  }

  // The error text of sending `z`, empty when it was sent.
  std::string chybaOdeslani() {
    try {
      OdesliZpravu(z, SestavZpravu(z), volby);
    } catch (const ChybaPosty& e) {
      return e.what();
    }
    return {};
  }
};

#define SPUST_SERVER(...)                                                          \
  if (!spust(__VA_ARGS__)) {                                                       \
    if (pomoc::ServerPosty::Python().isEmpty()) GTEST_SKIP() << "python3-aiosmtpd is missing"; \
    return;                                                                        \
  }

}  // namespace

TEST_F(PostaOdeslaniTest, TheServerReceivesTheReportAsSent) {
  SPUST_SERVER();
  std::int64_t posledni = -1, celkem = 0;
  volby.prubeh = [&](std::int64_t odeslano, std::int64_t vse) {
    posledni = odeslano, celkem = vse;
    return true;
  };
  const std::string mime = SestavZpravu(z);
  OdesliZpravu(z, mime, volby);
  EXPECT_EQ(celkem, static_cast<std::int64_t>(mime.size()));
  // What went over the wire, with the full stops doubled: a little more.
  EXPECT_GE(posledni, celkem);

  const auto prijata = server.Zprava(1);
  ASSERT_FALSE(prijata.zprava.empty());
  EXPECT_EQ(prijata.obalka["mail_from"].toString(), QStringLiteral("odkaznik@example.cz"));
  EXPECT_EQ(prijata.obalka["rcpt_tos"].toArray(),
            QJsonArray({QStringLiteral("jan@example.cz"), QStringLiteral("petr@example.cz")}));
  // This server offers no STARTTLS: the message goes in the clear.
  EXPECT_FALSE(prijata.obalka["tls"].toBool());
  EXPECT_EQ(prijata.zprava, mime);
  EXPECT_EQ(dekodujSlova(rozloz(prijata.zprava).hlavicky.at("subject")), z.predmet);
  const auto p = casti(prijata.zprava);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(jmenoSouboru(p[1].hlavicky.at("content-disposition")), QStringLiteral("Malá sestava.pdf"));
  EXPECT_EQ(dekodujBase64(p[1].telo), files::readWholeFile(dir / "sestava.pdf"));
}

TEST_F(PostaOdeslaniTest, ARefusedRecipientStopsTheMessage) {
  SPUST_SERVER({QStringLiteral("--refuse"), QStringLiteral("petr@example.cz")});
  const std::string chyba = chybaOdeslani();
  EXPECT_EQ(chyba.rfind("E-mail se nepodařilo odeslat: server odmítl příjemce (", 0), 0u) << chyba;
  EXPECT_NE(chyba.find("550"), std::string::npos) << chyba;
  EXPECT_EQ(server.PocetZprav(), 0);
}

TEST_F(PostaOdeslaniTest, ServersThatCannotBeReached) {
  // One that takes the connection and never greets, one that is not there.
  pomoc::MlciciServer mlcici, zavreny;
  ASSERT_GT(mlcici.port, 0);
  ASSERT_GT(zavreny.port, 0);
  zavreny.Zavri();
  const struct {
    int port;
    const char* chyba;
  } pripady[] = {
      {mlcici.port, "E-mail se nepodařilo odeslat: server neodpověděl včas ("},
      {zavreny.port, "E-mail se nepodařilo odeslat: k serveru se nelze připojit ("},
  };
  volby.limit = 2;
  for (const auto& p : pripady) {
    z.port = p.port;
    const std::string chyba = chybaOdeslani();
    EXPECT_EQ(chyba.rfind(p.chyba, 0), 0u) << chyba;
  }
}

TEST_F(PostaOdeslaniTest, TheProgressCallbackCancels) {
  pomoc::MlciciServer mlcici;
  ASSERT_GT(mlcici.port, 0);
  z.port = mlcici.port;
  int volani = 0;
  volby.prubeh = [&](std::int64_t, std::int64_t) { return ++volani < 3; };
  EXPECT_THROW(OdesliZpravu(z, SestavZpravu(z), volby), OdeslaniPreruseno);
  EXPECT_EQ(volani, 3);
}

TEST_F(PostaOdeslaniTest, StartTlsWhenOfferedWithTheLoginInsideIt) {
  if (!pomoc::Certifikat(tmp.path())) GTEST_SKIP() << "openssl could not make a certificate";
  SPUST_SERVER({QStringLiteral("--tls"), tmp.filePath(QStringLiteral("cert.pem")), tmp.filePath(QStringLiteral("key.pem")),
                QStringLiteral("--login"), QStringLiteral("odkaznik"), QStringLiteral("Tajné heslo 1")});
  z.uzivatel = QStringLiteral("odkaznik");

  // A certificate nobody vouches for: the sending stops rather than going
  // on in the clear.
  z.heslo = QStringLiteral("Tajné heslo 1");
  std::string chyba = chybaOdeslani();
  EXPECT_EQ(chyba.rfind("E-mail se nepodařilo odeslat: zabezpečené spojení se nepodařilo navázat (", 0), 0u) << chyba;

  volby.certifikaty = dir / "cert.pem";
  z.heslo = QStringLiteral("spatne");
  try {
    OdesliZpravu(z, SestavZpravu(z), volby);
    ADD_FAILURE() << "a wrong password was taken";
  } catch (const ChybaPosty& e) {
    EXPECT_TRUE(e.OdmitnutoPrihlaseni()) << e.what();
    EXPECT_EQ(std::string(e.what()).rfind("E-mail se nepodařilo odeslat: server odmítl přihlášení (", 0), 0u) << e.what();
  }
  EXPECT_EQ(server.PocetZprav(), 0);

  z.heslo = QStringLiteral("Tajné heslo 1");
  EXPECT_EQ(chybaOdeslani(), "");
  const auto prijata = server.Zprava(1);
  ASSERT_FALSE(prijata.zprava.empty());
  EXPECT_TRUE(prijata.obalka["tls"].toBool());
  EXPECT_EQ(prijata.obalka["login"].toString(), QStringLiteral("odkaznik"));
}
