// The settings dialog: its boxes, its changed state and the two keys it writes.
#include <QCheckBox>
#include <QPushButton>

#include "FileLayer.h"
#include "Konfig_f.h"
#include "Registr.h"
#include "SettingsFile.h"

namespace {

using Konfig = Registr;

TEST_F(Konfig, OpensFromTheRunsSettingsWithOkDisabled) {
  THlavni& h = start();
  h.ZobrazDialogUloz = false;
  withDialog<TKonfig>(h.Akce_Konfig, [&](TKonfig& d) {
    EXPECT_EQ(d.windowTitle(), "Konfigurace");
    EXPECT_FALSE(d.ChB_ZobrazDialogUloz->isChecked());
    EXPECT_TRUE(d.ChB_UkladatPozici->isChecked());
    EXPECT_FALSE(d.Tl_Ok->isEnabled());
    // Ok is no default button: Enter away from the buttons presses nothing.
    EXPECT_FALSE(d.Tl_Ok->isDefault());
    QTest::keyClick(d.ChB_UkladatPozici, Qt::Key_Return);
    EXPECT_TRUE(d.isVisible());
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
  });
  EXPECT_FALSE(std::filesystem::exists(dir / "Odkaznik.ini"));
}

TEST_F(Konfig, ABoxTickedTwiceWritesBothKeys) {
  THlavni& h = start();
  TKonfig d(h.ZobrazDialogUloz, h.UkladatPozici, h.SouborNastaveni(), &h);
  d.show();
  d.ChB_UkladatPozici->click();
  d.ChB_UkladatPozici->click();
  EXPECT_TRUE(d.Tl_Ok->isEnabled());
  d.Tl_Ok->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(readFile(dir / "Odkaznik.ini"), "[Nastaveni]\r\nZobrazDialogUloz=1\r\n[Formular]\r\nUkladatPozici=1\r\n");
  EXPECT_TRUE(h.ZobrazDialogUloz);
  EXPECT_TRUE(h.UkladatPozici);
}

TEST_F(Konfig, ConfirmedSettingsTakeEffectForTheRun) {
  THlavni& h = start();
  TKonfig d(h.ZobrazDialogUloz, h.UkladatPozici, h.SouborNastaveni(), &h);
  d.show();
  d.ChB_ZobrazDialogUloz->click();
  d.Tl_Ok->click();
  EXPECT_FALSE(h.ZobrazDialogUloz);
  EXPECT_TRUE(h.UkladatPozici);
  const settings::SettingsFile ini(h.SouborNastaveni());
  EXPECT_EQ(ini.readString("Nastaveni", "ZobrazDialogUloz", "?"), "0");
  EXPECT_EQ(ini.readString("Formular", "UkladatPozici", "?"), "1");
}

TEST_F(Konfig, ARefusedWriteKeepsTheDialogOpenAndTheSettings) {
  THlavni& h = start();
  TKonfig d(h.ZobrazDialogUloz, h.UkladatPozici, h.SouborNastaveni(), &h);
  d.show();
  d.ChB_ZobrazDialogUloz->click();
  d.ChB_UkladatPozici->click();
  files::injectFault({files::Step::Create, 1, EACCES});
  d.Tl_Ok->click();
  ASSERT_EQ(person.messages.size(), 1u);
  EXPECT_EQ(person.messages[0].text,
            QStringLiteral("Unable to write to %1.").arg(QString::fromStdString((dir / "Odkaznik.ini").string())));
  EXPECT_EQ(person.messages[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(d.isVisible());
  EXPECT_TRUE(h.ZobrazDialogUloz);
  EXPECT_TRUE(h.UkladatPozici);
  EXPECT_FALSE(std::filesystem::exists(dir / "Odkaznik.ini"));

  // The next try goes through.
  d.Tl_Ok->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_FALSE(h.ZobrazDialogUloz);
  EXPECT_FALSE(h.UkladatPozici);
}

// A settings file that is there meets a fault at a later step of the file
// layer, or the settings file's name is a directory: the file stays as it
// was, byte for byte, and the error names it.
TEST_F(Konfig, AFailedWriteLeavesThePreviousSettingsFileWhole) {
  THlavni& h = start();
  const std::filesystem::path ini = dir / "Odkaznik.ini";
  const std::string stary = "[Nastaveni]\r\nZobrazDialogUloz=1\r\n[Formular]\r\nUkladatPozici=1\r\n";
  const struct {
    files::Step krok;
    int chyba;  // 0: the name is a directory
  } pripady[] = {{files::Step::Write, ENOSPC}, {files::Step::Sync, EIO}, {files::Step::Rename, EROFS}, {{}, 0}};
  for (const auto& p : pripady) {
    SCOPED_TRACE(p.chyba);
    std::filesystem::remove_all(ini);
    if (p.chyba)
      writeFile(ini, stary);
    else
      std::filesystem::create_directory(ini);
    person.messages.clear();
    TKonfig d(h.ZobrazDialogUloz, h.UkladatPozici, h.SouborNastaveni(), &h);
    d.show();
    d.ChB_ZobrazDialogUloz->click();
    if (p.chyba) files::injectFault({p.krok, 1, p.chyba});
    d.Tl_Ok->click();
    files::clearFaults();
    ASSERT_EQ(person.messages.size(), 1u);
    EXPECT_EQ(person.messages[0].text, QStringLiteral("Unable to write to %1.").arg(QString::fromStdString(ini.string())));
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(h.ZobrazDialogUloz);
    if (p.chyba) EXPECT_EQ(readFile(ini), stary);
    else EXPECT_TRUE(std::filesystem::is_directory(ini));
  }
  std::filesystem::remove_all(ini);
}

}  // namespace
