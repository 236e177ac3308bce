#include "Export1.h"

#include <array>
#include <chrono>
#include <string>

#include "FileLayer.h"
#include "RecordStore.h"

namespace vymena {

namespace {

// Lets messages through and reports progress at most every 20 ms. The
// clock is read only every few records: reading it costs little, but a
// million records make it count.
class Takt {
 public:
  Takt(const Prubeh& prubeh, std::int64_t celkem) : prubeh_(prubeh), celkem_(celkem) {}

  void zapsan() {
    ++zapsano_;
    if ((zapsano_ & 15) != 0 || (!prubeh_.zpravy && !prubeh_.postup)) return;
    const auto ted = std::chrono::steady_clock::now();
    if (ted - posledni_ < std::chrono::milliseconds(20)) return;
    posledni_ = ted;
    if (prubeh_.postup) prubeh_.postup(zapsano_, celkem_);
    if (prubeh_.zpravy) prubeh_.zpravy();
    // The time the interface took is not the writer's time.
    posledni_ = std::chrono::steady_clock::now();
  }

 private:
  const Prubeh& prubeh_;
  std::int64_t celkem_;
  std::int64_t zapsano_ = 0;
  std::chrono::steady_clock::time_point posledni_ = std::chrono::steady_clock::now();
};

// The common frame of the table writers: notifications frozen, the current
// record remembered and returned to on every way out.
class Prochazka {
 public:
  explicit Prochazka(store::RecordStore& tabulka) : tabulka_(tabulka), navrat_(tabulka) {}
  Prochazka(const Prochazka&) = delete;
  Prochazka& operator=(const Prochazka&) = delete;

  // Calls zaznam() for every record of the view, in its order.
  template <class F>
  void kazdy(const Prubeh& prubeh, F&& zaznam) {
    Takt takt(prubeh, tabulka_.recordCount());
    tabulka_.first();
    while (!tabulka_.eof()) {
      zaznam();
      takt.zapsan();
      tabulka_.next();
    }
  }

 private:
  store::RecordStore& tabulka_;
  store::WalkAndReturn navrat_;
};

void zapisSlovo(std::string& out, unsigned value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

}  // namespace

// --- delimited text -----------------------------------------------------------------

void ExportDoCSV(store::RecordStore& tabulka, bool hlavicka, bool oddelovacNaKonci, char oddelovac,
                 const std::filesystem::path& soubor, const Prubeh& prubeh) {
  files::DirectWriter out(soubor);
  Prochazka prochazka(tabulka);
  const int pole = tabulka.fieldCount();
  auto radek = [&](auto hodnota) {
    for (int i = 0; i < pole; ++i) {
      if (i > 0) out.write(oddelovac);
      out.write(hodnota(i));
    }
    if (oddelovacNaKonci) out.write(oddelovac);
    out.write(std::string_view("\r\n"));
  };
  if (hlavicka) radek([&](int i) -> std::string_view { return tabulka.fieldName(i); });
  prochazka.kazdy(prubeh, [&] { radek([&](int i) { return tabulka.text(i); }); });
  out.close();
}

// --- worksheet ------------------------------------------------------------------------

void ZapisBunkuXLS(files::DirectWriter& vystup, int sloupec, int radek, std::string_view text) {
  if (sloupec < 0 || sloupec > 0xFFFF || radek < 0 || radek > 0xFFFF)
    throw std::out_of_range("A worksheet cell lies outside 65536 rows and columns");
  if (text.size() > 0xFFFF - 8) throw std::out_of_range("A worksheet cell holds at most 65527 bytes");
  std::string zaznam;
  zaznam.reserve(12);
  const auto delka = static_cast<unsigned>(text.size());
  zapisSlovo(zaznam, 0x0204);
  zapisSlovo(zaznam, 8 + delka);
  zapisSlovo(zaznam, static_cast<unsigned>(radek));
  zapisSlovo(zaznam, static_cast<unsigned>(sloupec));
  zapisSlovo(zaznam, 0);
  zapisSlovo(zaznam, delka);
  vystup.write(zaznam);
  vystup.write(text);
}

void ExportDoXLS(store::RecordStore& tabulka, bool hlavicka, const std::filesystem::path& soubor,
                 const Prubeh& prubeh) {
  const std::int64_t radku = std::int64_t{tabulka.recordCount()} + (hlavicka ? 1 : 0);
  if (radku > kMaxRadkuXLS)
    throw PrilisMnohoRadku("Sešit pojme nejvýše 65 536 řádků včetně záhlaví, export by jich potřeboval " +
                           std::to_string(radku) + ". Soubor nebyl vytvořen.");
  files::DirectWriter out(soubor);
  Prochazka prochazka(tabulka);
  out.write(std::string_view("\x09\x08\x08\x00\x00\x00\x10\x00\x00\x00\x00\x00", 12));
  // The code page of the label texts (1250). Without it a reader takes its
  // own locale's code page and shows "Øeka" for "Řeka".
  out.write(std::string_view("\x42\x00\x02\x00\xE2\x04", 6));
  const int pole = tabulka.fieldCount();
  int radek = 0;
  if (hlavicka) {
    for (int i = 0; i < pole; ++i) ZapisBunkuXLS(out, i, radek, tabulka.fieldName(i));
    radek = 1;
  }
  prochazka.kazdy(prubeh, [&] {
    for (int i = 0; i < pole; ++i) ZapisBunkuXLS(out, i, radek, tabulka.text(i));
    ++radek;
  });
  out.write(std::string_view("\x0A\x00\x00\x00", 4));
  out.close();
}

// --- HTML -------------------------------------------------------------------------------

namespace {

// Hands `text` to `zapis` with "&", "<", ">" and '"' escaped, in runs: most
// values hold none of them.
template <class Zapis>
void EscapujHtml(std::string_view text, Zapis&& zapis) {
  static constexpr auto zvlastni = [] {
    std::array<bool, 256> t{};
    t['&'] = t['<'] = t['>'] = t['"'] = true;
    return t;
  }();
  std::size_t od = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (!zvlastni[static_cast<unsigned char>(c)]) continue;
    zapis(text.substr(od, i - od));
    switch (c) {
      case '&': zapis(std::string_view("&amp;")); break;
      case '<': zapis(std::string_view("&lt;")); break;
      case '>': zapis(std::string_view("&gt;")); break;
      default: zapis(std::string_view("&quot;")); break;
    }
    od = i + 1;
  }
  zapis(text.substr(od));
}

void zapisHtml(files::DirectWriter& out, std::string_view text) {
  EscapujHtml(text, [&](std::string_view kus) { out.write(kus); });
}

// Whether a browser would run the address as script when it is clicked.
// The scheme is read as a browser reads a link target: spaces and control
// characters before it skipped, tabs and line breaks anywhere in it
// dropped, ASCII letters in any case. Every other address keeps its link.
bool SkriptovaAdresa(std::string_view adresa) {
  std::size_t i = 0;
  while (i < adresa.size() && static_cast<unsigned char>(adresa[i]) <= 0x20) ++i;
  std::string schema;
  for (; i < adresa.size(); ++i) {
    char c = adresa[i];
    if (c == '\t' || c == '\n' || c == '\r') continue;
    if (c == ':') break;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    // Longer than any scheme looked for, or not a letter of one: no such scheme.
    if (c < 'a' || c > 'z' || schema.size() == 10) return false;
    schema.push_back(c);
  }
  if (i == adresa.size()) return false;
  return schema == "javascript" || schema == "vbscript" || schema == "data";
}

}  // namespace

std::string HtmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  EscapujHtml(text, [&](std::string_view kus) { out += kus; });
  return out;
}

void ExportDoHTML(store::RecordStore& tabulka, std::string_view titulek, std::string_view adresaAutora,
                  const std::filesystem::path& soubor, const Prubeh& prubeh) {
  // Looked up before the file is touched: a table without these fields
  // leaves no file behind.
  const int nazev = tabulka.fieldByName("nazev");
  const int http = tabulka.fieldByName("http");
  const int kod = tabulka.fieldByName("kod");
  const int popis = tabulka.fieldByName("popis");

  files::DirectWriter out(soubor);
  Prochazka prochazka(tabulka);
  auto radek = [&](std::string_view text) {
    out.write(text);
    out.write(std::string_view("\r\n"));
  };
  auto bunka = [&](std::string_view text) {
    out.write(std::string_view("    <td>"));
    if (text.empty())
      out.write(std::string_view("&nbsp;"));
    else
      zapisHtml(out, text);
    radek("</td>");
  };

  radek("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
  radek("<html>");
  radek("<head>");
  radek("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">");
  out.write(std::string_view("<meta name=\"GENERATOR\" content=\""));
  zapisHtml(out, titulek);
  out.write(std::string_view(", "));
  zapisHtml(out, adresaAutora);
  radek("\">");
  radek("<title>Export datab\xE1zov\xE9 tabulky</title>");
  radek("</head>");
  radek("<body>");
  radek("<table>");
  radek("  <tr>");
  radek("    <td>N\xE1zev</td>");
  radek("    <td>Http</td>");
  radek("    <td>K\xF3" "d</td>");
  radek("    <td>Popis</td>");
  radek("  </tr>");
  prochazka.kazdy(prubeh, [&] {
    radek("  <tr>");
    bunka(tabulka.text(nazev));
    const std::string_view adresa = tabulka.text(http);
    if (adresa.empty() || SkriptovaAdresa(adresa)) {
      // A script address is shown as text: a click in the page must not run it.
      bunka(adresa);
    } else {
      out.write(std::string_view("    <td><a href=\""));
      zapisHtml(out, adresa);
      out.write(std::string_view("\">"));
      zapisHtml(out, adresa);
      radek("</a></td>");
    }
    bunka(tabulka.text(kod));
    bunka(tabulka.text(popis));
    radek("  </tr>");
  });
  radek("</table>");
  radek("</body>");
  radek("</html>");
  out.close();
}

}  // namespace vymena
