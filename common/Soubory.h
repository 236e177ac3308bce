#pragma once
#include <QString>
#include <filesystem>

// Asks the desktop to open `file`, the way the Windows shell's "open" reads
// an address:
//   - a scheme of two or more characters (a letter first, then letters,
//     digits, "+", "-" or ".") followed by ":" opens as that URL
//     ("http:", "mailto:", "file:"); a drive letter ("C:") is no scheme;
//   - an address beginning with "www." opens as a web address;
//   - otherwise a path opens as a local file when that file exists; a
//     relative path is taken relative to `adresar` (the program directory),
//     never relative to the working directory, and is refused when
//     `adresar` is empty;
//   - anything else is refused.
// `parameters` cannot be passed on by the desktop's URL opener; the program
// never gives any. True when the desktop accepted the request.
bool SpustitSoubor(const QString& file, const QString& parameters = QString(),
                   const std::filesystem::path& adresar = {});

// Creates the file, or empties an existing one; false instead of an error
// when that is not possible.
bool VytvoritSoubor(const std::filesystem::path& path);
