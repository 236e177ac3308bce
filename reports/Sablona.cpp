#include "Sablona.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <algorithm>
#include <functional>

#include "CodePage.h"
#include "FileLayer.h"
#include "Texty.h"

namespace sestavy {

Pasmo* Sablona::pasmo(DruhPasma druh) {
  for (auto& p : pasma)
    if (p.druh == druh) return &p;
  return nullptr;
}

const Pasmo* Sablona::pasmo(DruhPasma druh) const { return const_cast<Sablona*>(this)->pasmo(druh); }

QString ZkracenyText(const QString& text, qsizetype nejvic) {
  if (text.size() <= nejvic) return text;
  qsizetype delka = std::max<qsizetype>(nejvic - 1, 0);
  // Not between the two halves of a character outside the basic plane.
  if (delka > 0 && text.at(delka - 1).isHighSurrogate()) --delka;
  return text.left(delka) + QChar(0x2026);
}

namespace {

// The root's attributes. The writer puts the name first, in the root, so that
// the plain search of CtiSurovyNazev finds the name the reader reads.
constexpr char kNazev[] = "ReportOptions.Name";
constexpr char kAutor[] = "ReportOptions.Author";
constexpr char kPopis[] = "ReportOptions.Description";

// A NUL byte ends the text, as everywhere in the program's text files.
std::string_view doNul(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

constexpr std::string_view kBom = "\xEF\xBB\xBF";

const char* const kDruhy[] = {"Titulek", "HlavickaStranky", "HlavickaSkupiny", "Data", "PatickaStranky", "PatickaSkupiny"};
const char* const kZarovnani[] = {"Vlevo", "Stred", "Vpravo"};

// Where in the file: the line, and the column when known.
struct Misto {
  qint64 radek = 0, sloupec = 0;
};

Misto misto(const QXmlStreamReader& xml) { return {xml.lineNumber(), 0}; }

[[noreturn]] void chyba(const QString& jmeno, const QString& co, Misto kde = {}) {
  QString text = QStringLiteral("Šablonu sestavy \"%1\" nelze přečíst: %2").arg(jmeno, co);
  if (kde.radek > 0 && kde.sloupec > 0)
    text += QStringLiteral(" (řádek %1, sloupec %2)").arg(kde.radek).arg(kde.sloupec);
  else if (kde.radek > 0)
    text += QStringLiteral(" (řádek %1)").arg(kde.radek);
  throw ChybaSablony(text.toStdString());
}

// A value as an error message quotes it: short, whatever the file holds.
QString citace(QStringView hodnota) { return ZkracenyText(hodnota.left(64).toString(), 40); }

// The XML reader's fault in Czech. Its own texts are English, or what Qt's
// catalogue makes of them; the common ones are told in the program's words
// with what they quote, the rest by the kind of fault.
QString textChybyXml(const QXmlStreamReader& xml) {
  static const struct {
    const char* anglicky;
    const char* cesky;
  } kTexty[] = {
      {"Opening and ending tag mismatch.", "počáteční a koncová značka si neodpovídají"},
      {"Premature end of document.", "soubor předčasně končí"},
      {"Extra content at end of document.", "za koncem šablony je další obsah"},
      {"Invalid XML character.", "neplatný znak"},
      {"Invalid XML name.", "neplatné jméno prvku nebo atributu"},
      {"Invalid entity value.", "neplatná hodnota entity"},
      {"Invalid character reference.", "neplatný odkaz na znak"},
      {"Encountered incorrectly encoded content.", "obsah není správně zakódován"},
      {"Start tag expected.", "očekávána počáteční značka"},
      {"Invalid document.", "neplatný dokument"},
      {"Expected character data.", "očekáván text"},
      {"XML declaration not at start of document.", "deklarace XML není na začátku souboru"},
      {"Invalid XML version string.", "neplatná verze XML"},
      {"Unsupported XML version.", "nepodporovaná verze XML"},
      {"Invalid attribute in XML declaration.", "neplatný atribut v deklaraci XML"},
      {"Standalone accepts only yes or no.", "standalone smí být jen yes nebo no"},
      {"The standalone pseudo attribute must appear after the encoding.", "standalone musí následovat za kódováním"},
      {"Sequence ']]>' not allowed in content.", "posloupnost ']]>' není v textu dovolena"},
      {"Invalid processing instruction name.", "neplatné jméno instrukce pro zpracování"},
      {"Illegal namespace declaration.", "neplatná deklarace jmenného prostoru"},
      {"Attribute '%1' redefined.", "atribut '%1' je uveden dvakrát"},
      {"Entity '%1' not declared.", "entita '%1' není deklarována"},
      {"Reference to unparsed entity '%1'.", "odkaz na neanalyzovanou entitu '%1'"},
      {"Reference to external entity '%1' in attribute value.", "odkaz na externí entitu '%1' v hodnotě atributu"},
      {"Namespace prefix '%1' not declared", "předpona jmenného prostoru '%1' není deklarována"},
      {"%1 is an invalid encoding name.", "%1 není platné jméno kódování"},
      {"Encoding %1 is unsupported", "kódování %1 není podporováno"},
      {"Expected %1, but got '%2'.", "očekáváno %1, nalezeno '%2'"},
      {"Unexpected '%1'.", "neočekávané '%1'"},
  };
  const QString anglicky = xml.errorString();
  for (const auto& t : kTexty) {
    // As the reader words it: through the translation the program installs.
    QString vzor = QRegularExpression::escape(QCoreApplication::translate("QXmlStream", t.anglicky));
    vzor.replace(QRegularExpression(QStringLiteral("\\\\?%[12]")), QStringLiteral("(.*)"));
    const auto m = QRegularExpression(QLatin1Char('^') + vzor + QLatin1Char('$'),
                                      QRegularExpression::DotMatchesEverythingOption)
                       .match(anglicky);
    if (!m.hasMatch()) continue;
    QString cesky = QString::fromUtf8(t.cesky);
    for (int i = 1; i <= m.lastCapturedIndex(); ++i)
      cesky.replace(QStringLiteral("%%1").arg(i), citace(m.capturedView(i)));
    return cesky;
  }
  switch (xml.error()) {
    case QXmlStreamReader::PrematureEndOfDocumentError: return QStringLiteral("soubor předčasně končí");
    case QXmlStreamReader::UnexpectedElementError: return QStringLiteral("neočekávaný prvek");
    case QXmlStreamReader::NotWellFormedError: return QStringLiteral("soubor není správně zapsané XML");
    default: return QStringLiteral("chyba XML");
  }
}

// The encoding named by the XML declaration, lower case; empty when none.
QByteArray kodovani(std::string_view bytes) {
  const std::string_view hlava = bytes.substr(0, std::min<size_t>(bytes.size(), 200));
  if (hlava.substr(0, 5) != "<?xml") return {};
  const auto konec = hlava.find("?>");
  const auto k = hlava.find("encoding=");
  if (k == std::string_view::npos || (konec != std::string_view::npos && k > konec) || k + 10 > hlava.size())
    return {};
  const char uvozovka = hlava[k + 9];
  const auto z = hlava.find(uvozovka, k + 10);
  if (z == std::string_view::npos) return {};
  return QByteArray(hlava.data() + k + 10, static_cast<qsizetype>(z - k - 10)).toLower();
}

// One pass over the raw bytes before the XML reader: what it would take
// time or memory out of proportion for is refused here. Attributes of one
// element are compared with each other by the reader (their number
// squared), and a value of megabytes would be read whole before its length
// could be checked. A document type declaration could define entities that
// grow a short value into a long one; templates have none. Markup this pass
// cannot follow is left to the reader, which stops there with its error.
void hrubaKontrola(std::string_view b, const QString& jmeno) {
  qint64 radek = 1;
  size_t i = 0;
  const size_t n = b.size();
  int prvku = 0;
  auto posun = [&](size_t kam) {  // to `kam`, counting lines
    for (; i < kam && i < n; ++i)
      if (b[i] == '\n') ++radek;
  };
  auto az = [&](std::string_view konec) {  // past the next `konec`, or the end
    const size_t k = b.find(konec, i);
    posun(k == std::string_view::npos ? n : k + konec.size());
  };
  auto mezera = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  auto jmenoZnak = [&](char c) { return !mezera(c) && c != '=' && c != '/' && c != '>' && c != '<' && c != '"' && c != '\''; };
  while (i < n) {
    const size_t z = b.find('<', i);
    if (z == std::string_view::npos) return;
    posun(z);
    const std::string_view zbytek = b.substr(i);
    if (zbytek.substr(0, 4) == "<!--") {
      az("-->");
    } else if (zbytek.substr(0, 9) == "<![CDATA[") {
      az("]]>");
    } else if (zbytek.substr(0, 2) == "<!") {
      chyba(jmeno, QStringLiteral("šablona nesmí obsahovat deklaraci typu dokumentu"), {radek, 0});
    } else if (zbytek.substr(0, 2) == "<?") {
      az("?>");
    } else if (zbytek.substr(0, 2) == "</") {
      az(">");
    } else {
      if (++prvku > kNejvicePrvku)
        chyba(jmeno, QStringLiteral("šablona má víc než %1 prvků").arg(kNejvicePrvku), {radek, 0});
      posun(i + 1);
      while (i < n && jmenoZnak(b[i])) posun(i + 1);
      int atributu = 0;
      for (;;) {
        while (i < n && mezera(b[i])) posun(i + 1);
        if (i >= n || b[i] == '>' || b[i] == '/' || b[i] == '<') break;
        const size_t zacatek = i;
        while (i < n && jmenoZnak(b[i])) posun(i + 1);
        if (i == zacatek) return;  // not markup this pass follows
        const std::string_view atribut = b.substr(zacatek, i - zacatek);
        while (i < n && mezera(b[i])) posun(i + 1);
        if (i >= n || b[i] != '=') return;
        posun(i + 1);
        while (i < n && mezera(b[i])) posun(i + 1);
        if (i >= n || (b[i] != '"' && b[i] != '\'')) return;
        const qint64 radekAtributu = radek;
        if (++atributu > kNejviceAtributu)
          chyba(jmeno, QStringLiteral("prvek má víc než %1 atributů").arg(kNejviceAtributu), {radekAtributu, 0});
        const size_t konec = b.find(b[i], i + 1);
        const size_t delka = (konec == std::string_view::npos ? n : konec) - i - 1;
        if (delka > kNejdelsiZapsanyText)
          chyba(jmeno,
                QStringLiteral("hodnota atributu %1 je delší než %2 znaků")
                    .arg(citace(zAnsi(atribut)))
                    .arg(kNejdelsiText),
                {radekAtributu, 0});
        if (konec == std::string_view::npos) return;
        posun(konec + 1);
      }
    }
  }
}

// A text attribute, at most `nejvic` characters.
QString text(const QXmlStreamAttributes& a, const char* jmeno, const QString& soubor, const QXmlStreamReader& xml,
             qsizetype nejvic = kNejdelsiText) {
  QString v = a.value(QLatin1String(jmeno)).toString();
  if (v.size() > nejvic)
    chyba(soubor, QStringLiteral("hodnota atributu %1 je delší než %2 znaků").arg(QLatin1String(jmeno)).arg(nejvic),
          misto(xml));
  return v;
}

// A length in millimetres (or a size in points) within od..do_.
double cislo(const QXmlStreamAttributes& a, const char* jmeno, double vychozi, double od, double do_,
             const QString& soubor, const QXmlStreamReader& xml) {
  const auto hodnota = a.value(QLatin1String(jmeno));
  if (hodnota.isEmpty()) return vychozi;
  bool ok = false;
  const double v = hodnota.toDouble(&ok);
  // Written so that NaN, which the reader of numbers takes, fails too.
  if (!ok || !(v >= od && v <= do_))
    chyba(soubor,
          QStringLiteral("%1=\"%2\" není platné číslo od %3 do %4")
              .arg(QLatin1String(jmeno), citace(hodnota))
              .arg(od)
              .arg(do_),
          misto(xml));
  return v;
}

double delka(const QXmlStreamAttributes& a, const char* jmeno, double vychozi, const QString& soubor,
             const QXmlStreamReader& xml) {
  return cislo(a, jmeno, vychozi, 0, kNejvetsiDelka, soubor, xml);
}

bool priznak(const QXmlStreamAttributes& a, const char* jmeno) {
  const auto v = a.value(QLatin1String(jmeno));
  return v == QLatin1String("1") || v == QLatin1String("true");
}

template <class E, size_t N>
E vycet(const QXmlStreamAttributes& a, const char* jmeno, const char* const (&nazvy)[N], E vychozi,
        const QString& soubor, const QXmlStreamReader& xml) {
  const auto v = a.value(QLatin1String(jmeno));
  if (v.isEmpty()) return vychozi;
  for (size_t i = 0; i < N; ++i)
    if (v == QLatin1String(nazvy[i])) return static_cast<E>(i);
  chyba(soubor, QStringLiteral("neznámá hodnota %1=\"%2\"").arg(QLatin1String(jmeno), citace(v)), misto(xml));
}

QString nazevDruhu(DruhPasma druh) { return QLatin1String(kDruhy[static_cast<int>(druh)]); }

// Where one value bounds another; `radky` gives the bands' lines when read.
void meze(const Sablona& s, const std::vector<qint64>& radky, const std::function<void(const QString&, qint64)>& chyba) {
  // Rounding of the writer's eight digits must not turn a template it
  // wrote into one that is refused.
  constexpr double tolerance = 1e-6;
  const Stranka& st = s.stranka;
  if (st.levy + st.pravy >= st.sirkaListu() - tolerance || st.horni + st.dolni >= st.vyskaListu() - tolerance)
    chyba(QStringLiteral("okraje stránky jsou větší než stránka"), 0);
  const double vyskaTisku = st.vyskaListu() - st.horni - st.dolni;
  if (static_cast<int>(s.pasma.size()) > kNejvicePasem)
    chyba(QStringLiteral("šablona má víc než %1 pásem").arg(kNejvicePasem), 0);
  size_t objektu = 0;
  for (size_t i = 0; i < s.pasma.size(); ++i) {
    const Pasmo& p = s.pasma[i];
    if (p.vyska > vyskaTisku + tolerance)
      chyba(QStringLiteral("pásmo %1 je vyšší (%2 mm) než tisknutelná výška stránky (%3 mm)")
                .arg(nazevDruhu(p.druh))
                .arg(p.vyska)
                .arg(vyskaTisku),
            i < radky.size() ? radky[i] : 0);
    objektu += p.objekty.size();
  }
  if (objektu > static_cast<size_t>(kNejviceObjektu))
    chyba(QStringLiteral("šablona má víc než %1 textových objektů").arg(kNejviceObjektu), 0);
}

}  // namespace

void ZkontrolujMeze(const Sablona& s) {
  const Stranka& st = s.stranka;
  auto mimo = [](double v, double od, double do_) { return !(v >= od && v <= do_); };
  QString co;
  if (mimo(st.sirka, kNejmensiList, kNejvetsiList) || mimo(st.vyska, kNejmensiList, kNejvetsiList))
    co = QStringLiteral("rozměry stránky musí být od %1 do %2 mm").arg(kNejmensiList).arg(kNejvetsiList);
  for (double v : {st.levy, st.horni, st.pravy, st.dolni})
    if (co.isEmpty() && mimo(v, 0, kNejvetsiDelka)) co = QStringLiteral("okraje stránky nejsou platné");
  for (const Pasmo& p : s.pasma) {
    if (!co.isEmpty()) break;
    if (mimo(p.vyska, 0, kNejvetsiDelka)) co = QStringLiteral("výška pásma %1 není platná").arg(nazevDruhu(p.druh));
    for (const TextovyObjekt& t : p.objekty) {
      if (!co.isEmpty()) break;
      if (mimo(t.x, 0, kNejvetsiDelka) || mimo(t.y, 0, kNejvetsiDelka) || mimo(t.sirka, 0, kNejvetsiDelka) ||
          mimo(t.vyska, 0, kNejvetsiDelka))
        co = QStringLiteral("poloha nebo rozměr textu v pásmu %1 nejsou platné").arg(nazevDruhu(p.druh));
      else if (mimo(t.velikost, kNejmensiPismo, kNejvetsiPismo))
        co = QStringLiteral("velikost písma musí být od %1 do %2 bodů").arg(kNejmensiPismo).arg(kNejvetsiPismo);
      else if (t.text.size() > kNejdelsiText || t.pismo.size() > kNejdelsiPismo)
        co = QStringLiteral("text v pásmu %1 je příliš dlouhý").arg(nazevDruhu(p.druh));
    }
    if (co.isEmpty() && std::max({p.skupina.size(), p.data.size(), p.bezHodnoty.size()}) > kNejdelsiText)
      co = QStringLiteral("text pásma %1 je příliš dlouhý").arg(nazevDruhu(p.druh));
  }
  if (co.isEmpty() && (s.nazev.size() > kNejdelsiText || s.autor.size() > kNejdelsiText ||
                       s.popis.join(QStringLiteral("\r\n")).size() > kNejdelsiText))
    co = QStringLiteral("název, autor nebo popis sestavy je delší než %1 znaků").arg(kNejdelsiText);
  if (co.isEmpty())
    meze(s, {}, [&](const QString& t, qint64) {
      if (co.isEmpty()) co = t;
    });
  if (!co.isEmpty()) throw ChybaSablony(QStringLiteral("Šablona sestavy není platná: %1").arg(co).toStdString());
}

Sablona CtiSablonu(std::string_view bytes, const QString& jmeno) {
  bytes = doNul(bytes);
  const bool bom = bytes.substr(0, kBom.size()) == kBom;
  if (bom) bytes.remove_prefix(kBom.size());
  hrubaKontrola(bytes, jmeno);
  const QByteArray kod = kodovani(bytes);
  QXmlStreamReader xml;
  if (kod == "utf-8" || kod == "utf8" || (bom && kod.isEmpty()))
    xml.addData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  else if (!bom && (kod.isEmpty() || kod == "windows-1250" || kod == "cp1250")) {
    // Converted here through the program's one code page table; the
    // declaration then names what the reader is given.
    std::string utf8 = cp1250::toUtf8(bytes);
    if (!kod.isEmpty()) {
      const auto k = utf8.find("encoding=");
      utf8.replace(k + 10, static_cast<size_t>(kod.size()), "UTF-8");
    }
    xml.addData(QByteArray::fromStdString(utf8));
  } else if (bom)
    chyba(jmeno, QStringLiteral("soubor začíná značkou UTF-8, ale deklaruje kódování \"%1\"").arg(citace(QString::fromLatin1(kod))));
  else
    chyba(jmeno, QStringLiteral("nepodporované kódování \"%1\"").arg(citace(QString::fromLatin1(kod))));

  Sablona s;
  bool koren = false;
  Pasmo* pasmo = nullptr;
  std::vector<qint64> radkyPasem;
  int objektu = 0;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const auto a = xml.attributes();
    const auto nazev = xml.name();
    if (!koren) {
      if (nazev != QLatin1String("Sestava")) chyba(jmeno, QStringLiteral("soubor není šablona sestavy"), misto(xml));
      koren = true;
      s.nazev = text(a, kNazev, jmeno, xml);
      s.autor = text(a, kAutor, jmeno, xml);
      const QString popis = text(a, kPopis, jmeno, xml);
      if (!popis.isEmpty()) s.popis = popis.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    } else if (nazev == QLatin1String("Stranka")) {
      auto& st = s.stranka;
      st.sirka = cislo(a, "Sirka", st.sirka, kNejmensiList, kNejvetsiList, jmeno, xml);
      st.vyska = cislo(a, "Vyska", st.vyska, kNejmensiList, kNejvetsiList, jmeno, xml);
      st.naSirku = a.value(QLatin1String("Orientace")) == QLatin1String("Nasirku");
      st.levy = delka(a, "Levy", st.levy, jmeno, xml);
      st.horni = delka(a, "Horni", st.horni, jmeno, xml);
      st.pravy = delka(a, "Pravy", st.pravy, jmeno, xml);
      st.dolni = delka(a, "Dolni", st.dolni, jmeno, xml);
      if (st.levy + st.pravy >= st.sirkaListu() || st.horni + st.dolni >= st.vyskaListu())
        chyba(jmeno, QStringLiteral("okraje stránky jsou větší než stránka"), misto(xml));
    } else if (nazev == QLatin1String("Pasmo")) {
      if (static_cast<int>(s.pasma.size()) >= kNejvicePasem)
        chyba(jmeno, QStringLiteral("šablona má víc než %1 pásem").arg(kNejvicePasem), misto(xml));
      Pasmo p;
      p.druh = vycet(a, "Druh", kDruhy, DruhPasma::Data, jmeno, xml);
      p.vyska = delka(a, "Vyska", p.vyska, jmeno, xml);
      p.skupina = text(a, "Skupina", jmeno, xml);
      p.data = text(a, "Data", jmeno, xml);
      p.bezHodnoty = text(a, "BezHodnoty", jmeno, xml);
      if (p.druh == DruhPasma::Data && p.data.isEmpty()) p.data = JmenoDat();
      s.pasma.push_back(std::move(p));
      radkyPasem.push_back(xml.lineNumber());
      pasmo = &s.pasma.back();
    } else if (nazev == QLatin1String("Text")) {
      if (!pasmo) chyba(jmeno, QStringLiteral("text mimo pásmo"), misto(xml));
      if (++objektu > kNejviceObjektu)
        chyba(jmeno, QStringLiteral("šablona má víc než %1 textových objektů").arg(kNejviceObjektu), misto(xml));
      TextovyObjekt t;
      t.x = delka(a, "X", 0, jmeno, xml);
      t.y = delka(a, "Y", 0, jmeno, xml);
      t.sirka = delka(a, "Sirka", t.sirka, jmeno, xml);
      t.vyska = delka(a, "Vyska", t.vyska, jmeno, xml);
      t.text = text(a, "Text", jmeno, xml);
      if (a.hasAttribute(QLatin1String("Pismo"))) t.pismo = text(a, "Pismo", jmeno, xml, kNejdelsiPismo);
      t.velikost = cislo(a, "Velikost", t.velikost, kNejmensiPismo, kNejvetsiPismo, jmeno, xml);
      t.tucne = priznak(a, "Tucne");
      t.kurziva = priznak(a, "Kurziva");
      t.zarovnani = vycet(a, "Zarovnani", kZarovnani, Zarovnani::Vlevo, jmeno, xml);
      t.ramecek = priznak(a, "Ramecek");
      t.roztahovat = priznak(a, "Roztahovat");
      pasmo->objekty.push_back(std::move(t));
    }
  }
  if (xml.hasError()) chyba(jmeno, textChybyXml(xml), {xml.lineNumber(), xml.columnNumber() + 1});
  if (!koren) chyba(jmeno, QStringLiteral("soubor není šablona sestavy"));
  meze(s, radkyPasem, [&](const QString& co, qint64 radek) { chyba(jmeno, co, {radek, 0}); });
  return s;
}

QString CtiSurovyNazev(std::string_view bytes) {
  bytes = doNul(bytes);
  if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
  const std::string znacka = std::string(kNazev) + "=\"";
  const auto z = bytes.find(znacka);
  if (z == std::string_view::npos) return {};
  std::string_view nazev = bytes.substr(z + znacka.size());
  nazev = nazev.substr(0, nazev.find('"'));
  // Line breaks of the text count as CR LF; the pieces between them are
  // copied whole.
  std::string radky;
  radky.reserve(nazev.size());
  for (size_t i = 0; i < nazev.size();) {
    const size_t zlom = std::min(nazev.find_first_of("\r\n", i), nazev.size());
    radky.append(nazev.substr(i, zlom - i));
    if (zlom == nazev.size()) break;
    radky += "\r\n";
    i = zlom + (nazev.compare(zlom, 2, "\r\n") == 0 ? 2 : 1);
  }
  return zAnsi(radky);
}

Sablona NactiSablonu(const std::filesystem::path& soubor) {
  return CtiSablonu(files::readWholeFile(soubor), QString::fromStdString(soubor.string()));
}

std::string ZnackovyText(const QString& text, Ridici ridici) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()) + 8);
  for (const char32_t c : text.toUcs4()) {
    switch (c) {
      case '&': out += "&amp;"; continue;
      case '<': out += "&lt;"; continue;
      case '>': out += "&gt;"; continue;
      case '"': out += "&quot;"; continue;
      default: break;
    }
    if (ridici != Ridici::Odkazy && c == '\r') continue;
    if (ridici == Ridici::RadekBr && c == '\n') {
      out += "<br>";
      continue;
    }
    unsigned char b = 0;
    if (c < 0x20 && c != '\n' && ridici != Ridici::Odkazy)
      out += ' ';
    else if (c < 0x20 || !cp1250::fromUnicode(c, b) || cp1250::toUnicode(b) != c)
      out += "&#" + std::to_string(static_cast<unsigned>(c)) + ';';
    else
      out += static_cast<char>(b);
  }
  return out;
}

namespace {

// An attribute value in Windows-1250 that reads back exactly.
std::string atribut(const QString& text) { return ZnackovyText(text, Ridici::Odkazy); }

std::string cislo(double v) { return QString::number(v, 'g', 8).toStdString(); }

}  // namespace

std::string ZapisSablonu(const Sablona& s) {
  std::string o = "<?xml version=\"1.0\" encoding=\"windows-1250\"?>\r\n";
  o += std::string("<Sestava ") + kNazev + "=\"" + atribut(s.nazev) + "\" " + kAutor + "=\"" + atribut(s.autor) + "\" " +
       kPopis + "=\"" + atribut(s.popis.join(QStringLiteral("\r\n"))) + "\" Verze=\"1\">\r\n";
  const auto& st = s.stranka;
  o += "  <Stranka Sirka=\"" + cislo(st.sirka) + "\" Vyska=\"" + cislo(st.vyska) + "\" Orientace=\"" +
       (st.naSirku ? "Nasirku" : "Navysku") + "\" Levy=\"" + cislo(st.levy) + "\" Horni=\"" + cislo(st.horni) +
       "\" Pravy=\"" + cislo(st.pravy) + "\" Dolni=\"" + cislo(st.dolni) + "\"/>\r\n";
  for (const auto& p : s.pasma) {
    o += std::string("  <Pasmo Druh=\"") + kDruhy[static_cast<int>(p.druh)] + "\" Vyska=\"" + cislo(p.vyska) + '"';
    if (!p.skupina.isEmpty()) o += " Skupina=\"" + atribut(p.skupina) + '"';
    if (!p.data.isEmpty()) o += " Data=\"" + atribut(p.data) + '"';
    if (!p.bezHodnoty.isEmpty()) o += " BezHodnoty=\"" + atribut(p.bezHodnoty) + '"';
    o += ">\r\n";
    for (const auto& t : p.objekty) {
      o += "    <Text X=\"" + cislo(t.x) + "\" Y=\"" + cislo(t.y) + "\" Sirka=\"" + cislo(t.sirka) + "\" Vyska=\"" +
           cislo(t.vyska) + "\" Pismo=\"" + atribut(t.pismo) + "\" Velikost=\"" + cislo(t.velikost) + '"';
      if (t.tucne) o += " Tucne=\"1\"";
      if (t.kurziva) o += " Kurziva=\"1\"";
      if (t.zarovnani != Zarovnani::Vlevo) o += std::string(" Zarovnani=\"") + kZarovnani[int(t.zarovnani)] + '"';
      if (t.ramecek) o += " Ramecek=\"1\"";
      if (t.roztahovat) o += " Roztahovat=\"1\"";
      o += " Text=\"" + atribut(t.text) + "\"/>\r\n";
    }
    o += "  </Pasmo>\r\n";
  }
  o += "</Sestava>\r\n";
  return o;
}

void UlozSablonu(const std::filesystem::path& soubor, const Sablona& sablona) {
  ZkontrolujMeze(sablona);
  files::writeFileAtomically(soubor, ZapisSablonu(sablona));
}

}  // namespace sestavy
