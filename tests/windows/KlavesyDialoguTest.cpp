// The keys of the dialogs as the desktop has them: each opens on the first
// control of its tab order that can take the focus, Enter presses the
// focused button (so Enter on a focused "Storno" never stores), and the
// default button only when the focus is elsewhere.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "Ciselnik_f.h"
#include "FiltrZaznamu_f.h"
#include "Hledat_f.h"
#include "Konfig_f.h"
#include "NovyEdit_f.h"
#include "Registr.h"
#include "TrideniRazeni_f.h"
#include "VyberPole.h"

namespace {

class KlavesyDialogu : public Registr {
 protected:
  // Shown and active, as its command shows it.
  template <class D>
  D& ukaz(D& d) {
    d.show();
    QApplication::processEvents();
    d.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&d, 2000));
    return d;
  }

  static QWidget* polozka(TVyberPole* skupina, int i) {
    return skupina->findChild<QRadioButton*>(QStringLiteral("Polozka%1").arg(i));
  }
};

TEST_F(KlavesyDialogu, EachDialogOpensOnTheFirstControlThatTakesTheFocus) {
  writeRegister(3);
  THlavni& h = start();
  {
    TNovyEdit d(h.ProEditor(), &h);
    d.NastavRezim(TNovyEdit::Rezim::Editace);
    EXPECT_EQ(ukaz(d).focusWidget(), d.Pole1);
  }
  {
    TCiselnik d(h.ClientDataSet1, h.SouborSeznamu(), &h);
    EXPECT_EQ(ukaz(d).focusWidget(), d.Memo1);
  }
  {
    // Ok starts disabled: Storno is the first that takes the focus.
    TKonfig d(h.ZobrazDialogUloz, h.UkladatPozici, h.SouborNastaveni(), &h);
    EXPECT_EQ(ukaz(d).focusWidget(), d.Tl_Storno);
  }
  {
    // The field choice list: its selected item, or its first one.
    TTrideniRazeni d(h.StavPohledu, &h);
    EXPECT_EQ(ukaz(d).focusWidget(), polozka(d.VybranePole, 0));
  }
  h.DBGrid1TitleClick(1);
  {
    TTrideniRazeni d(h.StavPohledu, &h);
    EXPECT_EQ(ukaz(d).focusWidget(), polozka(d.VybranePole, 1));
  }
  {
    TFiltrZaznamu d(h.StavPohledu, h.AdresarProgramu / "Seznam.txt", &h);
    EXPECT_EQ(ukaz(d).focusWidget(), polozka(d.Rg_VybranePole, 0));
  }
  {
    THledat d(h.StavPohledu, &h);
    EXPECT_EQ(ukaz(d).focusWidget(), d.Hledany);
  }
  EXPECT_TRUE(person.messages.empty());
}

TEST_F(KlavesyDialogu, EnterOnAFocusedStornoClosesWithoutStoring) {
  writeRegister(3);
  THlavni& h = start();
  writeFile(dir / "Seznam.txt", "abc\r\n");
  {
    TNovyEdit d(h.ProEditor(), &h);
    d.NastavRezim(TNovyEdit::Rezim::Novy);
    ukaz(d);
    QTest::keyClicks(d.Pole1, "Novy");
    ASSERT_TRUE(d.OK->isEnabled());
    d.Storno->setFocus();
    QTest::keyClick(d.Storno, Qt::Key_Return);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(h.ClientDataSet1.recordCount(), 3);
  }
  {
    TCiselnik d(h.ClientDataSet1, h.SouborSeznamu(), &h);
    ukaz(d);
    QTest::keyClicks(d.Memo1, "xyz");
    d.Tl_Storno->setFocus();
    QTest::keyClick(d.Tl_Storno, Qt::Key_Enter);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(readFile(dir / "Seznam.txt"), "abc\r\n");
  }
  {
    TKonfig d(h.ZobrazDialogUloz, h.UkladatPozici, h.SouborNastaveni(), &h);
    ukaz(d);
    d.ChB_UkladatPozici->click();
    ASSERT_TRUE(d.Tl_Ok->isEnabled());
    QTest::keyClick(d.Tl_Storno, Qt::Key_Return);
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(h.UkladatPozici);
    EXPECT_FALSE(std::filesystem::exists(dir / "Odkaznik.ini"));
  }
  {
    TTrideniRazeni d(h.StavPohledu, &h);
    ukaz(d);
    d.VybranePole->setItemIndex(0);
    QTest::keyClick(d.Tl_Storno, Qt::Key_Return);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(h.StavPohledu.SetridenoPodle(), -1);
  }
  {
    TFiltrZaznamu d(h.StavPohledu, h.AdresarProgramu / "Seznam.txt", &h);
    ukaz(d);
    QTest::keyClicks(d.Ed_PodminkaFiltru, "1");
    QTest::keyClick(d.Storno, Qt::Key_Return);
    EXPECT_FALSE(d.isVisible());
    EXPECT_FALSE(h.ClientDataSet1.filtered());
  }
  EXPECT_TRUE(person.messages.empty());
}

TEST_F(KlavesyDialogu, EnterAwayFromTheButtonsPressesTheDefaultButtonOnly) {
  writeRegister(3);
  THlavni& h = start();
  h.ZobrazDialogUloz = false;
  {
    // In an input: OK stores.
    TNovyEdit d(h.ProEditor(), &h);
    d.NastavRezim(TNovyEdit::Rezim::Novy);
    ukaz(d);
    QTest::keyClicks(d.Pole1, "Novy");
    QTest::keyClick(d.Pole4, Qt::Key_Return);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(h.ClientDataSet1.recordCount(), 4);
  }
  {
    // In the text area Enter starts a new line; on Ok it writes.
    TCiselnik d(h.ClientDataSet1, h.SouborSeznamu(), &h);
    ukaz(d);
    QTest::keyClicks(d.Memo1, "a");
    QTest::keyClick(d.Memo1, Qt::Key_Return);
    QTest::keyClicks(d.Memo1, "b");
    EXPECT_TRUE(d.isVisible());
    QTest::keyClick(d.Tl_Ok, Qt::Key_Return);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(readFile(dir / "Seznam.txt"), "a\r\nb");
  }
  {
    // A focused button other than the default one is pressed itself.
    h.DBGrid1TitleClick(0);
    TTrideniRazeni d(h.StavPohledu, &h);
    ukaz(d);
    d.VybranePole->setItemIndex(1);
    QTest::keyClick(d.Tl_Vychozi, Qt::Key_Return);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(h.StavPohledu.SetridenoPodle(), -1);
  }
  {
    // No default button: Enter on a box presses nothing, on a focused Ok it
    // stores.
    TKonfig d(h.ZobrazDialogUloz, h.UkladatPozici, h.SouborNastaveni(), &h);
    ukaz(d);
    d.ChB_ZobrazDialogUloz->click();
    QTest::keyClick(d.ChB_ZobrazDialogUloz, Qt::Key_Return);
    EXPECT_TRUE(d.isVisible());
    QTest::keyClick(d.Tl_Ok, Qt::Key_Return);
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(h.ZobrazDialogUloz);
  }
  EXPECT_TRUE(person.messages.empty());
}

}  // namespace
