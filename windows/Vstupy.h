#pragma once
// Inputs that take only what the register can hold: every text is stored as
// Windows-1250 bytes, so a character the code page lacks (an emoji, a
// Chinese letter) is refused as it is typed or pasted, never stored as '?'.
#include <QValidator>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

class AnsiValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

// Whether every character of `text` is in Windows-1250.
bool JenAnsi(const QString& text);

void PovolJenAnsi(QLineEdit* edit);
void PovolJenAnsi(QComboBox* box);
// A text area has no validator: characters the code page lacks are taken out
// again as soon as they arrive.
void PovolJenAnsi(QPlainTextEdit* area);
