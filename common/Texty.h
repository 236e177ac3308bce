#pragma once
// The one bridge between the program's Windows-1250 texts and Qt's strings,
// and between paths and Qt's strings: Windows-1250 texts of the register
// meet the widgets only here. Qt Core only.
#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

// Windows-1250 bytes to a QString.
QString zAnsi(std::string_view ansi);
// A QString to Windows-1250 bytes; a character the code page lacks becomes
// '?' and clears `lossless` when given.
std::string doAnsi(const QString& text, bool* lossless = nullptr);

// A path from a Qt string (a file dialog's answer, say) and back, through
// UTF-16 both ways, so that no letter of a name is lost on any system.
std::filesystem::path CestaZTextu(const QString& text);
QString TextCesty(const std::filesystem::path& path);
