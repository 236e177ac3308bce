#pragma once
// The table writers: delimited text, worksheet files of label cells and the
// HTML page of the address register. Each takes a record store as it is
// shown: it walks the view in its current order and through its filter with
// the notifications frozen, writes record by record (no whole file is built
// in memory) and returns to the record that was current, also when an error
// stops it. The file is created (or emptied) first; an error while writing
// leaves what was written on disk and names the file.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace files { class DirectWriter; }
namespace store { class RecordStore; }

namespace vymena {

// What a long walk reports. Both are called together, at most once every
// 20 ms, never per record: `zpravy` lets the user interface process its
// pending messages (so the window repaints), `postup` gets the number of
// records written so far and the number of records to write.
struct Prubeh {
  std::function<void()> zpravy;
  std::function<void(std::int64_t zapsano, std::int64_t celkem)> postup;
};

// A worksheet holds at most this many rows, header row included: its row
// numbers are 16 bits wide.
inline constexpr std::int64_t kMaxRadkuXLS = 65536;

// The worksheet would need more rows than the format holds; nothing was
// written. what() is the Czech text for the person (UTF-8).
class PrilisMnohoRadku : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Delimited text: with `hlavicka` a first line of the field names; then one
// line per record, the values of the fields in field-list order joined by
// `oddelovac` and, with `oddelovacNaKonci`, followed by one more. Values go
// out as stored: no quoting, no escaping. Lines end in CR LF.
void ExportDoCSV(store::RecordStore& tabulka, bool hlavicka, bool oddelovacNaKonci, char oddelovac,
                 const std::filesystem::path& soubor, const Prubeh& prubeh = {});

// Worksheet: the start record, the code page record (Windows-1250, the code
// page of every label's bytes), with `hlavicka` the field names in row 0,
// then one row of label cells per record, then the end record. Throws
// PrilisMnohoRadku before touching the file when the rows do not fit.
void ExportDoXLS(store::RecordStore& tabulka, bool hlavicka, const std::filesystem::path& soubor,
                 const Prubeh& prubeh = {});

// Appends one label cell record: column and row from 0, the text's bytes
// (Windows-1250) without a terminator. Throws std::out_of_range for a row,
// column or text that the 16-bit fields cannot hold.
void ZapisBunkuXLS(files::DirectWriter& vystup, int sloupec, int radek, std::string_view text);

// The HTML page of the address register: the four fields by name, whatever
// the field list's order. `titulek` and `adresaAutora` make the page's
// generator line. Every value, and the link target, has "&", "<", ">" and
// the double quotation mark escaped. An address that would run script when
// clicked (javascript:, vbscript:, data:, read as a browser reads a link)
// is written as text, without a link.
void ExportDoHTML(store::RecordStore& tabulka, std::string_view titulek, std::string_view adresaAutora,
                  const std::filesystem::path& soubor, const Prubeh& prubeh = {});

// The HTML form of a value: "&", "<", ">" and '"' escaped; other bytes as
// they stand.
std::string HtmlText(std::string_view text);

}  // namespace vymena
