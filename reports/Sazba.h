#pragma once
// Setting a text in its box: the lines it is broken into and where a text
// that does not fit ends with "…". Preparing asks how many lines a
// stretching text needs, painting which lines to draw; both measure with
// the same font at a fixed size in device-free units (a tenth of a point),
// and painting scales those units to its device, so the preview, the
// printer, PDF and the pictures break every text at the same places.
#include <QFont>
#include <QString>
#include <QStringView>
#include <vector>

#include "Priprava.h"

namespace sestavy {

// Units of the typesetting: a tenth of a point.
inline constexpr double kJednotekNaMm = 720 / 25.4;
// The space a text keeps from its box's left and right edge, millimetres.
inline constexpr double kOdsazeni = 0.5;

// A style's font and its measures, kept for the whole run (the program has
// few styles).
class Pismo {
 public:
  // The font of a style at its size in units; the same for every caller.
  static const Pismo& Stylu(const Styl& styl);

  const QFont& font() const { return font_; }
  // From one line's top to the next one's, millimetres.
  double radek() const { return radek_; }
  // From a line's top to its baseline, millimetres.
  double nadUcarim() const { return nadUcarim_; }
  // The width of a line as radky() sets it, millimetres.
  double sirka(QStringView radek) const;
  // The lines a box of height `vyska` (millimetres) holds: at least one; a
  // box that lacks a tenth of a line for the next still holds it.
  int radkuVeVysce(double vyska) const;
  // The lines of `text` in a box `sirka` millimetres wide (its edges'
  // spaces included), broken at spaces and after "-" and "/" (a word
  // longer than a line at its letters), line breaks kept, CR dropped and
  // other control characters as spaces. With `nejvic` > 0, a text needing
  // more lines gives that many and the last ends with "…".
  std::vector<QString> radky(const QString& text, double sirka, int nejvic = 0) const;
  // The number of lines of radky(text, sirka) without making them.
  int pocetRadku(const QString& text, double sirka) const;

  explicit Pismo(const Styl& styl);

 private:
  double sirkaZnaku(char16_t c) const;  // its advance, millimetres
  // Calls radek(od, do) for each line: the text's positions it takes.
  template <class F>
  void zalamuj(QStringView text, double sirka, F&& radek) const;

  QFont font_;
  double radek_ = 0, nadUcarim_ = 0;
  mutable std::vector<double> sirky_;  // per character below kZnaku; negative: not measured yet
  static constexpr char16_t kZnaku = 0x2200;  // past the code page's characters ("…", "€", "™")
};

}  // namespace sestavy
