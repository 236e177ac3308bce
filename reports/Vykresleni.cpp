#include "Vykresleni.h"

#include <QPaintDevice>
#include <QPainter>

#include "Sazba.h"

namespace sestavy {

QFont PismoStylu(const Styl& st, double zvetseni) {
  QFont f(st.pismo);
  f.setPointSizeF(std::max(0.5, st.velikost * zvetseni));
  f.setBold(st.tucne);
  f.setItalic(st.kurziva);
  return f;
}

namespace {

// One text in its box: the lines the typesetting breaks it into, as many as
// the box holds (the last one ending with "…" when the text goes on), and
// nothing else, so that a cut text leaves no invisible rest in a PDF. The
// lines are laid out in the typesetting's units and scaled to the device,
// so every zoom and every device shows the same lines.
void vykresliText(QPainter& painter, const Polozka& p, const Styl& st, double bodyNaMm) {
  const Pismo& pismo = Pismo::Stylu(st);
  const QRectF& o = p.obdelnik;
  const std::vector<QString> radky = pismo.radky(p.text, o.width(), pismo.radkuVeVysce(o.height()));
  const QTransform puvodni = painter.worldTransform();
  const double k = bodyNaMm / kJednotekNaMm;  // device pixels to the unit
  painter.setWorldTransform(QTransform::fromTranslate(o.left() * bodyNaMm, o.top() * bodyNaMm).scale(k, k) * puvodni);
  painter.setFont(pismo.font());
  const double volno = o.width() - 2 * kOdsazeni;
  for (size_t i = 0; i < radky.size(); ++i) {
    const QString& r = radky[i];
    if (r.isEmpty()) continue;
    double x = kOdsazeni;
    if (st.zarovnani == Zarovnani::Stred)
      x += (volno - pismo.sirka(r)) / 2;
    else if (st.zarovnani == Zarovnani::Vpravo)
      x += volno - pismo.sirka(r);
    const double y = static_cast<double>(i) * pismo.radek() + pismo.nadUcarim();
    painter.drawText(QPointF(x * kJednotekNaMm, y * kJednotekNaMm), r);
  }
  painter.setWorldTransform(puvodni);
}

}  // namespace

void VykresliStranu(QPainter& painter, const PripravenaSestava& s, int strana, double bodyNaMm,
                    const Polozka* zvyraznena) {
  painter.save();
  painter.setPen(QPen(Qt::black, std::max(1.0, 0.2 * bodyNaMm)));
  for (const auto& p : s.strany.at(strana).polozky) {
    const QRectF r(p.obdelnik.left() * bodyNaMm, p.obdelnik.top() * bodyNaMm, p.obdelnik.width() * bodyNaMm,
                   p.obdelnik.height() * bodyNaMm);
    const Styl& st = s.styly[p.styl];
    if (&p == zvyraznena) painter.fillRect(r, QColor(255, 230, 120));
    if (st.ramecek) painter.drawRect(r);
    if (!p.text.isEmpty()) vykresliText(painter, p, st, bodyNaMm);
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
