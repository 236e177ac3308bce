#include "NovyEdit_f.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>
#include <stdexcept>

#include "Dialogy.h"
#include "KlavesyDialogu.h"
#include "SeznamKodu.h"
#include "RecordStore.h"
#include "Texty.h"
#include "Vstupy.h"
#include "ViewState.h"
#include "Zpravy.h"

const QString TNovyEdit::kNovyZaznam = QStringLiteral("Nový záznam");
const QString TNovyEdit::kEditace = QStringLiteral("Editace aktuálního záznamu");

namespace {

constexpr int kSirka = 569;
constexpr int kVyska = 211;

}  // namespace

TNovyEdit::TNovyEdit(const KontextEditoru& kontext, QWidget* parent) : QDialog(parent), k_(kontext) {
  setObjectName(QStringLiteral("NovyEdit"));
  setWindowTitle(QStringLiteral("Editace"));
  NastavDialog(this, kSirka, kVyska);

  auto radek = [this](const char* popisek, QWidget* vstup, const char* jmeno, int top, int width) {
    auto* label = new QLabel(QString::fromUtf8(popisek), this);
    label->setGeometry(0, top + 3, 40, 16);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(vstup);
    vstup->setObjectName(QLatin1String(jmeno));
    vstup->setGeometry(48, top, width, 21);
  };
  Pole1 = new QLineEdit(this);
  radek("Název", Pole1, "Pole1", 16, 353);
  Pole2 = new QLineEdit(this);
  radek("HTTP", Pole2, "Pole2", 40, 505);
  Pole3 = new QComboBox(this);
  Pole3->setEditable(true);
  // A typed code stays a typed code: Enter does not add it to the list.
  Pole3->setInsertPolicy(QComboBox::NoInsert);
  radek("Kód", Pole3, "Pole3", 64, 185);
  Pole4 = new QLineEdit(this);
  radek("Popis", Pole4, "Pole4", 88, 505);
  for (QLineEdit* e : {Pole1, Pole2, Pole4}) PovolJenAnsi(e);
  PovolJenAnsi(Pole3);

  Bevel1 = new QFrame(this);
  Bevel1->setObjectName(QStringLiteral("Bevel1"));
  Bevel1->setFrameShape(QFrame::HLine);
  Bevel1->setFrameShadow(QFrame::Sunken);
  Bevel1->setGeometry(8, 167, kSirka - 16, 2);

  Zaznam = new QLabel(QStringLiteral("Záznam:  "), this);
  Zaznam->setObjectName(QStringLiteral("Zaznam"));
  Zaznam->setGeometry(8, 182, 48, 16);
  Pocitadlo = new QLabel(QStringLiteral("Počítadlo"), this);
  Pocitadlo->setObjectName(QStringLiteral("Pocitadlo"));
  Pocitadlo->setGeometry(56, 182, 80, 16);

  // The small navigation toolbar: the main window's icons, tooltips for the
  // keys, never the focus.
  ToolBar1 = new QWidget(this);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setGeometry(144, 176, 140, 25);
  auto* pruh = new QHBoxLayout(ToolBar1);
  pruh->setContentsMargins(0, 0, 0, 0);
  pruh->setSpacing(0);
  auto tlacitko = [&](const char* jmeno, QAction* akce, const char* napoveda) {
    auto* button = new QToolButton(ToolBar1);
    button->setObjectName(QLatin1String(jmeno));
    button->setIcon(akce->icon());
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setFixedSize(23, 22);
    button->setText(akce->text());
    button->setToolTip(QString::fromUtf8(napoveda));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setFocusPolicy(Qt::NoFocus);
    pruh->addWidget(button);
    return button;
  };
  TBPrvniZaznam = tlacitko("TBPrvniZaznam", k_.prvni, "První záznam (Shift+Home)");
  TBPredchazejiciZaznam =
      tlacitko("TBPredchazejiciZaznam", k_.predchazejici, "Předcházející záznam (Shift+<)");
  TBNasledujiciZaznam = tlacitko("TBNasledujiciZaznam", k_.nasledujici, "Následující záznam (Shift+>)");
  TBPosledniZaznam = tlacitko("TBPosledniZaznam", k_.posledni, "Poslední záznam (Shift+End)");
  pruh->addSpacing(13);
  TBNovyZaznam = tlacitko("TBNovyZaznam", k_.novy, "Nový záznam (Ins)");
  pruh->addStretch(1);

  OK = new QPushButton(QStringLiteral("OK"), this);
  OK->setObjectName(QStringLiteral("OK"));
  OK->setGeometry(405, 176, 75, 25);
  Storno = new QPushButton(QStringLiteral("Storno"), this);
  Storno->setObjectName(QStringLiteral("Storno"));
  Storno->setGeometry(485, 176, 75, 25);
  NastavTlacitkaDialogu(this, OK);

  setTabOrder(Pole1, Pole2);
  setTabOrder(Pole2, Pole3);
  setTabOrder(Pole3, Pole4);
  setTabOrder(Pole4, OK);
  setTabOrder(OK, Storno);

  auto zmena = [this] { Chranene([this] { Pole1Change(); }); };
  for (QLineEdit* e : {Pole1, Pole2, Pole4}) connect(e, &QLineEdit::textChanged, this, zmena);
  connect(Pole3, &QComboBox::editTextChanged, this, zmena);
  // Choosing an item is a change even when the input held that text already.
  connect(Pole3, &QComboBox::activated, this, zmena);

  auto napoj = [this](QAbstractButton* button, void (TNovyEdit::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] { Chranene([&] { (this->*handler)(); }); });
  };
  napoj(OK, &TNovyEdit::OKClick);
  napoj(Storno, &TNovyEdit::StornoClick);
  napoj(TBPrvniZaznam, &TNovyEdit::TBPrvniZaznamClick);
  napoj(TBPredchazejiciZaznam, &TNovyEdit::TBPredchazejiciZaznamClick);
  napoj(TBNasledujiciZaznam, &TNovyEdit::TBNasledujiciZaznamClick);
  napoj(TBPosledniZaznam, &TNovyEdit::TBPosledniZaznamClick);
  napoj(TBNovyZaznam, &TNovyEdit::TBNovyZaznamClick);

  // The dialog sees the keys before the input that has the focus; the code
  // input passes its keys on to its own line edit, which is watched too.
  for (QWidget* w : {static_cast<QWidget*>(Pole1), static_cast<QWidget*>(Pole2), static_cast<QWidget*>(Pole3),
                     static_cast<QWidget*>(Pole3->lineEdit()), static_cast<QWidget*>(Pole4),
                     static_cast<QWidget*>(OK), static_cast<QWidget*>(Storno)})
    w->installEventFilter(this);

  FormCreate();
  ZamerNaPrvni({Pole1, Pole2, Pole3, Pole4, OK, Storno});
}

void TNovyEdit::NastavRezim(Rezim rezim) {
  rezim_ = rezim;
  setWindowTitle(rezim == Rezim::Novy ? kNovyZaznam : kEditace);
}

bool TNovyEdit::NovyRezim() const { return rezim_ == Rezim::Novy; }
bool TNovyEdit::EditacniRezim() const { return rezim_ == Rezim::Editace; }

namespace {

// The inputs' fields, by name, in the order of the inputs.
constexpr const char* kPole[4] = {"Nazev", "Http", "Kod", "Popis"};

// "Kod", "Kod a Popis", "Http, Kod a Popis".
QString Vycet(const QStringList& jmena) {
  if (jmena.size() < 2) return jmena.join(QString());
  return jmena.mid(0, jmena.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" a ") + jmena.back();
}

}  // namespace

void TNovyEdit::FormCreate() {
  Chranene([this] {
    // Each input takes its maximum length from the field definition at its
    // position. A register that lacks a field (a packet written elsewhere,
    // with fewer fields) gets that input disabled, and the editor says so.
    const store::RecordStore& data = k_.data;
    const auto& defs = data.fieldDefs();
    QLineEdit* const radky[4] = {Pole1, Pole2, Pole3->lineEdit(), Pole4};
    QWidget* const vstupy[4] = {Pole1, Pole2, Pole3, Pole4};
    QStringList chybi;
    for (int i = 0; i < 4; ++i) {
      const int pole = data.findField(kPole[i]);
      if (pole < 0) {
        vstupy[i]->setEnabled(false);
        chybi << QLatin1String(kPole[i]);
        continue;
      }
      const std::size_t pozice = static_cast<std::size_t>(i);
      radky[i]->setMaxLength(pozice < defs.size() ? defs[pozice].width : data.field(pole).width);
    }
    if (!chybi.isEmpty())
      throw std::runtime_error((QStringLiteral("Databáze nemá pole %1; tyto údaje nelze zadat").arg(Vycet(chybi)))
                                   .toStdString());
  });
  // A code list that cannot be read is reported; the editor opens with an
  // empty list all the same.
  Chranene([this] {
    for (const std::string& kod : ciselnik::NactiSeznamKodu(k_.seznam))
      Pole3->addItem(zAnsi(kod));
  });
  Pole3->setCurrentIndex(-1);
  Pole3->clearEditText();
  OK->setEnabled(false);
}

void TNovyEdit::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Chranene([this] { FormShow(); });
}

void TNovyEdit::FormShow() {
  if (EditacniRezim()) {
    TBNovyZaznam->setEnabled(false);
    TBNovyZaznam->hide();
    NactiZaznam();
  }
  if (NovyRezim()) {
    for (QToolButton* b : {TBPrvniZaznam, TBPredchazejiciZaznam, TBNasledujiciZaznam, TBPosledniZaznam}) {
      b->setEnabled(false);
      b->hide();
    }
  }
}

void TNovyEdit::Pole1Change() { OK->setEnabled(true); }

void TNovyEdit::RozmistiPocitadlo() {
  // The counter keeps its designed 80 pixels and grows for a longer text
  // ("123456 z 1234567"); the toolbar right of it moves along.
  const QRect g = Pocitadlo->geometry();
  Pocitadlo->resize(std::max(80, Pocitadlo->sizeHint().width()), g.height());
  ToolBar1->move(std::max(144, Pocitadlo->geometry().right() + 9), ToolBar1->y());
}

void TNovyEdit::NactiZaznam() {
  if (EditacniRezim() && k_.data.recordCount() == 0) {
    // The record just stored left the filtered view, and no other is in
    // it: nothing is left to edit. What was stored stays stored.
    ZobrazZpravu(QStringLiteral("Filtru už nevyhovuje žádný záznam. Editace končí."));
    done(QDialog::Accepted);
    return;
  }
  Pocitadlo->setText(QString::fromStdString(store::TextPozice(k_.data)));
  RozmistiPocitadlo();
  const store::RecordStore& data = k_.data;
  // A field the register lacks reads as empty.
  auto text = [&](const char* jmeno) {
    const int pole = data.findField(jmeno);
    return pole < 0 ? QString() : zAnsi(data.text(pole));
  };
  Pole1->setText(text(kPole[0]));
  Pole2->setText(text(kPole[1]));
  Pole3->setEditText(text(kPole[2]));
  Pole4->setText(text(kPole[3]));
  TBPrvniZaznam->setEnabled(k_.prvni->isEnabled());
  TBPredchazejiciZaznam->setEnabled(k_.predchazejici->isEnabled());
  TBNasledujiciZaznam->setEnabled(k_.nasledujici->isEnabled());
  TBPosledniZaznam->setEnabled(k_.posledni->isEnabled());
  // Last: filling the inputs counts as a change.
  OK->setEnabled(false);
}

void TNovyEdit::UlozZaznam() {
  if (!OK->isEnabled()) return;
  if (k_.zobrazDialogUloz &&
      ZobrazDotaz(QStringLiteral("V textu byly provedeny změny"), QStringLiteral("Chcete tyto změny uložit?"),
                  DruhDotazu::AnoNe) != QMessageBox::Yes)
    return;
  store::RecordStore& data = k_.data;
  if (NovyRezim()) {
    data.append();
  } else if (EditacniRezim()) {
    // No record left to store the inputs in: refused, the inputs kept.
    if (data.recordCount() == 0) throw std::runtime_error("Filtru už nevyhovuje žádný záznam, změny nelze uložit");
    data.edit();
  }
  // A failure on the way leaves the register browsing, not half-edited.
  try {
    // As the inputs stand: the register cuts each text to its field and drops
    // trailing spaces. A field the register lacks is left out.
    const QString texty[4] = {Pole1->text(), Pole2->text(), Pole3->currentText(), Pole4->text()};
    for (int i = 0; i < 4; ++i)
      if (const int pole = data.findField(kPole[i]); pole >= 0) data.setText(pole, doAnsi(texty[i]));
    data.post();
  } catch (...) {
    if (data.state() == store::StoreState::Append || data.state() == store::StoreState::Edit) data.cancel();
    throw;
  }
  OK->setEnabled(false);
  Pole1->setFocus();
}

void TNovyEdit::OKClick() {
  UlozZaznam();
  accept();
}

void TNovyEdit::StornoClick() { reject(); }

void TNovyEdit::Naviguj(QAction* akce) {
  UlozZaznam();
  // A disabled command moves nothing; the reload runs all the same and
  // throws away edits that were not stored.
  SpustAkci(akce);
  NactiZaznam();
}

void TNovyEdit::TBPrvniZaznamClick() { Naviguj(k_.prvni); }
void TNovyEdit::TBPredchazejiciZaznamClick() { Naviguj(k_.predchazejici); }
void TNovyEdit::TBNasledujiciZaznamClick() { Naviguj(k_.nasledujici); }
void TNovyEdit::TBPosledniZaznamClick() { Naviguj(k_.posledni); }

void TNovyEdit::TBNovyZaznamClick() {
  UlozZaznam();
  NastavRezim(Rezim::Novy);
  Pole1->clear();
  Pole2->clear();
  Pole3->setCurrentIndex(-1);
  Pole3->clearEditText();
  Pole4->clear();
  OK->setEnabled(false);
}

void TNovyEdit::PredchoziPrvek() { focusNextPrevChild(false); }
void TNovyEdit::DalsiPrvek() { focusNextPrevChild(true); }

namespace {

// The editor's keys, in the order they are tested: the first three without
// regard to modifiers, the Shift rows only then. A row acts only in its
// mode (none: in both), but its key is the editor's in either mode.
struct KlavesaEditoru {
  int key;
  bool shift;
  std::optional<TNovyEdit::Rezim> rezim;
  void (TNovyEdit::*akce)();
};
const KlavesaEditoru kKlavesy[] = {
    {Qt::Key_Up, false, std::nullopt, &TNovyEdit::PredchoziPrvek},
    {Qt::Key_Down, false, std::nullopt, &TNovyEdit::DalsiPrvek},
    {Qt::Key_Insert, false, TNovyEdit::Rezim::Novy, &TNovyEdit::TBNovyZaznamClick},
    // As a click on the button, also while it is disabled: the save and the
    // reload run, only the move does not.
    {Qt::Key_Home, true, TNovyEdit::Rezim::Editace, &TNovyEdit::TBPrvniZaznamClick},
    {Qt::Key_End, true, TNovyEdit::Rezim::Editace, &TNovyEdit::TBPosledniZaznamClick},
    {Qt::Key_Left, true, TNovyEdit::Rezim::Editace, &TNovyEdit::TBPredchazejiciZaznamClick},
    {Qt::Key_Right, true, TNovyEdit::Rezim::Editace, &TNovyEdit::TBNasledujiciZaznamClick},
};

const KlavesaEditoru* NajdiKlavesu(int key, Qt::KeyboardModifiers modifiers) {
  for (const KlavesaEditoru& k : kKlavesy)
    if (k.key == key && (!k.shift || (modifiers & Qt::ShiftModifier))) return &k;
  return nullptr;
}

}  // namespace

bool TNovyEdit::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  const KlavesaEditoru* k = NajdiKlavesu(key, modifiers);
  if (!k) return false;
  if (!k->rezim || k->rezim == rezim_) (this->*(k->akce))();
  return true;
}

bool TNovyEdit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    // The editor's keys are the editor's: no shortcut (the main window's Ins
    // for one) takes them first.
    auto* klavesa = static_cast<QKeyEvent*>(event);
    if (NajdiKlavesu(klavesa->key(), klavesa->modifiers())) {
      event->accept();
      return true;
    }
  }
  if (event->type() == QEvent::KeyPress) {
    auto* klavesa = static_cast<QKeyEvent*>(event);
    bool zpracovano = true;  // a key whose handling failed is ours all the same
    Chranene([&] { zpracovano = FormKeyDown(klavesa->key(), klavesa->modifiers()); });
    if (zpracovano) return true;
  }
  return QDialog::eventFilter(watched, event);
}
