// The message of a report sent by e-mail: its MIME form, read back by the
// tests' own small reader (CteniPosty.h).
#include <QByteArray>
#include <QTemporaryDir>
#include <QTimeZone>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "CteniPosty.h"
#include "Posta.h"

using namespace sestavy;
using namespace cteni;
namespace fs = std::filesystem;

namespace {

void zapis(const fs::path& p, const std::string& bajty) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << bajty;
}

}  // namespace

TEST(PostaAdresy, RecipientsSplitAtSemicolonsAndCommasOutsideQuotesAndBrackets) {
  struct Pripad {
    const char* pole;
    std::vector<std::pair<const char*, const char*>> adresy;  // name, address
  };
  const Pripad pripady[] = {
      {"a@example.cz", {{"", "a@example.cz"}}},
      {"a@example.cz; b@example.cz,c@example.cz", {{"", "a@example.cz"}, {"", "b@example.cz"}, {"", "c@example.cz"}}},
      {" ; a@example.cz ;; ", {{"", "a@example.cz"}}},
      {"Jan Novák <jan@example.cz>; petr@example.cz", {{"Jan Novák", "jan@example.cz"}, {"", "petr@example.cz"}}},
      {"\"Novák, Jan; ředitel\" <jan@example.cz>, b@example.cz",
       {{"Novák, Jan; ředitel", "jan@example.cz"}, {"", "b@example.cz"}}},
      {"<a;b@example.cz>", {{"", "a;b@example.cz"}}},
      {"", {}},
  };
  for (const auto& p : pripady) {
    const auto adresy = RozlozPrijemce(QString::fromUtf8(p.pole));
    ASSERT_EQ(adresy.size(), p.adresy.size()) << p.pole;
    for (std::size_t i = 0; i < adresy.size(); ++i) {
      EXPECT_EQ(adresy[i].jmeno, QString::fromUtf8(p.adresy[i].first)) << p.pole;
      EXPECT_EQ(adresy[i].adresa, QString::fromUtf8(p.adresy[i].second)) << p.pole;
    }
  }
}

TEST(PostaAdresy, TheFirstProblemOfTheFieldsIsNamed) {
  struct Pripad {
    const char* server;
    int port;
    const char* odesilatel;
    const char* prijemci;
    const char* chyba;
  };
  const Pripad pripady[] = {
      {"smtp.example.cz", 25, "ja@example.cz", "ty@example.cz", ""},
      {"smtp.example.cz", 587, "Já <ja@example.cz>", "Ty <ty@example.cz>; on@example.cz", ""},
      {" ", 25, "ja@example.cz", "ty@example.cz", "Zadejte server odchozí pošty (SMTP)."},
      {"smtp.example.cz", 0, "ja@example.cz", "ty@example.cz", "Port serveru musí být číslo od 1 do 65535."},
      {"smtp.example.cz", 25, "", "ty@example.cz", "Zadejte adresu odesílatele."},
      {"smtp.example.cz", 25, "ja", "ty@example.cz", "Adresa odesílatele \"ja\" není platná."},
      {"smtp.example.cz", 25, "ja@example.cz", " ; ", "Zadejte alespoň jednoho příjemce."},
      {"smtp.example.cz", 25, "ja@example.cz", "ty@example.cz; @example.cz", "Adresa příjemce \"@example.cz\" není platná."},
      {"smtp.example.cz", 25, "ja@example.cz", "ty@", "Adresa příjemce \"ty@\" není platná."},
      {"smtp.example.cz", 25, "ja@example.cz", "tý@example.cz", "Adresa příjemce \"tý@example.cz\" není platná."},
  };
  for (const auto& p : pripady) {
    ZpravaPosty z;
    z.server = QString::fromUtf8(p.server);
    z.port = p.port;
    z.odesilatel = QString::fromUtf8(p.odesilatel);
    z.prijemci = QString::fromUtf8(p.prijemci);
    EXPECT_EQ(ChybaAdres(z), QString::fromUtf8(p.chyba)) << p.prijemci;
  }
}

TEST(PostaMime, ContentTypeByExtension) {
  const std::pair<const char*, const char*> pripady[] = {
      {"Sestava.pdf", "application/pdf"},
      {"Sestava.HTML", "text/html; charset=windows-1250"},
      {"a.rtf", "application/rtf"},
      {"a.xml", "application/xml"},
      {"a_2.png", "image/png"},
      {"a.bmp", "image/bmp"},
      {"a.txt", "text/plain; charset=windows-1250"},
      {"a.csv", "text/csv; charset=windows-1250"},
      {"bez_pripony", "application/octet-stream"},
  };
  for (const auto& [jmeno, typ] : pripady) EXPECT_EQ(TypObsahu(QString::fromUtf8(jmeno)), QLatin1String(typ)) << jmeno;
}

TEST(PostaMime, HeaderTextsAreEncodedOnlyWhenNeededAndDecodeBack) {
  const std::pair<const char*, bool> pripady[] = {
      {"Plain subject", false},
      {"Přehled adres", true},
      {"Žluťoučký kůň úpěl ďábelské ódy – a ještě jednou: žluťoučký kůň úpěl ďábelské ódy, žluťoučký kůň", true},
      {"Emoji 😀 and letters čšř beside them 😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀", true},
      // A word too long to fold is carried in encoded words.
      {"Averyveryveryveryveryveryveryveryveryveryveryveryveryveryveryveryverylongword in it", true},
  };
  for (const auto& [p, kodovany] : pripady) {
    const QString text = QString::fromUtf8(p);
    const std::string kod = KodujHlavicku(text);
    EXPECT_EQ(dekodujSlova(kod), text) << p;
    EXPECT_EQ(kod.find("=?UTF-8?B?") != std::string::npos, kodovany) << p;
    // No encoded word over 75 characters, each one whole UTF-8 on its own.
    for (std::size_t i = kod.find("=?"); i != std::string::npos; i = kod.find("=?", i + 1)) {
      const std::size_t konec = kod.find("?=", i + 10) + 2;
      EXPECT_LE(konec - i, 75u) << p;
      const QByteArray bajty = QByteArray::fromBase64(QByteArray::fromStdString(kod.substr(i + 10, konec - i - 12)));
      EXPECT_FALSE(QString::fromUtf8(bajty).contains(QChar::ReplacementCharacter)) << p;
      i = konec - 1;
    }
  }
}

TEST(PostaMime, QuotedPrintableKeepsLinesShortAndDecodesBack) {
  struct Pripad {
    std::string text;
    std::string kod;  // expected, when short enough to write out
  };
  const Pripad pripady[] = {
      {"a=b", "a=3Db"},
      {"konec mezerou \nkonec tabulátorem\t", "konec mezerou=20\r\nkonec tabul=C3=A1torem=09"},
      {"Žluťoučký", "=C5=BDlu=C5=A5ou=C4=8Dk=C3=BD"},
      {"řádek\r\nřádek\n", "=C5=99=C3=A1dek\r\n=C5=99=C3=A1dek\r\n"},
      {std::string(200, 'x'), ""},
      {std::string(75, 'x'), std::string(75, 'x')},
      {std::string(76, 'x'), std::string(76, 'x')},
      {std::string(77, 'x'), std::string(75, 'x') + "=\r\nxx"},
      {[] {
         std::string s;
         for (int i = 0; i < 60; ++i) s += "č ";
         return s;
       }(),
       ""},
  };
  for (const auto& p : pripady) {
    const std::string kod = QuotedPrintable(p.text);
    if (!p.kod.empty()) {
      EXPECT_EQ(kod, p.kod);
    }
    std::string ocekavany = p.text;
    for (std::size_t i = 0; (i = ocekavany.find('\n', i)) != std::string::npos; ++i)
      if (i == 0 || ocekavany[i - 1] != '\r') ocekavany.insert(i++, "\r");
    EXPECT_EQ(dekodujQP(kod), ocekavany) << p.text;
    std::size_t zacatek = 0;
    for (std::size_t e; (e = kod.find("\r\n", zacatek)) != std::string::npos || zacatek < kod.size(); zacatek = e + 2) {
      if (e == std::string::npos) e = kod.size();
      EXPECT_LE(e - zacatek, 76u) << p.text;
    }
  }
}

TEST(PostaMime, DateIsInTheMailForm) {
  const QDateTime kdy(QDate(2026, 12, 11), QTime(15, 26, 35), QTimeZone(3600));
  EXPECT_EQ(DatumZpravy(kdy), "Fri, 11 Dec 2026 15:26:35 +0100");
  const QDateTime zapad(QDate(2027, 3, 1), QTime(8, 5, 0), QTimeZone(-(4 * 3600 + 1800)));
  EXPECT_EQ(DatumZpravy(zapad), "Mon, 1 Mar 2027 08:05:00 -0430");
}

class PostaZpravaTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  fs::path dir{tmp.path().toStdString()};
  std::string pdf, png;
  ZpravaPosty z;

  void SetUp() override {
    // Every byte value, and more than one base64 line of them.
    for (int i = 0; i < 1000; ++i) pdf += static_cast<char>((i * 7) & 0xFF);
    png = std::string("\x89PNG\r\n\x1A\n", 8) + std::string(300, '\0');
    zapis(dir / "a.pdf", pdf);
    zapis(dir / "b.png", png);
    z.server = QStringLiteral("smtp.example.cz");
    z.odesilatel = QStringLiteral("Odkazník Šťastný <odkaznik@example.cz>");
    z.prijemci = QStringLiteral("Jan Novák <jan@example.cz>; \"Doe, John\" <john@example.com>, petr@example.cz");
    z.predmet = QStringLiteral("Sestava: Přehled adres podle kódů – prosinec, všechny záznamy");
    z.text = QStringLiteral("Dobrý den,\nv příloze je sestava.\n\n.\nS pozdravem");
    z.prilohy = {{dir / "a.pdf", QStringLiteral("Přehled adres.pdf")},
                 {dir / "b.png", QStringLiteral("Žluťoučký kůň – seznam všech adres s velmi dlouhým názvem souboru.png")}};
  }
};

TEST_F(PostaZpravaTest, LinesEndInCrLfAndStayShort) {
  const std::string m = SestavZpravu(z);
  std::size_t zacatek = 0;
  for (std::size_t i = 0; i < m.size(); ++i) {
    if (m[i] == '\r') {
      ASSERT_EQ(m[i + 1], '\n') << "a bare CR at " << i;
    }
    if (m[i] == '\n') {
      ASSERT_TRUE(i > 0 && m[i - 1] == '\r') << "a bare LF at " << i;
      // 998 is the limit of the mail format; folding keeps every line of
      // this message at the recommended 78.
      EXPECT_LE(i - 1 - zacatek, 78u) << m.substr(zacatek, i - zacatek);
      zacatek = i + 1;
    }
    ASSERT_LT(static_cast<unsigned char>(m[i]), 0x80u) << "8-bit byte at " << i;
  }
  EXPECT_EQ(m.substr(m.size() - 2), "\r\n");
  // No header's value starts on a folded line.
  const std::string hlavicky = "\r\n" + m.substr(0, m.find("\r\n\r\n") + 2);
  EXPECT_EQ(hlavicky.find(":\r\n"), std::string::npos) << hlavicky;
}

TEST_F(PostaZpravaTest, HeadersCarryTheEncodedTextsAndNoReceiptRequest) {
  const QDateTime kdy(QDate(2026, 12, 11), QTime(15, 26, 35), QTimeZone(3600));
  const Cast zprava = rozloz(SestavZpravu(z, kdy, QStringLiteral("znacka1")));
  const auto& h = zprava.hlavicky;
  EXPECT_EQ(h.at("date"), "Fri, 11 Dec 2026 15:26:35 +0100");
  EXPECT_EQ(dekodujSlova(h.at("from")), QStringLiteral("Odkazník Šťastný <odkaznik@example.cz>"));
  EXPECT_EQ(dekodujSlova(h.at("to")),
            QStringLiteral("Jan Novák <jan@example.cz>, \"Doe, John\" <john@example.com>, <petr@example.cz>"));
  EXPECT_EQ(dekodujSlova(h.at("subject")), z.predmet);
  EXPECT_NE(h.at("subject").find("=?UTF-8?B?"), std::string::npos);
  EXPECT_EQ(h.at("message-id"), "<znacka1@example.cz>");
  EXPECT_EQ(h.at("mime-version"), "1.0");
  EXPECT_EQ(h.at("content-type").rfind("multipart/mixed;", 0), 0u);
  EXPECT_EQ(h.count("disposition-notification-to"), 0u);
  EXPECT_EQ(h.count("return-receipt-to"), 0u);
}

TEST_F(PostaZpravaTest, TextAndAttachmentsDecodeToWhatWasGiven) {
  const auto p = casti(SestavZpravu(z));
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0].hlavicky.at("content-type"), "text/plain; charset=UTF-8");
  EXPECT_EQ(p[0].hlavicky.at("content-transfer-encoding"), "quoted-printable");
  EXPECT_EQ(QString::fromUtf8(dekodujQP(p[0].telo)),
            QStringLiteral("Dobrý den,\r\nv příloze je sestava.\r\n\r\n.\r\nS pozdravem"));

  const std::pair<std::string, std::string> prilohy[] = {{"application/pdf", pdf}, {"image/png", png}};
  for (int i = 0; i < 2; ++i) {
    const Cast& c = p[1 + i];
    EXPECT_EQ(c.hlavicky.at("content-type").rfind(prilohy[i].first + ";", 0), 0u);
    EXPECT_EQ(c.hlavicky.at("content-transfer-encoding"), "base64");
    EXPECT_EQ(c.hlavicky.at("content-disposition").rfind("attachment;", 0), 0u);
    EXPECT_EQ(jmenoSouboru(c.hlavicky.at("content-disposition")), z.prilohy[i].jmeno);
    // The content type's name, for readers that look there.
    const std::string& typ = c.hlavicky.at("content-type");
    const std::size_t n = typ.find("name=\"") + 6;
    EXPECT_EQ(dekodujSlova(typ.substr(n, typ.rfind('"') - n)), z.prilohy[i].jmeno);
    std::string b64 = c.telo;
    std::erase(b64, '\r');
    std::erase(b64, '\n');
    EXPECT_EQ(QByteArray::fromBase64(QByteArray::fromStdString(b64)).toStdString(), prilohy[i].second);
  }
  // The long name is continued over several parameters.
  EXPECT_NE(p[2].hlavicky.at("content-disposition").find("filename*1*="), std::string::npos);
}

TEST_F(PostaZpravaTest, PlainNamesStayPlainAndEachMessageHasItsOwnBoundary) {
  z.prilohy = {{dir / "a.pdf", QStringLiteral("Report.pdf")}};
  const std::string a = SestavZpravu(z), b = SestavZpravu(z);
  const auto p = casti(a);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[1].hlavicky.at("content-disposition"), "attachment; filename=\"Report.pdf\"");
  EXPECT_EQ(p[1].hlavicky.at("content-type"), "application/pdf; name=\"Report.pdf\"");
  EXPECT_NE(rozloz(a).hlavicky.at("content-type"), rozloz(b).hlavicky.at("content-type"));
  EXPECT_NE(rozloz(a).hlavicky.at("message-id"), rozloz(b).hlavicky.at("message-id"));
}

TEST_F(PostaZpravaTest, AMissingAttachmentIsAnError) {
  z.prilohy = {{dir / "chybi.pdf", QStringLiteral("chybi.pdf")}};
  EXPECT_THROW(SestavZpravu(z), std::runtime_error);
}
