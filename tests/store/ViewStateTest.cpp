// The view state without a window: sorting, the filter as a value, the
// search walk and its one change notification.
#include "ViewState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CodePage.h"

namespace {

using store::RecordStore;
using store::ViewState;

std::string cp(std::string_view utf8) { return cp1250::fromUtf8(utf8); }

struct Zaznam {
  const char *nazev, *http, *kod, *popis;  // UTF-8
};

class ViewStateTest : public ::testing::Test {
 protected:
  RecordStore data;
  ViewState stav{data};
  int zmeny = 0;

  void SetUp() override {
    data.setSortLocale("cs");
    data.createEmpty(store::addressFieldDefs());
    const Zaznam zaznamy[] = {
        {"Eva", "http://e.cz", "WEB", "Český web"},
        {"Cyril", "http://c.cz", "web", "druhý web"},
        {"Adam", "mailto:a@a.cz", "MAIL", "pošta"},
        {"Bedřich", "http://b.cz", "WEB", "TŘETÍ WEB"},
        {"Dana", "soubor.txt", "", "soubor"},
    };
    for (const Zaznam& z : zaznamy) {
      data.append();
      data.setText("nazev", cp(z.nazev));
      data.setText("http", cp(z.http));
      data.setText("kod", cp(z.kod));
      data.setText("popis", cp(z.popis));
      data.post();
    }
    data.first();
    stav.addListener([this] { ++zmeny; });
  }

  // The names of the view, in its order.
  std::vector<std::string> pohled() {
    std::vector<std::string> out;
    const auto b = data.bookmark();
    for (data.first(); !data.eof(); data.next()) out.push_back(cp1250::toUtf8(data.text("nazev")));
    data.gotoBookmark(b);
    return out;
  }
  std::string aktualni() const { return cp1250::toUtf8(data.text("nazev")); }
};

TEST_F(ViewStateTest, SortingByAFieldAndBackToNaturalOrder) {
  data.last();
  stav.Setrid(0);
  EXPECT_EQ(stav.SetridenoPodle(), 0);
  EXPECT_EQ(stav.NazevTrideni(), "Nazev");
  EXPECT_EQ(pohled(), (std::vector<std::string>{"Adam", "Bedřich", "Cyril", "Dana", "Eva"}));
  EXPECT_EQ(aktualni(), "Adam");  // moved to the first record
  EXPECT_EQ(zmeny, 1);

  stav.Setrid(-1);
  EXPECT_EQ(stav.SetridenoPodle(), -1);
  EXPECT_EQ(stav.NazevTrideni(), "");
  EXPECT_EQ(pohled(), (std::vector<std::string>{"Eva", "Cyril", "Adam", "Bedřich", "Dana"}));

  // An order the store refuses (a record being edited) changes nothing.
  data.edit();
  EXPECT_THROW(stav.Setrid(2), store::StoreError);
  EXPECT_EQ(stav.SetridenoPodle(), -1);
  EXPECT_EQ(zmeny, 2);
}

TEST_F(ViewStateTest, TheFilterIsContainmentWithLettersInAnyCase) {
  struct Pripad {
    int pole;
    const char* podminka;
    std::vector<std::string> pohled;
  } pripady[] = {
      {2, "web", {"Eva", "Cyril", "Bedřich"}},
      {3, "ČESKÝ", {"Eva"}},
      {3, "web", {"Eva", "Cyril", "Bedřich"}},
      {0, "a", {"Eva", "Adam", "Dana"}},
      {1, "http", {"Eva", "Cyril", "Bedřich"}},
      {0, "nic", {}},
  };
  for (const Pripad& p : pripady) {
    SCOPED_TRACE(p.podminka);
    stav.Filtruj(p.pole, cp(p.podminka));  // a second filter replaces the first
    EXPECT_TRUE(stav.Filtrovano());
    EXPECT_EQ(stav.FiltrPole(), p.pole);
    EXPECT_EQ(stav.FiltrText(), cp(p.podminka));
    EXPECT_EQ(stav.FiltrVyraz(), cp1250::lowered(cp(p.podminka)));
    EXPECT_EQ(pohled(), p.pohled);
  }
  // Off again: every record, the condition kept for the label's next use.
  stav.ZrusFiltr();
  EXPECT_FALSE(stav.Filtrovano());
  EXPECT_EQ(pohled().size(), 5u);
  EXPECT_EQ(stav.FiltrText(), "nic");
}

TEST_F(ViewStateTest, ARefusedFilterKeepsTheConditionInForce) {
  stav.Filtruj(2, "web");
  data.edit();
  EXPECT_THROW(stav.Filtruj(0, "a"), store::StoreError);
  EXPECT_EQ(stav.FiltrPole(), 2);
  EXPECT_EQ(stav.FiltrText(), "web");
  data.cancel();
  // Records stored later are tested by the condition the grid shows.
  data.append();
  data.setText("nazev", "Filip");
  data.setText("kod", "WEBY");
  data.post();
  data.append();
  data.setText("nazev", "Gustav");
  data.post();
  EXPECT_EQ(pohled(), (std::vector<std::string>{"Eva", "Cyril", "Bedřich", "Filip"}));
}

TEST_F(ViewStateTest, AMovedFieldTakesTheSortAndTheFilterAlong) {
  stav.Setrid(2);          // Kod
  stav.Filtruj(3, "web");  // Popis
  zmeny = 0;
  stav.PresunPole(3, 0);  // Popis, Nazev, Http, Kod
  EXPECT_EQ(data.fieldName(0), "Popis");
  EXPECT_EQ(stav.SetridenoPodle(), 3);
  EXPECT_EQ(stav.NazevTrideni(), "Kod");
  EXPECT_EQ(stav.FiltrPole(), 0);
  EXPECT_EQ(zmeny, 1);
  // Evaluated again, the filter still tests Popis; the order is still Kod's.
  data.setFiltered(true);
  EXPECT_EQ(pohled(), (std::vector<std::string>{"Cyril", "Eva", "Bedřich"}));
  // The predicate as the main window asks it, on the current record.
  data.first();
  EXPECT_TRUE(stav.Vyhovuje());
  stav.ZrusFiltr();
  data.setRecNo(2);  // Adam, "pošta", after Dana's empty code
  EXPECT_FALSE(stav.Vyhovuje());
}

TEST_F(ViewStateTest, SearchWalksForwardFromTheNextRecord) {
  struct Pripad {
    int start;
    const char* pole;
    const char* hledany;
    bool cele;
    const char* nalezen;  // nullptr: not found
  } pripady[] = {
      {1, "Kod", "web", false, "Cyril"},      // the current record is never examined
      {2, "Popis", "web", false, "Bedřich"},  // letters in any case
      {1, "Nazev", "eva", true, nullptr},     // no wrap-around
      {1, "Nazev", "ADAM", true, "Adam"},
      {1, "Nazev", "Ada", true, nullptr},     // a whole value only
      {1, "nazev", " ", false, nullptr},      // field names in any case
      {3, "Popis", "š", false, nullptr},
  };
  for (const Pripad& p : pripady) {
    SCOPED_TRACE(std::string(p.pole) + " " + p.hledany);
    data.setRecNo(p.start);
    const bool nalezeno = stav.NajdiZaznam(p.pole, cp(p.hledany), p.cele);
    EXPECT_EQ(nalezeno, p.nalezen != nullptr);
    if (p.nalezen) EXPECT_EQ(aktualni(), p.nalezen);
  }
  EXPECT_EQ(zmeny, 0);  // a search alone is no change of the view state
}

TEST_F(ViewStateTest, TheLastSearchIsKeptForFindNext) {
  EXPECT_TRUE(stav.HledParam().HledanyVyraz.empty());
  EXPECT_TRUE(stav.Hledej({"Kod", "WEB", false}));
  EXPECT_EQ(aktualni(), "Cyril");
  EXPECT_EQ(zmeny, 1);
  EXPECT_TRUE(stav.HledejDalsi());
  EXPECT_EQ(aktualni(), "Bedřich");
  EXPECT_FALSE(stav.HledejDalsi());
  // Kept also when nothing was found.
  EXPECT_FALSE(stav.Hledej({"Nazev", "nikdo", true}));
  EXPECT_EQ(stav.HledParam().NazevPole, "Nazev");
  EXPECT_EQ(stav.HledParam().HledanyVyraz, "nikdo");
  EXPECT_TRUE(stav.HledParam().CeleVyrazy);
}

TEST(TextPozice, PositionAndCount) {
  RecordStore data;
  EXPECT_EQ(store::TextPozice(data), "0 z 0");  // closed
  data.createEmpty(store::addressFieldDefs());
  EXPECT_EQ(store::TextPozice(data), "0 z 0");
  for (int i = 0; i < 3; ++i) {
    data.append();
    data.post();
  }
  data.setRecNo(2);
  EXPECT_EQ(store::TextPozice(data), "2 z 3");
  data.append();
  EXPECT_EQ(store::TextPozice(data), "0 z 3");  // a new record not yet stored
}

}  // namespace
