#include "PripravenaSoubor.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "FileLayer.h"
#include "Texty.h"

namespace sestavy {

namespace {

// "ODKSESP", then 0x1A so that a text viewer stops before the numbers.
constexpr std::string_view kPodpis("ODKSESP\x1A", 8);
constexpr std::uint32_t kVerze = 1;

static_assert(std::endian::native == std::endian::little, "the file's numbers are written as the machine holds them");

// A length no report the program prepares comes near (10 m, in
// millimetres); beyond it, or with a type size templates do not allow, a
// file is damaged (or made to make the painting and the exports choke).
constexpr double kNejdal = 10000;

// The least bytes each record takes, for checking counts against the rest
// of the file before allocating for them.
constexpr std::size_t kMinText = 4;
constexpr std::size_t kMinStyl = kMinText + 8 + 2;
constexpr std::size_t kMinPolozka = 4 * 8 + kMinText + 4;
constexpr std::size_t kMinStrana = 4;
constexpr std::size_t kMinBod = kMinText + 4 + 8;

class Zapis {
 public:
  std::string o;
  void u8(std::uint8_t v) { o.push_back(static_cast<char>(v)); }
  void u32(std::uint32_t v) {
    char b[4];
    std::memcpy(b, &v, 4);
    o.append(b, 4);
  }
  void f64(double v) {
    char b[8];
    std::memcpy(b, &v, 8);
    o.append(b, 8);
  }
  void pocet(std::size_t n) {
    if (n > UINT32_MAX) throw ChybaSablony("Připravená sestava je pro soubor příliš velká");
    u32(static_cast<std::uint32_t>(n));
  }
  void text(const QString& t) {
    pocet(static_cast<std::size_t>(t.size()));
    o.append(reinterpret_cast<const char*>(t.utf16()), static_cast<std::size_t>(t.size()) * 2);
  }
};

class Cteni {
 public:
  Cteni(std::string_view b, const QString& soubor) : b_(b), soubor_(soubor) {}

  [[noreturn]] void poskozen() const {
    throw ChybaSablony(QStringLiteral("Soubor \"%1\" je poškozen.").arg(soubor_).toStdString());
  }
  std::size_t zbyva() const { return b_.size() - i_; }
  void potrebuje(std::size_t n) const {
    if (n > zbyva()) poskozen();
  }
  std::uint8_t u8() {
    potrebuje(1);
    return static_cast<std::uint8_t>(b_[i_++]);
  }
  std::uint32_t u32() {
    potrebuje(4);
    std::uint32_t v;
    std::memcpy(&v, b_.data() + i_, 4);
    i_ += 4;
    return v;
  }
  double f64() {
    potrebuje(8);
    double v;
    std::memcpy(&v, b_.data() + i_, 8);
    i_ += 8;
    if (!std::isfinite(v)) poskozen();
    return v;
  }
  // A count of records of at least `min` bytes each, which the rest of the
  // file must be able to hold.
  std::size_t pocet(std::size_t min) {
    const std::size_t n = u32();
    if (n > zbyva() / min) poskozen();
    return n;
  }
  QString text() {
    const std::size_t n = u32();
    if (n > zbyva() / 2) poskozen();
    QString t(static_cast<qsizetype>(n), Qt::Uninitialized);
    std::memcpy(t.data(), b_.data() + i_, n * 2);
    i_ += n * 2;
    return t;
  }
  bool konec() const { return i_ == b_.size(); }

 private:
  std::string_view b_;
  QString soubor_;
  std::size_t i_ = 0;
};

}  // namespace

QString FiltrPripravene() { return QStringLiteral("Připravená sestava (*.sesp)"); }
QString PriponaPripravene() { return QStringLiteral("sesp"); }

std::string ZapisPripravenou(const PripravenaSestava& s) {
  Zapis z;
  std::size_t polozek = 0;
  for (const auto& st : s.strany) polozek += st.polozky.size();
  z.o.reserve(64 + polozek * 64);
  z.o.append(kPodpis);
  z.u32(kVerze);
  z.text(s.nazev);
  z.f64(s.sirka);
  z.f64(s.vyska);
  z.f64(s.okraje.left());
  z.f64(s.okraje.top());
  z.f64(s.okraje.right());
  z.f64(s.okraje.bottom());
  z.pocet(s.styly.size());
  for (const Styl& st : s.styly) {
    z.text(st.pismo);
    z.f64(st.velikost);
    z.u8(static_cast<std::uint8_t>((st.tucne ? 1 : 0) | (st.kurziva ? 2 : 0) | (st.ramecek ? 4 : 0)));
    z.u8(static_cast<std::uint8_t>(st.zarovnani));
  }
  z.pocet(s.strany.size());
  for (const PripravenaStrana& st : s.strany) {
    z.pocet(st.polozky.size());
    for (const Polozka& p : st.polozky) {
      z.f64(p.obdelnik.x());
      z.f64(p.obdelnik.y());
      z.f64(p.obdelnik.width());
      z.f64(p.obdelnik.height());
      z.text(p.text);
      z.u32(static_cast<std::uint32_t>(p.styl));
    }
  }
  z.pocet(s.osnova.size());
  for (const BodOsnovy& b : s.osnova) {
    z.text(b.text);
    z.u32(static_cast<std::uint32_t>(b.strana));
    z.f64(b.y);
  }
  return std::move(z.o);
}

PripravenaSestava CtiPripravenou(std::string_view bajty, const QString& soubor) {
  if (bajty.substr(0, kPodpis.size()) != kPodpis)
    throw ChybaSablony(QStringLiteral("Soubor \"%1\" není připravená sestava.").arg(soubor).toStdString());
  Cteni c(bajty.substr(kPodpis.size()), soubor);
  const std::uint32_t verze = c.u32();
  if (verze != kVerze)
    throw ChybaSablony(QStringLiteral("Soubor \"%1\" je připravená sestava jiné verze programu (%2), kterou tato verze "
                                      "neumí přečíst.")
                           .arg(soubor)
                           .arg(verze)
                           .toStdString());
  PripravenaSestava s;
  s.nazev = c.text();
  s.sirka = c.f64();
  s.vyska = c.f64();
  if (s.sirka <= 0 || s.vyska <= 0 || s.sirka > kNejdal || s.vyska > kNejdal) c.poskozen();
  double okraje[4];
  for (double& o : okraje) {
    o = c.f64();
    if (o < 0 || o > kNejdal) c.poskozen();
  }
  s.okraje = QMarginsF(okraje[0], okraje[1], okraje[2], okraje[3]);
  s.styly.resize(c.pocet(kMinStyl));
  for (Styl& st : s.styly) {
    st.pismo = c.text();
    st.velikost = c.f64();
    if (st.velikost < kNejmensiPismo || st.velikost > kNejvetsiPismo) c.poskozen();
    const std::uint8_t znaky = c.u8(), zarovnani = c.u8();
    if (znaky > 7 || zarovnani > static_cast<std::uint8_t>(Zarovnani::Vpravo)) c.poskozen();
    st.tucne = znaky & 1, st.kurziva = znaky & 2, st.ramecek = znaky & 4;
    st.zarovnani = static_cast<Zarovnani>(zarovnani);
  }
  s.strany.resize(c.pocet(kMinStrana));
  for (PripravenaStrana& st : s.strany) {
    st.polozky.resize(c.pocet(kMinPolozka));
    for (Polozka& p : st.polozky) {
      const double x = c.f64(), y = c.f64(), w = c.f64(), h = c.f64();
      if (std::fabs(x) > kNejdal || std::fabs(y) > kNejdal || w < 0 || h < 0 || w > kNejdal || h > kNejdal)
        c.poskozen();
      p.obdelnik = QRectF(x, y, w, h);
      p.text = c.text();
      const std::uint32_t styl = c.u32();
      if (styl >= s.styly.size()) c.poskozen();
      p.styl = static_cast<int>(styl);
    }
  }
  s.osnova.resize(c.pocet(kMinBod));
  for (BodOsnovy& b : s.osnova) {
    b.text = c.text();
    const std::uint32_t strana = c.u32();
    if (strana >= s.strany.size()) c.poskozen();
    b.strana = static_cast<int>(strana);
    b.y = c.f64();
    if (std::fabs(b.y) > kNejdal) c.poskozen();
  }
  if (!c.konec()) c.poskozen();
  return s;
}

void UlozPripravenou(const PripravenaSestava& s, const std::filesystem::path& soubor) {
  files::writeFileAtomically(soubor, ZapisPripravenou(s));
}

PripravenaSestava NactiPripravenou(const std::filesystem::path& soubor) {
  return CtiPripravenou(files::readWholeFile(soubor), TextCesty(soubor));
}

}  // namespace sestavy
