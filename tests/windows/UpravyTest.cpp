// Stepping through the records, the jump to a position and deletion.
#include <optional>

#include "Registr.h"

namespace {

using Upravy = Registr;

const QString kNeplatna = QStringLiteral("Zadali jste neplatnou hodnotu");
const QString kMimoRozsah = QStringLiteral("Zadali jste hodnotu mimo povolený rozsah");

TEST_F(Upravy, StepsStopAtTheEnds) {
  writeRegister(3);
  THlavni& h = start();
  struct Krok {
    void (THlavni::*handler)();
    int expected;
  } kroky[] = {
      {&THlavni::Akce_PredchazejiciZaznamExecute, 1},  // on the first record: it stays
      {&THlavni::Akce_NasledujiciZaznamExecute, 2},
      {&THlavni::Akce_PosledniZaznamExecute, 3},
      {&THlavni::Akce_NasledujiciZaznamExecute, 3},  // on the last record: it stays
      {&THlavni::Akce_PredchazejiciZaznamExecute, 2},
      {&THlavni::Akce_PrvniZaznamExecute, 1},
      {&THlavni::Akce_PredchazejiciZaznamExecute, 1},
  };
  for (const Krok& k : kroky) {
    (h.*k.handler)();
    EXPECT_EQ(h.ClientDataSet1.recNo(), k.expected);
    EXPECT_EQ(h.CisloZaznamu->text(), QStringLiteral("%1 z 3").arg(k.expected));
  }
  EXPECT_TRUE(person.messages.empty());
}

TEST_F(Upravy, GoToChecksTheTypedPosition) {
  writeRegister(12);
  THlavni& h = start();
  struct Pripad {
    std::optional<QString> typed;
    QString message;  // empty: none
    int position;
  } pripady[] = {
      {QStringLiteral("7"), {}, 7},
      {QStringLiteral("007"), {}, 7},
      {QStringLiteral(" 7"), kNeplatna, 3},
      {QStringLiteral("7 "), kNeplatna, 3},
      {QStringLiteral("+7"), kNeplatna, 3},
      {QStringLiteral("-7"), kNeplatna, 3},
      {QStringLiteral("7a"), kNeplatna, 3},
      {QStringLiteral("0"), kMimoRozsah, 3},
      {QStringLiteral("13"), kMimoRozsah, 3},
      {QStringLiteral("2147483647"), kMimoRozsah, 3},
      {QStringLiteral("3"), {}, 3},
      {QStringLiteral("003"), {}, 3},
      {QStringLiteral(""), QStringLiteral("Nebyla zadaná žádná hodnota"), 3},
      {std::nullopt, {}, 3},  // Cancel
      {QStringLiteral("12"), {}, 12},
      {QStringLiteral("1"), {}, 1},
  };
  for (const Pripad& p : pripady) {
    SCOPED_TRACE(p.typed.value_or(QStringLiteral("<Cancel>")).toStdString());
    h.ClientDataSet1.setRecNo(3);
    person.messages.clear();
    person.inputs.clear();
    person.inputAnswers = {p.typed};
    EXPECT_TRUE(THlavni::Spust(h.Akce_PrejitNaZaznam));

    ASSERT_EQ(person.inputs.size(), 1u);
    EXPECT_EQ(person.inputs[0].caption, "Přejít na záznam ...");
    EXPECT_EQ(person.inputs[0].prompt, "Zadejte pořadí záznamu od 1 do 12  :");
    EXPECT_EQ(person.inputs[0].text, "3");
    EXPECT_EQ(person.inputs[0].maxLength, 255);
    if (p.message.isEmpty()) {
      EXPECT_TRUE(person.messages.empty());
    } else {
      ASSERT_EQ(person.messages.size(), 1u);
      EXPECT_EQ(person.messages[0].text, p.message);
      EXPECT_EQ(person.messages[0].caption, "Odkaznik");
      EXPECT_EQ(person.messages[0].icon, QMessageBox::Information);
    }
    EXPECT_EQ(h.ClientDataSet1.recNo(), p.position);
  }
}

TEST_F(Upravy, GoToBeyondTheIntegerRangeIsAConversionError) {
  writeRegister(12);
  THlavni& h = start();
  for (const char* typed : {"12345678901234567890", "2147483648"}) {
    person.messages.clear();
    person.inputAnswers = {QString::fromLatin1(typed)};
    THlavni::Spust(h.Akce_PrejitNaZaznam);
    ASSERT_EQ(person.messages.size(), 1u);
    EXPECT_EQ(person.messages[0].text, QStringLiteral("'%1' is not a valid integer value.").arg(typed));
    EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
    EXPECT_EQ(h.ClientDataSet1.recNo(), 1);
  }
}

TEST_F(Upravy, GoToInAnEmptyRegister) {
  THlavni& h = start();
  person.inputAnswers = {QStringLiteral("0"), QStringLiteral("1")};
  THlavni::Spust(h.Akce_PrejitNaZaznam);
  ASSERT_EQ(person.inputs.size(), 1u);
  EXPECT_EQ(person.inputs[0].prompt, "Zadejte pořadí záznamu od 1 do 0  :");
  EXPECT_EQ(person.inputs[0].text, "0");
  EXPECT_TRUE(person.messages.empty());
  THlavni::Spust(h.Akce_PrejitNaZaznam);
  EXPECT_EQ(person.texts(), QStringList{kMimoRozsah});
  EXPECT_EQ(h.CisloZaznamu->text(), "0 z 0");
}

TEST_F(Upravy, DeleteAsksFirst) {
  writeRegister(3);
  THlavni& h = start();
  h.ClientDataSet1.setRecNo(2);

  person.answers = {QMessageBox::No};
  EXPECT_TRUE(THlavni::Spust(h.Akce_OdstranitZaznam));
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].caption, "Mazání záznamu");
  EXPECT_EQ(person.messages[0].text, "Opravdu chcete odstranit aktuální záznam?");
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Warning);
  EXPECT_EQ(person.messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(person.messages[0].defaultButton, QMessageBox::No);
  EXPECT_EQ(h.ClientDataSet1.recordCount(), 3);
  EXPECT_EQ(current("nazev"), "Z\xE1znam 2");

  person.answers = {QMessageBox::Yes};
  THlavni::Spust(h.Akce_OdstranitZaznam);
  EXPECT_EQ(h.ClientDataSet1.recordCount(), 2);
  EXPECT_EQ(current("nazev"), "Z\xE1znam 3");
  EXPECT_EQ(h.CisloZaznamu->text(), "2 z 2");
}

}  // namespace
