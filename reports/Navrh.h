#pragma once
// What the report designer edits, taken out of a template and put back:
// the name, author, description, the sheet (paper, orientation, margins),
// the title text, the columns (a data text holding one field, with the page
// header's text above it as its title, both in the column's font, size,
// alignment and stretching) and the group field.
#include <QString>
#include <QStringList>
#include <vector>

#include "Sablona.h"

namespace sestavy {

struct Sloupec {
  QString pole;
  QString nadpis;
  double sirka = 30;  // millimetres
  QString pismo = QStringLiteral("Arial");
  double velikost = 9;  // points
  bool tucne = false;   // the data text
  Zarovnani zarovnani = Zarovnani::Vlevo;
  bool roztahovat = false;
  bool tucnyNadpis = true;  // the title above it
};

// The paper sizes the designer offers by name, standing upright, mm.
struct Papir {
  const char* nazev;
  double sirka, vyska;
};
inline constexpr Papir kPapiry[] = {
    {"A4", 210, 297}, {"A5", 148, 210}, {"A3", 297, 420}, {"Letter", 215.9, 279.4}, {"Legal", 215.9, 355.6},
};
// The index in kPapiry of a sheet of these sizes (upright), or -1.
int PapirPodleRozmeru(double sirka, double vyska);

struct Navrh {
  QString nazev, autor;
  QStringList popis;
  bool naSirku = false;
  Stranka stranka;  // the sheet and its margins; its orientation is naSirku
  QString titulek;
  std::vector<Sloupec> sloupce;
  QString skupina;  // empty: no groups
};

Navrh NavrhZeSablony(const Sablona& s);
// The width of the columns side by side, and whether it is more than the
// sheet's printable width.
double SirkaSloupcu(const Navrh& n);
bool SloupceSirsiNezStranka(const Navrh& n);
// Lays the columns out left to right in the styles the template's columns
// had; texts of the bands that are not columns stay where they are.
void PouzijNavrh(Sablona& s, const Navrh& n);

// The field of a text that is one field reference and nothing else; empty otherwise.
QString PoleOdkazu(const QString& text);
QString OdkazNaPole(const QString& pole);

}  // namespace sestavy
