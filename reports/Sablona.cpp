#include "Sablona.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

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

namespace {

// The root's attributes. The writer puts the name first, in the root, so that
// the plain search of CtiSurovyNazev finds the name the reader reads.
constexpr char kNazev[] = "ReportOptions.Name";
constexpr char kAutor[] = "ReportOptions.Author";
constexpr char kPopis[] = "ReportOptions.Description";

// A NUL byte ends the text, as everywhere in the program's text files.
std::string_view doNul(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

const char* const kDruhy[] = {"Titulek", "HlavickaStranky", "HlavickaSkupiny", "Data", "PatickaStranky", "PatickaSkupiny"};
const char* const kZarovnani[] = {"Vlevo", "Stred", "Vpravo"};

[[noreturn]] void chyba(const QString& jmeno, const QString& co, qint64 radek = 0) {
  QString text = QStringLiteral("Šablonu sestavy \"%1\" nelze přečíst: %2").arg(jmeno, co);
  if (radek > 0) text += QStringLiteral(" (řádek %1)").arg(radek);
  throw ChybaSablony(text.toStdString());
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

double cislo(const QXmlStreamAttributes& a, const char* jmeno, double vychozi, const QString& soubor,
             const QXmlStreamReader& xml) {
  const auto hodnota = a.value(QLatin1String(jmeno));
  if (hodnota.isEmpty()) return vychozi;
  bool ok = false;
  const double v = hodnota.toDouble(&ok);
  // Written so that NaN, which the reader of numbers takes, fails too.
  if (!ok || !(v >= 0 && v <= 10000))
    chyba(soubor, QStringLiteral("%1=\"%2\" není platná délka").arg(QLatin1String(jmeno), hodnota.toString()),
          xml.lineNumber());
  return v;
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
  chyba(soubor, QStringLiteral("neznámá hodnota %1=\"%2\"").arg(QLatin1String(jmeno), v.toString()),
        xml.lineNumber());
}

}  // namespace

Sablona CtiSablonu(std::string_view bytes, const QString& jmeno) {
  bytes = doNul(bytes);
  const QByteArray kod = kodovani(bytes);
  QXmlStreamReader xml;
  if (kod == "utf-8" || kod == "utf8")
    xml.addData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  else if (kod.isEmpty() || kod == "windows-1250" || kod == "cp1250") {
    // Converted here through the program's one code page table; the
    // declaration then names what the reader is given.
    std::string utf8 = cp1250::toUtf8(bytes);
    if (!kod.isEmpty()) {
      const auto k = utf8.find("encoding=");
      utf8.replace(k + 10, static_cast<size_t>(kod.size()), "UTF-8");
    }
    xml.addData(QByteArray::fromStdString(utf8));
  }  else
    chyba(jmeno, QStringLiteral("nepodporované kódování \"%1\"").arg(QString::fromLatin1(kod)));

  Sablona s;
  bool koren = false;
  Pasmo* pasmo = nullptr;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const auto a = xml.attributes();
    const auto nazev = xml.name();
    if (!koren) {
      if (nazev != QLatin1String("Sestava")) chyba(jmeno, QStringLiteral("soubor není šablona sestavy"), xml.lineNumber());
      koren = true;
      s.nazev = a.value(QLatin1String(kNazev)).toString();
      s.autor = a.value(QLatin1String(kAutor)).toString();
      const QString popis = a.value(QLatin1String(kPopis)).toString();
      if (!popis.isEmpty()) s.popis = popis.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    } else if (nazev == QLatin1String("Stranka")) {
      auto& st = s.stranka;
      st.sirka = cislo(a, "Sirka", st.sirka, jmeno, xml);
      st.vyska = cislo(a, "Vyska", st.vyska, jmeno, xml);
      st.naSirku = a.value(QLatin1String("Orientace")) == QLatin1String("Nasirku");
      st.levy = cislo(a, "Levy", st.levy, jmeno, xml);
      st.horni = cislo(a, "Horni", st.horni, jmeno, xml);
      st.pravy = cislo(a, "Pravy", st.pravy, jmeno, xml);
      st.dolni = cislo(a, "Dolni", st.dolni, jmeno, xml);
      if (st.sirka < 20 || st.vyska < 20 || st.sirkaTisku() <= 0 || st.horni + st.dolni >= st.vyskaListu())
        chyba(jmeno, QStringLiteral("rozměry stránky nejsou platné"), xml.lineNumber());
    } else if (nazev == QLatin1String("Pasmo")) {
      Pasmo p;
      p.druh = vycet(a, "Druh", kDruhy, DruhPasma::Data, jmeno, xml);
      p.vyska = cislo(a, "Vyska", p.vyska, jmeno, xml);
      p.skupina = a.value(QLatin1String("Skupina")).toString();
      p.data = a.value(QLatin1String("Data")).toString();
      p.bezHodnoty = a.value(QLatin1String("BezHodnoty")).toString();
      if (p.druh == DruhPasma::Data && p.data.isEmpty()) p.data = JmenoDat();
      s.pasma.push_back(std::move(p));
      pasmo = &s.pasma.back();
    } else if (nazev == QLatin1String("Text")) {
      if (!pasmo) chyba(jmeno, QStringLiteral("text mimo pásmo"), xml.lineNumber());
      TextovyObjekt t;
      t.x = cislo(a, "X", 0, jmeno, xml);
      t.y = cislo(a, "Y", 0, jmeno, xml);
      t.sirka = cislo(a, "Sirka", t.sirka, jmeno, xml);
      t.vyska = cislo(a, "Vyska", t.vyska, jmeno, xml);
      t.text = a.value(QLatin1String("Text")).toString();
      if (a.hasAttribute(QLatin1String("Pismo"))) t.pismo = a.value(QLatin1String("Pismo")).toString();
      t.velikost = cislo(a, "Velikost", t.velikost, jmeno, xml);
      if (t.velikost < 1 || t.velikost > 200)
        chyba(jmeno, QStringLiteral("velikost písma není platná"), xml.lineNumber());
      t.tucne = priznak(a, "Tucne");
      t.kurziva = priznak(a, "Kurziva");
      t.zarovnani = vycet(a, "Zarovnani", kZarovnani, Zarovnani::Vlevo, jmeno, xml);
      t.ramecek = priznak(a, "Ramecek");
      t.roztahovat = priznak(a, "Roztahovat");
      pasmo->objekty.push_back(std::move(t));
    }
  }
  if (xml.hasError()) chyba(jmeno, xml.errorString(), xml.lineNumber());
  if (!koren) chyba(jmeno, QStringLiteral("soubor není šablona sestavy"));
  return s;
}

QString CtiSurovyNazev(std::string_view bytes) {
  bytes = doNul(bytes);
  const std::string znacka = std::string(kNazev) + "=\"";
  const auto z = bytes.find(znacka);
  if (z == std::string_view::npos) return {};
  std::string_view nazev = bytes.substr(z + znacka.size());
  nazev = nazev.substr(0, nazev.find('"'));
  // Line breaks of the text count as CR LF.
  std::string radky;
  radky.reserve(nazev.size());
  for (size_t i = 0; i < nazev.size(); ++i) {
    const char c = nazev[i];
    if (c == '\r' || c == '\n') {
      radky += "\r\n";
      if (c == '\r' && i + 1 < nazev.size() && nazev[i + 1] == '\n') ++i;
    } else {
      radky += c;
    }
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
  files::writeFileAtomically(soubor, ZapisSablonu(sablona));
}

}  // namespace sestavy
