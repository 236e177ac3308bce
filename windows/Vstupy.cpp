#include "Vstupy.h"

#include <QComboBox>
#include <algorithm>
#include <QLineEdit>
#include <QList>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "CodePage.h"

bool JenAnsi(const QString& text) {
  unsigned char b;
  for (char32_t cp : text.toUcs4())
    if (!cp1250::fromUnicode(cp, b)) return false;
  return true;
}

QValidator::State AnsiValidator::validate(QString& input, int&) const {
  return JenAnsi(input) ? Acceptable : Invalid;
}

void PovolJenAnsi(QLineEdit* edit) { edit->setValidator(new AnsiValidator(edit)); }

void PovolJenAnsi(QComboBox* box) {
  if (box->lineEdit()) box->lineEdit()->setValidator(new AnsiValidator(box->lineEdit()));
}

void PovolJenAnsi(QPlainTextEdit* area) {
  QObject::connect(area->document(), &QTextDocument::contentsChange, area, [area](int from, int, int added) {
    if (added <= 0) return;
    // A whole new text is reported with the document's closing paragraph
    // counted in: keep the range inside the document, or the cursor would
    // select nothing and let everything through.
    const int last = area->document()->characterCount() - 1;
    QTextCursor cursor(area->document());
    cursor.setPosition(std::min(from, last));
    cursor.setPosition(std::min(from + added, last), QTextCursor::KeepAnchor);
    const QString inserted = cursor.selectedText();
    if (JenAnsi(inserted)) return;
    QString kept;
    for (char32_t cp : inserted.toUcs4()) {
      unsigned char b;
      // selectedText() gives paragraph separators for line breaks.
      if (cp == 0x2029 || cp1250::fromUnicode(cp, b)) kept.append(QString::fromUcs4(&cp, 1));
    }
    kept.replace(QChar(0x2029), QLatin1Char('\n'));
    cursor.insertText(kept);
  });
}
