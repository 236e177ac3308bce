#pragma once
// Deterministic registers of address records for the benchmarks: Czech
// names, web addresses, file paths and mail addresses, a code from a short
// list and a description of about 100 characters, all in Windows-1250.
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "CodePage.h"
#include "RecordTable.h"

namespace bench {

class RegisterGenerator {
 public:
  explicit RegisterGenerator(std::uint64_t seed = 1) : state_(seed) {
    for (const char* w : kWords) words_.push_back(cp1250::fromUtf8(w));
    for (const char* w : kNames) names_.push_back(cp1250::fromUtf8(w));
    for (const char* w : kCodes) codes_.push_back(cp1250::fromUtf8(w));
  }

  // One record: Nazev, Http, Kod, Popis.
  std::vector<std::string> next() {
    std::vector<std::string> r(4);
    // Nazev: a name and two or three words, about 30 characters.
    r[0] = pick(names_);
    for (int i = 0, n = 2 + int(below(2)); i < n; ++i) r[0] += ' ' + pick(words_);
    if (r[0].size() > 80) r[0].resize(80);
    // Http: a web page, a document on disk or a mail address.
    switch (below(8)) {
      case 0:
      case 1:
        r[1] = "C:\\Dokumenty\\" + pick(names_) + "\\" + pick(words_) + "_" + number(9999) + ".pdf";
        break;
      case 2:
        r[1] = "mailto:" + host() + "." + host() + "@" + host() + ".cz";
        break;
      default:
        r[1] = "https://www." + host() + ".cz/" + host() + "/clanek-" + number(99999) +
               ".html?id=" + number(999) + "&lang=cs";
    }
    if (r[1].size() > 255) r[1].resize(255);
    r[2] = pick(codes_);
    // Popis: words up to about 100 characters, now and then quoted or with
    // an ampersand, a sentence ending in a full stop.
    std::string& p = r[3];
    while (p.size() < 95) {
      if (!p.empty()) p += ' ';
      const std::uint64_t k = below(40);
      if (k == 0)
        p += '"' + pick(words_) + '"';
      else if (k == 1)
        p += '&';
      else if (k == 2)
        p += "(" + number(2024) + ")";
      else
        p += pick(words_);
    }
    p += '.';
    if (p.size() > 255) p.resize(255);
    return r;
  }

  store::RecordTable table(std::size_t records) {
    store::RecordTable t(store::addressFieldDefs());
    t.reserve(records);
    std::vector<store::Value> values(4);
    for (std::size_t i = 0; i < records; ++i) {
      const auto r = next();
      for (int f = 0; f < 4; ++f) values[f] = std::string_view(r[f]);
      t.append(values);
    }
    return t;
  }

 private:
  std::uint64_t nextRandom() {  // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::uint64_t below(std::uint64_t n) { return nextRandom() % n; }
  const std::string& pick(const std::vector<std::string>& v) { return v[below(v.size())]; }
  std::string host() { return kHosts[below(std::size(kHosts))]; }
  std::string number(std::uint64_t limit) { return std::to_string(below(limit)); }

  static constexpr const char* kWords[] = {
      "adresa",   "archiv",     "banka",     "brněnský",  "cestování", "ceník",    "část",     "další",
      "daňový",   "dokument",   "domácnost", "důležitý",  "ekonomika", "firma",    "formulář", "hudba",
      "internet", "jízdní",     "kalendář",  "katalog",   "knihovna",  "kontakt",  "kurz",     "letní",
      "lékař",    "městský",    "mapa",      "návod",     "nákup",     "nový",     "obchod",   "odkaz",
      "oprava",   "osobní",     "pojištění", "pošta",     "pražský",   "přehled",  "přihláška", "příloha",
      "program",  "projekt",    "recept",    "řešení",    "rodina",    "rozvrh",   "seznam",   "škola",
      "služba",   "smlouva",    "software",  "sport",     "stránka",   "studium",  "technický", "televize",
      "účet",     "úřad",       "ubytování", "uživatel",  "věda",      "vlak",     "výlet",    "výsledek",
      "zahrada",  "zákon",      "zdraví",    "zpráva",    "žádost",    "železnice", "život",   "čtení"};
  static constexpr const char* kNames[] = {
      "Novák",  "Svoboda", "Dvořák",    "Černý", "Procházka", "Kučera", "Veselý",  "Horák",
      "Němec",  "Marek",   "Pokorný",   "Růžička", "Čermák",  "Šťastný", "Žáková", "Králová",
      "Brno",   "Praha",   "Ostrava",   "Plzeň", "Olomouc",   "Liberec", "Úřad",   "Škoda"};
  static constexpr const char* kCodes[] = {"WEB", "PDF", "MAIL", "DOC", "FTP", "ÚŘAD", "ŠKOLA", "BANKA", "OSOBNÍ"};
  static constexpr const char* kHosts[] = {"seznam", "novinky", "mesto", "skola", "banka", "posta", "vlaky",
                                           "pocasi", "zpravy", "obchod", "knihovna", "urad", "zdravi"};

  std::uint64_t state_;
  std::vector<std::string> words_, names_, codes_;
};

}  // namespace bench
