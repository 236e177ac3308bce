#pragma once
// A small reader of the mail messages the program writes, for the tests:
// headers unfolded, RFC 2047 words, RFC 2231 file names, quoted-printable
// and the parts of multipart/mixed. It reads what the program writes, not
// every message there is.
#include <QByteArray>
#include <QString>
#include <cctype>
#include <map>
#include <string>
#include <vector>

namespace cteni {

// "=?UTF-8?B?...?=" words decoded; whitespace between two encoded words
// dropped, as RFC 2047 says.
inline QString dekodujSlova(const std::string& hodnota) {
  QByteArray vysledek;
  std::size_t i = 0;
  bool poSlove = false;
  while (i < hodnota.size()) {
    const std::size_t zacatek = hodnota.find("=?UTF-8?B?", i);
    if (zacatek == std::string::npos) {
      vysledek += QByteArray::fromStdString(hodnota.substr(i));
      break;
    }
    const std::string mezi = hodnota.substr(i, zacatek - i);
    if (!(poSlove && mezi.find_first_not_of(" \t") == std::string::npos)) vysledek += QByteArray::fromStdString(mezi);
    const std::size_t konec = hodnota.find("?=", zacatek + 10);
    vysledek += QByteArray::fromBase64(QByteArray::fromStdString(hodnota.substr(zacatek + 10, konec - zacatek - 10)));
    i = konec + 2;
    poSlove = true;
  }
  return QString::fromUtf8(vysledek);
}

inline std::string dekodujQP(const std::string& qp) {
  std::string vysledek;
  for (std::size_t i = 0; i < qp.size(); ++i) {
    if (qp[i] != '=') {
      vysledek += qp[i];
    } else if (qp.compare(i, 3, "=\r\n") == 0) {
      i += 2;
    } else {
      vysledek += static_cast<char>(std::stoi(qp.substr(i + 1, 2), nullptr, 16));
      i += 2;
    }
  }
  return vysledek;
}

// A part of a message: its headers (unfolded, names in lower case) and body.
struct Cast {
  std::map<std::string, std::string> hlavicky;
  std::string telo;
};

inline Cast rozloz(const std::string& text) {
  Cast c;
  const std::size_t konec = text.find("\r\n\r\n");
  std::string hlavicky = text.substr(0, konec);
  c.telo = konec == std::string::npos ? "" : text.substr(konec + 4);
  std::size_t pos;
  // Unfolding takes the line end away and keeps the space after it.
  while ((pos = hlavicky.find("\r\n ")) != std::string::npos) hlavicky.erase(pos, 2);
  std::size_t i = 0;
  while (i < hlavicky.size()) {
    std::size_t e = hlavicky.find("\r\n", i);
    if (e == std::string::npos) e = hlavicky.size();
    const std::string radek = hlavicky.substr(i, e - i);
    const std::size_t dvojtecka = radek.find(':');
    std::string jmeno = radek.substr(0, dvojtecka);
    for (char& ch : jmeno) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    // The value begins after the colon and one space; a second space would
    // be the value's own.
    c.hlavicky[jmeno] = radek.substr(radek.compare(dvojtecka, 2, ": ") == 0 ? dvojtecka + 2 : dvojtecka + 1);
    i = e + 2;
  }
  return c;
}

// The parts of a multipart message between its boundaries.
inline std::vector<Cast> casti(const std::string& zprava) {
  const Cast hlavni = rozloz(zprava);
  const std::string typ = hlavni.hlavicky.at("content-type");
  const std::size_t b = typ.find("boundary=\"") + 10;
  const std::string hranice = "--" + typ.substr(b, typ.find('"', b) - b);
  std::vector<Cast> vysledek;
  std::size_t i = hlavni.telo.find(hranice + "\r\n");
  while (i != std::string::npos) {
    const std::size_t zacatek = i + hranice.size() + 2;
    const std::size_t dalsi = hlavni.telo.find("\r\n" + hranice, zacatek);
    vysledek.push_back(rozloz(hlavni.telo.substr(zacatek, dalsi - zacatek)));
    i = hlavni.telo.compare(dalsi + 2, hranice.size() + 2, hranice + "--") == 0 ? std::string::npos : dalsi + 2;
  }
  return vysledek;
}

// The file name of Content-Disposition: filename="...", filename*= or its
// continuations filename*0*=, filename*1*=...
inline QString jmenoSouboru(const std::string& dispozice) {
  if (const std::size_t q = dispozice.find("filename=\""); q != std::string::npos)
    return QString::fromStdString(dispozice.substr(q + 10, dispozice.find('"', q + 10) - q - 10));
  std::string procenta;
  for (int n = -1;; ++n) {
    const std::string klic = n < 0 ? "filename*=" : "filename*" + std::to_string(n) + "*=";
    const std::size_t k = dispozice.find(klic);
    if (k == std::string::npos) {
      if (n < 0) continue;
      break;
    }
    std::string hodnota = dispozice.substr(k + klic.size(), dispozice.find_first_of("; ", k + klic.size()) - k - klic.size());
    if (hodnota.rfind("UTF-8''", 0) == 0) hodnota = hodnota.substr(7);
    procenta += hodnota;
    if (n < 0) break;
  }
  return QString::fromUtf8(QByteArray::fromPercentEncoding(QByteArray::fromStdString(procenta)));
}

// The base64 body of a part, decoded.
inline std::string dekodujBase64(std::string b64) {
  std::erase(b64, '\r');
  std::erase(b64, '\n');
  return QByteArray::fromBase64(QByteArray::fromStdString(b64)).toStdString();
}

}  // namespace cteni
