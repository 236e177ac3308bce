// The table writers: delimited text, worksheet and HTML page.
#include "Export1.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CodePage.h"
#include "FileLayer.h"
#include "RecordStore.h"

namespace fs = std::filesystem;

namespace {

// Texts are written here in UTF-8 and held by the store in Windows-1250.
std::string cp(std::string_view utf8) { return cp1250::fromUtf8(utf8); }

using Row = std::array<const char*, 4>;  // Nazev, Http, Kod, Popis

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

const std::string kHtmlHead =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
    "<html>\r\n"
    "<head>\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">\r\n"
    "<meta name=\"GENERATOR\" content=\"Odkaznik, http://www.odkaznik.example\">\r\n" +
    cp("<title>Export databázové tabulky</title>\r\n") +
    "</head>\r\n"
    "<body>\r\n"
    "<table>\r\n"
    "  <tr>\r\n" +
    cp("    <td>Název</td>\r\n") + "    <td>Http</td>\r\n" + cp("    <td>Kód</td>\r\n") +
    "    <td>Popis</td>\r\n"
    "  </tr>\r\n";
const std::string kHtmlTail = "</table>\r\n</body>\r\n</html>\r\n";

std::string cell(int col, int row, std::string_view text) {
  std::string out = {'\x04', '\x02', static_cast<char>(8 + text.size()), '\0', static_cast<char>(row & 0xFF),
                     static_cast<char>(row >> 8), static_cast<char>(col), '\0', '\0', '\0',
                     static_cast<char>(text.size()), '\0'};
  return out + std::string(text);
}
// The start record, then the code page record: 1250.
const std::string kXlsStart("\x09\x08\x08\x00\x00\x00\x10\x00\x00\x00\x00\x00"
                            "\x42\x00\x02\x00\xE2\x04",
                            18);
const std::string kXlsEnd("\x0A\x00\x00\x00", 4);
const std::string kXlsHeader = cell(0, 0, "Nazev") + cell(1, 0, "Http") + cell(2, 0, "Kod") + cell(3, 0, "Popis");

class ExportTest : public ::testing::Test {
 protected:
  fs::path dir = fs::temp_directory_path() / ("odk-export-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                              "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  store::RecordStore s;
  int notes = 0;

  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
    s.setSortLocale("cs");
  }
  void TearDown() override { fs::remove_all(dir); }

  void openWith(const std::vector<Row>& rows) {
    s.createEmpty(store::addressFieldDefs());
    s.freezeNotifications();
    for (const Row& r : rows) {
      s.append();
      for (int f = 0; f < 4; ++f) s.setText(f, cp(r[f]));
      s.post();
    }
    s.releaseNotifications();
    s.first();
    s.addDataChangeListener([this] { ++notes; });
  }

  std::string csv() {
    vymena::ExportDoCSV(s, true, true, ';', dir / "a.csv");
    return readFile(dir / "a.csv");
  }
  std::string xls() {
    vymena::ExportDoXLS(s, true, dir / "a.xls");
    return readFile(dir / "a.xls");
  }
  std::string html() {
    vymena::ExportDoHTML(s, "Odkaznik", "http://www.odkaznik.example", dir / "a.html");
    return readFile(dir / "a.html");
  }
};

TEST_F(ExportTest, EmptyStoreGivesTheHeaderOnly) {
  openWith({});
  EXPECT_EQ(csv(), "Nazev;Http;Kod;Popis;\r\n");
  EXPECT_EQ(xls(), kXlsStart + kXlsHeader + kXlsEnd);
  EXPECT_EQ(html(), kHtmlHead + kHtmlTail);
  EXPECT_EQ(notes, 3);  // one release per export
  EXPECT_EQ(s.recNo(), 0);
}

TEST_F(ExportTest, RecordsInEveryFormat) {
  openWith({{"Ceník", "http://www.example.cz/?a=1&b=2", "WEB", "Ceny; slevy"}, {"", "", "", "x"}});
  EXPECT_EQ(csv(), cp("Nazev;Http;Kod;Popis;\r\nCeník;http://www.example.cz/?a=1&b=2;WEB;Ceny; slevy;\r\n;;;x;\r\n"));
  EXPECT_EQ(xls(), kXlsStart + kXlsHeader + cell(0, 1, cp("Ceník")) + cell(1, 1, "http://www.example.cz/?a=1&b=2") +
                       cell(2, 1, "WEB") + cell(3, 1, "Ceny; slevy") + cell(0, 2, "") + cell(1, 2, "") +
                       cell(2, 2, "") + cell(3, 2, "x") + kXlsEnd);
  EXPECT_EQ(html(), kHtmlHead + cp("  <tr>\r\n    <td>Ceník</td>\r\n") +
                        "    <td><a href=\"http://www.example.cz/?a=1&amp;b=2\">http://www.example.cz/?a=1&amp;b=2</a></td>\r\n"
                        "    <td>WEB</td>\r\n    <td>Ceny; slevy</td>\r\n  </tr>\r\n"
                        "  <tr>\r\n    <td>&nbsp;</td>\r\n    <td>&nbsp;</td>\r\n    <td>&nbsp;</td>\r\n"
                        "    <td>x</td>\r\n  </tr>\r\n" +
                        kHtmlTail);
}

TEST_F(ExportTest, HtmlEscapesMarkupInValuesAndLinks) {
  openWith({{"<b>tučně</b>", "http://x/?\"><script>alert(1)</script>", "A&B", "\"x\" > y"}});
  const std::string page = html();
  EXPECT_NE(page.find(cp("    <td>&lt;b&gt;tučně&lt;/b&gt;</td>\r\n")), std::string::npos);
  EXPECT_NE(page.find("    <td><a href=\"http://x/?&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;\">"
                      "http://x/?&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;</a></td>\r\n"),
            std::string::npos);
  EXPECT_NE(page.find("    <td>A&amp;B</td>\r\n    <td>&quot;x&quot; &gt; y</td>\r\n"), std::string::npos);
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_EQ(vymena::HtmlText("a&<>\"'b"), "a&amp;&lt;&gt;&quot;'b");
}

// An address that a click would run as script is written as text, escaped
// like the other cells; every other address keeps its link. The scheme is
// read as a browser reads a link target.
TEST_F(ExportTest, HtmlLinksNoAddressThatRunsScript) {
  const struct {
    const char* adresa;
    bool odkaz;
  } pripady[] = {
      {"javascript:alert(1)", false},
      {" JaVa\tScRipt:alert(1)", false},
      {"\x01\x1F javascript:alert(1)", false},  // control characters and spaces before it
      {"java\r\nscript\n:alert(1)", false},
      {"VBScript:MsgBox(1)", false},
      {"vbscript:msgbox(1)", false},
      {" DATA:text/html,<script>alert(1)</script>", false},
      {"data:text/html;base64,PHNjcmlwdD5hbGVydCgxKTwvc2NyaXB0Pg==", false},
      {"http://www.example.cz/?q=javascript:alert(1)", true},
      {"mailto:jan@example.cz", true},
      {"C:\\Dokumenty\\data:a.pdf", true},
      {"www.example.cz/javascript:alert(1)", true},  // no scheme: a path
      {"javascripts:alert(1)", true},
      {"java script:alert(1)", true},        // a space inside ends the scheme
      {"java\x01script:alert(1)", true},     // and so does a control character
      {"\u00A0javascript:alert(1)", true},   // a non-breaking space is not skipped
      {"javascript", true},
      {"data", true},
  };
  std::vector<Row> rows;
  std::vector<std::string> nazvy;
  for (std::size_t i = 0; i < std::size(pripady); ++i) nazvy.push_back("r" + std::to_string(i));
  for (std::size_t i = 0; i < std::size(pripady); ++i) rows.push_back({nazvy[i].c_str(), pripady[i].adresa, "", ""});
  openWith(rows);
  const std::string page = html();
  int odkazu = 0;
  for (std::size_t i = 0; i < std::size(pripady); ++i) {
    const std::string a = vymena::HtmlText(cp(pripady[i].adresa));
    const std::string bunka = pripady[i].odkaz ? "    <td><a href=\"" + a + "\">" + a + "</a></td>\r\n"
                                               : "    <td>" + a + "</td>\r\n";
    EXPECT_NE(page.find("    <td>" + nazvy[i] + "</td>\r\n" + bunka), std::string::npos) << pripady[i].adresa;
    odkazu += pripady[i].odkaz;
  }
  std::size_t od = 0;
  int nalezeno = 0;
  while ((od = page.find("<a href=", od)) != std::string::npos) ++nalezeno, ++od;
  EXPECT_EQ(nalezeno, odkazu);
}

TEST_F(ExportTest, FilteredAndSortedViewIsExportedAsShownAndTheCurrentRecordKept) {
  openWith({{"Cyril", "", "A", ""}, {"Adam", "", "B", ""}, {"Čeněk", "", "A", ""}, {"Bára", "", "A", ""}});
  s.setFilterPredicate([this] { return s.text("kod") == "A"; });
  s.setFiltered(true);
  s.setIndexFieldNames("Nazev");
  s.setRecNo(2);  // Cyril
  notes = 0;
  EXPECT_EQ(csv(), cp("Nazev;Http;Kod;Popis;\r\nBára;;A;;\r\nCyril;;A;;\r\nČeněk;;A;;\r\n"));
  EXPECT_EQ(xls().size(), kXlsStart.size() + kXlsHeader.size() + 3 * 4 * 12 + 14 + 3 + kXlsEnd.size());
  EXPECT_EQ(s.recNo(), 2);
  EXPECT_EQ(s.text("nazev"), "Cyril");
  EXPECT_EQ(notes, 2);
}

TEST_F(ExportTest, DelimitedTextOptionsAndFieldListOrder) {
  openWith({{"a", "b", "c", "d"}});
  s.moveField(3, 0);  // a dragged grid column
  vymena::ExportDoCSV(s, false, false, ',', dir / "b.csv");
  EXPECT_EQ(readFile(dir / "b.csv"), "d,a,b,c\r\n");
  vymena::ExportDoCSV(s, true, false, '\t', dir / "b.csv");
  EXPECT_EQ(readFile(dir / "b.csv"), "Popis\tNazev\tHttp\tKod\r\nd\ta\tb\tc\r\n");
}

TEST_F(ExportTest, WorksheetRowLimit) {
  std::vector<Row> rows(65535, Row{"n", "", "", ""});
  openWith(rows);
  // 65 535 records and the header fill all 65 536 rows; the last row is 65 535.
  const std::string full = xls();
  EXPECT_EQ(full.substr(full.size() - 16), cell(3, 65535, "") + kXlsEnd);
  s.append();
  s.post();
  fs::remove(dir / "a.xls");
  try {
    vymena::ExportDoXLS(s, true, dir / "a.xls");
    FAIL() << "65 537 rows were written";
  } catch (const vymena::PrilisMnohoRadku& e) {
    EXPECT_STREQ(e.what(), "Sešit pojme nejvýše 65 536 řádků včetně záhlaví, export by jich potřeboval 65537. "
                           "Soubor nebyl vytvořen.");
  }
  EXPECT_FALSE(fs::exists(dir / "a.xls"));
  vymena::ExportDoXLS(s, false, dir / "a.xls");  // without the header they fit
  EXPECT_TRUE(fs::exists(dir / "a.xls"));
}

TEST_F(ExportTest, FileThatCannotBeCreatedLeavesTheStoreAlone) {
  openWith({{"a", "", "", ""}, {"b", "", "", ""}});
  s.next();
  notes = 0;
  const fs::path missing = dir / "chybi" / "a.csv";
  try {
    vymena::ExportDoCSV(s, true, true, ';', missing);
    FAIL();
  } catch (const files::FileError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + missing.string() + "\". ", 0), 0u) << e.what();
  }
  EXPECT_EQ(s.recNo(), 2);
  EXPECT_EQ(notes, 0);
  EXPECT_FALSE(s.notificationsFrozen());
}

TEST_F(ExportTest, ErrorWhileWritingKeepsTheCurrentRecordAndNamesTheFile) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  // Enough records that the write fails in the middle of the walk.
  std::vector<Row> rows(5000, Row{"Záznam", "http://www.example.cz/", "KOD", "popis záznamu"});
  openWith(rows);
  s.setRecNo(1234);
  notes = 0;
  std::int64_t reported = 0;
  vymena::Prubeh prubeh;
  prubeh.postup = [&](std::int64_t n, std::int64_t) { reported = n; };
  for (int typ = 0; typ < 3; ++typ) {
    try {
      if (typ == 0) vymena::ExportDoCSV(s, true, true, ';', "/dev/full", prubeh);
      if (typ == 1) vymena::ExportDoXLS(s, true, "/dev/full", prubeh);
      if (typ == 2) vymena::ExportDoHTML(s, "Odkaznik", "x", "/dev/full", prubeh);
      FAIL() << typ;
    } catch (const files::FileError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Unable to write to \"/dev/full\". ", 0), 0u) << e.what();
    }
    EXPECT_EQ(s.recNo(), 1234);
    EXPECT_FALSE(s.notificationsFrozen());
  }
  EXPECT_EQ(notes, 3);
  EXPECT_LT(reported, 5000);
}

}  // namespace
