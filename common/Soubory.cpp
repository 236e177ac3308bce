#include "Soubory.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include "FileLayer.h"
#include "Seam.h"
#include "Texty.h"

namespace {

// The local file an address names, or an empty text when it names none.
QString mistniSoubor(const QString& file, const std::filesystem::path& adresar) {
  QString cesta = file;
  if (QFileInfo(cesta).isRelative()) {
    if (adresar.empty()) return {};
    cesta = QDir(TextCesty(adresar)).absoluteFilePath(cesta);
  }
  const QFileInfo info(cesta);
  return info.exists() ? info.absoluteFilePath() : QString();
}

}  // namespace

bool SpustitSoubor(const QString& file, const QString& parameters, const std::filesystem::path& adresar) {
  Q_UNUSED(parameters);
  if (file.isEmpty()) return false;
  static const QRegularExpression schema(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
  QUrl url;
  if (schema.match(file).hasMatch()) {
    url = QUrl(file, QUrl::TolerantMode);
  } else if (file.startsWith(QLatin1String("www."), Qt::CaseInsensitive)) {
    url = QUrl(QStringLiteral("http://") + file, QUrl::TolerantMode);
  } else {
    const QString soubor = mistniSoubor(file, adresar);
    if (soubor.isEmpty()) return false;
    url = QUrl::fromLocalFile(soubor);
  }
  if (!url.isValid() || url.isEmpty()) return false;
  return seam::interaction().openUrl(url);
}

bool VytvoritSoubor(const std::filesystem::path& path) {
  try {
    files::writeFileAtomically(path, {});
    return true;
  } catch (const std::exception&) {
    return false;
  }
}
