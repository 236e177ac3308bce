// The report template reader on any bytes: it either fails with
// ChybaSablony or gives a template that the writer reproduces: written,
// read again and written once more, the bytes are the same, the texts are
// equal and the lengths agree to the writer's eight significant digits.
// The raw name that the catalogue lists takes any bytes too, and finds in
// what the writer wrote the name that was read, wherever the writer has to
// write that name as it is.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Sablona.h"
#include "Texty.h"

namespace {

using namespace sestavy;

void check(bool ok) {
  if (!ok) std::abort();
}

// A name the writer writes byte for byte: no markup character, no control
// character, nothing the code page lacks.
bool psanJakJe(const QString& text) {
  for (const QChar c : text)
    if (c.unicode() < 0x20 || c == u'&' || c == u'<' || c == u'>' || c == u'"') return false;
  return zAnsi(doAnsi(text)) == text;
}

bool near(double a, double b) {
  return std::fabs(a - b) <= 1e-7 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

void compare(const Sablona& a, const Sablona& b) {
  check(a.nazev == b.nazev && a.autor == b.autor && a.popis == b.popis);
  const Stranka &p = a.stranka, &q = b.stranka;
  check(near(p.sirka, q.sirka) && near(p.vyska, q.vyska) && p.naSirku == q.naSirku && near(p.levy, q.levy) &&
        near(p.horni, q.horni) && near(p.pravy, q.pravy) && near(p.dolni, q.dolni));
  check(a.pasma.size() == b.pasma.size());
  for (std::size_t i = 0; i < a.pasma.size(); ++i) {
    const Pasmo &x = a.pasma[i], &y = b.pasma[i];
    check(x.druh == y.druh && near(x.vyska, y.vyska) && x.skupina == y.skupina && x.data == y.data);
    check(x.objekty.size() == y.objekty.size());
    for (std::size_t j = 0; j < x.objekty.size(); ++j) {
      const TextovyObjekt &s = x.objekty[j], &t = y.objekty[j];
      check(near(s.x, t.x) && near(s.y, t.y) && near(s.sirka, t.sirka) && near(s.vyska, t.vyska));
      check(s.text == t.text && s.pismo == t.pismo && near(s.velikost, t.velikost) && s.tucne == t.tucne &&
            s.kurziva == t.kurziva && s.zarovnani == t.zarovnani && s.ramecek == t.ramecek);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CtiSurovyNazev(bytes);
  Sablona sablona;
  try {
    sablona = CtiSablonu(bytes, QStringLiteral("fuzz.ses"));
  } catch (const ChybaSablony&) {
    return 0;
  }
  const std::string written = ZapisSablonu(sablona);
  Sablona again;
  try {
    again = CtiSablonu(written, QStringLiteral("fuzz.ses"));
  } catch (const ChybaSablony&) {
    std::abort();  // what the writer wrote must read back
  }
  compare(sablona, again);
  check(ZapisSablonu(again) == written);
  if (psanJakJe(sablona.nazev)) check(CtiSurovyNazev(written) == sablona.nazev);
  return 0;
}
