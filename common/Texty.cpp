#include "Texty.h"

#include <QList>

#include "CodePage.h"

QString zAnsi(std::string_view ansi) {
  QString out(static_cast<qsizetype>(ansi.size()), Qt::Uninitialized);
  QChar* p = out.data();
  for (unsigned char c : ansi) *p++ = QChar(static_cast<char16_t>(cp1250::toUnicode(c)));
  return out;
}

std::filesystem::path CestaZTextu(const QString& text) { return std::filesystem::path(text.toStdU16String()); }

QString TextCesty(const std::filesystem::path& path) { return QString::fromStdU16String(path.u16string()); }

std::string doAnsi(const QString& text, bool* lossless) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (char32_t cp : text.toUcs4()) {
    unsigned char b;
    if (!cp1250::fromUnicode(cp, b)) {
      b = '?';
      if (lossless) *lossless = false;
    }
    out.push_back(static_cast<char>(b));
  }
  return out;
}
