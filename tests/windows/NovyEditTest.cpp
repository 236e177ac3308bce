// The record editor: its two modes, the changed state, saving before every
// move, and its keys.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "NovyEdit_f.h"
#include "Registr.h"

namespace {

class NovyEdit : public Registr {
 protected:
  const std::string dlouhy = "ABCDEFGHIJKLMNOPQRSTUVWXY";  // 25 characters

  THlavni& startWithCodes(int records) {
    writeRegister(records);
    writeFile(dir / "Seznam.txt", "abc\r\n\r\nxyz\r\n" + dlouhy + "\r\n");
    return start();
  }

  // The editor as its command opens it, shown without a modal loop.
  std::unique_ptr<TNovyEdit> open(TNovyEdit::Rezim rezim) {
    auto d = std::make_unique<TNovyEdit>(w->ProEditor(), w.get());
    d->NastavRezim(rezim);
    d->show();
    QApplication::processEvents();  // the main window's own start-up events first
    d->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(d.get(), 2000));
    return d;
  }

  // A register of one record with these fields, its name and code as given.
  void writeOne(const std::vector<store::FieldDef>& defs, const std::string& nazev, const std::string& kod = {}) {
    store::RecordStore s;
    s.createEmpty(defs);
    s.append();
    s.setText("nazev", nazev);
    if (!kod.empty()) s.setText("kod", kod);
    s.post();
    s.saveToFile(dir / "Odkaznik.xml");
  }

  int questions() const {
    int n = 0;
    for (const auto& m : person.messages)
      n += m.caption == "V textu byly provedeny změny" && m.text == "Chcete tyto změny uložit?" &&
           m.icon == QMessageBox::Question && m.defaultButton == QMessageBox::No;
    return n;
  }
};

TEST_F(NovyEdit, CreationTakesWidthsAndCodes) {
  THlavni& h = startWithCodes(1);
  auto d = open(TNovyEdit::Rezim::Novy);
  EXPECT_EQ(d->Pole1->maxLength(), 80);
  EXPECT_EQ(d->Pole2->maxLength(), 255);
  EXPECT_EQ(d->Pole3->lineEdit()->maxLength(), 20);
  EXPECT_EQ(d->Pole4->maxLength(), 255);
  QStringList items;
  for (int i = 0; i < d->Pole3->count(); ++i) items << d->Pole3->itemText(i);
  EXPECT_EQ(items, (QStringList{"abc", "", "xyz", QString::fromStdString(dlouhy)}));
  EXPECT_EQ(d->Pole3->currentText(), "");
  EXPECT_FALSE(d->OK->isEnabled());
  EXPECT_TRUE(d->OK->isDefault());
  EXPECT_EQ(d->Pocitadlo->text(), "Počítadlo");
  for (QToolButton* b : {d->TBPrvniZaznam, d->TBPredchazejiciZaznam, d->TBNasledujiciZaznam, d->TBPosledniZaznam})
    EXPECT_FALSE(b->isVisible());
  EXPECT_TRUE(d->TBNovyZaznam->isVisible());
  EXPECT_EQ(d->TBNovyZaznam->toolTip(), "Nový záznam (Ins)");
  EXPECT_EQ(d->size(), QSize(569, 211));
  EXPECT_TRUE(person.messages.empty());
  (void)h;
}

TEST_F(NovyEdit, NewRecordsChainWithInsAndNothingIsStoredUntouched) {
  THlavni& h = startWithCodes(3);
  auto d = open(TNovyEdit::Rezim::Novy);
  // Untouched: Enter presses nothing, Ins stores nothing.
  QTest::keyClick(d->Pole1, Qt::Key_Return);
  QTest::keyClick(d->Pole1, Qt::Key_Insert);
  EXPECT_TRUE(d->isVisible());
  EXPECT_EQ(h.ClientDataSet1.recordCount(), 3);

  QTest::keyClicks(d->Pole1, "Prvni");
  EXPECT_TRUE(d->OK->isEnabled());
  person.answers = {QMessageBox::Yes};
  QTest::keyClick(d->Pole1, Qt::Key_Insert);
  EXPECT_EQ(questions(), 1);
  EXPECT_EQ(h.ClientDataSet1.recordCount(), 4);
  EXPECT_EQ(current("nazev"), "Prvni");
  EXPECT_TRUE(d->isVisible());
  EXPECT_EQ(d->Pole1->text(), "");
  EXPECT_FALSE(d->OK->isEnabled());
  QTest::keyClick(d->Pole1, Qt::Key_Insert);
  EXPECT_EQ(questions(), 1);
  EXPECT_EQ(h.ClientDataSet1.recordCount(), 4);

  // Enter in the code input presses OK as in any other input.
  QTest::keyClicks(d->Pole2, "http://druhy.cz");
  QTest::keyClicks(d->Pole3->lineEdit(), "zz");
  person.answers = {QMessageBox::Yes};
  QTest::keyClick(d->Pole3->lineEdit(), Qt::Key_Return);
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(h.ClientDataSet1.recordCount(), 5);
  // The new record is the main window's current record.
  EXPECT_EQ(current("http"), "http://druhy.cz");
  EXPECT_EQ(current("kod"), "zz");
  EXPECT_EQ(h.CisloZaznamu->text(), "5 z 5");
  EXPECT_EQ(d->Pole3->count(), 4);  // a typed code is not added to the list
}

TEST_F(NovyEdit, NoOnOkClosesAndStoresNothing) {
  THlavni& h = startWithCodes(3);
  auto d = open(TNovyEdit::Rezim::Novy);
  QTest::keyClicks(d->Pole1, "Nic");
  person.answers = {QMessageBox::No};
  d->OK->click();
  EXPECT_EQ(questions(), 1);
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(h.ClientDataSet1.recordCount(), 3);
}

TEST_F(NovyEdit, NoOnANavigationButtonMovesAndDropsTheEdits) {
  THlavni& h = startWithCodes(3);
  auto d = open(TNovyEdit::Rezim::Editace);
  EXPECT_EQ(d->Pole1->text(), "Záznam 1");
  EXPECT_EQ(d->Pole3->currentText(), "K1");
  EXPECT_EQ(d->Pocitadlo->text(), "1 z 3");
  EXPECT_FALSE(d->OK->isEnabled());
  EXPECT_FALSE(d->TBNovyZaznam->isVisible());
  EXPECT_FALSE(d->TBPrvniZaznam->isEnabled());
  EXPECT_TRUE(d->TBNasledujiciZaznam->isEnabled());

  QTest::keyClicks(d->Pole1, "X");
  person.answers = {QMessageBox::No};
  d->TBNasledujiciZaznam->click();
  EXPECT_EQ(questions(), 1);
  EXPECT_EQ(h.ClientDataSet1.recNo(), 2);
  EXPECT_EQ(d->Pole1->text(), "Záznam 2");
  EXPECT_EQ(d->Pocitadlo->text(), "2 z 3");
  EXPECT_FALSE(d->OK->isEnabled());
  h.ClientDataSet1.first();
  EXPECT_EQ(current("nazev"), "Z\xE1znam 1");

  // Yes stores the record before the move; a save alone leaves the counter.
  h.ClientDataSet1.setRecNo(2);
  d->NactiZaznam();
  d->Pole4->setText(QStringLiteral("popis"));
  person.answers = {QMessageBox::Yes};
  d->TBPosledniZaznam->click();
  EXPECT_EQ(d->Pole1->text(), "Záznam 3");
  EXPECT_FALSE(d->TBPosledniZaznam->isEnabled());
  h.ClientDataSet1.setRecNo(2);
  EXPECT_EQ(current("popis"), "popis");
  EXPECT_EQ(h.ClientDataSet1.recordCount(), 3);
}

TEST_F(NovyEdit, ShiftKeysActAsTheButtonsAlsoWhenTheyAreDisabled) {
  THlavni& h = startWithCodes(3);
  auto d = open(TNovyEdit::Rezim::Editace);
  // The name, taken whole with the focus, gets an X at its end.
  QTest::keyClick(d->Pole1, Qt::Key_End);
  QTest::keyClicks(d->Pole1, "X");
  person.answers = {QMessageBox::Yes};
  // On the first record the first-record button is disabled: the save and
  // the reload still run.
  QTest::keyClick(d->Pole1, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(questions(), 1);
  EXPECT_EQ(h.ClientDataSet1.recNo(), 1);
  EXPECT_EQ(current("nazev"), "Z\xE1znam 1X");
  EXPECT_EQ(d->Pole1->text(), "Záznam 1X");
  EXPECT_FALSE(d->Pole1->hasSelectedText());

  struct Klavesa {
    Qt::Key key;
    int position;
  } klavesy[] = {{Qt::Key_End, 3}, {Qt::Key_Left, 2}, {Qt::Key_Right, 3}, {Qt::Key_Right, 3}, {Qt::Key_Home, 1}};
  for (const Klavesa& k : klavesy) {
    QTest::keyClick(d->Pole2, k.key, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(h.ClientDataSet1.recNo(), k.position);
    EXPECT_EQ(d->Pocitadlo->text(), QStringLiteral("%1 z 3").arg(k.position));
    EXPECT_FALSE(d->Pole2->hasSelectedText());
  }
  // Without Shift the keys belong to the input.
  QTest::keyClick(d->Pole2, Qt::Key_Home);
  EXPECT_EQ(h.ClientDataSet1.recNo(), 1);
  EXPECT_EQ(d->Pole2->cursorPosition(), 0);
  EXPECT_EQ(questions(), 1);

  // In new-record mode the Shift keys do nothing at all, and Ins in edit mode
  // starts nothing.
  QTest::keyClick(d->Pole1, Qt::Key_Insert);
  EXPECT_EQ(d->windowTitle(), TNovyEdit::kEditace);
  auto n = open(TNovyEdit::Rezim::Novy);
  QTest::keyClicks(n->Pole1, "abc");
  QTest::keyClick(n->Pole1, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(n->Pole1->text(), "abc");
  EXPECT_FALSE(n->Pole1->hasSelectedText());
  EXPECT_EQ(h.ClientDataSet1.recNo(), 1);
  EXPECT_EQ(questions(), 1);
}

TEST_F(NovyEdit, UpAndDownMoveTheFocus) {
  startWithCodes(2);
  auto d = open(TNovyEdit::Rezim::Editace);
  d->Pole3->setFocus();
  ASSERT_TRUE(d->Pole3->hasFocus());
  auto key = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); };
  key(Qt::Key_Down);
  EXPECT_TRUE(d->Pole4->hasFocus());
  key(Qt::Key_Up);
  EXPECT_TRUE(d->Pole3->hasFocus());
  key(Qt::Key_Up);
  EXPECT_TRUE(d->Pole2->hasFocus());
  EXPECT_EQ(d->Pole3->currentText(), "K1");  // not stepped through the list
  key(Qt::Key_Up);
  key(Qt::Key_Up);
  // Wrapped past OK, which is disabled, to Storno; the toolbar never takes it.
  EXPECT_TRUE(d->Storno->hasFocus());
  key(Qt::Key_Down);
  EXPECT_TRUE(d->Pole1->hasFocus());
  EXPECT_FALSE(d->OK->isEnabled());
}

TEST_F(NovyEdit, ACodeLongerThanItsFieldIsStoredCut) {
  THlavni& h = startWithCodes(1);
  h.ZobrazDialogUloz = false;
  auto d = open(TNovyEdit::Rezim::Novy);
  QTest::keyClicks(d->Pole3->lineEdit(), QString::fromStdString(dlouhy));
  EXPECT_EQ(d->Pole3->currentText().size(), 20);
  d->TBNovyZaznamClick();
  EXPECT_EQ(current("kod"), dlouhy.substr(0, 20));

  // Chosen from the list.
  d->Pole3->setCurrentIndex(3);
  EXPECT_TRUE(d->OK->isEnabled());
  d->OK->click();
  EXPECT_EQ(current("kod"), dlouhy.substr(0, 20));
  EXPECT_EQ(h.ClientDataSet1.recordCount(), 3);
  EXPECT_TRUE(person.messages.empty());  // the setting is off: no question
}

TEST_F(NovyEdit, InputsAreStoredAsTheyStand) {
  THlavni& h = startWithCodes(1);
  h.ZobrazDialogUloz = false;
  auto d = open(TNovyEdit::Rezim::Novy);
  d->Pole1->setText(QStringLiteral("  Žluťoučký kůň   "));
  d->Pole2->setText(QString(300, QLatin1Char('h')));
  for (QLineEdit* e : {d->Pole1, d->Pole4}) {
    e->insert(QString::fromUtf8("😀"));  // refused
  }
  EXPECT_EQ(d->Pole4->text(), "");
  d->OK->click();
  EXPECT_EQ(current("nazev"), "  \x8Elu\x9Dou\xE8k\xFD k\xF9\xF2");
  EXPECT_EQ(current("http"), std::string(255, 'h'));
  EXPECT_EQ(current("kod"), "");
  EXPECT_TRUE(h.ClientDataSet1.hasValue(h.ClientDataSet1.fieldByName("popis")));
}

TEST_F(NovyEdit, EveryByteOfARecordSurvivesAnEditOfAnotherField) {
  // The five bytes the code page leaves undefined, and the rest of 80-9F,
  // in the name; only the description is edited.
  std::string nazev = "a\x81" "b\x83" "c\x88" "d\x90" "e\x98" "f";
  for (int b = 0x80; b < 0xA0; ++b) nazev += static_cast<char>(b);
  writeOne(store::addressFieldDefs(), nazev, "\x90\x98");
  THlavni& h = start();
  h.ZobrazDialogUloz = false;
  auto d = open(TNovyEdit::Rezim::Editace);
  QTest::keyClicks(d->Pole4, "popis");
  d->OK->click();
  EXPECT_EQ(current("nazev"), nazev);
  EXPECT_EQ(current("kod"), "\x90\x98");
  EXPECT_EQ(current("popis"), "popis");
  EXPECT_TRUE(person.messages.empty());
}

TEST_F(NovyEdit, TheCounterGrowsWithItsText) {
  THlavni& h = startWithCodes(3);
  {
    auto d = open(TNovyEdit::Rezim::Editace);
    EXPECT_EQ(d->Pocitadlo->text(), "1 z 3");
    EXPECT_EQ(d->Pocitadlo->geometry(), QRect(56, 182, 80, 16));
    EXPECT_EQ(d->ToolBar1->x(), 144);
  }
  // A large register, its last but one record current.
  store::RecordTable velky(store::addressFieldDefs());
  const std::vector<store::Value> prazdny(4, std::string_view("x"));
  for (int i = 0; i < 1234567; ++i) velky.append(prazdny);
  h.ClientDataSet1.close();
  h.ClientDataSet1.open(std::move(velky));
  h.ClientDataSet1.setRecNo(1234566);
  auto d = open(TNovyEdit::Rezim::Editace);
  EXPECT_EQ(d->Pocitadlo->text(), "1234566 z 1234567");
  EXPECT_GE(d->Pocitadlo->width(), d->Pocitadlo->sizeHint().width());
  EXPECT_GT(d->ToolBar1->x(), d->Pocitadlo->geometry().right());
  EXPECT_LT(d->ToolBar1->geometry().right(), d->OK->x());
}

TEST_F(NovyEdit, ARegisterWithoutSomeFieldsSaysWhichAndStoresTheOthers) {
  auto defs = store::addressFieldDefs();
  defs.resize(2);  // Nazev and Http only
  writeOne(defs, "Prvni");
  THlavni& h = start();
  h.ZobrazDialogUloz = false;
  {
    auto d = open(TNovyEdit::Rezim::Editace);
    ASSERT_EQ(person.messages.size(), 1u);
    EXPECT_EQ(person.messages[0].text, "Databáze nemá pole Kod a Popis; tyto údaje nelze zadat.");
    EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
    EXPECT_EQ(d->Pole1->text(), "Prvni");
    EXPECT_EQ(d->Pole1->maxLength(), 80);
    EXPECT_FALSE(d->Pole3->isEnabled());
    EXPECT_FALSE(d->Pole4->isEnabled());
    QTest::keyClicks(d->Pole2, "http://a.cz");
    d->OK->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(current("http"), "http://a.cz");
  }
  auto d = open(TNovyEdit::Rezim::Novy);
  QTest::keyClicks(d->Pole1, "Druhy");
  d->OK->click();
  EXPECT_EQ(h.ClientDataSet1.recordCount(), 2);
  EXPECT_EQ(current("nazev"), "Druhy");
  EXPECT_EQ(person.messages.size(), 2u);  // each opening says it, nothing else
}

TEST_F(NovyEdit, AFilteredViewEmptiedFromTheEditorEndsTheEditingWithTheEditStored) {
  THlavni& h = startWithCodes(3);
  h.StavPohledu.NastavFiltr(2, "k2");  // Kod contains "k2": the second record only
  h.ClientDataSet1.setFiltered(true);
  ASSERT_EQ(h.ClientDataSet1.recordCount(), 1);
  auto d = open(TNovyEdit::Rezim::Editace);
  d->Pole3->setEditText("X");
  QTest::keyClicks(d->Pole4, "popis");
  person.answers = {QMessageBox::Yes};
  // Stored, the record leaves the view, and no record is left to go to.
  QTest::keyClick(d->Pole1, Qt::Key_End, Qt::ShiftModifier);
  EXPECT_EQ(questions(), 1);
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(d->result(), QDialog::Accepted);
  EXPECT_EQ(person.texts().back(), "Filtru už nevyhovuje žádný záznam. Editace končí.");
  h.ClientDataSet1.setFiltered(false);
  h.ClientDataSet1.setRecNo(2);
  EXPECT_EQ(current("kod"), "X");
  EXPECT_EQ(current("popis"), "popis");

  // Should the editor still stand on an empty view, a save is refused
  // clearly and the inputs stay.
  h.ClientDataSet1.setFiltered(true);
  ASSERT_EQ(h.ClientDataSet1.recordCount(), 0);
  TNovyEdit e(w->ProEditor(), w.get());
  e.NastavRezim(TNovyEdit::Rezim::Editace);
  e.Pole1->setText("psano");
  e.OK->setEnabled(true);
  person.messages.clear();
  person.answers = {QMessageBox::Yes};
  e.OK->click();
  EXPECT_EQ(person.texts().back(), "Filtru už nevyhovuje žádný záznam, změny nelze uložit.");
  EXPECT_EQ(e.Pole1->text(), "psano");
  EXPECT_EQ(h.ClientDataSet1.state(), store::StoreState::Browse);
}

TEST_F(NovyEdit, TheCommandsOpenTheirModes) {
  THlavni& h = startWithCodes(2);
  h.ClientDataSet1.last();
  withDialog<TNovyEdit>(h.Akce_EditZaznamu, [&](TNovyEdit& d) {
    EXPECT_EQ(d.windowTitle(), "Editace aktuálního záznamu");
    EXPECT_EQ(d.Pole1->text(), "Záznam 2");
    d.Storno->click();
  });
  withDialog<TNovyEdit>(h.Akce_NovyZaznam, [&](TNovyEdit& d) {
    EXPECT_EQ(d.windowTitle(), "Nový záznam");
    EXPECT_EQ(d.Pole1->text(), "");
    // Ins is the editor's: it opens no second editor through the main window.
    d.Pole1->setText(QStringLiteral("Treti"));
    person.answers = {QMessageBox::Yes};
    QTest::keyClick(d.Pole1, Qt::Key_Insert);
    EXPECT_EQ(h.findChildren<TNovyEdit*>().size(), 1);
    EXPECT_EQ(h.ClientDataSet1.recordCount(), 3);
    QTest::keyClick(&d, Qt::Key_Escape);
  });
  EXPECT_TRUE(h.findChildren<TNovyEdit*>().isEmpty());
  EXPECT_EQ(h.ClientDataSet1.recordCount(), 3);
}

}  // namespace

namespace {

TEST_F(NovyEdit, AnUnreadableCodeListIsReportedAndTheEditorOpens) {
  writeRegister(1);
  std::filesystem::create_directory(dir / "Seznam.txt");
  start();
  auto d = open(TNovyEdit::Rezim::Novy);
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_TRUE(person.messages[0].text.startsWith(QStringLiteral("Cannot open file \"")));
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
  EXPECT_EQ(d->Pole3->count(), 0);
  EXPECT_FALSE(d->OK->isEnabled());
}

}  // namespace
