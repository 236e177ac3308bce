#include "RecordStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CodePage.h"
#include "Collation.h"

namespace {

using store::PacketForm;
using store::RecordStore;
using store::RecordTable;
using store::StoreError;
using store::StoreState;

// Texts are written here in UTF-8 and held by the store in Windows-1250.
std::string cp(std::string_view utf8) { return cp1250::fromUtf8(utf8); }
std::string utf(std::string_view ansi) { return cp1250::toUtf8(ansi); }

// Nazev, Http, Kod, Popis; nullopt: no value.
using Row = std::array<std::optional<std::string>, 4>;

RecordTable tableOf(const std::vector<Row>& rows) {
  RecordTable table(store::addressFieldDefs());
  for (const Row& row : rows) {
    std::vector<std::string> ansi;
    std::vector<store::Value> values;
    ansi.reserve(4);
    for (const auto& v : row) ansi.push_back(v ? cp(*v) : std::string());
    for (std::size_t f = 0; f < 4; ++f) values.push_back(row[f] ? store::Value(ansi[f]) : std::nullopt);
    table.append(values);
  }
  return table;
}

std::vector<Row> named(std::initializer_list<const char*> names) {
  std::vector<Row> rows;
  for (const char* n : names) rows.push_back({n, "", "", ""});
  return rows;
}

class RecordStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s.setSortLocale("cs");
    s.addDataChangeListener([this] { ++notes; });
  }

  void openWith(const std::vector<Row>& rows) {
    s.open(tableOf(rows));
    notes = 0;
  }

  // Nazev of every row of the view, read without moving.
  std::vector<std::string> view() const {
    std::vector<std::string> out;
    for (int r = 0; r < s.recordCount(); ++r) out.push_back(utf(s.displayText(r, 0)));
    return out;
  }
  std::string current() const { return utf(s.text(0)); }

  void appendNamed(const std::string& nazev, const std::string& kod = "") {
    s.append();
    s.setText("nazev", cp(nazev));
    s.setText("kod", cp(kod));
    s.post();
  }

  RecordStore s;
  int notes = 0;
};

// --- position, flags and notifications of moves -------------------------------------

TEST_F(RecordStoreTest, EmptyViewHasPositionZeroAndBothFlags) {
  s.createEmpty(store::addressFieldDefs());
  EXPECT_EQ(s.recNo(), 0);
  EXPECT_EQ(s.recordCount(), 0);
  EXPECT_TRUE(s.bof());
  EXPECT_TRUE(s.eof());
  EXPECT_EQ(s.text(0), "");
  EXPECT_FALSE(s.hasValue(0));
  notes = 0;
  s.next();
  s.prior();
  EXPECT_EQ(notes, 0);
  EXPECT_EQ(s.bookmarkText(), "");
  EXPECT_THROW(s.deleteRecord(), StoreError);
}

TEST_F(RecordStoreTest, StepsSetFlagsAndNotifyOnlyWhenSomethingHappens) {
  openWith(named({"a", "b", "c"}));
  EXPECT_EQ(s.recNo(), 1);
  EXPECT_TRUE(s.bof());
  EXPECT_FALSE(s.eof());

  enum Op { First, Last, Next, Prior, RecNo2 };
  struct Step {
    Op op;
    int recNo;
    bool bof, eof;
    int notes;
  } steps[] = {
      {Prior, 1, true, false, 0},  // flag already set: nothing at all
      {Next, 2, false, false, 1},  {Next, 3, false, false, 1},
      {Next, 3, false, true, 1},   // on the last record: flag set, still notified
      {Next, 3, false, true, 0},   // flag already set: nothing at all
      {Prior, 2, false, false, 1}, {First, 1, true, false, 1},
      {Prior, 1, true, false, 0},  {Last, 3, false, true, 1},
      {RecNo2, 2, false, false, 1}, {RecNo2, 2, false, false, 0},  // the present position does nothing
      {Prior, 1, false, false, 1}, {Prior, 1, true, false, 1},
  };
  int i = 0;
  for (const Step& st : steps) {
    notes = 0;
    switch (st.op) {
      case First: s.first(); break;
      case Last: s.last(); break;
      case Next: s.next(); break;
      case Prior: s.prior(); break;
      case RecNo2: s.setRecNo(2); break;
    }
    EXPECT_EQ(s.recNo(), st.recNo) << "step " << i;
    EXPECT_EQ(s.bof(), st.bof) << "step " << i;
    EXPECT_EQ(s.eof(), st.eof) << "step " << i;
    EXPECT_EQ(notes, st.notes) << "step " << i;
    ++i;
  }
  EXPECT_THROW(s.setRecNo(4), StoreError);
  EXPECT_THROW(s.setRecNo(0), StoreError);
}

TEST_F(RecordStoreTest, FrozenNotificationsAreCountedAndSentOnceOnRelease) {
  openWith(named({"a", "b", "c"}));
  const auto generation = s.viewGeneration();
  s.freezeNotifications();
  s.freezeNotifications();
  s.next();
  appendNamed("d");
  s.releaseNotifications();
  EXPECT_EQ(notes, 0);
  EXPECT_TRUE(s.notificationsFrozen());
  s.releaseNotifications();
  EXPECT_EQ(notes, 1);
  EXPECT_FALSE(s.notificationsFrozen());
  EXPECT_GT(s.viewGeneration(), generation);
  s.releaseNotifications();  // unbalanced: ignored
  EXPECT_EQ(notes, 1);
}

TEST_F(RecordStoreTest, NoNotificationWhileClosedAndOneOnOpening) {
  s.freezeNotifications();
  s.releaseNotifications();
  EXPECT_EQ(notes, 0);
  s.open(tableOf(named({"a"})));
  EXPECT_EQ(notes, 1);
  s.open(tableOf(named({"x", "y"})));  // already open: nothing
  EXPECT_EQ(notes, 1);
  EXPECT_EQ(s.recordCount(), 1);
  s.close();
  EXPECT_EQ(notes, 1);
  EXPECT_FALSE(s.active());
}

TEST_F(RecordStoreTest, ClosedStoreAndWrongStatesAreErrors) {
  const std::vector<std::pair<const char*, std::function<void()>>> closed = {
      {"first", [&] { s.first(); }},        {"next", [&] { s.next(); }},
      {"recNo", [&] { (void)s.recNo(); }},  {"recordCount", [&] { (void)s.recordCount(); }},
      {"text", [&] { (void)s.text(0); }},   {"append", [&] { s.append(); }},
      {"sort", [&] { s.setIndexFieldNames(""); }}, {"filter", [&] { s.setFiltered(true); }},
  };
  for (const auto& [name, op] : closed) EXPECT_THROW(op(), StoreError) << name;

  openWith(named({"a", "b"}));
  EXPECT_THROW(s.setText(0, "x"), StoreError);  // browsing
  s.edit();
  EXPECT_THROW(s.next(), StoreError);
  EXPECT_THROW(s.append(), StoreError);
  EXPECT_THROW(s.deleteRecord(), StoreError);
  EXPECT_THROW(s.setIndexFieldNames("Kod"), StoreError);
  s.cancel();
  try {
    s.text("xyz");
    FAIL() << "no error";
  } catch (const StoreError& e) {
    EXPECT_STREQ(e.what(), "Field 'xyz' not found");
  }
  // A failed operation leaves the state as it was.
  EXPECT_EQ(s.state(), StoreState::Browse);
  EXPECT_EQ(s.recNo(), 1);
}

// --- values -------------------------------------------------------------------------

TEST_F(RecordStoreTest, StoredTextsAreCutToWidthAndLoseTrailingSpaces) {
  struct Case {
    const char* field;
    std::string input;
    std::string stored;
  } cases[] = {
      {"Nazev", "abc   ", "abc"},
      {"Nazev", "   abc", "   abc"},
      {"Nazev", "a\tb\t", "a\tb\t"},  // only spaces go
      {"Nazev", "ab \t  ", "ab \t"},
      {"Nazev", std::string(100, 'x'), std::string(80, 'x')},
      {"Nazev", std::string(79, 'x') + "  y", std::string(79, 'x')},  // cut first, then trimmed
      {"Kod", "12345678901234567890EXTRA", "12345678901234567890"},
      {"Popis", "Černá kočka ", "Černá kočka"},
      {"Http", "   ", ""},
  };
  openWith({});
  for (const Case& c : cases) {
    s.append();
    s.setText(c.field, cp(c.input));
    EXPECT_EQ(utf(s.text(c.field)), c.stored) << c.input;
    s.post();
    EXPECT_EQ(utf(s.text(c.field)), c.stored) << c.input;
    EXPECT_TRUE(s.hasValue(s.fieldByName(c.field))) << "empty text stays a value: " << c.input;
  }
}

TEST_F(RecordStoreTest, FieldsWithoutValueReadAsEmptyText) {
  openWith({{"a", std::nullopt, "", std::nullopt}});
  EXPECT_EQ(s.text("http"), "");
  EXPECT_FALSE(s.hasValue(1));
  EXPECT_TRUE(s.hasValue(2));
  s.edit();
  s.setText("popis", "p");
  s.post();
  EXPECT_FALSE(s.table().value(0, 1).has_value());  // untouched fields keep having no value
  EXPECT_EQ(s.table().value(0, 3), "p");
}

TEST_F(RecordStoreTest, FieldLookupIgnoresCase) {
  openWith({});
  struct Case {
    const char* name;
    int pos;
  } cases[] = {{"HTTP", 1}, {"http", 1}, {"Http", 1}, {"nazev", 0}, {"KOD", 2}, {"popis", 3}, {"xyz", -1}, {"", -1},
               {"Http ", -1}};
  for (const Case& c : cases) EXPECT_EQ(s.findField(c.name), c.pos) << c.name;

  // Letters with diacritics too, through the code page's lower-casing.
  RecordStore other;
  other.createEmpty({{cp("Kód"), "string", 20, false}});
  EXPECT_EQ(other.findField(cp("KÓD")), 0);
  EXPECT_EQ(other.findField("KOD"), -1);
}

TEST_F(RecordStoreTest, MovingAFieldChangesOnlyTheFieldList) {
  openWith({{"jméno", "adresa", "kód", "popis"}});
  s.moveField(3, 0);  // Popis first
  EXPECT_EQ(s.fieldName(0), "Popis");
  EXPECT_EQ(s.fieldName(1), "Nazev");
  EXPECT_EQ(s.findField("popis"), 0);
  EXPECT_EQ(s.findField("kod"), 3);
  EXPECT_EQ(utf(s.text(0)), "popis");
  EXPECT_EQ(utf(s.displayText(0, 3)), "kód");
  EXPECT_EQ(s.fieldDefs()[0].name, "Nazev");
  EXPECT_EQ(s.defIndex(0), 3);
  s.moveField(0, 3);
  EXPECT_EQ(s.fieldName(3), "Popis");
  EXPECT_EQ(s.fieldName(0), "Nazev");
  EXPECT_THROW(s.moveField(0, 4), StoreError);
}

// --- append, edit, post, delete ---------------------------------------------------

TEST_F(RecordStoreTest, AppendShowsTheNewRecordAtTheEndUntilPost) {
  openWith(named({"a", "b"}));
  s.next();
  s.append();
  EXPECT_EQ(s.state(), StoreState::Append);
  EXPECT_EQ(s.recNo(), -1);
  EXPECT_EQ(s.recordCount(), 2);
  EXPECT_EQ(s.displayRowCount(), 3);
  EXPECT_EQ(s.displayCurrentRow(), 2);
  EXPECT_FALSE(s.hasValue(0));
  s.setText(0, "c");
  EXPECT_EQ(s.displayText(2, 0), "c");
  s.post();
  EXPECT_EQ(s.recordCount(), 3);
  EXPECT_EQ(s.recNo(), 3);
  EXPECT_EQ(s.changeCount(), 1u);
  EXPECT_EQ(s.displayRowCount(), 3);

  // Cancel: nothing stored, the record current before stays current.
  s.setRecNo(2);
  s.append();
  s.setText(0, "zzz");
  s.cancel();
  EXPECT_EQ(s.recordCount(), 3);
  EXPECT_EQ(s.recNo(), 2);
  EXPECT_EQ(s.displayRowCount(), 3);
  EXPECT_EQ(s.changeCount(), 1u);
  EXPECT_EQ(s.table().liveCount(), 3u);
}

TEST_F(RecordStoreTest, EditShowsPendingValuesAndCancelRestoresThem) {
  openWith(named({"a", "b"}));
  s.edit();
  s.setText(0, "changed");
  EXPECT_EQ(current(), "changed");
  EXPECT_EQ(s.displayText(0, 0), "changed");
  s.cancel();
  EXPECT_EQ(current(), "a");
  EXPECT_EQ(s.changeCount(), 0u);
  s.edit();
  s.setText(0, "new");
  s.post();
  EXPECT_EQ(view(), (std::vector<std::string>{"new", "b"}));
  EXPECT_EQ(s.changeCount(), 1u);
}

TEST_F(RecordStoreTest, DeleteMakesTheFollowingOrNewLastRecordCurrent) {
  openWith(named({"a", "b", "c", "d"}));
  s.setRecNo(2);
  s.deleteRecord();
  EXPECT_EQ(view(), (std::vector<std::string>{"a", "c", "d"}));
  EXPECT_EQ(current(), "c");
  s.last();
  s.deleteRecord();
  EXPECT_EQ(current(), "c");
  EXPECT_EQ(s.recNo(), 2);
  s.first();
  s.deleteRecord();
  s.deleteRecord();
  EXPECT_EQ(s.recordCount(), 0);
  EXPECT_EQ(s.recNo(), 0);
  EXPECT_TRUE(s.bof());
  EXPECT_TRUE(s.eof());
  EXPECT_EQ(s.changeCount(), 4u);
  EXPECT_EQ(s.table().liveCount(), 0u);
}

TEST_F(RecordStoreTest, EveryChangeOfTheRowsRaisesTheViewGeneration) {
  openWith(named({"b", "a"}));
  std::uint64_t g = s.viewGeneration();
  auto grew = [&] {
    const bool up = s.viewGeneration() > g;
    g = s.viewGeneration();
    return up;
  };
  s.next();
  EXPECT_FALSE(grew()) << "a move";
  s.append();
  EXPECT_TRUE(grew()) << "append";
  s.setText(0, "c");
  s.post();
  EXPECT_TRUE(grew()) << "post";
  s.setIndexFieldNames("Nazev");
  EXPECT_TRUE(grew()) << "sort";
  s.setFiltered(true);
  EXPECT_TRUE(grew()) << "filter";
  s.deleteRecord();
  EXPECT_TRUE(grew()) << "delete";
}

// --- sorting ------------------------------------------------------------------------

TEST_F(RecordStoreTest, SortPutsNoValueThenEmptyThenTextsInCzechOrder) {
  std::vector<Row> rows;
  // Nazev names the record, Kod is sorted.
  const std::vector<std::pair<const char*, std::optional<std::string>>> data = {
      {"ch", "ch"}, {"h", "h"},   {"i", "i"},   {"c2", "č"},         {"c", "c"},   {"d", "d"},
      {"A", "A"},   {"a", "a"},   {"B", "b"},   {"empty", ""},       {"none", std::nullopt},
      {"Cz", "Č"},  {"x1", "x"},  {"x2", "x"},  {"none2", std::nullopt},
  };
  for (const auto& [name, kod] : data) rows.push_back({name, "", kod, ""});
  openWith(rows);
  s.setIndexFieldNames("Kod");
  // Lower case before upper case; equal values keep their natural order.
  EXPECT_EQ(view(), (std::vector<std::string>{"none", "none2", "empty", "a", "A", "B", "c", "c2", "Cz", "d", "h",
                                              "ch", "i", "x1", "x2"}));
  s.setIndexFieldNames("");
  EXPECT_EQ(view().front(), "ch");
  EXPECT_EQ(view().back(), "none2");
}

// Enough records for the bulk sort, with long common beginnings, repeated
// values and values that differ only in case or accents; the order must be
// the collator's with equal values in natural order, also for records
// stored into the sorted view afterwards.
TEST_F(RecordStoreTest, SortAgreesWithTheCollatorAndKeepsNaturalOrderOfEqualValues) {
  const store::Collator collator("cs");
  const char* stems[] = {"https://www.example.cz/", "https://www.example.cz/a", "Https://www.example.cz/",
                         "https://www.exámple.cz/", "", "ch", "h"};
  for (int count : {6000, 300}) {  // the bulk sort, and the one for small runs
    std::vector<Row> rows;
    std::vector<std::optional<std::string>> http;
    for (int i = 0; i < count; ++i) {
      if (i % 97 != 0) http.push_back(std::string(stems[i % 7]) + std::to_string((i * 7919) % (count / 30)));
      else http.push_back(std::nullopt);
      rows.push_back({std::to_string(i), http.back(), "", ""});
    }
    RecordStore sorted;
    sorted.setSortLocale("cs");
    sorted.open(tableOf(rows));
    sorted.setIndexFieldNames("Http");
    for (std::optional<std::string> v : {std::optional<std::string>("https://www.example.cz/a5"),
                                         std::optional<std::string>(), std::optional<std::string>("h7"),
                                         std::optional<std::string>("https://www.exámple.cz/1")}) {
      sorted.append();
      sorted.setText("nazev", std::to_string(http.size()));
      if (v) sorted.setText("http", cp(*v));
      sorted.post();
      http.push_back(v);
    }

    std::vector<int> expected(http.size());
    for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<int>(i);
    std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
      const auto &x = http[a], &y = http[b];
      if (!x || !y) return !x && y;
      return collator.compare(cp(*x), cp(*y)) < 0;
    });
    ASSERT_EQ(sorted.recordCount(), static_cast<int>(expected.size()));
    for (int row = 0; row < sorted.recordCount(); ++row)
      ASSERT_EQ(sorted.displayText(row, 0), std::to_string(expected[row])) << count << " records, row " << row;
  }
}

TEST_F(RecordStoreTest, ChangingTheOrderKeepsTheCurrentRecord) {
  openWith(named({"c", "a", "b"}));
  s.next();  // "a"
  s.setIndexFieldNames("nazev");
  EXPECT_EQ(notes, 2);
  EXPECT_EQ(s.indexFieldNames(), "nazev");
  EXPECT_EQ(view(), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(current(), "a");
  EXPECT_EQ(s.recNo(), 1);
  s.last();
  s.setIndexFieldNames("");
  EXPECT_EQ(view(), (std::vector<std::string>{"c", "a", "b"}));
  EXPECT_EQ(current(), "c");
  EXPECT_THROW(s.setIndexFieldNames("xyz"), StoreError);
  EXPECT_EQ(view(), (std::vector<std::string>{"c", "a", "b"}));
}

TEST_F(RecordStoreTest, PostPlacesTheRecordInTheSortedViewAndMakesItCurrent) {
  openWith(named({"dub", "buk", "lípa", "javor"}));
  s.setIndexFieldNames("Nazev");
  appendNamed("habr");
  EXPECT_EQ(view(), (std::vector<std::string>{"buk", "dub", "habr", "javor", "lípa"}));
  EXPECT_EQ(current(), "habr");
  EXPECT_EQ(s.recNo(), 3);

  // A changed sort value moves the record, both ways.
  s.edit();
  s.setText(0, "zerav");
  s.post();
  EXPECT_EQ(view(), (std::vector<std::string>{"buk", "dub", "javor", "lípa", "zerav"}));
  EXPECT_EQ(s.recNo(), 5);
  s.edit();
  s.setText(0, cp("akát"));
  s.post();
  EXPECT_EQ(view(), (std::vector<std::string>{"akát", "buk", "dub", "javor", "lípa"}));
  EXPECT_EQ(s.recNo(), 1);

  // Natural order keeps the order of storing.
  s.setIndexFieldNames("");
  EXPECT_EQ(view(), (std::vector<std::string>{"dub", "buk", "lípa", "javor", "akát"}));
}

TEST_F(RecordStoreTest, ResortAfterEditsUsesTheNewValues) {
  openWith(named({"b", "a", "c"}));
  s.setIndexFieldNames("Http");  // keys of Nazev are not needed yet
  s.setIndexFieldNames("Nazev");
  s.setRecNo(1);  // "a"
  s.edit();
  s.setText(0, "d");
  s.post();
  s.setIndexFieldNames("Http");
  s.setIndexFieldNames("Nazev");
  EXPECT_EQ(view(), (std::vector<std::string>{"b", "c", "d"}));
  s.setSortLocale("en");
  EXPECT_EQ(view(), (std::vector<std::string>{"b", "c", "d"}));
}

// --- filtering ----------------------------------------------------------------------

class FilterTest : public RecordStoreTest {
 protected:
  void SetUp() override {
    RecordStoreTest::SetUp();
    // As the main window's filter: the condition occurs in the lower-cased Nazev.
    s.setFilterPredicate([this] { return cp1250::lowered(s.text("nazev")).find(cp(condition)) != std::string::npos; });
  }
  std::string condition;
};

TEST_F(FilterTest, FilteringTwiceAppliesTheSecondCondition) {
  openWith(named({"Seznam zpráv", "Můj SEZNAM", "pošta", "", "xseznamx", "Mapy"}));
  s.setRecNo(3);
  condition = "seznam";
  s.setFiltered(true);
  EXPECT_EQ(notes, 2);
  EXPECT_EQ(view(), (std::vector<std::string>{"Seznam zpráv", "Můj SEZNAM", "xseznamx"}));
  EXPECT_EQ(s.recNo(), 1);
  EXPECT_TRUE(s.bof());
  condition = "p";
  s.setFiltered(true);
  EXPECT_EQ(view(), (std::vector<std::string>{"Seznam zpráv", "pošta", "Mapy"}));
  condition = "nic";
  s.setFiltered(true);
  EXPECT_EQ(s.recordCount(), 0);
  EXPECT_EQ(s.recNo(), 0);
  s.setFiltered(false);
  EXPECT_EQ(s.recordCount(), 6);
  EXPECT_EQ(s.recNo(), 1);
  notes = 0;
  s.setFiltered(false);  // no change of the switch: still first record and one notification
  EXPECT_EQ(notes, 1);
}

TEST_F(FilterTest, RejectedPostIsStoredButNotShown) {
  openWith(named({"kos", "sýkora", "kosatec"}));
  condition = "kos";
  s.setFiltered(true);
  s.next();
  appendNamed("vrabec");
  EXPECT_EQ(s.changeCount(), 1u);
  EXPECT_EQ(s.table().liveCount(), 4u);
  EXPECT_EQ(s.recordCount(), 2);
  EXPECT_EQ(view(), (std::vector<std::string>{"kos", "kosatec"}));
  EXPECT_EQ(current(), "kosatec");
  s.setFiltered(false);
  EXPECT_EQ(view().back(), "vrabec");
}

TEST_F(FilterTest, EditedRecordLeavesTheViewWhenRejected) {
  openWith(named({"kos", "kosatec", "kosodřevina"}));
  condition = "kos";
  s.setFiltered(true);
  for (int recNo : {2, 2}) {  // the middle, then the last record
    s.setRecNo(recNo);
    s.edit();
    s.setText(0, cp("jiný"));
    s.post();
  }
  EXPECT_EQ(view(), (std::vector<std::string>{"kos"}));
  EXPECT_EQ(current(), "kos");  // the new last record
  s.edit();
  s.setText(0, cp("pryč"));
  s.post();
  EXPECT_EQ(s.recordCount(), 0);
  EXPECT_TRUE(s.bof() && s.eof());
  EXPECT_EQ(s.changeCount(), 3u);
}

TEST_F(FilterTest, SortAndFilterHoldTogether) {
  openWith(named({"kos", "ara", "kosatka", "kakadu", "akos", "papoušek"}));
  s.setIndexFieldNames("Nazev");
  condition = "k";
  s.setFiltered(true);
  EXPECT_EQ(view(), (std::vector<std::string>{"akos", "kakadu", "kos", "kosatka", "papoušek"}));
  appendNamed("kavka");
  EXPECT_EQ(view(), (std::vector<std::string>{"akos", "kakadu", "kavka", "kos", "kosatka", "papoušek"}));
  EXPECT_EQ(current(), "kavka");
  appendNamed("emu");  // rejected
  EXPECT_EQ(current(), "kavka");
  s.setRecNo(1);
  s.edit();
  s.setText(0, "zkos");  // still passes, moves to the end
  s.post();
  EXPECT_EQ(current(), "zkos");
  EXPECT_EQ(s.recNo(), 6);
  s.setIndexFieldNames("");  // the filter's verdicts stay
  EXPECT_EQ(view(), (std::vector<std::string>{"kos", "kosatka", "kakadu", "zkos", "papoušek", "kavka"}));
  s.setIndexFieldNames("Nazev");
  EXPECT_EQ(current(), "zkos");
  s.first();
  s.deleteRecord();  // "kakadu"
  EXPECT_EQ(current(), "kavka");
  s.setFiltered(false);
  EXPECT_EQ(view(), (std::vector<std::string>{"ara", "emu", "kavka", "kos", "kosatka", "papoušek", "zkos"}));
}

// --- bookmarks ----------------------------------------------------------------------

TEST_F(RecordStoreTest, BookmarkTextBringsTheRecordBack) {
  openWith(named({"c", "a", "b"}));
  s.setRecNo(2);
  const std::string mark = s.bookmarkText();
  ASSERT_FALSE(mark.empty());
  const auto bm = s.bookmark();
  s.last();
  s.setIndexFieldNames("Nazev");
  notes = 0;
  s.setBookmarkText(mark);
  EXPECT_EQ(current(), "a");
  EXPECT_EQ(s.recNo(), 1);
  EXPECT_EQ(notes, 1);
  s.last();
  s.gotoBookmark(bm);
  EXPECT_EQ(current(), "a");
  s.freeBookmark(bm);

  notes = 0;
  s.setBookmarkText("");
  EXPECT_EQ(notes, 0);
  EXPECT_EQ(current(), "a");
  EXPECT_THROW(s.setBookmarkText("x1"), StoreError);
  s.deleteRecord();
  EXPECT_THROW(s.setBookmarkText(mark), StoreError);
}

// --- the collator and the file --------------------------------------------------------

TEST(Collator, SortKeysOrderAsCompare) {
  const store::Collator collator("cs");
  const std::vector<std::string> texts = {"", "a", "A", "á", "Á", "b", "c", "C", "č", "Č", "h", "ch", "CH", "Ch", "i",
                                          "ř", "z", "ž", "1", "10", "2", " a", "a b", "ab", "http://x.cz/", "http://x.cz"};
  auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (const std::string& x : texts) {
    for (const std::string& y : texts) {
      std::string kx, ky;
      collator.appendSortKey(cp(x), kx);
      collator.appendSortKey(cp(y), ky);
      EXPECT_EQ(sign(kx.compare(ky)), sign(collator.compare(cp(x), cp(y)))) << x << " / " << y;
      EXPECT_EQ(kx.find('\0'), std::string::npos);
    }
  }
  EXPECT_LT(collator.compare("h", "ch"), 0);
  EXPECT_LT(collator.compare("c", cp("č")), 0);
  EXPECT_LT(collator.compare(cp("č"), "d"), 0);
  EXPECT_NE(collator.compare("a", "A"), 0);
}

#ifndef _WIN32  // the locale variables are a POSIX matter
TEST(Collator, CAndPosixLocalesSortInCzech) {
  const char* saved = std::getenv("LC_ALL");
  const std::string keep = saved ? saved : "";
  for (const char* locale : {"C", "POSIX", "C.UTF-8"}) {
    setenv("LC_ALL", locale, 1);
    const store::Collator collator;
    EXPECT_GT(collator.compare("ch", "h"), 0) << locale;
  }
  if (saved)
    setenv("LC_ALL", keep.c_str(), 1);
  else
    unsetenv("LC_ALL");
}
#endif

TEST_F(RecordStoreTest, SaveWritesNaturalOrderAndTheFileDecidesTheSaveOnClose) {
  const auto dir = std::filesystem::path(::testing::TempDir()) / "odk_record_store";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const auto file = dir / "Odkaznik.xml";
  s.setFileName(file);
  openWith({{"b", "http://b", std::nullopt, "Černá"}, {"a", "", "K", ""}});
  EXPECT_TRUE(s.needsSaveOnClose());  // no file yet
  s.setIndexFieldNames("Nazev");
  s.saveToFile(file);
  EXPECT_FALSE(s.needsSaveOnClose());

  RecordStore loaded;
  loaded.setFileName(file);
  loaded.open();
  ASSERT_EQ(loaded.recordCount(), 2);
  EXPECT_EQ(loaded.text(0), "b");
  EXPECT_EQ(utf(loaded.text(3)), "Černá");
  EXPECT_FALSE(loaded.hasValue(2));
  EXPECT_FALSE(loaded.needsSaveOnClose());
  loaded.edit();
  loaded.setText(0, "c");
  loaded.post();
  EXPECT_TRUE(loaded.needsSaveOnClose());
  std::filesystem::remove_all(dir);
}

}  // namespace
