#include "OProgramu.h"

#include <QStringList>
#include <charconv>

#include "Autor.h"
#include "Zpravy.h"

#ifndef ODKAZNIK_VERSION
#define ODKAZNIK_VERSION ""
#endif

std::string_view VerzeSestaveni() { return ODKAZNIK_VERSION; }

QString VerzeProgramu(std::string_view verze) {
  int cisla[4] = {};
  int pocet = 0;
  std::size_t od = 0;
  for (;;) {
    const std::size_t tecka = verze.find('.', od);
    const std::string_view cast = verze.substr(od, tecka == std::string_view::npos ? verze.npos : tecka - od);
    if (pocet == 4 || cast.empty() || cast.size() > 5 || cast.find_first_not_of("0123456789") != cast.npos)
      return {};
    int cislo = 0;
    const auto [konec, chyba] = std::from_chars(cast.data(), cast.data() + cast.size(), cislo);
    if (chyba != std::errc() || konec != cast.data() + cast.size() || cislo > 0xFFFF) return {};
    cisla[pocet++] = cislo;
    if (tecka == std::string_view::npos) break;
    od = tecka + 1;
  }
  if (pocet < 2) return {};
  return QString::asprintf("%d.%d", cisla[0], cisla[1]);
}

QString TextOProgramu(const QString& titulek, const QString& datumSestaveni, const QString& verze) {
  const QStringList radky = {
      QStringLiteral("Název programu : ") + titulek,
      QStringLiteral("Verze programu :  ") + verze,
      QStringLiteral("Sestavení :  ") + datumSestaveni,
      QString(),
      QStringLiteral("Autor : vývojáři programu Odkaznik"),
      QStringLiteral("Kontakt : ") + QLatin1String(kStrankyAutora),
      QStringLiteral("Program je šířen zdarma. Všechna práva vyhrazena."),
      QString(31, u'_') + QString(7, u' '),
  };
  return radky.join(QStringLiteral("\r\n"));
}

void ZobrazOProgramu(const QString& titulek, const QString& datumSestaveni) {
  ZobrazZpravuTitulek(QStringLiteral("O programu"), TextOProgramu(titulek, datumSestaveni, VerzeProgramu()));
}
