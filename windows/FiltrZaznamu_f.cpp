#include "FiltrZaznamu_f.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "BusyCursor.h"
#include "Dialogy.h"
#include "KlavesyDialogu.h"
#include "SeznamKodu.h"
#include "Texty.h"
#include "VyberPole.h"
#include "ViewState.h"
#include "Vstupy.h"
#include "Zpravy.h"

QString OrizniPodminku(const QString& text) {
  qsizetype zacatek = 0, konec = text.size();
  while (zacatek < konec && text[zacatek].unicode() <= 32) ++zacatek;
  while (konec > zacatek && text[konec - 1].unicode() <= 32) --konec;
  return text.mid(zacatek, konec - zacatek);
}

TFiltrZaznamu::TFiltrZaznamu(store::ViewState& stav, std::filesystem::path seznam, QWidget* parent)
    : QDialog(parent), stav_(stav), seznam_(std::move(seznam)) {
  setObjectName(QStringLiteral("FiltrZaznamu"));
  setWindowTitle(QStringLiteral("Filtr"));
  NastavDialog(this, 408, 165);

  Rg_VybranePole = new TVyberPole(this);
  Rg_VybranePole->setObjectName(QStringLiteral("Rg_VybranePole"));
  Rg_VybranePole->setGeometry(8, 8, 153, 105);
  PopiskaVyrazu = new QLabel(QStringLiteral("Výraz podmínky"), this);
  PopiskaVyrazu->setObjectName(QStringLiteral("PopiskaVyrazu"));
  PopiskaVyrazu->move(176, 8);
  PopiskaVyrazu->adjustSize();
  Ed_PodminkaFiltru = new QLineEdit(this);
  Ed_PodminkaFiltru->setObjectName(QStringLiteral("Ed_PodminkaFiltru"));
  Ed_PodminkaFiltru->setGeometry(176, 24, 217, 21);
  Ed_PodminkaFiltru->setMaxLength(32767);
  PovolJenAnsi(Ed_PodminkaFiltru);
  auto tlacitko = [this](const char* jmeno, const QString& text, int top) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(jmeno));
    b->setGeometry(314, top, 75, 25);
    return b;
  };
  Tl_Filtr = tlacitko("Tl_Filtr", QStringLiteral("Filtr"), 96);
  Storno = tlacitko("Storno", QStringLiteral("Storno"), 128);
  NastavTlacitkaDialogu(this, Tl_Filtr);
  CBox_Seznam = new QComboBox(this);
  CBox_Seznam->setObjectName(QStringLiteral("CBox_Seznam"));
  CBox_Seznam->setEditable(false);
  CBox_Seznam->setGeometry(176, 48, 217, 21);
  setTabOrder(Rg_VybranePole, Ed_PodminkaFiltru);
  setTabOrder(Ed_PodminkaFiltru, Tl_Filtr);
  setTabOrder(Tl_Filtr, Storno);
  setTabOrder(Storno, CBox_Seznam);

  connect(Rg_VybranePole, &TVyberPole::Click, this, [this] { Chranene([this] { Rg_VybranePoleClick(); }); });
  connect(Ed_PodminkaFiltru, &QLineEdit::textChanged, this, [this] { Chranene([this] { Ed_PodminkaFiltruChange(); }); });
  connect(CBox_Seznam, &QComboBox::activated, this, [this](int i) { Chranene([&] { CBox_SeznamSelect(i); }); });
  connect(Tl_Filtr, &QPushButton::clicked, this, [this] { Chranene([this] { Tl_FiltrClick(); }); });
  connect(Storno, &QPushButton::clicked, this, [this] { Chranene([this] { StornoClick(); }); });

  Chranene([this] { FormCreate(); });
  ZamerNaPrvni({Rg_VybranePole, Ed_PodminkaFiltru, Tl_Filtr, Storno, CBox_Seznam});
}

void TFiltrZaznamu::FormCreate() {
  Rg_VybranePole->NaplnPoli(stav_.data());
  Rg_VybranePole->setItemIndex(0);
  // A code list that cannot be read is reported; the dialog still opens,
  // with no codes and Filtr disabled like any fresh dialog.
  Chranene([this] {
    for (const std::string& kod : ciselnik::NactiSeznamKodu(seznam_))
      CBox_Seznam->addItem(zAnsi(kod));
  });
  CBox_Seznam->setCurrentIndex(-1);
  Tl_Filtr->setEnabled(false);
}

// The code list belongs to the third field, whatever its name.
void TFiltrZaznamu::Rg_VybranePoleClick() {
  const bool kody = Rg_VybranePole->ItemIndex() == 2;
  CBox_Seznam->setEnabled(kody);
  CBox_Seznam->setVisible(kody);
}

void TFiltrZaznamu::Ed_PodminkaFiltruChange() { Tl_Filtr->setEnabled(true); }

void TFiltrZaznamu::CBox_SeznamSelect(int index) {
  Ed_PodminkaFiltru->setText(CBox_Seznam->itemText(index));
  // Picking the text already there changes nothing, yet it still counts
  // as a change of the condition.
  Ed_PodminkaFiltruChange();
}

void TFiltrZaznamu::Tl_FiltrClick() {
  const QString podminka = OrizniPodminku(Ed_PodminkaFiltru->text());
  Ed_PodminkaFiltru->setText(podminka);
  if (podminka.isEmpty()) {
    ZobrazZpravu(QStringLiteral("Není zadán výraz podmínky"));
    Ed_PodminkaFiltru->setFocus();
    return;
  }
  {
    KurzorCekani kurzor;
    stav_.Filtruj(Rg_VybranePole->ItemIndex(), doAnsi(podminka));
  }
  accept();
}

void TFiltrZaznamu::StornoClick() { reject(); }
