#include "Hledat_f.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "Dialogy.h"
#include "BusyCursor.h"
#include "KlavesyDialogu.h"
#include "Texty.h"
#include "VyberPole.h"
#include "ViewState.h"
#include "Vstupy.h"
#include "Zpravy.h"

THledat::THledat(store::ViewState& stav, QWidget* parent) : QDialog(parent), stav_(stav) {
  setObjectName(QStringLiteral("Hledat"));
  setWindowTitle(QStringLiteral("Hledat"));
  NastavDialog(this, 408, 154);

  VybranePole = new TVyberPole(this);
  VybranePole->setObjectName(QStringLiteral("VybranePole"));
  VybranePole->setGeometry(8, 8, 153, 105);
  PopiskaHledany = new QLabel(QStringLiteral("Hledaný výraz"), this);
  PopiskaHledany->setObjectName(QStringLiteral("PopiskaHledany"));
  PopiskaHledany->move(176, 8);
  PopiskaHledany->adjustSize();
  Hledany = new QLineEdit(this);
  Hledany->setObjectName(QStringLiteral("Hledany"));
  Hledany->setGeometry(176, 24, 217, 21);
  Hledany->setMaxLength(32767);
  PovolJenAnsi(Hledany);
  Celevyrazy = new QCheckBox(QStringLiteral("Pouze celé výrazy"), this);
  Celevyrazy->setObjectName(QStringLiteral("Celevyrazy"));
  Celevyrazy->setGeometry(176, 56, 113, 17);
  auto tlacitko = [this](const char* jmeno, const QString& text, int top) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(jmeno));
    b->setGeometry(320, top, 75, 25);
    return b;
  };
  HledatVyraz = tlacitko("HledatVyraz", QStringLiteral("Hledat"), 56);
  Zpet = tlacitko("Zpet", QStringLiteral("Zpět"), 88);
  Storno = tlacitko("Storno", QStringLiteral("Storno"), 120);
  NastavTlacitkaDialogu(this, HledatVyraz);
  setTabOrder(VybranePole, Hledany);
  setTabOrder(Hledany, Celevyrazy);
  setTabOrder(Celevyrazy, HledatVyraz);
  setTabOrder(HledatVyraz, Zpet);
  setTabOrder(Zpet, Storno);

  connect(Hledany, &QLineEdit::textChanged, this, [this] { Chranene([this] { HledanyChange(); }); });
  connect(HledatVyraz, &QPushButton::clicked, this, [this] { Chranene([this] { HledatVyrazClick(); }); });
  connect(Zpet, &QPushButton::clicked, this, [this] { Chranene([this] { ZpetClick(); }); });
  connect(Storno, &QPushButton::clicked, this, [this] { Chranene([this] { StornoClick(); }); });

  Chranene([this] { FormCreate(); });
}

void THledat::FormCreate() {
  VybranePole->NaplnPoli(stav_.data());
  VybranePole->setItemIndex(0);
  HledatVyraz->setEnabled(false);
  Zalozka = stav_.data().bookmark();
}

void THledat::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Chranene([this] { FormShow(); });
}

void THledat::FormShow() { Hledany->setFocus(); }

// Stays enabled when the text is emptied again: Hledat then says so.
void THledat::HledanyChange() { HledatVyraz->setEnabled(true); }

void THledat::HledatVyrazClick() {
  const QString text = Hledany->text();
  if (text.isEmpty()) {
    ZobrazZpravu(QStringLiteral("Není zadaný hledaný výraz ..."));
    return;
  }
  store::THledParam p;
  p.NazevPole = doAnsi(VybranePole->ItemIndex() < 0 ? QString() : VybranePole->Polozka(VybranePole->ItemIndex()));
  p.HledanyVyraz = doAnsi(text);
  p.CeleVyrazy = Celevyrazy->isChecked();
  bool nalezeno;
  {
    KurzorCekani kurzor;
    nalezeno = stav_.Hledej(std::move(p));
  }
  if (!nalezeno)
    ZobrazZpravu(QStringLiteral("Hledaný výraz: ") + text + QStringLiteral(" nebyl nalezen."));
}

void THledat::ZpetClick() { stav_.data().gotoBookmark(Zalozka); }

void THledat::StornoClick() { reject(); }

void THledat::FormCloseQuery() {
  if (stav_.data().active()) stav_.data().freeBookmark(Zalozka);
  Zalozka = store::RecordStore::kNoBookmark;
}

// Every way out (Storno, Escape, the close button) passes here.
void THledat::done(int result) {
  Chranene([this] { FormCloseQuery(); });
  QDialog::done(result);
}
