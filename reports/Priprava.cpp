#include "Priprava.h"

#include <QDate>
#include <QStringList>
#include <algorithm>
#include <map>
#include <optional>

#include "Collation.h"
#include "RecordStore.h"
#include "Sazba.h"
#include "Texty.h"

namespace sestavy {

namespace {

// One piece of a text object's text.
struct Kus {
  enum Druh { Text, Pole, Strana, Stran, Datum, Pocet } druh = Text;
  QString text;
  int pole = -1;  // list position of a field
};

struct Objekt {
  QRectF obdelnik;  // relative to its band
  std::vector<Kus> kusy;
  bool stran = false;  // holds [TotalPages]
  int styl = 0;
  const Pismo* roztahuje = nullptr;  // a stretching text: the font that measures it
};

struct PripravenePasmo {
  double vyska = 0;
  std::vector<Objekt> objekty;
  int skupina = -1;    // group header: list position of its field
  QString bezHodnoty;  // group header: the text for the group field's empty value
};

// A band set for the current record: its objects' texts and heights, and
// its own height (grown with its tallest stretching text).
struct Sazene {
  std::vector<QString> texty;
  std::vector<double> vysky;
  double vyska = 0;
};

// The stand-in for [TotalPages] until the number of pages is known.
const QChar kStran(0xE000);

bool je(const std::optional<PripravenePasmo>& pasmo, const PripravenePasmo& p) { return pasmo && &*pasmo == &p; }

class Pripravovac {
 public:
  Pripravovac(const Sablona& s, store::RecordStore& data) : s_(s), data_(data) {
    v_.nazev = s.nazev;
    v_.sirka = s.stranka.sirkaListu();
    v_.vyska = s.stranka.vyskaListu();
    v_.okraje = QMarginsF(s.stranka.levy, s.stranka.horni, s.stranka.pravy, s.stranka.dolni);
    datum_ = QDate::currentDate().toString(QStringLiteral("d.M.yyyy"));
  }

  PripravenaSestava spust() {
    const auto titulek = pasmo(DruhPasma::Titulek);
    const auto hlavicka = pasmo(DruhPasma::HlavickaStranky);
    skupina_ = pasmo(DruhPasma::HlavickaSkupiny);
    // A group footer closes the groups a group header opens; alone it has none.
    if (skupina_) patickaSkupiny_ = pasmo(DruhPasma::PatickaSkupiny);
    const auto dataPasmo = pasmo(DruhPasma::Data);
    paticka_ = pasmo(DruhPasma::PatickaStranky, false);
    hlavicka_ = hlavicka ? &*hlavicka : nullptr;
    if (skupina_) {
      skupinaPole_ = skupina_->skupina;
      bezHodnoty_ = skupina_->bezHodnoty;
    }

    const auto& st = s_.stranka;
    horni_ = st.horni;
    spodni_ = st.vyskaListu() - st.dolni - (paticka_ ? paticka_->vyska : 0);
    if (dataPasmo && !data_.active()) throw ChybaSablony("Zdroj dat SestavaData1 není otevřen");
    celkem_ = dataPasmo ? data_.recordCount() : 0;
    // The title opens the first page, above its page header.
    v_.strany.emplace_back();
    y_ = horni_;
    if (titulek) umisti(*titulek);
    if (hlavicka_) umisti(*hlavicka_);
    zacatekDat_ = y_;
    if (dataPasmo) {
      store::WalkAndReturn navrat(data_);
      if (skupina_)
        poSkupinach(*dataPasmo);
      else
        for (data_.first(); !data_.eof(); data_.next()) umistiVcelku(*dataPasmo);
    }
    dokonciStranu();
    // Now the number of pages is known.
    const QString stran = QString::number(v_.strany.size());
    for (auto [strana, polozka] : sCelkem_) v_.strany[strana].polozky[polozka].text.replace(kStran, stran);
    return std::move(v_);
  }

 private:
  // The records in the order of the group field, each group's records in
  // the view's order; the store's own order stays as it is.
  void poSkupinach(const PripravenePasmo& dataPasmo) {
    const auto& hlava = *skupina_;
    // The distinct values of the group field and each record's one.
    std::map<std::string, int, std::less<>> hodnoty;
    std::vector<int> hodnotaZaznamu;
    hodnotaZaznamu.reserve(static_cast<size_t>(celkem_));
    for (data_.first(); !data_.eof(); data_.next()) {
      const std::string_view h = data_.text(hlava.skupina);
      auto it = hodnoty.find(h);
      if (it == hodnoty.end()) it = hodnoty.emplace(std::string(h), static_cast<int>(hodnoty.size())).first;
      hodnotaZaznamu.push_back(it->second);
    }
    // The values in the order a sort by the field gives: the store's sort
    // keys, an empty value first.
    std::vector<std::pair<std::string, int>> klice;
    klice.reserve(hodnoty.size());
    const store::Collator& collator = data_.collator();
    for (const auto& [h, i] : hodnoty) {
      std::string k(1, h.empty() ? '\1' : '\2');
      if (!h.empty()) collator.appendSortKey(h, k);
      klice.emplace_back(std::move(k), i);
    }
    std::sort(klice.begin(), klice.end());
    std::vector<int> poradi(hodnoty.size());
    for (size_t i = 0; i < klice.size(); ++i) poradi[static_cast<size_t>(klice[i].second)] = static_cast<int>(i);
    // Each group's records (their positions in the view) in the view's order.
    std::vector<std::vector<int>> skupiny(hodnoty.size());
    for (size_t i = 0; i < hodnotaZaznamu.size(); ++i)
      skupiny[static_cast<size_t>(poradi[static_cast<size_t>(hodnotaZaznamu[i])])].push_back(static_cast<int>(i) + 1);

    for (const auto& zaznamy : skupiny) {
      pocet_ = static_cast<int>(zaznamy.size());
      data_.setRecNo(zaznamy.front());
      // The header goes with the group's first row.
      Sazene h = sazej(hlava);
      if (y_ + h.vyska + sazej(dataPasmo).vyska > spodni_ + 1e-9 && zalom()) h = sazej(hlava);
      zaznamenejSkupinu(h);
      umisti(hlava, h);
      vSkupine_ = true;
      for (const int z : zaznamy) {
        data_.setRecNo(z);
        umistiVcelku(dataPasmo);
      }
      if (patickaSkupiny_) umistiVcelku(*patickaSkupiny_);
      vSkupine_ = false;
    }
  }

  std::optional<PripravenePasmo> pasmo(DruhPasma druh, bool roztahuje = true) {
    const Pasmo* p = s_.pasmo(druh);
    if (!p) return std::nullopt;
    PripravenePasmo out;
    out.vyska = p->vyska;
    if (druh == DruhPasma::HlavickaSkupiny) {
      out.skupina = pole(p->skupina);
      out.bezHodnoty = p->bezHodnoty;
    }
    for (const auto& t : p->objekty) {
      out.objekty.push_back(preloz(t));
      if (roztahuje && t.roztahovat) out.objekty.back().roztahuje = &Pismo::Stylu(v_.styly[out.objekty.back().styl]);
    }
    return out;
  }

  // The field a template names; one the data link lacks is the template's
  // error, told in the program's words.
  int pole(const QString& nazev) const {
    const int i = data_.findField(doAnsi(nazev));
    if (i < 0)
      throw ChybaSablony(
          QStringLiteral("Pole \"%1\" nebylo nalezeno.").arg(ZkracenyText(nazev)).toStdString());
    return i;
  }

  int styl(const TextovyObjekt& t) {
    const auto klic = std::make_tuple(t.pismo, t.velikost, t.tucne, t.kurziva, int(t.zarovnani), t.ramecek);
    auto it = styly_.find(klic);
    if (it != styly_.end()) return it->second;
    v_.styly.push_back({t.pismo, t.velikost, t.tucne, t.kurziva, t.zarovnani, t.ramecek});
    const int i = static_cast<int>(v_.styly.size()) - 1;
    styly_.emplace(klic, i);
    return i;
  }

  // Splits a text into literal pieces and [..] references.
  Objekt preloz(const TextovyObjekt& t) {
    Objekt o;
    o.obdelnik = QRectF(t.x, t.y, t.sirka, t.vyska);
    o.styl = styl(t);
    const QString& x = t.text;
    qsizetype i = 0;
    QString literal;
    while (i < x.size()) {
      const qsizetype z = x.indexOf(QLatin1Char('['), i);
      const qsizetype k = z < 0 ? -1 : x.indexOf(QLatin1Char(']'), z);
      if (z < 0 || k < 0) {
        literal += x.mid(i);
        break;
      }
      literal += x.mid(i, z - i);
      const QString uvnitr = x.mid(z + 1, k - z - 1).trimmed();
      Kus kus;
      if (uvnitr == QLatin1String("Page"))
        kus.druh = Kus::Strana;
      else if (uvnitr == QLatin1String("TotalPages"))
        kus.druh = Kus::Stran, o.stran = true;
      else if (uvnitr == QLatin1String("Date"))
        kus.druh = Kus::Datum;
      else if (uvnitr == QLatin1String("Count"))
        kus.druh = Kus::Pocet;
      else if (uvnitr.startsWith(JmenoDat() + QLatin1Char('.'))) {
        QString pole = uvnitr.mid(JmenoDat().size() + 1).trimmed();
        if (pole.size() >= 2 && pole.startsWith(QLatin1Char('"')) && pole.endsWith(QLatin1Char('"')))
          pole = pole.mid(1, pole.size() - 2);
        kus.druh = Kus::Pole;
        kus.pole = this->pole(pole);
      } else {
        // Not ours: stays as written.
        literal += x.mid(z, k - z + 1);
        i = k + 1;
        continue;
      }
      if (!literal.isEmpty()) o.kusy.push_back({Kus::Text, std::exchange(literal, {}), -1});
      o.kusy.push_back(std::move(kus));
      i = k + 1;
    }
    if (!literal.isEmpty()) o.kusy.push_back({Kus::Text, literal, -1});
    return o;
  }

  QString hodnota(const Objekt& o) const {
    if (o.kusy.size() == 1 && o.kusy[0].druh == Kus::Text) return o.kusy[0].text;
    QString out;
    for (const auto& k : o.kusy) {
      switch (k.druh) {
        case Kus::Text: out += k.text; break;
        case Kus::Pole: {
          const std::string_view h = data_.text(k.pole);
          // In a group's header and footer the group field's empty value
          // has a text of its own.
          if (h.empty() && vHlavicce_ && k.pole == skupinaPole_ && !bezHodnoty_.isEmpty())
            out += bezHodnoty_;
          else
            out += zAnsi(h);
          break;
        }
        case Kus::Strana: out += QString::number(v_.strany.size()); break;
        case Kus::Stran: out += kStran; break;
        case Kus::Datum: out += datum_; break;
        case Kus::Pocet: out += QString::number(vHlavicce_ ? pocet_ : celkem_); break;
      }
    }
    return out;
  }

  // The band's texts for the current record; a stretching text's box grows
  // downwards to hold its lines, and the band grows by as much as its box
  // does, keeping what lay under the box.
  Sazene sazej(const PripravenePasmo& p) {
    vHlavicce_ = je(skupina_, p) || je(patickaSkupiny_, p);
    Sazene out;
    out.vyska = p.vyska;
    out.texty.reserve(p.objekty.size());
    out.vysky.reserve(p.objekty.size());
    for (const auto& o : p.objekty) {
      QString t = hodnota(o);
      double v = o.obdelnik.height();
      if (o.roztahuje && !t.isEmpty()) {
        v = std::max(v, o.roztahuje->pocetRadku(t, o.obdelnik.width()) * o.roztahuje->radek());
        const double pod = std::max(0.0, p.vyska - o.obdelnik.bottom());
        out.vyska = std::max(out.vyska, o.obdelnik.top() + v + pod);
      }
      out.texty.push_back(std::move(t));
      out.vysky.push_back(v);
    }
    vHlavicce_ = false;
    return out;
  }

  // The group header about to be placed at y_, in the outline: its texts
  // in reading order.
  void zaznamenejSkupinu(const Sazene& h) {
    std::vector<size_t> objekty;
    for (size_t i = 0; i < skupina_->objekty.size(); ++i) objekty.push_back(i);
    const auto& o = skupina_->objekty;
    std::stable_sort(objekty.begin(), objekty.end(), [&](size_t a, size_t b) {
      return std::make_pair(o[a].obdelnik.top(), o[a].obdelnik.left()) <
             std::make_pair(o[b].obdelnik.top(), o[b].obdelnik.left());
    });
    QStringList texty;
    for (const size_t i : objekty)
      if (QString t = h.texty[i].simplified(); !t.isEmpty()) texty << t;
    v_.osnova.push_back({texty.join(QLatin1Char(' ')), static_cast<int>(v_.strany.size()) - 1, y_});
  }

  void umisti(const PripravenePasmo& p) { umisti(p, sazej(p)); }
  void umisti(const PripravenePasmo& p, const Sazene& s) { umistiNa(p, s, y_), y_ += s.vyska; }

  // A band on this page when it fits, otherwise on the next one.
  void umistiVcelku(const PripravenePasmo& p) {
    Sazene s = sazej(p);
    if (y_ + s.vyska > spodni_ + 1e-9 && zalom()) s = sazej(p);  // [Page] has changed
    umisti(p, s);
  }

  // Places a band's texts at y. Nothing reaches below the page's bands: a
  // band taller than the page is cut there.
  void umistiNa(const PripravenePasmo& p, const Sazene& s, double y) {
    auto& strana = v_.strany.back();
    const double x0 = s_.stranka.levy;
    const double dole = je(paticka_, p) ? v_.vyska : spodni_;
    for (size_t i = 0; i < p.objekty.size(); ++i) {
      const auto& o = p.objekty[i];
      QRectF r(o.obdelnik.left() + x0, o.obdelnik.top() + y, o.obdelnik.width(), s.vysky[i]);
      if (r.bottom() > dole + 1e-9) {
        if (r.top() >= dole - 1e-9) continue;
        r.setBottom(dole);
      }
      if (o.stran) sCelkem_.emplace_back(v_.strany.size() - 1, strana.polozky.size());
      strana.polozky.push_back({r, s.texty[i], o.styl});
    }
  }

  void novaStrana() {
    v_.strany.emplace_back();
    y_ = horni_;
    if (hlavicka_) umisti(*hlavicka_);
    // A group that goes on has its header again, not in the outline.
    if (vSkupine_) umisti(*skupina_);
    zacatekDat_ = y_;
  }

  void dokonciStranu() {
    if (paticka_) umistiNa(*paticka_, sazej(*paticka_), spodni_);
  }

  // A band that does not fit goes to a new page, unless the page holds
  // nothing but its headers yet (a band taller than the page is cut).
  bool zalom() {
    if (y_ <= zacatekDat_ + 1e-9) return false;
    dokonciStranu();
    novaStrana();
    return true;
  }

  const Sablona& s_;
  store::RecordStore& data_;
  PripravenaSestava v_;
  QString datum_;
  std::optional<PripravenePasmo> paticka_, skupina_, patickaSkupiny_;
  const PripravenePasmo* hlavicka_ = nullptr;
  int skupinaPole_ = -1;
  QString bezHodnoty_;
  bool vSkupine_ = false;   // a group has begun and not ended
  bool vHlavicce_ = false;  // setting a group's header or footer
  int celkem_ = 0, pocet_ = 0;  // [Count]: the records of the report, of the group
  double horni_ = 0, spodni_ = 0, y_ = 0;
  double zacatekDat_ = 0;  // where the current page's bands begin, below its headers
  std::vector<std::pair<size_t, size_t>> sCelkem_;
  std::map<std::tuple<QString, double, bool, bool, int, bool>, int> styly_;
};

}  // namespace

PripravenaSestava Priprav(const Sablona& sablona, store::RecordStore& data) {
  return Pripravovac(sablona, data).spust();
}

std::vector<std::vector<const Polozka*>> PripravenaSestava::radky(int strana) const {
  std::vector<const Polozka*> vse;
  for (const auto& p : strany.at(strana).polozky) vse.push_back(&p);
  std::stable_sort(vse.begin(), vse.end(), [](const Polozka* a, const Polozka* b) {
    if (a->obdelnik.top() != b->obdelnik.top()) return a->obdelnik.top() < b->obdelnik.top();
    return a->obdelnik.left() < b->obdelnik.left();
  });
  std::vector<std::vector<const Polozka*>> out;
  for (const Polozka* p : vse) {
    // Texts whose tops lie within a millimetre share a line.
    if (out.empty() || p->obdelnik.top() - out.back().front()->obdelnik.top() > 1.0) out.emplace_back();
    out.back().push_back(p);
  }
  for (auto& radek : out)
    std::stable_sort(radek.begin(), radek.end(),
                     [](const Polozka* a, const Polozka* b) { return a->obdelnik.left() < b->obdelnik.left(); });
  return out;
}

}  // namespace sestavy
