#pragma once
// A local SMTP server for the mail tests: tests/reports/smtp_server.py on
// Python's aiosmtpd, bound to 127.0.0.1 on a free port, writing each message
// it receives to a directory. Started by a test, killed when it goes.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace pomoc {

class ServerPosty {
 public:
  // A Python with aiosmtpd (the system's first: Debian packages it there),
  // or empty.
  static const QString& Python() {
    static const QString python = [] {
      for (const QString& p : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess zkouska;
        zkouska.start(p, {QStringLiteral("-c"), QStringLiteral("import aiosmtpd")});
        if (zkouska.waitForFinished(20000) && zkouska.exitStatus() == QProcess::NormalExit && zkouska.exitCode() == 0)
          return p;
      }
      return QString();
    }();
    return python;
  }

  ~ServerPosty() {
    if (proces_.state() != QProcess::NotRunning) {
      proces_.kill();
      proces_.waitForFinished(5000);
    }
  }

  // Starts the server with the script's options (--refuse, --tls, --login);
  // false when it did not come up within ten seconds.
  bool Spust(const QStringList& volby = {}) {
    const QString portSoubor = adresar_.filePath(QStringLiteral("port"));
    QDir(adresar_.path()).mkdir(QStringLiteral("zpravy"));
    // What the server says (a refused handshake, say) goes to its log.
    proces_.setProcessChannelMode(QProcess::MergedChannels);
    proces_.setStandardOutputFile(adresar_.filePath(QStringLiteral("server.log")));
    proces_.start(Python(), QStringList{QStringLiteral(ODK_FIXTURES "/../reports/smtp_server.py"), portSoubor,
                                        adresar_.filePath(QStringLiteral("zpravy"))} +
                                volby);
    QElapsedTimer cas;
    cas.start();
    while (cas.elapsed() < 10000 && proces_.state() != QProcess::NotRunning) {
      QFile f(portSoubor);
      if (f.open(QIODevice::ReadOnly)) {
        port = f.readAll().trimmed().toInt();
        return port > 0;
      }
      QThread::msleep(20);
    }
    return false;
  }

  // Message `n` (1, 2, ...) as received, with its envelope: waits up to ten
  // seconds for it; empty when none came.
  struct Prijata {
    std::string zprava;
    QJsonObject obalka;  // mail_from, rcpt_tos, tls, login
  };
  Prijata Zprava(int n, int cekat = 10000) const {
    const QString zaklad = adresar_.filePath(QStringLiteral("zpravy/%1").arg(n));
    QElapsedTimer cas;
    cas.start();
    do {
      QFile eml(zaklad + QStringLiteral(".eml")), json(zaklad + QStringLiteral(".json"));
      if (eml.exists() && json.open(QIODevice::ReadOnly) && eml.open(QIODevice::ReadOnly))
        return {eml.readAll().toStdString(), QJsonDocument::fromJson(json.readAll()).object()};
      QThread::msleep(20);
    } while (cas.elapsed() < cekat);
    return {};
  }
  int PocetZprav() const {
    return static_cast<int>(QDir(adresar_.filePath(QStringLiteral("zpravy"))).entryList({QStringLiteral("*.eml")}).size());
  }
  QString Adresar() const { return adresar_.path(); }

  int port = 0;

 private:
  QTemporaryDir adresar_;
  QProcess proces_;
};

// A port on 127.0.0.1 that takes connections (the system completes them)
// and never says a word; closed, nothing listens on it any more.
class MlciciServer {
 public:
  MlciciServer() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t delka = sizeof a;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 8) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &delka) != 0)
      return;
    port = ntohs(a.sin_port);
  }
  ~MlciciServer() { Zavri(); }
  void Zavri() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  int port = 0;

 private:
  int fd_ = -1;
};

// A self-signed certificate for 127.0.0.1 made by openssl in `adresar`
// (cert.pem, key.pem); false when openssl is missing or failed.
inline bool Certifikat(const QString& adresar) {
  QProcess openssl;
  openssl.setWorkingDirectory(adresar);
  openssl.start(QStringLiteral("openssl"),
                {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                 QStringLiteral("-nodes"), QStringLiteral("-keyout"), QStringLiteral("key.pem"), QStringLiteral("-out"),
                 QStringLiteral("cert.pem"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                 QStringLiteral("/CN=localhost"), QStringLiteral("-addext"),
                 QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost")});
  return openssl.waitForFinished(60000) && openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0;
}

}  // namespace pomoc
