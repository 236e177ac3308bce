#include "Konfig_f.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

#include "Dialogy.h"
#include "KlavesyDialogu.h"
#include "SettingsFile.h"
#include "Zpravy.h"

TKonfig::TKonfig(bool& zobrazDialogUloz, bool& ukladatPozici, std::filesystem::path ini, QWidget* parent)
    : QDialog(parent), zobrazDialogUloz_(zobrazDialogUloz), ukladatPozici_(ukladatPozici), ini_(std::move(ini)) {
  setObjectName(QStringLiteral("Konfig"));
  setWindowTitle(QStringLiteral("Konfigurace"));
  NastavDialog(this, 424, 222);

  auto ramecek = [this](const char* jmeno, const QString& titulek, int top) {
    auto* box = new QGroupBox(titulek, this);
    box->setObjectName(QLatin1String(jmeno));
    box->setGeometry(8, top, 409, 57);
    return box;
  };
  auto zaskrtavatko = [](QGroupBox* box, const char* jmeno, const QString& titulek, int width) {
    auto* check = new QCheckBox(titulek, box);
    check->setObjectName(QLatin1String(jmeno));
    check->setGeometry(24, 24, width, 17);
    return check;
  };
  Ram_Edit = ramecek("Ram_Edit", QStringLiteral("Vlastnosti editace"), 16);
  ChB_ZobrazDialogUloz =
      zaskrtavatko(Ram_Edit, "ChB_ZobrazDialogUloz", QStringLiteral("Zobrazovat dotaz před uložením změn"), 209);
  Ram_Form = ramecek("Ram_Form", QStringLiteral("Vlastnosti formuláře"), 88);
  ChB_UkladatPozici = zaskrtavatko(Ram_Form, "ChB_UkladatPozici", QStringLiteral("Ukládat ozici a rozměry formuláře"), 193);

  auto tlacitko = [this](const char* jmeno, const QString& titulek, int left) {
    auto* button = new QPushButton(titulek, this);
    button->setObjectName(QLatin1String(jmeno));
    button->setGeometry(left, 184, 75, 25);
    return button;
  };
  Tl_Ok = tlacitko("Tl_Ok", QStringLiteral("Ok"), 248);
  Tl_Storno = tlacitko("Tl_Storno", QStringLiteral("Storno"), 328);
  // No default button: Enter presses only a button that has the focus.
  NastavTlacitkaDialogu(this, nullptr);
  setTabOrder(Tl_Ok, Tl_Storno);
  setTabOrder(Tl_Storno, ChB_ZobrazDialogUloz);
  setTabOrder(ChB_ZobrazDialogUloz, ChB_UkladatPozici);

  connect(ChB_ZobrazDialogUloz, &QCheckBox::toggled, this, [this] { Chranene([this] { ChB_ZobrazDialogUlozClick(); }); });
  connect(ChB_UkladatPozici, &QCheckBox::toggled, this, [this] { Chranene([this] { ChB_ZobrazDialogUlozClick(); }); });
  connect(Tl_Ok, &QPushButton::clicked, this, [this] { Chranene([this] { Tl_OkClick(); }); });
  connect(Tl_Storno, &QPushButton::clicked, this, [this] { Chranene([this] { Tl_StornoClick(); }); });

  Chranene([this] { FormCreate(); });
  ZamerNaPrvni({Tl_Ok, Tl_Storno, ChB_ZobrazDialogUloz, ChB_UkladatPozici});
}

void TKonfig::FormCreate() {
  ChB_ZobrazDialogUloz->setChecked(zobrazDialogUloz_);
  ChB_UkladatPozici->setChecked(ukladatPozici_);
  // Last: setting a box counts as a change.
  Tl_Ok->setEnabled(false);
}

void TKonfig::ChB_ZobrazDialogUlozClick() { Tl_Ok->setEnabled(true); }

void TKonfig::Tl_OkClick() {
  settings::SettingsFile ini(ini_);
  ini.writeBool(program::Klic::ZobrazDialogUloz, ChB_ZobrazDialogUloz->isChecked());
  ini.writeBool(program::Klic::UkladatPozici, ChB_UkladatPozici->isChecked());
  zobrazDialogUloz_ = ChB_ZobrazDialogUloz->isChecked();
  ukladatPozici_ = ChB_UkladatPozici->isChecked();
  accept();
}

void TKonfig::Tl_StornoClick() { reject(); }
