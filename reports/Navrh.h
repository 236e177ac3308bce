#pragma once
// What the report designer edits, taken out of a template and put back:
// the name, author, description, orientation, the title text, the columns
// (a data text holding one field, with the page header's text above it as
// its title) and the group field.
#include <QString>
#include <QStringList>
#include <vector>

#include "Sablona.h"

namespace sestavy {

struct Sloupec {
  QString pole;
  QString nadpis;
  double sirka = 30;  // millimetres
};

struct Navrh {
  QString nazev, autor;
  QStringList popis;
  bool naSirku = false;
  QString titulek;
  std::vector<Sloupec> sloupce;
  QString skupina;  // empty: no groups
};

Navrh NavrhZeSablony(const Sablona& s);
// Lays the columns out left to right in the styles the template's columns
// had; texts of the bands that are not columns stay where they are.
void PouzijNavrh(Sablona& s, const Navrh& n);

// The field of a text that is one field reference and nothing else; empty otherwise.
QString PoleOdkazu(const QString& text);
QString OdkazNaPole(const QString& pole);

}  // namespace sestavy
