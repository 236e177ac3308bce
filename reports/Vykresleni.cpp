#include "Vykresleni.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

namespace sestavy {

QFont PismoStylu(const Styl& st, double zvetseni) {
  QFont f(st.pismo);
  f.setPointSizeF(std::max(0.5, st.velikost * zvetseni));
  f.setBold(st.tucne);
  f.setItalic(st.kurziva);
  return f;
}

void VykresliStranu(QPainter& painter, const PripravenaSestava& s, int strana, double bodyNaMm,
                    const Polozka* zvyraznena) {
  const int dpi = painter.device() ? painter.device()->logicalDpiY() : 96;
  // Type sizes follow the page: points scaled by the zoom of this device.
  const double zvetseni = bodyNaMm * 25.4 / dpi;
  std::vector<QFont> pisma;
  std::vector<double> radek;  // line height of each style on this device
  pisma.reserve(s.styly.size());
  for (const auto& st : s.styly) {
    pisma.push_back(PismoStylu(st, zvetseni));
    radek.push_back(painter.device() ? QFontMetricsF(pisma.back(), painter.device()).height()
                                     : pisma.back().pointSizeF());
  }
  painter.save();
  painter.setPen(QPen(Qt::black, std::max(1.0, kSirkaRamecku * bodyNaMm)));
  const double odsazeni = kOdsazeniTextu * bodyNaMm;
  int aktualni = -1;
  for (const auto& p : s.strany.at(strana).polozky) {
    const QRectF r(p.obdelnik.left() * bodyNaMm, p.obdelnik.top() * bodyNaMm, p.obdelnik.width() * bodyNaMm,
                   p.obdelnik.height() * bodyNaMm);
    const Styl& st = s.styly[p.styl];
    if (&p == zvyraznena) painter.fillRect(r, QColor(255, 230, 120));
    if (st.ramecek) painter.drawRect(r);
    if (p.text.isEmpty()) continue;
    if (p.styl != aktualni) painter.setFont(pisma[p.styl]), aktualni = p.styl;
    // A one-line box is a row of a list: its text stays on its line.
    int zarovnani = Qt::AlignTop | (ZalamujeSe(r.height(), radek[p.styl]) ? Qt::TextWordWrap : Qt::TextSingleLine);
    zarovnani |= st.zarovnani == Zarovnani::Stred ? Qt::AlignHCenter
                 : st.zarovnani == Zarovnani::Vpravo ? Qt::AlignRight
                                                     : Qt::AlignLeft;
    painter.drawText(r.adjusted(odsazeni, 0, -odsazeni, 0), zarovnani, p.text);
  }
  painter.restore();
}

QImage ObrazekStrany(const PripravenaSestava& s, int strana, int dpi) {
  const double bodyNaMm = dpi / 25.4;
  QImage obr(qRound(s.sirka * bodyNaMm), qRound(s.vyska * bodyNaMm), QImage::Format_RGB32);
  const int naMetr = qRound(dpi / 0.0254);
  obr.setDotsPerMeterX(naMetr);
  obr.setDotsPerMeterY(naMetr);
  obr.fill(Qt::white);
  QPainter painter(&obr);
  painter.setRenderHint(QPainter::TextAntialiasing);
  VykresliStranu(painter, s, strana, bodyNaMm);
  return obr;
}

}  // namespace sestavy
