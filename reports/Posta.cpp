#include "Posta.h"

#include <QByteArray>
#include <QFileInfo>
#include <QRandomGenerator>
#include <curl/curl.h>
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include "FileLayer.h"

namespace sestavy {

namespace {

constexpr std::size_t kSirkaRadku = 76;  // the line length MIME recommends

bool jenAscii(const QString& text) {
  for (QChar c : text)
    if (c.unicode() < 0x20 || c.unicode() > 0x7E) return false;
  return true;
}

std::string ascii(const QString& text) { return text.toLatin1().toStdString(); }

// UTF-8 of `text` cut into pieces of at most `nejvic` bytes, never inside a
// letter, so that each piece decodes alone.
std::vector<std::string> kusyUtf8(const QString& text, std::size_t nejvic) {
  std::vector<std::string> kusy(1);
  const std::string utf8 = text.toStdString();
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t delka = 1;
    while (i + delka < utf8.size() && (static_cast<unsigned char>(utf8[i + delka]) & 0xC0) == 0x80) ++delka;
    if (kusy.back().size() + delka > nejvic && !kusy.back().empty()) kusy.emplace_back();
    kusy.back() += utf8.substr(i, delka);
    i += delka;
  }
  return kusy;
}

// Encoded words of RFC 2047: at most 39 bytes of UTF-8 each, 52 characters
// of base64 and 12 of frame, so that the first word still fits on the
// header's own line within 78 characters.
std::vector<std::string> zakodovanaSlova(const QString& text, std::size_t bajtu = 39) {
  std::vector<std::string> slova;
  for (const std::string& kus : kusyUtf8(text, bajtu))
    slova.push_back("=?UTF-8?B?" + QByteArray::fromStdString(kus).toBase64().toStdString() + "?=");
  return slova;
}

// Words of a header value (already encoded), joined by spaces and folded
// before a word that would carry the line past 76 characters. The first
// word stays on the header's line: a fold right after the colon is read by
// some mail readers as a value that begins with a space.
std::string slozHlavicku(const std::string& jmeno, const std::vector<std::string>& slova) {
  std::string vysledek = jmeno + ":";
  std::size_t radek = vysledek.size();
  for (const std::string& slovo : slova) {
    if (radek + 1 + slovo.size() > kSirkaRadku && radek > jmeno.size() + 1) {
      vysledek += "\r\n";
      radek = 0;
    }
    vysledek += ' ' + slovo;
    radek += 1 + slovo.size();
  }
  return vysledek + "\r\n";
}

// A plain text's words, or its encoded words when it is not plain ASCII or
// has a word too long to fold.
std::vector<std::string> slovaTextu(const QString& text) {
  const QStringList casti = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  bool prosty = jenAscii(text);
  for (const QString& c : casti)
    if (c.size() > 60) prosty = false;
  if (!prosty) return zakodovanaSlova(text);
  std::vector<std::string> slova;
  for (const QString& c : casti) slova.push_back(ascii(c));
  return slova;
}

// An address of a header: the display name (plain, quoted or encoded) and
// the address in angle brackets.
std::vector<std::string> slovaAdresy(const AdresaPosty& a) {
  std::vector<std::string> slova;
  const QString jmeno = a.jmeno.trimmed();
  if (!jmeno.isEmpty()) {
    if (!jenAscii(jmeno)) {
      slova = zakodovanaSlova(jmeno);
    } else {
      QString q = jmeno;
      q.replace(QLatin1String("\\"), QLatin1String("\\\\")).replace(QLatin1String("\""), QLatin1String("\\\""));
      slova.push_back('"' + ascii(q) + '"');
    }
  }
  slova.push_back('<' + a.adresa.toStdString() + '>');
  return slova;
}

// The domain of the sender, for the Message-ID.
std::string domena(const QString& adresa) {
  const int zavinac = adresa.lastIndexOf(QLatin1Char('@'));
  const QString d = zavinac >= 0 ? adresa.mid(zavinac + 1) : QString();
  return jenAscii(d) && !d.isEmpty() ? ascii(d) : std::string("odkaznik.invalid");
}

// The file name of an attachment in Content-Disposition: quoted when plain
// ASCII, otherwise RFC 2231 (percent-encoded UTF-8), continued over
// several lines when long.
std::vector<std::string> parametrJmena(const QString& jmeno) {
  if (jenAscii(jmeno) && !jmeno.contains(QLatin1Char('"')) && !jmeno.contains(QLatin1Char('\\')) && jmeno.size() <= 60)
    return {"filename=\"" + ascii(jmeno) + "\""};
  static const char hex[] = "0123456789ABCDEF";
  std::vector<std::string> kusy(1);
  for (unsigned char c : jmeno.toStdString()) {
    std::string znak;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || std::strchr("!#$&+-.^_`|~", c)) {
      znak = static_cast<char>(c);
    } else {
      znak = {'%', hex[c >> 4], hex[c & 15]};
    }
    if (kusy.back().size() + znak.size() > 50) kusy.emplace_back();
    kusy.back() += znak;
  }
  if (kusy.size() == 1) return {"filename*=UTF-8''" + kusy[0]};
  std::vector<std::string> parametry;
  for (std::size_t i = 0; i < kusy.size(); ++i)
    parametry.push_back("filename*" + std::to_string(i) + "*=" + (i == 0 ? "UTF-8''" : "") + kusy[i] +
                        (i + 1 < kusy.size() ? ";" : ""));
  return parametry;
}

std::string nahodnaZnacka() {
  QRandomGenerator* g = QRandomGenerator::global();
  return QByteArray::number(QDateTime::currentMSecsSinceEpoch(), 36).toStdString() + '.' +
         QByteArray::number(g->generate64(), 36).toStdString() + QByteArray::number(g->generate(), 36).toStdString();
}

}  // namespace

AdresaPosty RozlozAdresu(const QString& text) {
  const QString t = text.trimmed();
  const int otevrena = t.lastIndexOf(QLatin1Char('<'));
  const int zavrena = t.lastIndexOf(QLatin1Char('>'));
  if (otevrena < 0 || zavrena < otevrena) return {QString(), t};
  QString jmeno = t.left(otevrena).trimmed();
  if (jmeno.size() >= 2 && jmeno.startsWith(QLatin1Char('"')) && jmeno.endsWith(QLatin1Char('"'))) {
    jmeno = jmeno.mid(1, jmeno.size() - 2);
    jmeno.replace(QLatin1String("\\\""), QLatin1String("\"")).replace(QLatin1String("\\\\"), QLatin1String("\\"));
  }
  return {jmeno, t.mid(otevrena + 1, zavrena - otevrena - 1).trimmed()};
}

std::vector<AdresaPosty> RozlozPrijemce(const QString& text) {
  std::vector<AdresaPosty> adresy;
  QString kus;
  bool vUvozovkach = false, vZavorkach = false;
  auto dalsi = [&] {
    if (!kus.trimmed().isEmpty()) adresy.push_back(RozlozAdresu(kus));
    kus.clear();
  };
  for (QChar c : text) {
    if (c == QLatin1Char('"') && !vZavorkach) vUvozovkach = !vUvozovkach;
    if (c == QLatin1Char('<') && !vUvozovkach) vZavorkach = true;
    if (c == QLatin1Char('>') && !vUvozovkach) vZavorkach = false;
    if ((c == QLatin1Char(';') || c == QLatin1Char(',')) && !vUvozovkach && !vZavorkach) {
      dalsi();
      continue;
    }
    kus += c;
  }
  dalsi();
  return adresy;
}

QString ChybaAdres(const ZpravaPosty& z) {
  auto spatna = [](const QString& a) {
    const int zavinac = a.indexOf(QLatin1Char('@'));
    return zavinac <= 0 || zavinac == a.size() - 1 || a.contains(QLatin1Char(' ')) || !jenAscii(a);
  };
  if (z.server.trimmed().isEmpty()) return QStringLiteral("Zadejte server odchozí pošty (SMTP).");
  if (z.port < 1 || z.port > 65535) return QStringLiteral("Port serveru musí být číslo od 1 do 65535.");
  const AdresaPosty od = RozlozAdresu(z.odesilatel);
  if (od.adresa.isEmpty()) return QStringLiteral("Zadejte adresu odesílatele.");
  if (spatna(od.adresa)) return QStringLiteral("Adresa odesílatele \"%1\" není platná.").arg(od.adresa);
  const auto komu = RozlozPrijemce(z.prijemci);
  if (komu.empty()) return QStringLiteral("Zadejte alespoň jednoho příjemce.");
  for (const auto& a : komu)
    if (spatna(a.adresa)) return QStringLiteral("Adresa příjemce \"%1\" není platná.").arg(a.adresa);
  return {};
}

QString TypObsahu(const QString& jmenoSouboru) {
  static const std::pair<const char*, const char*> typy[] = {
      {"pdf", "application/pdf"},
      {"html", "text/html; charset=windows-1250"},
      {"htm", "text/html; charset=windows-1250"},
      {"txt", "text/plain; charset=windows-1250"},
      {"csv", "text/csv; charset=windows-1250"},
      // The spreadsheet XML names its encoding itself.
      {"xml", "application/xml"},
      {"rtf", "application/rtf"},
      {"png", "image/png"},
      {"bmp", "image/bmp"},
      {"gif", "image/gif"},
      {"jpg", "image/jpeg"},
      {"jpeg", "image/jpeg"},
  };
  const QString pripona = QFileInfo(jmenoSouboru).suffix().toLower();
  for (const auto& [p, typ] : typy)
    if (pripona == QLatin1String(p)) return QLatin1String(typ);
  return QStringLiteral("application/octet-stream");
}

std::string KodujHlavicku(const QString& text) {
  std::string vysledek;
  for (const std::string& slovo : slovaTextu(text)) vysledek += (vysledek.empty() ? "" : " ") + slovo;
  return vysledek;
}

std::string QuotedPrintable(const std::string& utf8) {
  static const char hex[] = "0123456789ABCDEF";
  std::string vysledek;
  std::size_t zacatek = 0;
  while (zacatek <= utf8.size()) {
    std::size_t konec = utf8.find('\n', zacatek);
    if (konec == std::string::npos) konec = utf8.size();
    std::size_t delka = konec - zacatek;
    if (delka > 0 && utf8[zacatek + delka - 1] == '\r') --delka;
    std::string radek;
    std::size_t sirka = 0;
    for (std::size_t i = 0; i < delka; ++i) {
      const unsigned char c = static_cast<unsigned char>(utf8[zacatek + i]);
      const bool posledni = i + 1 == delka;
      std::string znak;
      // Spaces and tabs stay, except at the end of a line, where a mail
      // system may strip them.
      if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !posledni))
        znak = static_cast<char>(c);
      else
        znak = {'=', hex[c >> 4], hex[c & 15]};
      // The soft break "=" counts in the line's 76 characters.
      if (sirka + znak.size() > kSirkaRadku - 1 && !(posledni && sirka + znak.size() <= kSirkaRadku)) {
        radek += "=\r\n";
        sirka = 0;
      }
      radek += znak;
      sirka += znak.size();
    }
    vysledek += radek;
    if (konec >= utf8.size()) break;
    vysledek += "\r\n";
    zacatek = konec + 1;
  }
  return vysledek;
}

std::string Base64Radky(const std::string& bajty) {
  const std::string b64 = QByteArray::fromStdString(bajty).toBase64().toStdString();
  std::string vysledek;
  vysledek.reserve(b64.size() + b64.size() / kSirkaRadku * 2 + 2);
  for (std::size_t i = 0; i < b64.size(); i += kSirkaRadku) vysledek += b64.substr(i, kSirkaRadku) + "\r\n";
  return vysledek;
}

std::string DatumZpravy(const QDateTime& kdy) {
  static const char* dny[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  static const char* mesice[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const QDate d = kdy.date();
  const QTime t = kdy.time();
  const int posun = kdy.offsetFromUtc() / 60;
  const int absPosun = std::abs(posun);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d %c%02d%02d", dny[d.dayOfWeek() - 1], d.day(),
                mesice[d.month() - 1], d.year(), t.hour(), t.minute(), t.second(), posun < 0 ? '-' : '+', absPosun / 60,
                absPosun % 60);
  return text;
}

std::string SestavZpravu(const ZpravaPosty& z, const QDateTime& kdy, const QString& znacka) {
  const std::string id = znacka.isEmpty() ? nahodnaZnacka() : ascii(znacka);
  // Neither base64 nor quoted-printable (which writes "=" only before two
  // hexadecimal digits or a line end) can produce "=_", so the boundary
  // never occurs in a part.
  const std::string hranice = "=_Odkaznik_" + id;
  const AdresaPosty od = RozlozAdresu(z.odesilatel);

  std::string m;
  m += "Date: " + DatumZpravy(kdy) + "\r\n";
  m += slozHlavicku("From", slovaAdresy(od));
  std::vector<std::string> komu;
  const auto prijemci = RozlozPrijemce(z.prijemci);
  for (std::size_t i = 0; i < prijemci.size(); ++i) {
    auto slova = slovaAdresy(prijemci[i]);
    if (i + 1 < prijemci.size()) slova.back() += ',';
    komu.insert(komu.end(), slova.begin(), slova.end());
  }
  m += slozHlavicku("To", komu);
  m += slozHlavicku("Subject", slovaTextu(z.predmet));
  m += "Message-ID: <" + id + "@" + domena(od.adresa) + ">\r\n";
  m += "MIME-Version: 1.0\r\n";
  m += "X-Mailer: Odkaznik\r\n";
  m += "Content-Type: multipart/mixed;\r\n boundary=\"" + hranice + "\"\r\n";
  m += "\r\n";

  m += "--" + hranice + "\r\n";
  m += "Content-Type: text/plain; charset=UTF-8\r\n";
  m += "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
  m += QuotedPrintable(z.text.toStdString()) + "\r\n";

  for (const PrilohaPosty& p : z.prilohy) {
    const QString jmeno = p.jmeno.isEmpty() ? QFileInfo(QString::fromStdString(files::utf8(p.soubor))).fileName() : p.jmeno;
    m += "--" + hranice + "\r\n";
    // The name also in the content type, encoded as older readers expect it.
    std::vector<std::string> typ{ascii(TypObsahu(jmeno)) + ";"};
    if (jenAscii(jmeno) && !jmeno.contains(QLatin1Char('"'))) {
      typ.push_back("name=\"" + ascii(jmeno) + "\"");
    } else {
      // 64 characters a word: with ` name="` and `"` within 78.
      const auto slova = zakodovanaSlova(jmeno);
      typ.push_back("name=\"" + slova.front());
      typ.insert(typ.end(), slova.begin() + 1, slova.end());
      typ.back() += '"';
    }
    m += slozHlavicku("Content-Type", typ);
    m += "Content-Transfer-Encoding: base64\r\n";
    std::vector<std::string> dispozice{"attachment;"};
    for (const std::string& p2 : parametrJmena(jmeno)) dispozice.push_back(p2);
    m += slozHlavicku("Content-Disposition", dispozice);
    m += "\r\n";
    m += Base64Radky(files::readWholeFile(p.soubor));
  }
  m += "--" + hranice + "--\r\n";
  return m;
}

namespace {

struct Cteni {
  const std::string* data;
  std::size_t pozice = 0;
};

std::size_t ctiZpravu(char* cil, std::size_t velikost, std::size_t pocet, void* uzivatel) {
  auto* c = static_cast<Cteni*>(uzivatel);
  const std::size_t n = std::min(velikost * pocet, c->data->size() - c->pozice);
  std::memcpy(cil, c->data->data() + c->pozice, n);
  c->pozice += n;
  return n;
}

struct Prubeh {
  const VolbyOdeslani* volby;
  std::int64_t celkem;
  bool preruseno = false;
};

int prubehPrenosu(void* uzivatel, curl_off_t, curl_off_t, curl_off_t, curl_off_t odeslano) {
  auto* p = static_cast<Prubeh*>(uzivatel);
  if (p->volby->prubeh && !p->volby->prubeh(odeslano, p->celkem)) {
    p->preruseno = true;
    return 1;
  }
  return 0;
}

// What went wrong, in Czech, for the errors a person can do something about.
QString duvod(CURLcode kod, const std::string& zprava) {
  switch (kod) {
    case CURLE_COULDNT_RESOLVE_HOST: return QStringLiteral("server nebyl nalezen");
    case CURLE_COULDNT_CONNECT: return QStringLiteral("k serveru se nelze připojit");
    case CURLE_OPERATION_TIMEDOUT: return QStringLiteral("server neodpověděl včas");
    case CURLE_LOGIN_DENIED: return QStringLiteral("server odmítl přihlášení");
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_USE_SSL_FAILED: return QStringLiteral("zabezpečené spojení se nepodařilo navázat");
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
      if (zprava.find("RCPT") != std::string::npos) return QStringLiteral("server odmítl příjemce");
      if (zprava.find("MAIL") != std::string::npos) return QStringLiteral("server odmítl odesílatele");
      return QStringLiteral("spojení se serverem se přerušilo");
    case CURLE_WEIRD_SERVER_REPLY: return QStringLiteral("server neodpovídá jako server pošty");
    default: return {};
  }
}

struct SeznamCurl {
  curl_slist* s = nullptr;
  ~SeznamCurl() { curl_slist_free_all(s); }
};

}  // namespace

void OdesliZpravu(const ZpravaPosty& z, const std::string& mime, const VolbyOdeslani& volby) {
  static std::once_flag inicializace;
  std::call_once(inicializace, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl) throw ChybaPosty("E-mail se nepodařilo odeslat: knihovnu přenosu nelze spustit.");
  CURL* c = curl.get();

  // Port 465 is TLS from the first byte; elsewhere STARTTLS when offered.
  const std::string url = (z.port == 465 ? "smtps://" : "smtp://") + z.server.trimmed().toStdString() + ":" +
                          std::to_string(z.port);
  const std::string od = '<' + RozlozAdresu(z.odesilatel).adresa.toStdString() + '>';
  SeznamCurl prijemci;
  for (const auto& a : RozlozPrijemce(z.prijemci))
    prijemci.s = curl_slist_append(prijemci.s, ('<' + a.adresa.toStdString() + '>').c_str());
  const std::string uzivatel = z.uzivatel.toStdString(), heslo = z.heslo.toStdString();
  const std::string certifikaty = files::utf8(volby.certifikaty);
  Cteni cteni{&mime};
  Prubeh prubeh{&volby, static_cast<std::int64_t>(mime.size())};
  char chyba[CURL_ERROR_SIZE] = {};

  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_MAIL_FROM, od.c_str());
  curl_easy_setopt(c, CURLOPT_MAIL_RCPT, prijemci.s);
  curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(c, CURLOPT_READFUNCTION, ctiZpravu);
  curl_easy_setopt(c, CURLOPT_READDATA, &cteni);
  curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(mime.size()));
  curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
  if (!certifikaty.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, certifikaty.c_str());
  if (!uzivatel.empty()) {
    curl_easy_setopt(c, CURLOPT_USERNAME, uzivatel.c_str());
    curl_easy_setopt(c, CURLOPT_PASSWORD, heslo.c_str());
  }
  curl_easy_setopt(c, CURLOPT_TIMEOUT, volby.limit);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, volby.limit);
  // No signals: the sending may run on a thread of its own.
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, prubehPrenosu);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &prubeh);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, chyba);

  const CURLcode kod = curl_easy_perform(c);
  if (kod == CURLE_OK) return;
  if (kod == CURLE_ABORTED_BY_CALLBACK && prubeh.preruseno) throw OdeslaniPreruseno();
  const std::string zprava = chyba[0] ? chyba : curl_easy_strerror(kod);
  const QString cesky = duvod(kod, zprava);
  const QString text = cesky.isEmpty() ? QString::fromStdString(zprava)
                                       : cesky + QStringLiteral(" (") + QString::fromStdString(zprava) + QLatin1Char(')');
  throw ChybaPosty(QStringLiteral("E-mail se nepodařilo odeslat: %1").arg(text).toStdString(), kod == CURLE_LOGIN_DENIED);
}

}  // namespace sestavy
