#pragma once
// Windows-1250 texts of the register meet the widgets only here.
#include <QString>
#include <string>
#include <string_view>

// Windows-1250 bytes to a QString.
QString zAnsi(std::string_view ansi);
// A QString to Windows-1250 bytes; a character the code page lacks becomes
// '?' and clears `lossless` when given.
std::string doAnsi(const QString& text, bool* lossless = nullptr);
