#pragma once
// The report template: a page, bands and the text objects on them. Templates
// are XML files with the extension ".ses", written in Windows-1250 with that
// encoding declared. The root element carries ReportOptions.Name first, so
// that the plain text search for the name (CtiSurovyNazev) finds it in the root:
//
//   <?xml version="1.0" encoding="windows-1250"?>
//   <Sestava ReportOptions.Name="..." ReportOptions.Author="..." ReportOptions.Description="...">
//     <Stranka Sirka="210" Vyska="297" Orientace="Navysku" Levy="10" Horni="10" Pravy="10" Dolni="10"/>
//     <Pasmo Druh="Titulek" Vyska="12">
//       <Text X="0" Y="0" Sirka="190" Vyska="10" Pismo="Arial" Velikost="14" Tucne="1" Text="..."/>
//     </Pasmo>
//     <Pasmo Druh="HlavickaSkupiny" Vyska="7" Skupina="Kod" BezHodnoty="(bez kódu)">...</Pasmo>
//     <Pasmo Druh="Data" Vyska="5" Data="SestavaData1">
//       <Text X="0" Y="0" Sirka="60" Vyska="5" Pismo="Arial" Velikost="8" Roztahovat="1" Text="..."/>
//     </Pasmo>
//     <Pasmo Druh="PatickaSkupiny" Vyska="6">...</Pasmo>
//     ...
//   </Sestava>
//
// Lengths are millimetres. A text may hold [SestavaData1."Nazev"] (a field of
// the data link), [Page], [TotalPages], [Date] and [Count]: the records of
// the group in the group's header and footer, of the whole report elsewhere.
//
// A text is set in lines as its box holds them; a text longer than its box
// ends with "…". A text with Roztahovat="1" stretches instead: its box grows
// downwards to hold every line, and its band grows with the tallest such box
// (not in the page footer, whose place is fixed). A band that does not fit
// on the page goes to the next one. A template states no band taller than
// its printable page; a band taller than a sheet chosen in the preview's page
// setup is cut at the page's end.
//
// A group header (HlavickaSkupiny) orders the report's records by its field
// Skupina, in the order a sort by that field gives, each group's records in
// the order of the view; it opens every group and is repeated at the top of
// a page the group continues on. The group footer (PatickaSkupiny) closes
// every group; without a group header it is not printed. In both, the group
// field's empty value is printed as the header's BezHodnoty when it has one.
#include <QString>
#include <QStringList>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sestavy {

// What a template may state. Beyond these a template is refused with an
// error that names the attribute and its line: a template is outside input,
// and every size it states becomes a page, a window or memory.
inline constexpr double kNejmensiList = 20, kNejvetsiList = 2000;  // sheet width and height, mm
inline constexpr double kNejvetsiDelka = 2000;  // margins, band heights, positions and sizes, mm
inline constexpr double kNejmensiPismo = 1, kNejvetsiPismo = 200;  // points
inline constexpr int kNejvicePasem = 100;
inline constexpr int kNejviceObjektu = 10000;   // text objects of the whole template
inline constexpr int kNejvicePrvku = 20000;     // elements of any kind
inline constexpr int kNejviceAtributu = 100;    // attributes of one element
inline constexpr qsizetype kNejdelsiText = 65536;       // characters of one attribute's value
inline constexpr qsizetype kNejdelsiPismo = 100;        // characters of a font's name
// A value longer than this, as written in the file with its character
// references, is refused before the XML reader sees it; what the writer
// writes for kNejdelsiText characters stays below it.
inline constexpr size_t kNejdelsiZapsanyText = 1 << 20;

// A template's text as a window title, a label, a tree node or a message
// shows it: at most `nejvic` characters, a longer text cut and ended with
// "…". A text in a window title goes to the window system whole, and one of
// megabytes ends the program there.
inline constexpr qsizetype kNejdelsiTextVOkne = 255;
QString ZkracenyText(const QString& text, qsizetype nejvic = kNejdelsiTextVOkne);

// The data link's name by which templates address the record store.
inline const QString& JmenoDat() {
  static const QString jmeno = QStringLiteral("SestavaData1");
  return jmeno;
}

// A template that cannot be read or written; what() is UTF-8 text.
class ChybaSablony : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Zarovnani { Vlevo, Stred, Vpravo };

struct TextovyObjekt {
  double x = 0, y = 0, sirka = 40, vyska = 5;
  QString text;
  QString pismo = QStringLiteral("Arial");
  double velikost = 9;  // points
  bool tucne = false;
  bool kurziva = false;
  Zarovnani zarovnani = Zarovnani::Vlevo;
  bool ramecek = false;
  bool roztahovat = false;  // grows downwards to hold its text
};

enum class DruhPasma { Titulek, HlavickaStranky, HlavickaSkupiny, Data, PatickaStranky, PatickaSkupiny };

struct Pasmo {
  DruhPasma druh = DruhPasma::Data;
  double vyska = 5;
  QString skupina;  // group header: the field the records are grouped by
  QString data;     // master data: the data link's name
  std::vector<TextovyObjekt> objekty;
  QString bezHodnoty;  // group header: printed for the group field's empty value
};

struct Stranka {
  double sirka = 210, vyska = 297;  // the paper standing upright
  bool naSirku = false;
  double levy = 10, horni = 10, pravy = 10, dolni = 10;
  // The page as it is laid out (turned when landscape).
  double sirkaListu() const { return naSirku ? vyska : sirka; }
  double vyskaListu() const { return naSirku ? sirka : vyska; }
  double sirkaTisku() const { return sirkaListu() - levy - pravy; }
  friend bool operator==(const Stranka&, const Stranka&) = default;
};

struct Sablona {
  QString nazev;
  QString autor;
  QStringList popis;  // lines
  Stranka stranka;
  std::vector<Pasmo> pasma;

  // The first band of a kind, or nullptr.
  Pasmo* pasmo(DruhPasma druh);
  const Pasmo* pasmo(DruhPasma druh) const;
};

// The template in the bytes of a file; `jmeno` names the file in errors.
// Windows-1250 unless the XML declaration names UTF-8 or the bytes start
// with UTF-8's byte order mark. Errors are Czech texts with the line and,
// for what the XML reader finds, the column.
Sablona CtiSablonu(std::string_view bytes, const QString& jmeno = QString());
// The report's name as the catalogue lists it, found without reading the
// template: the raw text between the first ReportOptions.Name=" and the next
// quotation mark (or the end of the text), its bytes taken as Windows-1250
// and its character references left as written, line breaks as CR LF; empty
// when there is none. A UTF-8 byte order mark before the text is skipped.
// A template the reader refuses still has this name, whatever its length.
QString CtiSurovyNazev(std::string_view bytes);
// The file's template; a file that cannot be opened or read is an error.
Sablona NactiSablonu(const std::filesystem::path& soubor);
// The template's bytes: Windows-1250; characters the code page lacks are
// written as character references, so nothing is lost.
std::string ZapisSablonu(const Sablona& sablona);
// Whether the template keeps within the bounds above, also where one value
// bounds another (margins within the sheet, bands within the printable page);
// ChybaSablony with the reason otherwise. The reader checks what it reads
// and UlozSablonu what it writes, so that every saved template reads again.
void ZkontrolujMeze(const Sablona& sablona);
// Writes the template through the file layer (whole or not at all), after
// ZkontrolujMeze.
void UlozSablonu(const std::filesystem::path& soubor, const Sablona& sablona);

// How a markup text carries control characters.
enum class Ridici {
  Odkazy,      // every one as a character reference: read back exactly (the template)
  RadekBr,     // a line break as <br>, CR dropped, the others as spaces (a page)
  RadekOdkaz,  // a line break as &#10;, CR dropped, the others as spaces (a cell)
};
// A text as Windows-1250 markup bytes: "&", "<", ">" and '"' escaped,
// characters the code page lacks as character references.
std::string ZnackovyText(const QString& text, Ridici ridici);

}  // namespace sestavy
