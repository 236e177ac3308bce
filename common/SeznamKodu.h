#pragma once
// The code list file Seznam.txt: one code per line, Windows-1250 bytes. Read
// by the record editor, the filter dialog and the code list dialog, each
// time they open.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ciselnik {

// Splits the text into codes: lines end at CR LF, CR or LF; a line break
// after the last line adds no entry; an empty line in the middle is an empty
// entry; everything from the first NUL byte on is ignored. Nothing is
// sorted, trimmed or removed.
std::vector<std::string> RozdelNaKody(std::string_view text);

// The text as it is read: everything before the first NUL byte.
std::string_view TextDoNul(std::string_view bytes);

// Reads the file's codes; throws files::FileError "Cannot open file ..."
// when it cannot be read.
std::vector<std::string> NactiSeznamKodu(const std::filesystem::path& path);

}  // namespace ciselnik
