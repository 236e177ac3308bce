// The import of delimited text: line splitting, values, round trips and
// bad input.
#include "ImportCSV.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CodePage.h"
#include "Export1.h"
#include "FileLayer.h"
#include "RecordStore.h"

namespace fs = std::filesystem;

namespace {

std::string cp(std::string_view utf8) { return cp1250::fromUtf8(utf8); }

using Values = std::vector<std::string>;

TEST(HodnotyRadku, WorkedLines) {
  const std::pair<std::string_view, Values> pripady[] = {
      {"a;b;c;d;", {"a", "b", "c", "d"}},     {"a;b;c;d", {"a", "b", "c", "d"}},
      {"a;b;c;d;e;f;", {"a", "b", "c", "d"}}, {"a;b;c;;", {"a", "b", "c", ""}},
      {"a;;;d;", {"a", "", "", "d"}},         {"a;b", {"a", "", "", "b"}},
      {"abc", {"", "", "", "abc"}},           {"", {"", "", "", ""}},
      {"a;b;c", {"a", "b", "", "c"}},         {" a ;\"b\"; c;d ", {" a ", "\"b\"", " c", "d "}},
  };
  for (const auto& [radek, ocekavane] : pripady) {
    const auto h = vymena::HodnotyRadku(radek);
    EXPECT_EQ(Values(h.begin(), h.end()), ocekavane) << radek;
  }
}

TEST(RadkyTextu, LineEndsBlankLinesAndNul) {
  using namespace std::string_view_literals;
  const std::pair<std::string_view, std::vector<std::string_view>> pripady[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\n\r\n", {"a", ""}},
      {"\r\n", {""}},
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\n\n\nb\n", {"a", "", "", "b"}},
      {"a;b\0c\nd"sv, {"a;b"}},
      {"\0a\n"sv, {}},
  };
  for (const auto& [text, radky] : pripady) EXPECT_EQ(vymena::RadkyTextu(text), radky) << text;
}

class ImportTest : public ::testing::Test {
 protected:
  fs::path dir = fs::temp_directory_path() /
                 ("odk-import-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  store::RecordStore s;
  int notes = 0;

  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
    s.createEmpty(store::addressFieldDefs());
    s.addDataChangeListener([this] { ++notes; });
  }
  void TearDown() override { fs::remove_all(dir); }

  void add(const Values& v) {
    s.append();
    for (int f = 0; f < 4; ++f) s.setText(f, v[f]);
    s.post();
  }
  fs::path file(const std::string& bytes) {
    const fs::path p = dir / "vstup.csv";
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
    return p;
  }
  std::vector<Values> records() {
    std::vector<Values> out;
    s.freezeNotifications();
    for (s.first(); !s.eof(); s.next()) {
      Values v;
      for (int f = 0; f < 4; ++f) v.emplace_back(s.text(f));
      out.push_back(v);
    }
    s.releaseNotifications();
    return out;
  }
};

TEST_F(ImportTest, ExportThenImportRoundTrip) {
  const std::vector<Values> puvodni = {
      {cp("Ceník"), "http://www.example.cz/", "WEB", cp("Ceny \"bez DPH\"")},
      {"bez popisu", "C:\\Dokumenty\\a.pdf", "", ""},
      {"strednik", "x", "K", "a;b"},
  };
  for (const Values& v : puvodni) add(v);
  vymena::ExportDoCSV(s, true, true, ';', dir / "export.csv");
  notes = 0;
  vymena::ImportZCSV(s, dir / "export.csv");
  EXPECT_EQ(notes, 1);
  const std::vector<Values> ocekavane = {
      puvodni[0], puvodni[1], puvodni[2],
      {"Nazev", "Http", "Kod", "Popis"},
      puvodni[0],
      puvodni[1],
      {"strednik", "x", "K", "a"},  // the ";" in the value splits it; "b" is lost
  };
  EXPECT_EQ(records(), ocekavane);
  EXPECT_EQ(s.changeCount(), 7u);
}

TEST_F(ImportTest, BlankLinesFinalBreakAndTheLastRecordCurrent) {
  add({"stary", "", "", ""});
  vymena::ImportZCSV(s, file("a;b;c;d;\r\n\r\nx;y;z;w\r\n\r\n"));
  const Values prazdny = {"", "", "", ""};
  EXPECT_EQ(records(), (std::vector<Values>{{"stary", "", "", ""}, {"a", "b", "c", "d"}, prazdny,
                                            {"x", "y", "z", "w"}, prazdny}));
  vymena::ImportZCSV(s, file("posledni;;;\n"));
  EXPECT_EQ(s.recordCount(), 6);
  EXPECT_EQ(s.recNo(), 6);
  EXPECT_EQ(s.text("nazev"), "posledni");
}

TEST_F(ImportTest, ByteOrderMarkStaysInTheFirstValueAndLongValuesAreCut) {
  vymena::ImportZCSV(s, file("\xEF\xBB\xBFjm\xE9no;" + std::string(300, 'h') + ";" + std::string(30, 'k') + ";" +
                             std::string(300, 'p') + std::string(100000, 'q') + ";"));
  ASSERT_EQ(s.recordCount(), 1);
  EXPECT_EQ(s.text("nazev"), "\xEF\xBB\xBFjm\xE9no");
  EXPECT_EQ(s.text("http"), std::string(255, 'h'));
  EXPECT_EQ(s.text("kod"), std::string(20, 'k'));
  EXPECT_EQ(s.text("popis"), std::string(255, 'p'));
}

TEST_F(ImportTest, BadInputNeverTouchesExistingRecords) {
  add({"stary", "http://a/", "K", "P"});
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 7919) & 0xFF));
  for (const std::string& bytes : {junk, std::string(100000, 'x'), std::string("a;b\0c;d\r\ne;f", 12),
                                   std::string(1, '\0'), std::string()}) {
    const int pred = s.recordCount();
    vymena::ImportZCSV(s, file(bytes));
    EXPECT_GE(s.recordCount(), pred);
    s.first();
    EXPECT_EQ(s.text("nazev"), "stary");
    EXPECT_EQ(s.text("popis"), "P");
    EXPECT_FALSE(s.notificationsFrozen());
    EXPECT_EQ(s.state(), store::StoreState::Browse);
  }
  // The NUL ended the third file after "a;b"; the last two added nothing.
  EXPECT_EQ(records().back(), (Values{"a", "", "", "b"}));
}

TEST_F(ImportTest, UnreadableFileAddsNothing) {
  add({"stary", "", "", ""});
  notes = 0;
  const fs::path chybi = dir / "chybi.csv";
  try {
    vymena::ImportZCSV(s, chybi);
    FAIL();
  } catch (const files::FileError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + chybi.string() + "\". ", 0), 0u) << e.what();
  }
  EXPECT_EQ(s.recordCount(), 1);
  EXPECT_FALSE(s.notificationsFrozen());
  EXPECT_EQ(notes, 1);
}

// A pipe, a device and a directory are refused before anything is read.
// Were the pipe opened for reading, the writer below would get through its
// open and close the pipe at once, so the import would end (with nothing
// thrown) instead of hanging the test.
TEST_F(ImportTest, OnlyARegularFileIsRead) {
  add({"stary", "", "", ""});
  const fs::path roura = dir / "roura.csv";
  ASSERT_EQ(::mkfifo(roura.c_str(), 0600), 0);
  std::thread pisatel([&] {
    const int fd = ::open(roura.c_str(), O_WRONLY);
    if (fd >= 0) ::close(fd);
  });
  fs::create_directory(dir / "slozka.csv");
  for (const fs::path& cesta : {roura, fs::path("/dev/null"), dir / "slozka.csv"}) {
    notes = 0;
    try {
      vymena::ImportZCSV(s, cesta);
      ADD_FAILURE() << cesta << " was read";
    } catch (const files::FileError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + cesta.string() + "\". ", 0), 0u) << e.what();
    }
    EXPECT_EQ(s.recordCount(), 1) << cesta;
    EXPECT_EQ(notes, 0) << cesta;
    EXPECT_FALSE(s.notificationsFrozen());
  }
  // Lets the writer's open return when the import left the pipe alone.
  const int fd = ::open(roura.c_str(), O_RDONLY | O_NONBLOCK);
  pisatel.join();
  if (fd >= 0) ::close(fd);
}

TEST_F(ImportTest, FilteredAndSortedStoreTakesTheRecordsInTheirPlaces) {
  add({"b", "", "A", ""});
  s.setFilterPredicate([this] { return s.text("kod") == "A"; });
  s.setFiltered(true);
  s.setIndexFieldNames("Nazev");
  vymena::ImportZCSV(s, file("c;;A;\r\na;;A;\r\nz;;B;\r\n"));
  EXPECT_EQ(records(), (std::vector<Values>{{"a", "", "A", ""}, {"b", "", "A", ""}, {"c", "", "A", ""}}));
  EXPECT_EQ(s.table().liveCount(), 4u);
}

}  // namespace
