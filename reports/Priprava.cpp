#include "Priprava.h"

#include <QDate>
#include <QStringList>
#include <algorithm>
#include <map>
#include <optional>

#include "RecordStore.h"
#include "Texty.h"

namespace sestavy {

namespace {

// One piece of a text object's text.
struct Kus {
  enum Druh { Text, Pole, Strana, Stran, Datum } druh = Text;
  QString text;
  int pole = -1;  // list position of a field
};

struct Objekt {
  QRectF obdelnik;  // relative to its band
  std::vector<Kus> kusy;
  bool stran = false;  // holds [TotalPages]
  int styl = 0;
};

struct PripravenePasmo {
  double vyska = 0;
  std::vector<Objekt> objekty;
  int skupina = -1;  // group header: list position of its field
};

// The stand-in for [TotalPages] until the number of pages is known.
const QChar kStran(0xE000);

class Pripravovac {
 public:
  Pripravovac(const Sablona& s, store::RecordStore& data) : s_(s), data_(data) {
    v_.nazev = s.nazev;
    v_.sirka = s.stranka.sirkaListu();
    v_.vyska = s.stranka.vyskaListu();
    datum_ = QDate::currentDate().toString(QStringLiteral("d.M.yyyy"));
  }

  PripravenaSestava spust() {
    const auto titulek = pasmo(DruhPasma::Titulek);
    const auto hlavicka = pasmo(DruhPasma::HlavickaStranky);
    const auto skupina = pasmo(DruhPasma::HlavickaSkupiny);
    const auto dataPasmo = pasmo(DruhPasma::Data);
    paticka_ = pasmo(DruhPasma::PatickaStranky);
    hlavicka_ = hlavicka ? &*hlavicka : nullptr;

    const auto& st = s_.stranka;
    horni_ = st.horni;
    spodni_ = st.vyskaListu() - st.dolni - (paticka_ ? paticka_->vyska : 0);
    // The title opens the first page, above its page header.
    v_.strany.emplace_back();
    y_ = horni_;
    if (titulek) umisti(*titulek);
    if (hlavicka_) umisti(*hlavicka_);
    zacatekDat_ = y_;
    if (dataPasmo) {
      if (!data_.active()) throw ChybaSablony("Zdroj dat SestavaData1 není otevřen");
      store::WalkAndReturn navrat(data_);
      std::optional<QString> predchozi;
      for (data_.first(); !data_.eof(); data_.next()) {
        if (skupina) {
          QString klic = zAnsi(data_.text(skupina->skupina));
          if (!predchozi || *predchozi != klic) {
            if (y_ + skupina->vyska + dataPasmo->vyska > spodni_ + 1e-9) zalom();
            zaznamenejSkupinu(*skupina);
            umisti(*skupina);
            predchozi = std::move(klic);
          }
        }
        if (y_ + dataPasmo->vyska > spodni_ + 1e-9) zalom();
        umisti(*dataPasmo);
      }
    }
    dokonciStranu();
    // Now the number of pages is known.
    const QString stran = QString::number(v_.strany.size());
    for (auto [strana, polozka] : sCelkem_) v_.strany[strana].polozky[polozka].text.replace(kStran, stran);
    return std::move(v_);
  }

 private:
  std::optional<PripravenePasmo> pasmo(DruhPasma druh) {
    const Pasmo* p = s_.pasmo(druh);
    if (!p) return std::nullopt;
    PripravenePasmo out;
    out.vyska = p->vyska;
    if (druh == DruhPasma::HlavickaSkupiny) out.skupina = pole(p->skupina);
    for (const auto& t : p->objekty) out.objekty.push_back(preloz(t));
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
        case Kus::Pole: out += zAnsi(data_.text(k.pole)); break;
        case Kus::Strana: out += QString::number(v_.strany.size()); break;
        case Kus::Stran: out += kStran; break;
        case Kus::Datum: out += datum_; break;
      }
    }
    return out;
  }

  // The group header about to be placed at y_, in the outline: its texts
  // in reading order.
  void zaznamenejSkupinu(const PripravenePasmo& p) {
    std::vector<const Objekt*> objekty;
    for (const auto& o : p.objekty) objekty.push_back(&o);
    std::stable_sort(objekty.begin(), objekty.end(), [](const Objekt* a, const Objekt* b) {
      return std::make_pair(a->obdelnik.top(), a->obdelnik.left()) < std::make_pair(b->obdelnik.top(), b->obdelnik.left());
    });
    QStringList texty;
    for (const Objekt* o : objekty)
      if (QString t = hodnota(*o).simplified(); !t.isEmpty()) texty << t;
    v_.osnova.push_back({texty.join(QLatin1Char(' ')), static_cast<int>(v_.strany.size()) - 1, y_});
  }

  void umisti(const PripravenePasmo& p) { umistiNa(p, y_), y_ += p.vyska; }

  void umistiNa(const PripravenePasmo& p, double y) {
    auto& strana = v_.strany.back();
    const double x0 = s_.stranka.levy;
    for (const auto& o : p.objekty) {
      if (o.stran) sCelkem_.emplace_back(v_.strany.size() - 1, strana.polozky.size());
      strana.polozky.push_back({o.obdelnik.translated(x0, y), hodnota(o), o.styl});
    }
  }

  void novaStrana() {
    v_.strany.emplace_back();
    y_ = horni_;
    if (hlavicka_) umisti(*hlavicka_);
    zacatekDat_ = y_;
  }

  void dokonciStranu() {
    if (paticka_) umistiNa(*paticka_, spodni_);
  }

  // A band that does not fit goes to a new page, unless the page holds
  // nothing but its header yet (a band taller than the page is cut).
  void zalom() {
    if (y_ <= zacatekDat_ + 1e-9) return;
    dokonciStranu();
    novaStrana();
  }

  const Sablona& s_;
  store::RecordStore& data_;
  PripravenaSestava v_;
  QString datum_;
  std::optional<PripravenePasmo> paticka_;
  const PripravenePasmo* hlavicka_ = nullptr;
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
