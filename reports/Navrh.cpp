#include "Navrh.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace sestavy {

QString PoleOdkazu(const QString& text) {
  static const QRegularExpression odkaz(QStringLiteral("^\\[\\s*SestavaData1\\.\\s*\"([^\"]*)\"\\s*\\]$"));
  const auto m = odkaz.match(text.trimmed());
  return m.hasMatch() ? m.captured(1) : QString();
}

QString OdkazNaPole(const QString& pole) { return QStringLiteral("[%1.\"%2\"]").arg(JmenoDat(), pole); }

namespace {

// Indexes of the data band's column texts, left to right.
std::vector<size_t> sloupceDat(const Pasmo& data) {
  std::vector<size_t> out;
  for (size_t i = 0; i < data.objekty.size(); ++i)
    if (!PoleOdkazu(data.objekty[i].text).isEmpty()) out.push_back(i);
  std::stable_sort(out.begin(), out.end(),
                   [&](size_t a, size_t b) { return data.objekty[a].x < data.objekty[b].x; });
  return out;
}

// The page header's text standing over a column, or -1.
int nadpisNad(const Pasmo* hlavicka, double x) {
  if (!hlavicka) return -1;
  for (size_t i = 0; i < hlavicka->objekty.size(); ++i)
    if (std::abs(hlavicka->objekty[i].x - x) < 0.5) return static_cast<int>(i);
  return -1;
}

}  // namespace

int PapirPodleRozmeru(double sirka, double vyska) {
  for (int i = 0; i < static_cast<int>(std::size(kPapiry)); ++i)
    if (std::abs(kPapiry[i].sirka - sirka) < 0.5 && std::abs(kPapiry[i].vyska - vyska) < 0.5) return i;
  return -1;
}

double SirkaSloupcu(const Navrh& n) {
  double sirka = 0;
  for (const auto& c : n.sloupce) sirka += c.sirka;
  return sirka;
}

bool SloupceSirsiNezStranka(const Navrh& n) {
  Stranka st = n.stranka;
  st.naSirku = n.naSirku;
  return SirkaSloupcu(n) > st.sirkaTisku() + 1e-6;
}

Navrh NavrhZeSablony(const Sablona& s) {
  Navrh n;
  n.nazev = s.nazev;
  n.autor = s.autor;
  n.popis = s.popis;
  n.naSirku = s.stranka.naSirku;
  n.stranka = s.stranka;
  if (const Pasmo* t = s.pasmo(DruhPasma::Titulek); t && !t->objekty.empty()) n.titulek = t->objekty.front().text;
  if (const Pasmo* g = s.pasmo(DruhPasma::HlavickaSkupiny)) n.skupina = g->skupina;
  if (const Pasmo* d = s.pasmo(DruhPasma::Data)) {
    const Pasmo* h = s.pasmo(DruhPasma::HlavickaStranky);
    for (size_t i : sloupceDat(*d)) {
      const auto& o = d->objekty[i];
      const int k = nadpisNad(h, o.x);
      Sloupec c{PoleOdkazu(o.text), k >= 0 ? h->objekty[k].text : QString(), o.sirka};
      c.pismo = o.pismo, c.velikost = o.velikost, c.tucne = o.tucne, c.zarovnani = o.zarovnani;
      c.roztahovat = o.roztahovat;
      c.tucnyNadpis = k < 0 || h->objekty[k].tucne;
      n.sloupce.push_back(c);
    }
  }
  return n;
}

void PouzijNavrh(Sablona& s, const Navrh& n) {
  for (const auto& c : n.sloupce) {
    if (c.pole.isEmpty()) throw ChybaSablony("Sloupec sestavy nemá zadané pole");
    if (!(c.sirka > 0) || c.sirka > 10000) throw ChybaSablony("Šířka sloupce sestavy není platná");
    if (c.pismo.trimmed().isEmpty()) throw ChybaSablony("Sloupec sestavy nemá zadané písmo");
    if (!(c.velikost >= kNejmensiPismo && c.velikost <= kNejvetsiPismo))
      throw ChybaSablony("Velikost písma sloupce sestavy není platná");
  }
  s.nazev = n.nazev;
  s.autor = n.autor;
  s.popis = n.popis;
  s.stranka = n.stranka;
  s.stranka.naSirku = n.naSirku;
  const double sirka = s.stranka.sirkaTisku();

  // Title.
  Pasmo* t = s.pasmo(DruhPasma::Titulek);
  if (t && !t->objekty.empty()) {
    t->objekty.front().text = n.titulek;
  } else if (!n.titulek.isEmpty()) {
    if (!t) {
      s.pasma.insert(s.pasma.begin(), Pasmo{DruhPasma::Titulek, 12, {}, {}, {}, {}});
      t = &s.pasma.front();
    }
    TextovyObjekt o;
    o.sirka = sirka, o.vyska = 10, o.velikost = 14, o.tucne = true, o.text = n.titulek;
    t->objekty.push_back(o);
  }

  // Columns: styles of the first former column and its title.
  TextovyObjekt vzorDat, vzorNadpisu;
  vzorNadpisu.tucne = true;
  Pasmo* d = s.pasmo(DruhPasma::Data);
  if (!d) {
    s.pasma.push_back(Pasmo{DruhPasma::Data, 5, {}, JmenoDat(), {}, {}});
    d = &s.pasma.back();
  }
  Pasmo* h = s.pasmo(DruhPasma::HlavickaStranky);
  const auto stare = sloupceDat(*d);
  if (!stare.empty()) vzorDat = d->objekty[stare.front()];
  std::vector<size_t> stareNadpisy;
  for (size_t i : stare) {
    const int k = nadpisNad(h, d->objekty[i].x);
    if (k >= 0) stareNadpisy.push_back(static_cast<size_t>(k));
  }
  if (!stareNadpisy.empty()) vzorNadpisu = h->objekty[stareNadpisy.front()];
  auto odeber = [](Pasmo& p, std::vector<size_t> indexy) {
    std::sort(indexy.begin(), indexy.end());
    indexy.erase(std::unique(indexy.begin(), indexy.end()), indexy.end());
    for (auto it = indexy.rbegin(); it != indexy.rend(); ++it) p.objekty.erase(p.objekty.begin() + *it);
  };
  odeber(*d, stare);
  if (h) odeber(*h, stareNadpisy);
  const bool nadpisy = std::any_of(n.sloupce.begin(), n.sloupce.end(), [](const Sloupec& c) { return !c.nadpis.isEmpty(); });
  if (nadpisy && !h) {
    const auto za = std::find_if(s.pasma.begin(), s.pasma.end(), [](const Pasmo& p) { return p.druh != DruhPasma::Titulek; });
    h = &*s.pasma.insert(za, Pasmo{DruhPasma::HlavickaStranky, 7, {}, {}, {}, {}});
    d = s.pasmo(DruhPasma::Data);
  }
  // A text is at least one line of its font high, and its band holds it.
  auto styl = [](TextovyObjekt& o, const Sloupec& c, Pasmo& p) {
    o.pismo = c.pismo, o.velikost = c.velikost, o.zarovnani = c.zarovnani, o.roztahovat = c.roztahovat;
    o.vyska = std::max(o.vyska, std::ceil(c.velikost * 25.4 / 72 * 1.2 * 10) / 10);
    p.vyska = std::max(p.vyska, o.y + o.vyska);
  };
  double x = 0;
  for (const auto& c : n.sloupce) {
    TextovyObjekt o = vzorDat;
    o.x = x, o.y = stare.empty() ? 0 : vzorDat.y, o.sirka = c.sirka, o.text = OdkazNaPole(c.pole);
    o.tucne = c.tucne;
    styl(o, c, *d);
    d->objekty.push_back(o);
    if (!c.nadpis.isEmpty()) {
      TextovyObjekt o2 = vzorNadpisu;
      o2.x = x, o2.sirka = c.sirka, o2.text = c.nadpis;
      o2.tucne = c.tucnyNadpis;
      styl(o2, c, *h);
      h->objekty.push_back(o2);
    }
    x += c.sirka;
  }

  // Group header.
  auto g = std::find_if(s.pasma.begin(), s.pasma.end(), [](const Pasmo& p) { return p.druh == DruhPasma::HlavickaSkupiny; });
  if (n.skupina.isEmpty()) {
    if (g != s.pasma.end()) s.pasma.erase(g);
  } else if (g != s.pasma.end()) {
    const QString stary = OdkazNaPole(g->skupina);
    const QString novy = OdkazNaPole(n.skupina);
    // The label before the field ("Kód: [...]") names the field too: it
    // takes the new field's column title, or its name.
    QString titulek = n.skupina;
    for (const auto& c : n.sloupce)
      if (c.pole == n.skupina && !c.nadpis.isEmpty()) titulek = c.nadpis;
    const bool jinePole = g->skupina != n.skupina;
    g->skupina = n.skupina;
    for (auto& o : g->objekty) {
      const qsizetype kde = o.text.indexOf(stary);
      if (kde < 0) continue;
      if (jinePole) {
        const qsizetype dvojtecka = o.text.lastIndexOf(QStringLiteral(": "), kde);
        if (dvojtecka >= 0 && dvojtecka + 2 == kde && !o.text.left(dvojtecka).contains(QLatin1Char('[')))
          o.text.replace(0, dvojtecka, titulek);
      }
      o.text.replace(stary, novy);
    }
    if (g->objekty.empty()) {
      TextovyObjekt o;
      o.sirka = sirka, o.vyska = 6, o.velikost = 10, o.tucne = true, o.text = OdkazNaPole(n.skupina);
      g->objekty.push_back(o);
    }
  } else {
    Pasmo p{DruhPasma::HlavickaSkupiny, 8, n.skupina, {}, {}, {}};
    TextovyObjekt o;
    o.y = 1, o.sirka = sirka, o.vyska = 6, o.velikost = 10, o.tucne = true, o.text = OdkazNaPole(n.skupina);
    p.objekty.push_back(o);
    const auto data = std::find_if(s.pasma.begin(), s.pasma.end(), [](const Pasmo& q) { return q.druh == DruhPasma::Data; });
    s.pasma.insert(data, std::move(p));
  }
}

}  // namespace sestavy
