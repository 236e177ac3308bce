#pragma once
// An export as the windows run it: the question before pictures far larger
// than anyone expects, the busy cursor, the window repainting while the
// pages are written and, once the export has run a moment, a progress
// dialog whose "Storno" stops it with nothing written. The preview's
// export, its quick export and the report by e-mail all write through it.
#include <QString>
#include <cstdint>
#include <filesystem>

#include "Priprava.h"

class QWidget;

namespace sestavy {

// The caption of the export's dialogs and questions.
QString TitulekExportu();

// Pictures estimated beyond this many bytes are written only when the
// person says so.
inline constexpr std::int64_t kVelkyVystup = 500'000'000;

// The question before a picture export of `bajtu` bytes over `stran` pages.
QString OtazkaVelkehoVystupu(std::int64_t bajtu, int stran);

// Writes export `druh` (an index into DruhyVystupu()) of `s` to `soubor`,
// the windows modal under `okno`; the progress dialog shows after
// `prodleva` milliseconds. False when the person declined the question or
// stopped the export: nothing is written then. Errors of the export are
// thrown.
bool SpustVystup(QWidget* okno, int druh, const PripravenaSestava& s, const std::filesystem::path& soubor,
                 int prodleva = 500);

}  // namespace sestavy
