#pragma once
// A prepared report in a file of the program's own (".sesp"): the pages as
// the preview shows them, to be opened again later without the register or
// the template. The file starts with a signature and a format version; a
// reader meets a newer version with a clear refusal.
#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

#include "Priprava.h"

namespace sestavy {

// The file dialog's filter and the extension (without the dot).
QString FiltrPripravene();
QString PriponaPripravene();

// The bytes of the file, and back. CtiPripravenou refuses what it cannot
// read whole (ChybaSablony, UTF-8 text naming `soubor`): another file ("...
// není připravená sestava."), a later format version, or a damaged or
// shortened one ("... je poškozen."). Every count and length is checked
// against the bytes that remain before anything is allocated.
std::string ZapisPripravenou(const PripravenaSestava& s);
PripravenaSestava CtiPripravenou(std::string_view bajty, const QString& soubor);

// Through the file layer: written whole to a temporary file and renamed.
void UlozPripravenou(const PripravenaSestava& s, const std::filesystem::path& soubor);
PripravenaSestava NactiPripravenou(const std::filesystem::path& soubor);

}  // namespace sestavy
