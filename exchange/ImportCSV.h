#pragma once
// The import of semicolon-delimited text: one address record per line, in
// the column order the delimited text export writes.
#include <array>
#include <filesystem>
#include <string_view>
#include <vector>

namespace store { class RecordStore; }

namespace vymena {

// The lines of a text: split at CR LF, a lone CR and a lone LF; a line
// break after the last line adds no empty line; a NUL byte ends the text.
std::vector<std::string_view> RadkyTextu(std::string_view text);

// The four values of a line (Nazev, Http, Kod, Popis). Values 1 to 3 are
// each the text before the next ";", which is removed with it; when no ";"
// is left the value is empty and the rest stays. Value 4 is the text before
// the next ";", or all that is left. Nothing is trimmed or unquoted.
std::array<std::string_view, 4> HodnotyRadku(std::string_view radek);

// Reads the whole file and appends and posts one record per line, the
// header line of an export included, with the notifications frozen. Values
// longer than their fields are cut by the store. The record posted last is
// current afterwards. A file that cannot be read, and anything that is not
// a regular file (a directory, a pipe, a device), throws the file layer's
// "Cannot open file" error and adds nothing; an error on a line stops the
// import there and keeps the records posted before it.
void ImportZCSV(store::RecordStore& tabulka, const std::filesystem::path& soubor);

}  // namespace vymena
