#include "TrideniRazeni_f.h"

#include <QPushButton>

#include "BusyCursor.h"
#include "Dialogy.h"
#include "KlavesyDialogu.h"
#include "VyberPole.h"
#include "ViewState.h"
#include "Zpravy.h"

TTrideniRazeni::TTrideniRazeni(store::ViewState& stav, QWidget* parent) : QDialog(parent), stav_(stav) {
  setObjectName(QStringLiteral("TrideniRazeni"));
  setWindowTitle(QStringLiteral("Třídění a řazení"));
  NastavDialog(this, 341, 149);

  VybranePole = new TVyberPole(this);
  VybranePole->setObjectName(QStringLiteral("VybranePole"));
  VybranePole->setGeometry(8, 8, 217, 129);
  auto tlacitko = [this](const char* jmeno, const QString& text, int top) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(jmeno));
    b->setGeometry(248, top, 75, 25);
    return b;
  };
  Tl_Ok = tlacitko("Tl_Ok", QStringLiteral("Ok"), 16);
  Tl_Vychozi = tlacitko("Tl_Vychozi", QStringLiteral("Výchozí"), 48);
  Tl_Storno = tlacitko("Tl_Storno", QStringLiteral("Storno"), 112);
  NastavTlacitkaDialogu(this, Tl_Ok);

  connect(Tl_Ok, &QPushButton::clicked, this, [this] { Chranene([this] { Tl_OkClick(); }); });
  connect(Tl_Vychozi, &QPushButton::clicked, this, [this] { Chranene([this] { Tl_VychoziClick(); }); });
  connect(Tl_Storno, &QPushButton::clicked, this, [this] { Chranene([this] { Tl_StornoClick(); }); });

  Chranene([this] { FormCreate(); });
  ZamerNaPrvni({VybranePole, Tl_Ok, Tl_Vychozi, Tl_Storno});
}

void TTrideniRazeni::FormCreate() {
  VybranePole->NaplnPoli(stav_.data());
  VybranePole->setItemIndex(stav_.SetridenoPodle());
}

void TTrideniRazeni::Tl_OkClick() {
  const int s = VybranePole->ItemIndex();
  // The order already in force, natural order included: nothing to do.
  if (s == stav_.SetridenoPodle()) return;
  {
    KurzorCekani kurzor;
    stav_.Setrid(s);
  }
  accept();
}

void TTrideniRazeni::Tl_VychoziClick() {
  VybranePole->setItemIndex(-1);
  Tl_Ok->click();
}

void TTrideniRazeni::Tl_StornoClick() { reject(); }
