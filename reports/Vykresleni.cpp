#include "Vykresleni.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

namespace sestavy {

void VykresliStranu(QPainter& painter, const PripravenaSestava& s, int strana, double bodyNaMm,
                    const Polozka* zvyraznena) {
  const int dpi = painter.device() ? painter.device()->logicalDpiY() : 96;
  // Type sizes follow the page: points scaled by the zoom of this device.
  const double zvetseni = bodyNaMm * 25.4 / dpi;
  std::vector<QFont> pisma;
  std::vector<double> radek;  // line height of each style on this device
  pisma.reserve(s.styly.size());
  for (const auto& st : s.styly) {
    QFont f(st.pismo);
    f.setPointSizeF(std::max(0.5, st.velikost * zvetseni));
    f.setBold(st.tucne);
    f.setItalic(st.kurziva);
    pisma.push_back(f);
    radek.push_back(painter.device() ? QFontMetricsF(f, painter.device()).height() : f.pointSizeF());
  }
  painter.save();
  painter.setPen(QPen(Qt::black, std::max(1.0, 0.2 * bodyNaMm)));
  const double odsazeni = 0.5 * bodyNaMm;  // text keeps off its frame
  int aktualni = -1;
  for (const auto& p : s.strany.at(strana).polozky) {
    const QRectF r(p.obdelnik.left() * bodyNaMm, p.obdelnik.top() * bodyNaMm, p.obdelnik.width() * bodyNaMm,
                   p.obdelnik.height() * bodyNaMm);
    const Styl& st = s.styly[p.styl];
    if (&p == zvyraznena) painter.fillRect(r, QColor(255, 230, 120));
    if (st.ramecek) painter.drawRect(r);
    if (p.text.isEmpty()) continue;
    if (p.styl != aktualni) painter.setFont(pisma[p.styl]), aktualni = p.styl;
    // A text wraps only where its box holds two lines; in a one-line box
    // (a row of a list) it stays on its line and is cut at the box's end.
    int zarovnani = Qt::AlignTop | (r.height() >= 1.9 * radek[p.styl] ? Qt::TextWordWrap : Qt::TextSingleLine);
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
