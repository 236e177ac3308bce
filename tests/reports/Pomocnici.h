#pragma once
// Small registers and templates for the report tests.
#include <string>
#include <vector>

#include "CodePage.h"
#include "RecordStore.h"
#include "Sablona.h"

namespace pomoc {

// Records (Nazev, Http, Kod, Popis) given in UTF-8, stored in natural order.
inline void napln(store::RecordStore& s, const std::vector<std::vector<std::string>>& zaznamy) {
  s.createEmpty(store::addressFieldDefs());
  for (const auto& z : zaznamy) {
    s.append();
    for (size_t i = 0; i < z.size(); ++i) s.setText(static_cast<int>(i), cp1250::fromUtf8(z[i]));
    s.post();
  }
  s.first();
}

// "Záznam 1".."Záznam n", codes cycling A, B, C.
inline void napln(store::RecordStore& s, int n) {
  std::vector<std::vector<std::string>> z;
  for (int i = 1; i <= n; ++i)
    z.push_back({"Záznam " + std::to_string(i), "http://example.cz/" + std::to_string(i), std::string(1, char('A' + (i - 1) % 3)),
                 "Popis " + std::to_string(i)});
  napln(s, z);
}

inline sestavy::TextovyObjekt text(double x, double w, const QString& t) {
  sestavy::TextovyObjekt o;
  o.x = x, o.sirka = w, o.vyska = 8, o.text = t;
  return o;
}

// A sheet of 100 mm with 10 mm margins: 80 mm for bands. Title 10 mm on the
// first page, header 10, footer 10, data rows 10: five rows on the first
// page and six on every other.
inline sestavy::Sablona malaSablona(bool skupiny = false) {
  using namespace sestavy;
  Sablona s;
  s.nazev = QStringLiteral("Malá sestava");
  s.autor = QStringLiteral("Tester");
  s.popis = QStringList{QStringLiteral("První řádek"), QStringLiteral("Druhý řádek")};
  s.stranka.sirka = 150;
  s.stranka.vyska = 100;
  s.pasma.push_back({DruhPasma::Titulek, 10, {}, {}, {text(0, 130, QStringLiteral("Titulek sestavy"))}, {}});
  s.pasma.push_back({DruhPasma::HlavickaStranky, 10, {}, {}, {text(0, 60, QStringLiteral("Název")), text(60, 70, QStringLiteral("Adresa"))}, {}});
  if (skupiny)
    s.pasma.push_back({DruhPasma::HlavickaSkupiny, 10, QStringLiteral("Kod"), {}, {text(0, 130, QStringLiteral("Kód: [SestavaData1.\"Kod\"]"))}, {}});
  s.pasma.push_back({DruhPasma::Data, 10, {}, JmenoDat(),
                     {text(0, 60, QStringLiteral("[SestavaData1.\"Nazev\"]")), text(60, 70, QStringLiteral("[SestavaData1.\"http\"]"))}, {}});
  s.pasma.push_back({DruhPasma::PatickaStranky, 10, {}, {}, {text(0, 130, QStringLiteral("Strana [Page] z [TotalPages]"))}, {}});
  return s;
}

}  // namespace pomoc
