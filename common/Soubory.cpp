#include "Soubory.h"

#include <QFileInfo>
#include <QRegularExpression>

#include "FileLayer.h"
#include "Seam.h"

bool SpustitSoubor(const QString& file, const QString& parameters) {
  Q_UNUSED(parameters);
  if (file.isEmpty()) return false;
  static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
  QUrl url;
  if (scheme.match(file).hasMatch() && !QFileInfo::exists(file))
    url = QUrl(file, QUrl::TolerantMode);
  else if (file.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
    url = QUrl(QStringLiteral("http://") + file, QUrl::TolerantMode);
  else if (QFileInfo::exists(file))
    url = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
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
