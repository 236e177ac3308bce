#include "PacketXmlWriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "CodePage.h"
#include "PacketOutput.h"

namespace store::packet {

namespace {

// What each byte of a value becomes in the file: itself, its reference, or
// (in the UTF-8 form) its UTF-8 sequence. Eight bytes per entry so that the
// writer copies a fixed eight and advances by `len`.
struct Esc {
  char text[7];
  unsigned char len;
};
static_assert(sizeof(Esc) == 8);

using EscTable = std::array<Esc, 256>;

EscTable makeEscTable(bool utf8) {
  EscTable t{};
  for (int c = 0; c < 256; ++c) {
    std::string s;
    switch (c) {
      case '<': s = "&lt;"; break;
      case '>': s = "&gt;"; break;
      case '&': s = "&amp;"; break;
      case '\'': s = "&apos;"; break;
      case '"': s = "&quot;"; break;
      case '\r': s = "&#013;"; break;
      case '\n': s = "&#010;"; break;
      case '\t': s = "&#009;"; break;
      case '\\': s = "&#092;"; break;
      default:
        if (utf8 && c >= 0x80)
          s = cp1250::toUtf8(std::string_view(reinterpret_cast<const char*>(&c), 1));
        else
          s.assign(1, char(c));
    }
    if (s.size() > sizeof t[c].text) s = "?";  // cannot happen: at most 3 UTF-8 bytes
    std::memcpy(t[c].text, s.data(), s.size());
    t[c].len = static_cast<unsigned char>(s.size());
  }
  return t;
}

const EscTable& escTable(bool utf8) {
  static const EscTable ansi = makeEscTable(false);
  static const EscTable utf = makeEscTable(true);
  return utf8 ? utf : ansi;
}

void putEscaped(Out& out, const EscTable& esc, std::string_view v) {
  constexpr std::size_t kSlice = 4096;
  while (!v.empty()) {
    const std::size_t n = std::min(v.size(), kSlice);
    char* w = out.room(n * sizeof(Esc));
    for (std::size_t i = 0; i < n; ++i) {
      const Esc& e = esc[static_cast<unsigned char>(v[i])];
      std::memcpy(w, &e, sizeof e);
      w += e.len;
    }
    out.advance(w);
    v.remove_prefix(n);
  }
}

void putNumber(Out& out, std::uint64_t n) {
  char digits[24];
  auto r = std::to_chars(digits, digits + sizeof digits, n);
  out.put(std::string_view(digits, static_cast<std::size_t>(r.ptr - digits)));
}

}  // namespace

void writeXml(const RecordTable& table, Out& out, bool utf8) {
  const EscTable& esc = escTable(utf8);
  out.put(utf8 ? R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
               : R"(<?xml version="1.0" standalone="yes"?>)");
  out.put(R"(  <DATAPACKET Version="2.0"><METADATA><FIELDS>)");
  const auto& defs = table.defs();
  // " Nazev=\"" per field, in the file's encoding.
  std::vector<std::string> attrStart;
  for (const FieldDef& d : defs) {
    out.put(R"(<FIELD attrname=")");
    putEscaped(out, esc, d.name);
    out.put(R"(" fieldtype=")");
    putEscaped(out, esc, d.type);
    out.put('"');
    if (d.required) out.put(R"( required="true")");
    out.put(R"( WIDTH=")");
    putNumber(out, static_cast<std::uint64_t>(std::max(d.width, 0)));
    out.put(R"("/>)");
    attrStart.push_back(" " + (utf8 ? cp1250::toUtf8(d.name) : d.name) + "=\"");
  }
  out.put("</FIELDS><PARAMS/></METADATA><ROWDATA>");
  const int fields = table.fieldCount();
  table.forEachLive([&](RecId id) {
    out.put("<ROW");
    for (int f = 0; f < fields; ++f) {
      const Value v = table.value(id, f);
      if (!v) continue;  // no value: no attribute
      out.put(attrStart[f]);
      putEscaped(out, esc, *v);
      out.put('"');
    }
    out.put("/>");
  });
  out.put("</ROWDATA></DATAPACKET>");
}

}  // namespace store::packet
