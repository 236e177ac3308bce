#pragma once
// A report sent by e-mail: the message, its MIME form and its sending to
// an SMTP server. No widgets: the dialog and the waiting live in
// PostaDialog_f.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sestavy {

// A file sent with the message under the name the recipient sees.
struct PrilohaPosty {
  std::filesystem::path soubor;
  QString jmeno;
};

struct ZpravaPosty {
  QString server;
  int port = 25;
  QString odesilatel;  // "adresa" or "Jméno <adresa>"
  QString prijemci;    // several, separated by ";" or ","
  QString predmet;
  QString text;
  std::vector<PrilohaPosty> prilohy;
  QString uzivatel;  // empty: the server is not logged in to
  QString heslo;
};

// The error of sending, in Czech with the transfer's own reason.
class ChybaPosty : public std::runtime_error {
 public:
  explicit ChybaPosty(const std::string& text, bool prihlaseni = false)
      : std::runtime_error(text), prihlaseni_(prihlaseni) {}
  // The server refused the user name or the password.
  bool OdmitnutoPrihlaseni() const { return prihlaseni_; }

 private:
  bool prihlaseni_;
};
// The person cancelled the sending; nothing to report.
class OdeslaniPreruseno : public std::runtime_error {
 public:
  OdeslaniPreruseno() : std::runtime_error("Odesílání bylo přerušeno") {}
};

// An address as written in a field: the display name (may be empty) and
// the address itself.
struct AdresaPosty {
  QString jmeno;
  QString adresa;
};
// "Jan Novák <jan@example.cz>", "\"Novák, Jan\" <jan@example.cz>" or
// "jan@example.cz".
AdresaPosty RozlozAdresu(const QString& text);
// The recipients of a field, split at ";" and "," outside quotation marks
// and angle brackets; empty items are skipped.
std::vector<AdresaPosty> RozlozPrijemce(const QString& text);
// The first problem with the addresses of `zprava` (no server, no sender,
// no recipient, an address without "@"), or the empty text.
QString ChybaAdres(const ZpravaPosty& zprava);

// The content type of an attachment by the extension of its name. The
// program's text outputs (HTML, text, CSV) are Windows-1250 and say so.
QString TypObsahu(const QString& jmenoSouboru);

// The whole message in its MIME form, CR LF line ends, no line over 998
// characters: multipart/mixed with the text (UTF-8, quoted-printable) and
// each attachment (base64). `kdy` is the Date; `znacka` makes the boundary
// and the Message-ID unique (random when empty). Reads the attachments.
std::string SestavZpravu(const ZpravaPosty& zprava, const QDateTime& kdy = QDateTime::currentDateTime(),
                         const QString& znacka = {});

// The pieces of a message, each also usable alone.
std::string KodujHlavicku(const QString& text);  // RFC 2047 when not plain ASCII
std::string QuotedPrintable(const std::string& utf8);  // CR LF ends, soft breaks at 76
std::string Base64Radky(const std::string& bajty);     // 76 characters a line, CR LF
std::string DatumZpravy(const QDateTime& kdy);          // "Fri, 11 Dec 2026 15:26:35 +0100"

struct VolbyOdeslani {
  // The time limit of the whole transfer and of the connection, in seconds.
  long limit = 60;
  // Certificates to trust besides the system's (a PEM file), for a server
  // with a certificate of its own; empty for the system's only.
  std::filesystem::path certifikaty;
  // Called while sending, from the thread that sends: bytes sent of the
  // total; false cancels the sending (OdeslaniPreruseno).
  std::function<bool(std::int64_t odeslano, std::int64_t celkem)> prubeh;
};

// Sends `mime` (the message of SestavZpravu) to the recipients of `zprava`
// through its SMTP server: STARTTLS when the server offers it, port 465
// with TLS from the first byte, the login only when a user name is given.
// Throws ChybaPosty ("E-mail se nepodařilo odeslat: ...") or
// OdeslaniPreruseno. Blocks; safe to run on a thread of its own.
void OdesliZpravu(const ZpravaPosty& zprava, const std::string& mime, const VolbyOdeslani& volby = {});

}  // namespace sestavy
