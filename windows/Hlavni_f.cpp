#include "Hlavni_f.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <utility>
#include <vector>

#include "Dialogy.h"
#include "FileLayer.h"
#include "Mrizka.h"
#include "Seam.h"
#include "SettingsFile.h"
#include "Soubory.h"
#include "Texty.h"
#include "Zpravy.h"

// The icons live in the windows library's resources.
static void NactiZdroje() { Q_INIT_RESOURCE(odkaznik); }

namespace {

QIcon ikona(int index) { return QIcon(QStringLiteral(":/ikony/%1.png").arg(index, 2, 10, QLatin1Char('0'))); }

// Swallows the tooltip of a toolbar button whose command has no hint.
class BezNapovedy : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::ToolTip; }
};

// Integer division that rounds toward zero, also for a negative difference.
int pulka(int value) { return value / 2; }

}  // namespace

THlavni::THlavni(const QString& adresarProgramu, QWidget* parent) : QMainWindow(parent) {
  NactiZdroje();
  setObjectName(QStringLiteral("Hlavni"));
  setWindowTitle(TitulekAplikace());
  VytvorAkce();
  VytvorMenu();
  VytvorNastrojovouListu();

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  DBGrid1 = new TMrizka(ClientDataSet1, central);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  layout->addWidget(DBGrid1, 1);
  VytvorSpodniPanel();
  SpodniNastrojPanel->setParent(central);
  layout->addWidget(SpodniNastrojPanel);
  setCentralWidget(central);

  // A dragged column moves its field; the sort state and the filter's field
  // go along.
  connect(DBGrid1, &TMrizka::sloupecPresunut, this,
          [this](int from, int to) { Chranene([&] { StavPohledu.PresunPole(from, to); }); });
  connect(DBGrid1->titulky(), &TitulkyMrizky::vykresleno, this, [this](QPainter* p) { KresliZnackuTrideni(*p); });

  connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this] { Chranene([this] { Akce_SpustitExecute(); }); });
  connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { Chranene([&] { DBGrid1TitleClick(column); }); });

  listener_ = ClientDataSet1.addDataChangeListener([this] { DataSource1DataChange(); });
  pohledListener_ = StavPohledu.addListener([this] { ZmenaPohledu(); });

  AdresarProgramu = CestaZTextu(adresarProgramu.isEmpty() ? QCoreApplication::applicationDirPath() : adresarProgramu);
  Chranene([this] { FormCreate(); });
}

THlavni::~THlavni() {
  // A run that ends without closing the window (the session ends, say) still
  // keeps the register.
  if (!ulozeno_ && ClientDataSet1.active() && ClientDataSet1.needsSaveOnClose()) {
    try {
      ClientDataSet1.saveToFile(ClientDataSet1.fileName());
    } catch (...) {
    }
  }
  ClientDataSet1.removeDataChangeListener(listener_);
  StavPohledu.removeListener(pohledListener_);
  // The grid reads the store: it goes before the store does (members die
  // before the widget base class deletes its children).
  delete takeCentralWidget();
  DBGrid1 = nullptr;
  ClientDataSet1.close();
}

// --- commands, menu, toolbar ----------------------------------------------

namespace {

enum class Menu { Soubor, Upravy, Data, Nastroje, Napoveda };

// When PovolAkce enables a command ("open": the register is open;
// position and count: of the current record and of the view).
enum class Povoleni {
  Vzdy,          // never changed: enabled for the whole run
  Otevreno,      // open
  HledatDalsi,   // open, and a searched text is kept
  Zaznamy,       // open, and count > 0
  Zpet,          // open, and position > 1
  Vpred,         // open, and 0 <= position < count
};

// Where a command stands in a menu or on the toolbar: its place (0: not
// there) and whether a separator goes before it.
struct Misto {
  int poradi = 0;
  bool oddelovac = false;
};

// A command in one row: what it is, what runs it, where it appears and
// when it is enabled. The command list, the connections, the menu, the
// toolbar and the enabling are all built from this table.
struct Prikaz {
  QAction* THlavni::*akce;
  const char* jmeno;
  const char* kategorie;
  const char* titulek;
  const char* napoveda;  // nullptr: no hint (and no tooltip on its button)
  int ikona;             // -1: none
  QKeySequence zkratka;
  void (THlavni::*handler)();
  Menu menu;
  const char* polozkaMenu;  // the menu item's name
  Misto vMenu;
  Misto naListe;
  Povoleni povoleno;
};

constexpr auto Ctrl = Qt::CTRL;
constexpr auto Shift = Qt::SHIFT;

// In the order of the command list.
const Prikaz kPrikazy[] = {
    {&THlavni::Akce_UlozitSoubor, "Akce_UlozitSoubor", "Soubor", "Uložit soubor", "Uložit soubor", 2, Ctrl | Qt::Key_S,
     &THlavni::Akce_UlozitSouborExecute, Menu::Soubor, "MenuUlozitSoubor", {1}, {2, true}, Povoleni::Otevreno},
    {&THlavni::Akce_ExportDat, "Akce_ExportDat", "Soubor", "Export databáze", "Export databáze", 6, {},
     &THlavni::Akce_ExportDatExecute, Menu::Soubor, "MenuMSOffice", {3}, {}, Povoleni::Otevreno},
    {&THlavni::Akce_ImportDat, "Akce_ImportDat", "Soubor", "Import databáze", "Import databáze", 5, {},
     &THlavni::Akce_ImportDatExecute, Menu::Soubor, "MenuImportDat", {2, true}, {}, Povoleni::Otevreno},
    {&THlavni::Akce_Zalohovani, "Akce_Zalohovani", "Soubor", "Vytvořit záložní kopii", "Vytvořit záložní kopii", 3, {},
     &THlavni::Akce_ZalohovaniExecute, Menu::Soubor, "MenuZalohovani", {4, true}, {}, Povoleni::Vzdy},
    {&THlavni::Akce_Spustit, "Akce_Spustit", "Soubor", "Spustit ", "Spustit program asociovaný s adresou", 31, Qt::Key_F5,
     &THlavni::Akce_SpustitExecute, Menu::Soubor, "MenuSpustit", {5, true}, {3, true}, Povoleni::Otevreno},
    {&THlavni::Akce_Sestavy, "Akce_Sestavy", "Soubor", "Tisk a prohližení sestavy", "Tisk a prohližení sestavy", 9,
     Ctrl | Qt::Key_P, &THlavni::Akce_SestavyExecute, Menu::Soubor, "MenuSestavaZakladni", {6, true}, {4, true},
     Povoleni::Otevreno},
    {&THlavni::Akce_Konec, "Akce_Konec", "Soubor", "Konec", "Ukončení programu", 7, Ctrl | Qt::Key_Q,
     &THlavni::Akce_KonecExecute, Menu::Soubor, "MenuKonec", {7, true}, {1}, Povoleni::Vzdy},
    {&THlavni::Akce_KopirovatText, "Akce_KopirovatText", "Upravy", "Kopírovat text", "Kopírovat text do schránky", 11,
     Ctrl | Qt::Key_C, &THlavni::Akce_KopirovatTextExecute, Menu::Upravy, "MenuKopirovatText", {1}, {5, true},
     Povoleni::Otevreno},
    {&THlavni::Akce_HledatZaznam, "Akce_HledatZaznam", "Upravy", "Hledat", "Hledat", 12, Ctrl | Qt::Key_F,
     &THlavni::Akce_HledatZaznamExecute, Menu::Upravy, "MenuHledatZaznam", {2, true}, {6}, Povoleni::Otevreno},
    {&THlavni::Akce_HledatZaznamDalsi, "Akce_HledatZaznamDalsi", "Upravy", "Hledat další", "Hledat další", -1,
     Qt::Key_F3, &THlavni::Akce_HledatZaznamDalsiExecute, Menu::Upravy, "MenuHledatZaznamDalsi", {3}, {},
     Povoleni::HledatDalsi},
    {&THlavni::Akce_Trideni, "Akce_Trideni", "Data", "Třídění a řazení", "Třídění a řazení", 15, {},
     &THlavni::Akce_TrideniExecute, Menu::Data, "MenuTrideni", {1}, {7}, Povoleni::Otevreno},
    {&THlavni::Akce_Filtr, "Akce_Filtr", "Data", "Filtr", "Filtr", 16, {}, &THlavni::Akce_FiltrExecute, Menu::Data,
     "MenuFiltr", {2, true}, {8, true}, Povoleni::Otevreno},
    {&THlavni::Akce_ZrusitFiltr, "Akce_ZrusitFiltr", "Data", "Zrušit filtr", "Zrušit filtr", 17, {},
     &THlavni::Akce_ZrusitFiltrExecute, Menu::Data, "MenuZrusitFiltr", {3}, {9}, Povoleni::Otevreno},
    {&THlavni::Akce_NovyZaznam, "Akce_NovyZaznam", "Data", "Nový záznam", "Nový záznam", 18, Qt::Key_Insert,
     &THlavni::Akce_NovyZaznamExecute, Menu::Data, "MenuNovyZaznam", {4, true}, {10, true}, Povoleni::Otevreno},
    {&THlavni::Akce_EditZaznamu, "Akce_EditZaznamu", "Data", "Editovat záznam", "Editovat záznam", 19,
     Shift | Qt::Key_Insert, &THlavni::Akce_EditZaznamuExecute, Menu::Data, "MenuEditZaznamu", {5}, {11},
     Povoleni::Zaznamy},
    {&THlavni::Akce_OdstranitZaznam, "Akce_OdstranitZaznam", "Data", "Odstranit záznam", "Odstranit záznam", 20,
     Shift | Qt::Key_Delete, &THlavni::Akce_OdstranitZaznamExecute, Menu::Data, "MenuOdstranitZaznam", {6}, {12},
     Povoleni::Zaznamy},
    {&THlavni::Akce_PrvniZaznam, "Akce_PrvniZaznam", "Data", "První záznam", "První záznam", 21, {},
     &THlavni::Akce_PrvniZaznamExecute, Menu::Data, "MenuPrvniZaznam", {7, true}, {13, true}, Povoleni::Zpet},
    {&THlavni::Akce_PredchazejiciZaznam, "Akce_PredchazejiciZaznam", "Data", "Předcházející záznam",
     "Předcházející záznam", 22, {}, &THlavni::Akce_PredchazejiciZaznamExecute, Menu::Data, "MenuPredchazejiciZaznam",
     {8}, {14}, Povoleni::Zpet},
    {&THlavni::Akce_NasledujiciZaznam, "Akce_NasledujiciZaznam", "Data", "Následující záznam", "Následující záznam", 23,
     {}, &THlavni::Akce_NasledujiciZaznamExecute, Menu::Data, "MenuNasledujiciZaznam", {9}, {15}, Povoleni::Vpred},
    {&THlavni::Akce_PosledniZaznam, "Akce_PosledniZaznam", "Data", "Poslední záznam", "Poslední záznam", 24, {},
     &THlavni::Akce_PosledniZaznamExecute, Menu::Data, "MenuPosledniZaznam", {10}, {16}, Povoleni::Vpred},
    {&THlavni::Akce_Konfig, "Akce_Konfig", "Nastroje", "Konfigurace", "Konfigurace", 26, {},
     &THlavni::Akce_KonfigExecute, Menu::Nastroje, "MenuKonfig", {1}, {17, true}, Povoleni::Vzdy},
    {&THlavni::Akce_Napoveda, "Akce_Napoveda", "Napoveda", "Nápověda", "Nápověda", 30, Qt::Key_F1,
     &THlavni::Akce_NapovedaExecute, Menu::Napoveda, "MenuNapoveda", {1}, {19, true}, Povoleni::Vzdy},
    {&THlavni::Akce_OProgramu, "Akce_OProgramu", "Napoveda", "O programu", "O programu", -1, {},
     &THlavni::Akce_OProgramuExecute, Menu::Napoveda, "MenuOProgramu", {2, true}, {}, Povoleni::Vzdy},
    {&THlavni::Akce_PrejitNaZaznam, "Akce_PrejitNaZaznam", "Upravy", "Přejít na záznam ...", "Přejít na záznam ...", 14,
     Ctrl | Qt::Key_G, &THlavni::Akce_PrejitNaZaznamExecute, Menu::Upravy, "MenuPrejitNaZaznam", {4}, {},
     Povoleni::Otevreno},
    {&THlavni::Akce_Ciselnik, "Akce_Ciselnik", "Nastroje", "Číselník", nullptr, 29, {}, &THlavni::Akce_CiselnikExecute,
     Menu::Nastroje, "Menu_Ciselnik", {2, true}, {18}, Povoleni::Vzdy},
};

// The menu bar, in its order: the menu's name and title.
const std::pair<Menu, std::pair<const char*, const char*>> kMenu[] = {
    {Menu::Soubor, {"MenuSoubor", "Soubor"}},        {Menu::Upravy, {"MenuUpravy", "Úpravy"}},
    {Menu::Data, {"MenuData", "Data"}},              {Menu::Nastroje, {"MenuNastroje", "Nástroje"}},
    {Menu::Napoveda, {"MenuHelp", "Nápověda"}},
};

// The rows with a place in `kde`, in the order of their places.
template <class Vyber>
std::vector<const Prikaz*> VPoradi(Vyber kde) {
  std::vector<const Prikaz*> out;
  for (const Prikaz& p : kPrikazy)
    if (kde(p).poradi > 0) out.push_back(&p);
  std::sort(out.begin(), out.end(), [&](const Prikaz* a, const Prikaz* b) { return kde(*a).poradi < kde(*b).poradi; });
  return out;
}

}  // namespace

void THlavni::VytvorAkce() {
  for (const Prikaz& d : kPrikazy) {
    auto* akce = new QAction(QString::fromUtf8(d.titulek), this);
    akce->setObjectName(QLatin1String(d.jmeno));
    akce->setProperty("kategorie", QLatin1String(d.kategorie));
    // A caption is shown as it stands: no '&' in it is a mnemonic.
    akce->setIconText(akce->text());
    const QString napoveda = d.napoveda ? QString::fromUtf8(d.napoveda) : QString();
    akce->setToolTip(napoveda);
    akce->setStatusTip(napoveda);
    akce->setProperty("napoveda", napoveda);
    if (d.ikona >= 0) akce->setIcon(ikona(d.ikona));
    akce->setProperty("ikona", d.ikona);
    akce->setShortcut(d.zkratka);
    akce->setShortcutContext(Qt::WindowShortcut);
    addAction(akce);
    this->*(d.akce) = akce;
    connect(akce, &QAction::triggered, this, [this, handler = d.handler] { Chranene([&] { (this->*handler)(); }); });
  }
}

void THlavni::VytvorMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  for (const auto& [menu, popis] : kMenu) {
    QMenu* m = bar->addMenu(QString::fromUtf8(popis.second));
    m->setObjectName(QLatin1String(popis.first));
    for (const Prikaz* p : VPoradi([menu](const Prikaz& r) { return r.menu == menu ? r.vMenu : Misto{}; })) {
      if (p->vMenu.oddelovac) m->addSeparator();
      QAction* akce = this->*(p->akce);
      m->addAction(akce);
      akce->setProperty("polozkaMenu", QLatin1String(p->polozkaMenu));
    }
  }
}

void THlavni::VytvorNastrojovouListu() {
  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setIconSize(QSize(16, 16));
  ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
  ToolBar1->setFixedHeight(29);
  ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
  addToolBar(Qt::TopToolBarArea, ToolBar1);

  int separator = 0;
  for (const Prikaz* p : VPoradi([](const Prikaz& r) { return r.naListe; })) {
    if (p->naListe.oddelovac) {
      QAction* s = ToolBar1->addSeparator();
      s->setObjectName(QStringLiteral("TB_Separator%1").arg(++separator));
    }
    QAction* akce = this->*(p->akce);
    ToolBar1->addAction(akce);
    QWidget* button = ToolBar1->widgetForAction(akce);
    button->setObjectName(QStringLiteral("TB_") + akce->objectName().mid(5));
    if (!p->napoveda) button->installEventFilter(new BezNapovedy(button));
  }
}

void THlavni::VytvorSpodniPanel() {
  SpodniNastrojPanel = new QWidget(this);
  SpodniNastrojPanel->setObjectName(QStringLiteral("SpodniNastrojPanel"));
  SpodniNastrojPanel->setFixedHeight(23);
  auto stitek = [&](const char* jmeno, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), SpodniNastrojPanel);
    label->setObjectName(QLatin1String(jmeno));
    return label;
  };
  PopiskaZaznam = stitek("PopiskaZaznam", "Záznam :");
  CisloZaznamu = stitek("CisloZaznamu", "0");
  CisloZaznamu->setCursor(Qt::PointingHandCursor);
  CisloZaznamu->setToolTip(QStringLiteral("Pozice aktuálního záznamu"));
  PopiskaSetrideno = stitek("PopiskaSetrideno", "Setříděno podle : výchozí");
  ParametrFiltru = stitek("ParametrFiltru", "Filtr : není zadán");
  ParametrFiltru->setToolTip(QStringLiteral("Parametr filtru"));

  // The labels stand 6 below the panel's top, at 8, 56, 120 and 272 from its
  // left, the position 57 wide. A label whose text needs more room than its
  // place (the position in a million records, say) grows, and the labels
  // right of it move along instead of being covered or cut.
  auto* rada = new QHBoxLayout(SpodniNastrojPanel);
  rada->setContentsMargins(8, 6, 0, 0);
  rada->setSpacing(0);
  PopiskaZaznam->setMinimumWidth(56 - 8);
  CisloZaznamu->setMinimumWidth(57);
  PopiskaSetrideno->setMinimumWidth(272 - 120);
  rada->addWidget(PopiskaZaznam, 0, Qt::AlignTop);
  rada->addWidget(CisloZaznamu, 0, Qt::AlignTop);
  rada->addSpacing(120 - 56 - 57);
  rada->addWidget(PopiskaSetrideno, 0, Qt::AlignTop);
  rada->addWidget(ParametrFiltru, 0, Qt::AlignTop);
  rada->addStretch(1);
}

bool THlavni::Spust(QAction* akce) { return SpustAkci(akce); }

// --- start-up -------------------------------------------------------------------

void THlavni::NastavVnejsiGeometrii(int left, int top, int width, int height) {
  // The settings hold the outer (frame) geometry. A window not yet shown has
  // no frame: until the window manager has framed it, the outer size is
  // asked for as the client size, and OpravRamecek takes the frame off once
  // its size is known.
  vnejsi_ = QRect(left, top, width, height);
  move(left, top);
  resize(width, height);
}

// The frame as the window manager has it: nothing before it has framed the
// window, and nothing ever without a window manager.
static QMargins Ramecek(const QWidget& okno) {
  const QWindow* handle = okno.windowHandle();
  return handle && okno.isVisible() ? handle->frameMargins() : QMargins();
}

void THlavni::OpravRamecek() {
  if (ramecekOpraven_ || !vnejsi_.isValid()) return;
  const QMargins ramecek = Ramecek(*this);
  if (ramecek.isNull()) return;
  ramecekOpraven_ = true;
  if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) return;
  const int sirka = ramecek.left() + ramecek.right(), vyska = ramecek.top() + ramecek.bottom();
  // The minimum and the size belong to the outer window: the client gets
  // what the frame leaves of them.
  setMinimumSize(std::max(0, kNavrhovanaSirka - sirka), std::max(0, kNavrhovanaVyska - vyska));
  resize(vnejsi_.width() - sirka, vnejsi_.height() - vyska);
  move(vnejsi_.topLeft());
}

QRect THlavni::VnejsiGeometrie() const {
  // Framed, but not yet corrected (closed at once): what start-up asked for
  // is what the person saw.
  if (!ramecekOpraven_ && vnejsi_.isValid() && !Ramecek(*this).isNull()) return vnejsi_;
  return frameGeometry();
}

bool THlavni::event(QEvent* event) {
  const bool vysledek = QMainWindow::event(event);
  // The frame becomes known only after the window manager has framed the
  // window; it then moves, resizes, exposes or activates it.
  if (!ramecekOpraven_) {
    switch (event->type()) {
      case QEvent::Show:
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::Expose:
      case QEvent::WindowActivate:
      case QEvent::UpdateRequest:
      case QEvent::Paint:
        OpravRamecek();
        break;
      default:
        break;
    }
  }
  return vysledek;
}

void THlavni::FormCreate() {
  // 1. The program directory (set by the constructor). A save killed
  // midway left its temporary file there (a large register's is large).
  files::removeLeftoverTemporaries(AdresarProgramu);
  files::removeLeftoverTemporaries(program::Soubor(AdresarProgramu, program::kSestavy));
  // 2. The code list file, created empty when missing; a failure goes unreported.
  const std::filesystem::path seznam = SouborSeznamu();
  std::error_code ec;
  if (!std::filesystem::exists(seznam, ec)) VytvoritSoubor(seznam);

  // 3. Settings and window geometry.
  const settings::SettingsFile ini(SouborNastaveni());
  ZobrazDialogUloz = ini.readBool(program::Klic::ZobrazDialogUloz, true);
  UkladatPozici = ini.readBool(program::Klic::UkladatPozici, true);
  const QRect obrazovka = seam::interaction().primaryScreen();
  int width = kNavrhovanaSirka, height = kNavrhovanaVyska, left, top;
  setMinimumSize(kNavrhovanaSirka, kNavrhovanaVyska);
  if (UkladatPozici) {
    width = std::max(kNavrhovanaSirka, ini.readInteger(program::Klic::Sirka, width));
    height = std::max(kNavrhovanaVyska, ini.readInteger(program::Klic::Vyska, height));
    left = ini.readInteger(program::Klic::Zleva, pulka(obrazovka.width() - width));
    top = ini.readInteger(program::Klic::Zhora, pulka(obrazovka.height() - height));
  } else {
    left = pulka(obrazovka.width() - width);
    top = pulka(obrazovka.height() - height);
  }
  NastavVnejsiGeometrii(left, top, width, height);

  // 4. A missing database file is created empty, after a message.
  ClientDataSet1.setFileName(SouborDatabaze());
  if (!std::filesystem::exists(SouborDatabaze(), ec)) {
    ZobrazZpravu(QStringLiteral("Nebyl nalezen soubor databáze Odkaznik.xml, bude založen nový."));
    ClientDataSet1.createEmpty(store::addressFieldDefs());
    ClientDataSet1.saveToFile(SouborDatabaze());
  }

  // 5. Natural order (the sort label follows).
  StavPohledu.VychoziPoradi();

  // 6. Open the register; a damaged file leaves the store closed and the
  // data commands disabled, and the file untouched.
  if (!ClientDataSet1.active()) {
    try {
      ClientDataSet1.open();
    } catch (...) {
      PovolAkce();
      throw;
    }
  }
  // 7.-9.
  PovolAkce();
  ClientDataSet1.setLogChanges(false);
  SirkaSloupcuExecute();
}

void THlavni::SirkaSloupcuExecute() {
  const int widths[] = {140, 300, 80, 140};
  for (int i = 0; i < 4 && i < DBGrid1->model()->columnCount(); ++i) DBGrid1->setColumnWidth(i, widths[i]);
}

// --- notifications and command states ----------------------------------------

void THlavni::DataSource1DataChange() {
  CisloZaznamu->setText(QString::fromStdString(store::TextPozice(ClientDataSet1)));
  PovolAkce();
}

void THlavni::PovolAkce() {
  const bool open = ClientDataSet1.active();
  const int position = open ? ClientDataSet1.recNo() : 0;
  const int count = open ? ClientDataSet1.recordCount() : 0;
  for (const Prikaz& p : kPrikazy) {
    bool povolit = open;
    switch (p.povoleno) {
      case Povoleni::Vzdy: continue;
      case Povoleni::Otevreno: break;
      case Povoleni::HledatDalsi: povolit = open && !StavPohledu.HledParam().HledanyVyraz.empty(); break;
      case Povoleni::Zaznamy: povolit = open && count > 0; break;
      case Povoleni::Zpet: povolit = open && position > 1; break;
      case Povoleni::Vpred: povolit = open && position >= 0 && position < count; break;
    }
    (this->*(p.akce))->setEnabled(povolit);
  }
}

// --- commands -------------------------------------------------------------------

void THlavni::Akce_UlozitSouborExecute() { ClientDataSet1.saveToFile(ClientDataSet1.fileName()); }

void THlavni::Akce_ZalohovaniExecute() {
  try {
    ClientDataSet1.saveToFile(program::Soubor(AdresarProgramu, program::kZaloha));
  } catch (...) {
    ZobrazZpravu(QStringLiteral("Zálohový soubor Odkaznik.bak se nepodařilo vytvořit!"));
    return;
  }
  ZobrazZpravu(QStringLiteral("Byla úpěšně vytvořena záloha databáze do souboru Odkaznik.bak. Pokud budete chtít "
                              "obnovit databázi ze zálohy, smažte soubor Odkaznik.xml a změňte příponu záložního "
                              "souboru z .BAK na ") +
               QStringLiteral(".xml").toUpper() + QStringLiteral("."));
}

void THlavni::Akce_KonecExecute() { close(); }

// --- shut-down --------------------------------------------------------------------

void THlavni::closeEvent(QCloseEvent* event) {
  if (FormClose()) {
    event->accept();
  } else {
    event->ignore();
  }
}

bool THlavni::FormClose() {
  if (UkladatPozici && !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))) {
    const QRect g = VnejsiGeometrie();
    // A settings file that cannot be written is reported; the program still ends.
    Chranene([&] {
      settings::SettingsFile ini(SouborNastaveni());
      ini.writeInteger(program::Klic::Zleva, g.x());
      ini.writeInteger(program::Klic::Zhora, g.y());
      ini.writeInteger(program::Klic::Sirka, g.width());
      ini.writeInteger(program::Klic::Vyska, g.height());
    });
  }
  return UlozPriZavreni();
}

bool THlavni::UlozPriZavreni() {
  if (ulozeno_) return true;
  if (ClientDataSet1.active() && ClientDataSet1.needsSaveOnClose()) {
    bool ok = false;
    Chranene([&] {
      ClientDataSet1.saveToFile(ClientDataSet1.fileName());
      ok = true;
    });
    if (!ok &&
        ZobrazDotaz(TitulekAplikace(),
                    QStringLiteral("Databázi se nepodařilo uložit. Chcete program přesto ukončit? Neuložené změny "
                                   "budou ztraceny."),
                    DruhDotazu::AnoNeVarovani) != QMessageBox::Yes)
      return false;
  }
  ulozeno_ = true;
  return true;
}
