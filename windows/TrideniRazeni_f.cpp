#include "TrideniRazeni_f.h"

#include <QPushButton>

#include "BusyCursor.h"
#include "Dialogy.h"
#include "Hlavni_f.h"
#include "KlavesyDialogu.h"
#include "Texty.h"
#include "VyberPole.h"
#include "Zpravy.h"

TTrideniRazeni::TTrideniRazeni(THlavni* hlavni) : QDialog(hlavni), hlavni_(hlavni) {
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
  VybranePole->NaplnPoli(hlavni_->ClientDataSet1);
  VybranePole->setItemIndex(hlavni_->SetridenoPodle);
}

void TTrideniRazeni::Tl_OkClick() {
  const int s = VybranePole->ItemIndex();
  // The order already in force, natural order included: nothing to do.
  if (s == hlavni_->SetridenoPodle) return;
  {
    KurzorCekani kurzor;
    store::RecordStore& data = hlavni_->ClientDataSet1;
    // The sort state follows only an order the record store took, so the
    // label and the marker never claim an order the grid does not show.
    const std::string pole = s < 0 ? std::string() : doAnsi(VybranePole->Polozka(s));
    data.setIndexFieldNames(pole);
    hlavni_->SetridenoPodle = s;
    hlavni_->PrekresliTitulky();
    data.first();
    hlavni_->PopiskaSetrideno->setText(QStringLiteral("Setříděno podle : ") +
                                       (s < 0 ? QStringLiteral("výchozí") : VybranePole->Polozka(s)));
  }
  accept();
}

void TTrideniRazeni::Tl_VychoziClick() {
  VybranePole->setItemIndex(-1);
  Tl_Ok->click();
}

void TTrideniRazeni::Tl_StornoClick() { reject(); }
