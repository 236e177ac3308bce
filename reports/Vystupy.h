#pragma once
// Exports of a prepared report. Every writer goes through the file layer
// page by page: the file appears whole when the last page is written, and a
// failed or stopped export leaves nothing of itself on disk.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <vector>

#include "Priprava.h"

#include <QPageLayout>

class QPagedPaintDevice;

namespace sestavy {

// What an export reports while it writes: after every page, the pages
// written so far and the pages in all, so the last call says all of them.
// Answering false stops the export: it throws VystupZrusen, and what it had
// written is gone. An empty function reports nothing.
using PrubehVystupu = std::function<bool(int hotovo, int celkem)>;

// An export stopped by the answer of its PrubehVystupu.
class VystupZrusen : public std::runtime_error {
 public:
  VystupZrusen() : std::runtime_error("Export sestavy byl přerušen") {}
};

// The sheet of a prepared report with no margins.
QPageLayout RozvrzeniListu(const PripravenaSestava& s);

// Paints pages od..do_ (0-based, inclusive) on a paged device (a printer,
// a PDF writer) whose page is the sheet with no margins, reporting each page.
void VykresliStrany(QPagedPaintDevice& zarizeni, const PripravenaSestava& s, int od, int do_,
                    const PrubehVystupu& prubeh = {});

// PDF with its text kept as text; the document is not encrypted, so
// printing, changes, copying and annotations are all permitted.
void VystupPDF(const PripravenaSestava& s, const std::filesystem::path& soubor, const PrubehVystupu& prubeh = {});
// HTML page in Windows-1250: each page a fixed-width block, texts placed as
// on paper in the lines the preview shows (a cut text ending with "…").
void VystupHTML(const PripravenaSestava& s, const std::filesystem::path& soubor, const PrubehVystupu& prubeh = {});
// Spreadsheet XML: one row per line of text, page headers and footers kept.
void VystupXML(const PripravenaSestava& s, const std::filesystem::path& soubor, const PrubehVystupu& prubeh = {});
// RTF: the sheet and the template's margins, each page a table of rows of
// exact heights whose cells put every text where it is on paper, with its
// type, alignment and border, holding the lines the preview shows (a cut
// text ends with "…"); only a text laid over another is a text box, so a
// word processor lays out long reports quickly.
void VystupRTF(const PripravenaSestava& s, const std::filesystem::path& soubor, const PrubehVystupu& prubeh = {});
// A picture per page ("BMP", "PNG", or "GIF" in a fixed palette of 256
// colours): the first page in `soubor`, the following ones beside it as
// name_2.ext, name_3.ext ... Returns the files.
// A failed or stopped export removes the pictures it had written.
std::vector<std::filesystem::path> VystupObrazky(const PripravenaSestava& s, const std::filesystem::path& soubor,
                                                 const char* format, const PrubehVystupu& prubeh = {});
// The bytes that VystupObrazky would write in all, estimated from the
// pictures of the first, the middle and the last page.
std::int64_t OdhadObrazku(const PripravenaSestava& s, const char* format);
// Plain text in Windows-1250, CR LF, no frames, no empty lines.
void VystupText(const PripravenaSestava& s, const std::filesystem::path& soubor, const PrubehVystupu& prubeh = {});
// CSV in Windows-1250: a line's texts separated by ";", quoted only where needed.
void VystupCSV(const PripravenaSestava& s, const std::filesystem::path& soubor, const PrubehVystupu& prubeh = {});

// The export types offered by the preview, in menu order: each row says
// how its type is written.
struct DruhVystupu {
  QString nazev;    // menu text
  QString filtr;    // file dialog filter
  QString pripona;  // without the dot
  void (*zapis)(const PripravenaSestava& s, const std::filesystem::path& soubor, const PrubehVystupu& prubeh);
  // The bytes the export would write, for the types that may write far more
  // than the person expects (a picture per page); nullptr for the others.
  std::int64_t (*odhad)(const PripravenaSestava& s) = nullptr;
};
const std::vector<DruhVystupu>& DruhyVystupu();
// Runs export `druh` (an index into DruhyVystupu()).
void Vystup(int druh, const PripravenaSestava& s, const std::filesystem::path& soubor,
            const PrubehVystupu& prubeh = {});

}  // namespace sestavy
