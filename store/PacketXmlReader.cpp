#include "PacketXmlReader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "CodePage.h"
#include "PacketSource.h"
#include "StoreError.h"

namespace store::packet {

namespace {

[[noreturn]] void fail(const std::string& text) { throw StoreError(text); }

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes the references of `n` bytes at `src` into `dst` and returns the
// new length. `dst` may be `src`: a reference is never shorter than what it
// stands for. A numeric reference gives one byte: below 256 the byte
// itself, above it the code page's character (or '?'). Any "&" that starts
// no known reference stays a plain ampersand.
std::size_t decodeReferences(const char* src, std::size_t n, char* dst) {
  const char* end = src + n;
  char* w = dst;
  while (src < end) {
    const char* amp = static_cast<const char*>(std::memchr(src, '&', static_cast<std::size_t>(end - src)));
    if (!amp) amp = end;
    const std::size_t run = static_cast<std::size_t>(amp - src);
    if (w != src) std::memmove(w, src, run);
    w += run;
    src = amp;
    if (src == end) break;
    const std::string_view rest(src + 1, static_cast<std::size_t>(end - src - 1));
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"lt;", '<'}, {"gt;", '>'}, {"amp;", '&'}, {"apos;", '\''}, {"quot;", '"'}};
    bool done = false;
    for (const auto& [name, ch] : kNamed) {
      if (rest.starts_with(name)) {
        *w++ = ch;
        src += 1 + name.size();
        done = true;
        break;
      }
    }
    if (!done && rest.size() >= 2 && rest[0] == '#') {
      const bool hex = rest[1] == 'x' || rest[1] == 'X';
      std::size_t i = hex ? 2 : 1;
      const std::size_t first = i;
      std::uint32_t code = 0;
      for (; i < rest.size(); ++i) {
        const int d = hex ? hexDigit(rest[i]) : (rest[i] >= '0' && rest[i] <= '9' ? rest[i] - '0' : -1);
        if (d < 0) break;
        code = std::min<std::uint32_t>(code * (hex ? 16 : 10) + static_cast<std::uint32_t>(d), 0x110000);
      }
      if (i > first && i < rest.size() && rest[i] == ';') {
        unsigned char byte = '?';
        if (code < 256)
          byte = static_cast<unsigned char>(code);
        else if (code > 0x10FFFF || !cp1250::fromUnicode(code, byte))
          byte = '?';
        *w++ = static_cast<char>(byte);
        src += 1 + i + 1;
        done = true;
      }
    }
    if (!done) *w++ = *src++;  // a plain ampersand
  }
  return static_cast<std::size_t>(w - dst);
}

// The code page's byte for each two-byte UTF-8 character (U+0080..U+07FF:
// all the Czech letters); 0 where it has none.
const std::array<unsigned char, 0x800>& twoByteChars() {
  static const std::array<unsigned char, 0x800> table = [] {
    std::array<unsigned char, 0x800> t{};
    for (char32_t cp = 0x80; cp < 0x800; ++cp) {
      unsigned char b = 0;
      if (cp1250::fromUnicode(cp, b)) t[cp] = b;
    }
    return t;
  }();
  return table;
}

// UTF-8 text to Windows-1250 into `out` (which must hold raw.size() bytes)
// when every character is well-formed, of at most three bytes and in the
// code page: the common case, done without allocating. Anything else is
// left to cp1250::fromUtf8, which owns the replacement rules; false then.
bool utf8ToAnsiLossless(std::string_view raw, char* out, std::size_t& length) {
  const auto& twoByte = twoByteChars();
  const auto* p = reinterpret_cast<const unsigned char*>(raw.data());
  const auto* end = p + raw.size();
  char* w = out;
  while (p < end) {
    const unsigned char c = *p;
    if (c < 0x80) {
      *w++ = static_cast<char>(c);
      ++p;
      continue;
    }
    unsigned char b = 0;
    if (c >= 0xC2 && c <= 0xDF && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
      b = twoByte[(c & 0x1Fu) << 6 | (p[1] & 0x3Fu)];
      p += 2;
    } else if (c >= 0xE0 && c <= 0xEF && end - p >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
      const char32_t cp = char32_t(c & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
      if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF) || !cp1250::fromUnicode(cp, b)) return false;
      p += 3;
    }
    if (b == 0) return false;
    *w++ = static_cast<char>(b);
  }
  length = static_cast<std::size_t>(w - out);
  return true;
}

class XmlReader : Pieces<XmlReader> {
  friend class Pieces<XmlReader>;

 public:
  explicit XmlReader(Source& src) : Pieces(src) {}

  RecordTable read() {
    piece([&] { prolog(); });
    if (!utf8_ && declaredUtf8_) utf8_ = src_.wholeIsValidUtf8();
    while (!rootDone_) piece([&] { step(); });
    if (!metadataSeen_) fail("The data packet is damaged: it has no field definitions.");
    if (!rowsStarted_) startRows();
    return std::move(table_);
  }

 private:
  struct Field {
    std::string match;  // the name as ROW attributes carry it (file encoding)
    std::size_t width;
  };

  void beforeAdvance() {}
  void afterAdvance() {}

  [[noreturn]] void truncated() const { fail("The data packet is incomplete (it ends too early)."); }
  [[noreturn]] void damaged(const char* where, const std::string& what) const {
    fail("The data packet is damaged near byte " + std::to_string(at(where)) + ": " + what + ".");
  }
  // The piece runs past the window: past the end of the file, or on into
  // bytes not read yet.
  [[noreturn]] void more() const {
    if (src_.atEnd()) truncated();
    throw NeedMore{};
  }
  bool startsWith(std::string_view s) const {
    if (left() < s.size() && std::string_view(p_, left()) == s.substr(0, left()) && !src_.atEnd())
      throw NeedMore{};  // cannot tell yet
    return std::string_view(p_, left()).starts_with(s);
  }

  void skipSpace() {
    while (p_ < end_ && isSpace(*p_)) ++p_;
  }
  void skipPast(std::string_view marker) {
    const std::size_t found = std::string_view(p_, left()).find(marker);
    if (found == std::string_view::npos) more();
    p_ += found + marker.size();
  }

  void prolog() {
    utf8_ = declaredUtf8_ = false;
    if (end_ == begin_ && src_.atEnd()) fail("The file is empty; it holds no data packet.");
    if (startsWith("\xEF\xBB\xBF")) {
      utf8_ = true;
      p_ += 3;
    }
    while (p_ < end_ && static_cast<unsigned char>(*p_) >= 1 && static_cast<unsigned char>(*p_) <= 32) ++p_;
    if (p_ == end_) {
      if (src_.atEnd()) fail("The file holds no data packet (only white space).");
      throw NeedMore{};
    }
    if (*p_ != '<') fail("The file is not a data packet.");
    if (startsWith("<?")) {
      const char* start = p_;
      skipPast("?>");
      declaredUtf8_ = cp1250::equalsAsciiNoCase(encodingOf({start, static_cast<std::size_t>(p_ - start)}), "UTF-8");
    }
  }

  // The value of the declaration's pseudo-attribute "encoding", or "".
  static std::string_view encodingOf(std::string_view decl) {
    const std::size_t found = decl.find("encoding");
    if (found == std::string_view::npos) return {};
    std::size_t i = found + 8;
    while (i < decl.size() && isSpace(decl[i])) ++i;
    if (i >= decl.size() || decl[i] != '=') return {};
    ++i;
    while (i < decl.size() && isSpace(decl[i])) ++i;
    if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) return {};
    const std::size_t close = decl.find(decl[i], i + 1);
    if (close == std::string_view::npos) return {};
    return decl.substr(i + 1, close - i - 1);
  }

  std::string_view name() {
    const char* start = p_;
    while (p_ < end_ && !isSpace(*p_) && *p_ != '/' && *p_ != '>' && *p_ != '=') ++p_;
    if (p_ == end_) more();
    if (p_ == start) damaged(start, "a name is missing");
    return {start, static_cast<std::size_t>(p_ - start)};
  }

  // The rest of an attribute after its name: "=", quote, value, quote.
  std::string_view attributeValue() {
    skipSpace();
    if (p_ == end_) more();
    if (*p_ != '=') damaged(p_, "\"=\" expected after an attribute name");
    ++p_;
    skipSpace();
    if (p_ == end_) more();
    const char quote = *p_;
    if (quote != '"' && quote != '\'') damaged(p_, "an attribute value must be quoted");
    ++p_;
    const char* close = static_cast<const char*>(std::memchr(p_, quote, left()));
    if (!close) more();
    const std::string_view v(p_, static_cast<std::size_t>(close - p_));
    p_ = close + 1;
    return v;
  }

  // Before the next attribute: true with its name read, false at the end
  // of the tag (selfClosed_ tells "/>" from ">").
  bool nextAttribute(std::string_view& attr) {
    skipSpace();
    if (p_ == end_) more();
    if (*p_ == '>') {
      ++p_;
      selfClosed_ = false;
      return false;
    }
    if (*p_ == '/') {
      if (left() < 2) more();
      if (p_[1] != '>') damaged(p_, "\"/>\" expected");
      p_ += 2;
      selfClosed_ = true;
      return false;
    }
    attr = name();
    return true;
  }

  void skipAttributes() {
    std::string_view attr;
    while (nextAttribute(attr)) attributeValue();
  }

  // A value in the register's code page, references decoded. The result
  // views the file's bytes when nothing had to change, else `scratch`.
  std::string_view text(std::string_view raw, std::string& scratch) const {
    if (utf8_) {
      std::size_t n = 0;
      if (scratch.size() < raw.size()) scratch.resize(raw.size());
      if (utf8ToAnsiLossless(raw, scratch.data(), n))
        scratch.resize(n);
      else
        scratch = cp1250::fromUtf8(raw);
      scratch.resize(decodeReferences(scratch.data(), scratch.size(), scratch.data()));
      return scratch;
    }
    if (!std::memchr(raw.data(), '&', raw.size())) return raw;
    scratch.resize(raw.size());
    scratch.resize(decodeReferences(raw.data(), raw.size(), scratch.data()));
    return scratch;
  }

  // One construct: the text before the next "<" (ignored), then a comment,
  // a declaration, a processing instruction, an end tag or a start tag.
  void step() {
    const char* lt = static_cast<const char*>(std::memchr(p_, '<', left()));
    if (!lt) {
      if (!src_.atEnd()) {
        mark_ = end_;  // nothing here worth keeping
        throw NeedMore{};
      }
      if (open_.empty()) fail("The file is not a data packet (it has no DATAPACKET element).");
      truncated();
    }
    p_ = mark_ = lt;
    if (startsWith("<!--")) return skipPast("-->");
    if (startsWith("<![CDATA[")) return skipPast("]]>");
    if (startsWith("<!")) {
      // A document type; one with an internal subset ends with "]>".
      const char* gt = static_cast<const char*>(std::memchr(p_, '>', left()));
      const char* br = static_cast<const char*>(std::memchr(p_, '[', left()));
      return skipPast(br && (!gt || br < gt) ? "]>" : ">");
    }
    if (startsWith("<?")) return skipPast("?>");
    if (startsWith("</")) return endTag();
    startTag();
  }

  void endTag() {
    const char* start = p_;
    p_ += 2;
    const std::string_view tag = name();
    skipSpace();
    if (p_ == end_) more();
    if (*p_ != '>') damaged(p_, "\">\" expected");
    ++p_;
    if (open_.empty() || open_.back() != tag)
      damaged(start, "the end tag </" + std::string(tag) + "> closes no open element");
    open_.pop_back();
    if (open_.empty()) rootDone_ = true;
  }

  void startTag() {
    ++p_;
    const std::string_view tag = name();
    const std::size_t depth = open_.size();
    if (depth == 0) {
      if (tag != "DATAPACKET") fail("The file is not a data packet (its root element is not DATAPACKET).");
      skipAttributes();
    } else if (depth == 1 && tag == "METADATA") {
      metadataSeen_ = true;
      skipAttributes();
    } else if (depth == 1 && tag == "ROWDATA") {
      startRows();
      skipAttributes();
    } else if (depth == 2 && tag == "ROW" && open_[1] == "ROWDATA") {
      row();
    } else if (depth == 3 && tag == "FIELD" && open_[1] == "METADATA" && open_[2] == "FIELDS") {
      fieldDefinition();
    } else {
      skipAttributes();
    }
    if (!selfClosed_)
      open_.emplace_back(tag);
    else if (depth == 0)
      rootDone_ = true;
  }

  void fieldDefinition() {
    FieldDef def;
    std::string match;
    bool named = false, typed = false;
    std::optional<std::string_view> width;
    std::string scratch;
    std::string_view attr;
    while (nextAttribute(attr)) {
      const std::string_view raw = attributeValue();
      if (attr == "attrname") {
        def.name = std::string(text(raw, scratch));
        // ROW attributes are names, not values: compared in the file's
        // encoding.
        match.resize(raw.size());
        match.resize(decodeReferences(raw.data(), raw.size(), match.data()));
        named = true;
      } else if (attr == "fieldtype") {
        def.type = std::string(text(raw, scratch));
        typed = true;
      } else if (attr == "WIDTH") {
        width = raw;
      } else if (attr == "required") {
        def.required = cp1250::equalsAsciiNoCase(raw, "true");
      }
    }
    if (rowsStarted_) return;  // the definitions were complete when the rows began
    if (!named) fail("The data packet is damaged: a field definition has no name.");
    if (!typed || def.type != "string")
      fail("The data packet's field \"" + cp1250::toUtf8(def.name) + "\" is not a text field (type \"" +
           cp1250::toUtf8(def.type) + "\").");
    int w = -1;
    if (width) {
      const auto r = std::from_chars(width->data(), width->data() + width->size(), w);
      if (r.ec != std::errc() || r.ptr != width->data() + width->size() || w < 0) w = -1;
    }
    if (w < 0) fail("The data packet's field \"" + cp1250::toUtf8(def.name) + "\" has no valid width.");
    def.width = w;
    pending_.push_back(std::move(def));
    fields_.push_back({std::move(match), static_cast<std::size_t>(w)});
  }

  int fieldOf(std::string_view attr, int hint) const {
    const int n = static_cast<int>(fields_.size());
    if (hint < n && fields_[hint].match == attr) return hint;
    for (int f = 0; f < n; ++f)
      if (fields_[f].match == attr) return f;
    return -1;
  }

  void row() {
    const int n = static_cast<int>(fields_.size());
    std::fill(values_.begin(), values_.end(), std::nullopt);
    int hint = 0;
    std::string_view attr;
    for (;;) {
      // Fast path: the next attribute is the field that usually comes next.
      skipSpace();
      if (hint < n) {
        const std::string& m = fields_[hint].match;
        if (!m.empty() && left() > m.size() && std::memcmp(p_, m.data(), m.size()) == 0 && p_[m.size()] == '=') {
          p_ += m.size();
          storeValue(hint, attributeValue());
          ++hint;
          continue;
        }
      }
      if (!nextAttribute(attr)) break;
      const std::string_view raw = attributeValue();
      const int f = fieldOf(attr, hint);
      if (f < 0) continue;  // RowState and anything unknown
      storeValue(f, raw);
      hint = f + 1;
    }
    table_.append(values_);
  }

  void storeValue(int f, std::string_view raw) {
    std::string_view v = text(raw, scratch_[f]);
    if (v.size() > fields_[f].width) v = v.substr(0, fields_[f].width);
    values_[f] = v;
  }

  void startRows() {
    if (!metadataSeen_) fail("The data packet is damaged: its rows come before the field definitions.");
    if (rowsStarted_) return;
    rowsStarted_ = true;
    table_ = RecordTable(std::move(pending_));
    // A row takes at least a hundred bytes or so in practice; more is only
    // address space until it is used.
    table_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(src_.totalSize() / 96, 1u << 26)));
    values_.assign(fields_.size(), std::nullopt);
    scratch_.assign(fields_.size(), std::string());
  }

  bool utf8_ = false;
  bool declaredUtf8_ = false;
  bool selfClosed_ = false;
  bool metadataSeen_ = false;
  bool rowsStarted_ = false;
  bool rootDone_ = false;
  std::vector<std::string> open_;  // the elements we are inside of
  std::vector<FieldDef> pending_;
  std::vector<Field> fields_;
  std::vector<Value> values_;
  std::vector<std::string> scratch_;
  RecordTable table_;
};

}  // namespace

RecordTable readXml(Source& src) { return XmlReader(src).read(); }

}  // namespace store::packet
