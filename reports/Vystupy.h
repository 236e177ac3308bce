#pragma once
// Exports of a prepared report. Every writer builds the whole file and hands
// it to the file layer, so a failed export leaves no half-written file.
#include <QString>
#include <QStringList>
#include <filesystem>
#include <vector>

#include "Priprava.h"

#include <QPageLayout>

class QPagedPaintDevice;

namespace sestavy {

// The sheet of a prepared report with no margins.
QPageLayout RozvrzeniListu(const PripravenaSestava& s);

// Paints pages od..do_ (0-based, inclusive) on a paged device (a printer,
// a PDF writer) whose page is the sheet with no margins.
void VykresliStrany(QPagedPaintDevice& zarizeni, const PripravenaSestava& s, int od, int do_);

// PDF with its text kept as text; the document is not encrypted, so
// printing, changes, copying and annotations are all permitted.
void VystupPDF(const PripravenaSestava& s, const std::filesystem::path& soubor);
// HTML page in Windows-1250: each page a fixed-width block, texts placed as on paper.
void VystupHTML(const PripravenaSestava& s, const std::filesystem::path& soubor);
// Spreadsheet XML: one row per line of text, page headers and footers kept.
void VystupXML(const PripravenaSestava& s, const std::filesystem::path& soubor);
// RTF: a paragraph per line with tab stops where the texts stand, a page
// break between pages.
void VystupRTF(const PripravenaSestava& s, const std::filesystem::path& soubor);
// A picture per page ("BMP" or "PNG"): the first page in `soubor`, the
// following ones beside it as name_2.ext, name_3.ext ... Returns the files.
std::vector<std::filesystem::path> VystupObrazky(const PripravenaSestava& s, const std::filesystem::path& soubor,
                                                 const char* format);
// Plain text in Windows-1250, CR LF, no frames, no empty lines.
void VystupText(const PripravenaSestava& s, const std::filesystem::path& soubor);
// CSV in Windows-1250: a line's texts separated by ";", quoted only where needed.
void VystupCSV(const PripravenaSestava& s, const std::filesystem::path& soubor);

// The export types offered by the preview, in menu order: each row says
// how its type is written.
struct DruhVystupu {
  QString nazev;    // menu text
  QString filtr;    // file dialog filter
  QString pripona;  // without the dot
  void (*zapis)(const PripravenaSestava& s, const std::filesystem::path& soubor);
};
const std::vector<DruhVystupu>& DruhyVystupu();
// Runs export `druh` (an index into DruhyVystupu()).
void Vystup(int druh, const PripravenaSestava& s, const std::filesystem::path& soubor);

}  // namespace sestavy
