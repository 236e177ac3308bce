#include "Sazba.h"

#include <QFontMetricsF>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>

namespace sestavy {

namespace {

constexpr char16_t kTrojtecka = u'\u2026';

// The text as it is set: CR dropped, control characters other than the
// line break as spaces. Most texts have none and are taken as they are.
QString cisty(const QString& text) {
  bool ridici = false;
  for (const QChar c : text)
    if (c.unicode() < 0x20 && c != QLatin1Char('\n')) {
      ridici = true;
      break;
    }
  if (!ridici) return text;
  QString out;
  out.reserve(text.size());
  for (const QChar c : text) {
    if (c == QLatin1Char('\r')) continue;
    out += c.unicode() < 0x20 && c != QLatin1Char('\n') ? QChar(QLatin1Char(' ')) : c;
  }
  return out;
}

}  // namespace

const Pismo& Pismo::Stylu(const Styl& styl) {
  // The program's one thread sets every text; the few styles stay measured.
  static std::map<std::tuple<QString, double, bool, bool>, std::unique_ptr<Pismo>> pisma;
  auto& p = pisma[std::make_tuple(styl.pismo, styl.velikost, styl.tucne, styl.kurziva)];
  if (!p) p = std::make_unique<Pismo>(styl);
  return *p;
}

Pismo::Pismo(const Styl& styl) : font_(styl.pismo) {
  // The size in pixels is the size in units, whatever the device: the
  // measures are the same for everyone, and painting scales them. Neither
  // hinting nor kerning, so that a line is as wide as its letters' advances.
  font_.setPixelSize(std::max(1, qRound(styl.velikost * 10)));
  font_.setBold(styl.tucne);
  font_.setItalic(styl.kurziva);
  font_.setKerning(false);
  font_.setHintingPreference(QFont::PreferNoHinting);
  const QFontMetricsF m(font_);
  radek_ = m.lineSpacing() / kJednotekNaMm;
  nadUcarim_ = m.ascent() / kJednotekNaMm;
  sirky_.assign(kZnaku, -1);
}

int Pismo::radkuVeVysce(double vyska) const {
  return std::max(1, static_cast<int>(std::floor(vyska / radek_ + 0.1)));
}

double Pismo::sirkaZnaku(char16_t c) const {
  if (c < kZnaku) {
    double& s = sirky_[c];
    if (s < 0) s = QFontMetricsF(font_).horizontalAdvance(QChar(c)) / kJednotekNaMm;
    return s;
  }
  return QFontMetricsF(font_).horizontalAdvance(QChar(c)) / kJednotekNaMm;
}

double Pismo::sirka(QStringView radek) const {
  double w = 0;
  for (const QChar c : radek) w += sirkaZnaku(c.unicode());
  return w;
}

template <class F>
void Pismo::zalamuj(QStringView t, double sirka, F&& radek) const {
  const double volno = sirka - 2 * kOdsazeni;
  const qsizetype n = t.size();
  qsizetype odstavec = 0;
  for (;;) {
    qsizetype konec = t.indexOf(QLatin1Char('\n'), odstavec);
    if (konec < 0) konec = n;
    qsizetype od = odstavec;
    if (od == konec) radek(od, od);
    while (od < konec) {
      double w = 0;
      qsizetype j = od, zlom = -1;  // zlom: where the line may end, before a space or after "-" and "/"
      while (j < konec) {
        const char16_t c = t[j].unicode();
        if (c == u' ' && j > od) zlom = j;
        const double a = sirkaZnaku(c);
        if (w + a > volno && j > od) break;
        w += a;
        ++j;
        if ((c == u'-' || c == u'/') && j < konec && t[j] != QLatin1Char(' ')) zlom = j;
      }
      if (j == konec) {
        qsizetype e = konec;
        while (e > od && t[e - 1] == QLatin1Char(' ')) --e;
        radek(od, e);
        break;
      }
      qsizetype do_ = zlom > od ? zlom : j;  // a word longer than the line is cut at its letters
      if (do_ == j && t[j].isLowSurrogate() && j - 1 > od) --do_;
      qsizetype e = do_;
      while (e > od && t[e - 1] == QLatin1Char(' ')) --e;
      radek(od, e);
      od = do_;
      while (od < konec && t[od] == QLatin1Char(' ')) ++od;
    }
    if (konec == n) return;
    odstavec = konec + 1;
  }
}

int Pismo::pocetRadku(const QString& text, double sirka) const {
  int n = 0;
  zalamuj(cisty(text), sirka, [&](qsizetype, qsizetype) { ++n; });
  return n;
}

std::vector<QString> Pismo::radky(const QString& text, double sirka, int nejvic) const {
  const QString t = cisty(text);
  std::vector<std::pair<qsizetype, qsizetype>> useky;
  zalamuj(t, sirka, [&](qsizetype od, qsizetype do_) { useky.emplace_back(od, do_); });
  std::vector<QString> out;
  const bool orez = nejvic > 0 && useky.size() > static_cast<size_t>(nejvic);
  if (orez) useky.resize(static_cast<size_t>(nejvic));
  out.reserve(useky.size());
  for (const auto& [od, do_] : useky) out.push_back(t.mid(od, do_ - od));
  if (orez) {
    // The last line shown makes room for "…" at its end.
    auto [od, e] = useky.back();
    double w = 0;
    for (qsizetype i = od; i < e; ++i) w += sirkaZnaku(t[i].unicode());
    const double volno = sirka - 2 * kOdsazeni - sirkaZnaku(kTrojtecka);
    while (e > od && w > volno) w -= sirkaZnaku(t[--e].unicode());
    if (e > od && t[e - 1].isHighSurrogate()) --e;
    while (e > od && t[e - 1] == QLatin1Char(' ')) --e;
    out.back() = t.mid(od, e - od) + QChar(kTrojtecka);
  }
  return out;
}

}  // namespace sestavy
