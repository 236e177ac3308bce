#pragma once
#include <QString>
#include <filesystem>

// Asks the desktop to open `file` (with `parameters`, which the desktop's
// URL opener cannot pass on and which the program never gives). True when
// the desktop accepted the request.
bool SpustitSoubor(const QString& file, const QString& parameters = QString());

// Creates the file, or empties an existing one; false instead of an error
// when that is not possible.
bool VytvoritSoubor(const std::filesystem::path& path);
