// Desktop actions driven offscreen: opening the address, the clipboard text,
// the help command and the about box, answered through the seam.
#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "FakeInteraction.h"
#include "Hlavni_f.h"
#include "Mrizka.h"
#include "OProgramu.h"
#include "Soubory.h"

namespace fs = std::filesystem;

// Readable failures for Qt's texts.
static void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join("|").toStdString() << ']'; }

namespace {

struct Zaznam {
  std::string nazev, http, kod, popis;  // Windows-1250
};

void touch(const fs::path& p) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << "x";
}

class PlochaTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  fs::path dir{tmp.path().toStdString()};
  FakeInteraction person;

  std::unique_ptr<THlavni> start(const std::vector<Zaznam>& zaznamy) {
    store::RecordStore s;
    s.createEmpty(store::addressFieldDefs());
    for (const Zaznam& z : zaznamy) {
      s.append();
      s.setText("nazev", z.nazev);
      s.setText("http", z.http);
      s.setText("kod", z.kod);
      s.setText("popis", z.popis);
      s.post();
    }
    s.saveToFile(dir / "Odkaznik.xml");
    auto w = std::make_unique<THlavni>(tmp.path());
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get(), 2000));
    EXPECT_TRUE(person.messages.empty());
    return w;
  }

  QString path(const fs::path& p) const { return QString::fromStdString(p.string()); }
};

TEST_F(PlochaTest, EmptyRegisterHasNoAddressAndCopiesTheLabels) {
  auto w = start({});
  ASSERT_TRUE(THlavni::Spust(w->Akce_Spustit));
  EXPECT_EQ(person.texts(), QStringList{"Není zadaná žádná adresa ..."});
  EXPECT_TRUE(person.urls.empty());

  ASSERT_TRUE(THlavni::Spust(w->Akce_KopirovatText));
  EXPECT_EQ(person.clipboard, "Název: \r\nHTTP: \r\nKód: \r\nPopis: ");
}

TEST_F(PlochaTest, ClipboardTextOfARecordWithCzechLetters) {
  // "Žluťoučký kůň", "ČŠ", "úpěl ďábelské ódy." in Windows-1250.
  auto w = start({{"\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2", "http://www.example.cz/", "\xC8\x8A",
                   "\xFAp\xECl \xEF\xE1\x62\x65lsk\xE9 \xF3\x64y."}});
  ASSERT_TRUE(THlavni::Spust(w->Akce_KopirovatText));
  EXPECT_EQ(person.clipboard.toStdString(),
            "Název: Žluťoučký kůň\r\nHTTP: http://www.example.cz/\r\nKód: ČŠ\r\nPopis: úpěl ďábelské ódy.");
  EXPECT_TRUE(person.messages.empty());
}

TEST_F(PlochaTest, AddressesHandedToTheDesktop) {
  touch(dir / "Moje dokumenty" / "cenik 2010.pdf");
  auto w = start({
      {"web", "http://www.example.cz/moje str\xE1nky/", "", ""},
      {"soubor", "Moje dokumenty/cenik 2010.pdf", "", ""},
      {"nic", "neexistuje.pdf", "", ""},
  });
  ASSERT_TRUE(THlavni::Spust(w->Akce_Spustit));
  ASSERT_EQ(person.urls.size(), 1u);
  EXPECT_EQ(person.urls[0].toString(), "http://www.example.cz/moje stránky/");

  w->ClientDataSet1.next();
  ASSERT_TRUE(THlavni::Spust(w->Akce_Spustit));
  ASSERT_EQ(person.urls.size(), 2u);
  EXPECT_EQ(person.urls[1].toString(), QUrl::fromLocalFile(path(dir / "Moje dokumenty" / "cenik 2010.pdf")).toString());
  EXPECT_TRUE(person.messages.empty());

  // The refused address: nothing goes to the desktop.
  w->ClientDataSet1.next();
  ASSERT_TRUE(THlavni::Spust(w->Akce_Spustit));
  EXPECT_EQ(person.urls.size(), 2u);
  EXPECT_EQ(person.texts(), QStringList{"Chyba při spuštění programu ..."});

  // The desktop refuses a web address.
  person.urlAccepted = false;
  w->ClientDataSet1.first();
  ASSERT_TRUE(THlavni::Spust(w->Akce_Spustit));
  EXPECT_EQ(person.urls.size(), 3u);
  EXPECT_EQ(person.texts().size(), 2);
  EXPECT_EQ(person.texts().back(), "Chyba při spuštění programu ...");
}

TEST_F(PlochaTest, DoubleClickOpensTheRowsAddress) {
  auto w = start({{"a", "http://a.example/", "", ""}, {"b", "http://b.example/", "", ""}});
  QWidget* vp = w->DBGrid1->viewport();
  const QPoint row2 = w->DBGrid1->visualRect(w->DBGrid1->model()->index(1, 0)).center();
  QTest::mouseClick(vp, Qt::LeftButton, {}, row2);
  QTest::mouseDClick(vp, Qt::LeftButton, {}, row2);
  ASSERT_FALSE(person.urls.empty());
  EXPECT_EQ(person.urls.back(), QUrl("http://b.example/"));
}

TEST_F(PlochaTest, SpustitSouborReadsAddressesAsTheShellDoes) {
  touch(dir / "docs" / "navod.txt");
  const fs::path cizi = fs::path(QDir::tempPath().toStdString()) / "odk-plocha-cwd";
  touch(cizi / "jen-v-pracovnim.txt");
  const QString puvodni = QDir::currentPath();
  QDir::setCurrent(path(cizi));

  struct Pripad {
    QString adresa;
    fs::path adresar;
    QString url;  // empty: refused
  } pripady[] = {
      {"http://www.example.cz/a b", dir, "http://www.example.cz/a b"},
      {"mailto:jan.novak@example.cz", dir, "mailto:jan.novak@example.cz"},
      {"file:///etc/hostname", dir, "file:///etc/hostname"},
      {"ms-settings:display", dir, "ms-settings:display"},
      {"www.example.cz/stranka", dir, "http://www.example.cz/stranka"},
      {"WWW.EXAMPLE.CZ", dir, "http://www.example.cz"},
      {"docs/navod.txt", dir, QUrl::fromLocalFile(path(dir / "docs" / "navod.txt")).toString()},
      {path(dir / "docs" / "navod.txt"), {}, QUrl::fromLocalFile(path(dir / "docs" / "navod.txt")).toString()},
      {"docs/navod.txt", {}, ""},        // relative, and no program directory
      {"jen-v-pracovnim.txt", dir, ""},  // the working directory is never used
      {"C:\\Dokumenty\\cenik.pdf", dir, ""},
      {"neexistuje", dir, ""},
      {"example.cz", dir, ""},
      {"", dir, ""},
  };
  for (const Pripad& p : pripady) {
    person.urls.clear();
    const bool ok = SpustitSoubor(p.adresa, QString(), p.adresar);
    EXPECT_EQ(ok, !p.url.isEmpty()) << p.adresa.toStdString();
    QStringList predano;
    for (const QUrl& u : person.urls) predano << u.toString();
    EXPECT_EQ(predano, p.url.isEmpty() ? QStringList() : QStringList{p.url}) << p.adresa.toStdString();
  }
  QDir::setCurrent(puvodni);
  fs::remove_all(cizi);
}

#ifndef _WIN32
// The real opener is the desktop's xdg-open, run as a process: its exit code
// tells whether it could open the address.
TEST_F(PlochaTest, TheDesktopsOpenerRunsAndItsExitCodeDecides) {
  const fs::path bin = dir / "bin";
  fs::create_directories(bin);
  {
    std::ofstream stub(bin / "xdg-open", std::ios::binary);
    stub << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" >> \"$(dirname \"$0\")/args\"\nexit $(cat \"$(dirname \"$0\")/rc\")\n";
  }
  fs::permissions(bin / "xdg-open", fs::perms::owner_all);
  const QByteArray path0 = qgetenv("PATH");
  qputenv("PATH", QByteArray(bin.c_str()) + ":" + path0);
  auto kod = [&](const char* rc) { std::ofstream(bin / "rc") << rc; };

  struct Pripad {
    const char* rc;
    QUrl url;
    bool ok;
    std::string argument;
  } pripady[] = {
      {"0", QUrl("http://www.example.cz/a b"), true, "http://www.example.cz/a%20b"},
      {"3", QUrl("http://www.example.cz/"), false, "http://www.example.cz/"},
      {"0", QUrl::fromLocalFile("/tmp/moje dokumenty/cen\u00edk.pdf"), true, "file:///tmp/moje%20dokumenty/cen%C3%ADk.pdf"},
      {"4", QUrl("mailto:jan@example.cz"), false, "mailto:jan@example.cz"},
  };
  for (const Pripad& p : pripady) {
    SCOPED_TRACE(p.argument);
    kod(p.rc);
    fs::remove(bin / "args");
    EXPECT_EQ(seam::real().openUrl(p.url), p.ok);
    // One argument, the address in its encoded form.
    std::ifstream in(bin / "args");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "1\n" + p.argument + "\n");
  }
  // No opener at all: refused.
  qputenv("PATH", QByteArray(bin.parent_path().c_str()));
  EXPECT_FALSE(seam::real().openUrl(QUrl("http://www.example.cz/")));
  qputenv("PATH", path0);
  EXPECT_TRUE(person.urls.empty());
}
#endif

TEST_F(PlochaTest, HelpFilePresentOpensIt) {
  touch(dir / "Odkaznik.chm");
  auto w = start({});
  ASSERT_TRUE(THlavni::Spust(w->Akce_Napoveda));
  ASSERT_EQ(person.urls.size(), 1u);
  EXPECT_EQ(person.urls[0], QUrl::fromLocalFile(path(dir / "Odkaznik.chm")));
  EXPECT_TRUE(person.messages.empty());

  person.urlAccepted = false;
  ASSERT_TRUE(THlavni::Spust(w->Akce_Napoveda));
  EXPECT_EQ(person.texts(),
            QStringList{"Chyba při spuštění nápovědy - soubor \"" + path(dir / "Odkaznik.chm") + "\"."});
}

TEST_F(PlochaTest, HelpFileMissingAsksForTheMakersPage) {
  auto w = start({});
  person.answers = {QMessageBox::No, QMessageBox::Yes};
  ASSERT_TRUE(THlavni::Spust(w->Akce_Napoveda));
  ASSERT_EQ(person.messages.size(), 1u);
  const auto& q = person.messages[0];
  EXPECT_EQ(q.caption, "Nápověda k programu");
  EXPECT_EQ(q.text, "Soubor nápovědy nebyl nalezen. Chcete vyhledat nápovědu na webových stránkách autora?");
  EXPECT_EQ(q.icon, QMessageBox::Question);
  EXPECT_EQ(q.buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(q.defaultButton, QMessageBox::No);
  EXPECT_TRUE(person.urls.empty());

  person.urlAccepted = false;  // the page failing to open says nothing
  ASSERT_TRUE(THlavni::Spust(w->Akce_Napoveda));
  EXPECT_EQ(person.messages.size(), 2u);
  ASSERT_EQ(person.urls.size(), 1u);
  EXPECT_EQ(person.urls[0], QUrl("http://www.odkaznik.example/ke-stazeni.html"));
  EXPECT_EQ(person.urls[0].host().section('.', -1), "example");
}

TEST_F(PlochaTest, AboutBoxShowsTheCompiledVersion) {
  auto w = start({});
  ASSERT_TRUE(THlavni::Spust(w->Akce_OProgramu));
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].caption, "O programu");
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Information);
  EXPECT_EQ(person.messages[0].buttons, QMessageBox::Ok);
  EXPECT_EQ(person.messages[0].text, TextOProgramu("Odkaznik", "2010-11-25", "1.3"));
  EXPECT_TRUE(person.messages[0].text.startsWith(
      "Název programu : Odkaznik\r\nVerze programu :  1.3\r\nSestavení :  2010-11-25\r\n\r\n"));
}

TEST(OProgramu, TextWithAndWithoutAVersion) {
  const QString konec = QString(31, '_') + QString(7, ' ');
  for (const QString& verze : {QString("1.3"), QString()}) {
    const QString text = TextOProgramu("Odkaznik", "2010-11-25", verze);
    const QStringList radky = text.split("\r\n");
    ASSERT_GE(radky.size(), 6);
    EXPECT_EQ(radky[0], "Název programu : Odkaznik");
    EXPECT_EQ(radky[1], "Verze programu :  " + verze);
    EXPECT_EQ(radky[2], "Sestavení :  2010-11-25");
    EXPECT_EQ(radky[3], "");
    EXPECT_EQ(radky.back(), konec);
    EXPECT_FALSE(text.contains('\n' + QString('\n')));
    EXPECT_EQ(text.count('\n'), text.count("\r\n"));
  }
}

TEST(OProgramu, VersionTextFromTheBuildsVersion) {
  EXPECT_EQ(VerzeSestaveni(), "1.3.0.0");
  EXPECT_EQ(VerzeProgramu(), "1.3");
  const std::pair<const char*, const char*> pripady[] = {
      {"1.3.0.0", "1.3"}, {"2.10", "2.10"}, {"0.0.1", "0.0"}, {"65535.7.0.0", "65535.7"},
      {"", ""},         {"1", ""},         {"1..0", ""},     {"a.b", ""},
      {"1.3.0.0.0", ""}, {"65536.0", ""},  {"1.3 ", ""},     {"-1.3", ""},
  };
  for (auto [verze, text] : pripady) EXPECT_EQ(VerzeProgramu(verze), text) << verze;
}

}  // namespace
