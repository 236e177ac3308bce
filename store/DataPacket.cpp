#include "DataPacket.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CodePage.h"
#include "FileLayer.h"

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#include <nmmintrin.h>
#define ODK_CRC_INSTRUCTION 1
#else
#define ODK_CRC_INSTRUCTION 0
#endif

namespace store {

namespace {

constexpr std::uint32_t kNoValue = 0xFFFFFFFFu;
constexpr std::size_t kTrailerSize = 12;  // body length u64 + CRC-32 u32
constexpr std::size_t kHeaderSize = 8;    // signature + version

[[noreturn]] void fail(const std::string& text) { throw StoreError(text); }

// --- CRC-32C ---------------------------------------------------------------------

using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr CrcTables makeCrcTables() {
  CrcTables t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0x82F63B78u ^ (c >> 1) : c >> 1;
    t[0][i] = c;
  }
  for (int s = 1; s < 8; ++s)
    for (std::uint32_t i = 0; i < 256; ++i) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
  return t;
}

constexpr CrcTables kCrc = makeCrcTables();

inline std::uint32_t load32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

inline std::uint64_t load64(const unsigned char* p) {
  return std::uint64_t(load32(p)) | std::uint64_t(load32(p + 4)) << 32;
}

inline char* store32(char* p, std::uint32_t v) {
  p[0] = char(v & 0xFF);
  p[1] = char((v >> 8) & 0xFF);
  p[2] = char((v >> 16) & 0xFF);
  p[3] = char(v >> 24);
  return p + 4;
}

inline char* store64(char* p, std::uint64_t v) {
  p = store32(p, std::uint32_t(v & 0xFFFFFFFFu));
  return store32(p, std::uint32_t(v >> 32));
}

// --- output: a buffer in front of a sink --------------------------------------

class Sink {
 public:
  virtual void take(std::string_view bytes) = 0;

 protected:
  ~Sink() = default;
};

class StringSink final : public Sink {
 public:
  explicit StringSink(std::string& out) : out_(out) {}
  void take(std::string_view bytes) override { out_.append(bytes); }

 private:
  std::string& out_;
};

class FileSink final : public Sink {
 public:
  explicit FileSink(files::AtomicWriter& w) : w_(w) {}
  void take(std::string_view bytes) override { w_.write(bytes); }

 private:
  files::AtomicWriter& w_;
};

// Collects the packet in a buffer of 1 MiB and hands it to the sink in
// whole buffers; keeps the length and (when asked) the running CRC of what
// it handed over.
class Out {
 public:
  static constexpr std::size_t kCapacity = std::size_t(1) << 20;

  Out(Sink& sink, bool withCrc)
      : sink_(sink), withCrc_(withCrc), buf_(std::make_unique_for_overwrite<char[]>(kCapacity)) {}

  void put(std::string_view s) {
    if (s.size() <= kCapacity - pos_) {
      std::memcpy(buf_.get() + pos_, s.data(), s.size());
      pos_ += s.size();
    } else {
      putLarge(s);
    }
  }
  void put(char c) {
    if (pos_ == kCapacity) flush();
    buf_[pos_++] = c;
  }
  // At least n (<= kCapacity) writable bytes; finish with advance().
  char* room(std::size_t n) {
    if (kCapacity - pos_ < n) flush();
    return buf_.get() + pos_;
  }
  void advance(char* to) { pos_ = static_cast<std::size_t>(to - buf_.get()); }

  void flush() {
    if (pos_ == 0) return;
    hand({buf_.get(), pos_});
    pos_ = 0;
  }
  // Of the bytes flushed so far.
  std::uint32_t crc() const { return crc_; }
  std::uint64_t length() const { return length_; }

 private:
  void putLarge(std::string_view s) {
    flush();
    hand(s);
  }
  void hand(std::string_view s) {
    if (withCrc_) crc_ = crc32c(s, crc_);
    length_ += s.size();
    sink_.take(s);
  }

  Sink& sink_;
  const bool withCrc_;
  std::unique_ptr<char[]> buf_;
  std::size_t pos_ = 0;
  std::uint32_t crc_ = 0;
  std::uint64_t length_ = 0;
};

// --- XML writer ------------------------------------------------------------------

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

// --- binary writer ---------------------------------------------------------------

void put32(Out& out, std::uint32_t v) {
  char* w = out.room(4);
  out.advance(store32(w, v));
}

void putBlock(Out& out, std::string_view s) {
  if (s.size() >= kNoValue) fail("A text is too long for the binary data packet.");
  put32(out, static_cast<std::uint32_t>(s.size()));
  out.put(s);
}

void writeBinary(const RecordTable& table, Out& out) {
  out.put(std::string_view(kBinarySignature, sizeof kBinarySignature));
  put32(out, kBinaryVersion);
  const auto& defs = table.defs();
  put32(out, static_cast<std::uint32_t>(defs.size()));
  for (const FieldDef& d : defs) {
    putBlock(out, d.name);
    putBlock(out, d.type);
    put32(out, static_cast<std::uint32_t>(std::max(d.width, 0)));
    put32(out, d.required ? 1u : 0u);
  }
  if (table.liveCount() > std::numeric_limits<std::uint32_t>::max())
    fail("Too many records for the binary data packet.");
  put32(out, static_cast<std::uint32_t>(table.liveCount()));
  const int fields = table.fieldCount();
  table.forEachLive([&](RecId id) {
    for (int f = 0; f < fields; ++f) {
      const Value v = table.value(id, f);
      if (v)
        putBlock(out, *v);
      else
        put32(out, kNoValue);
    }
  });
  out.flush();
  char trailer[kTrailerSize];
  store64(trailer, out.length() - kHeaderSize);
  store32(trailer + 8, out.crc());
  out.put(std::string_view(trailer, sizeof trailer));
  out.flush();
}

void writePacket(const RecordTable& table, Sink& sink, PacketForm form) {
  Out out(sink, form == PacketForm::Binary || form == PacketForm::Default);
  switch (form) {
    case PacketForm::Xml: writeXml(table, out, false); break;
    case PacketForm::XmlUtf8: writeXml(table, out, true); break;
    case PacketForm::Binary:
    case PacketForm::Default: writeBinary(table, out); break;
  }
  out.flush();
}

// --- input: a window onto the packet -----------------------------------------------

// Thrown inside a reader when what it reads runs past the window while the
// packet goes on: the reader moves the window on and reads that piece again.
struct NeedMore {};

class Source {
 public:
  virtual ~Source() = default;
  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::uint64_t offset() const { return offset_; }  // of the window's first byte
  bool atEnd() const { return atEnd_; }             // the window reaches the end
  virtual std::uint64_t totalSize() const = 0;
  // Drops the window's first `consumed` bytes and reads on; a full window
  // that can drop nothing grows.
  virtual void advance(std::size_t consumed) = 0;
  virtual bool wholeIsValidUtf8() = 0;
  virtual std::string bytesAt(std::uint64_t at, std::size_t n) = 0;

 protected:
  const char* data_ = nullptr;
  std::size_t size_ = 0;
  std::uint64_t offset_ = 0;
  bool atEnd_ = true;
};

class MemorySource final : public Source {
 public:
  explicit MemorySource(std::string_view bytes) : all_(bytes) {
    data_ = bytes.data();
    size_ = bytes.size();
  }
  std::uint64_t totalSize() const override { return all_.size(); }
  void advance(std::size_t) override {}  // never asked: the window is everything
  bool wholeIsValidUtf8() override { return cp1250::isValidUtf8(all_); }
  std::string bytesAt(std::uint64_t at, std::size_t n) override {
    return at > all_.size() ? std::string() : std::string(all_.substr(static_cast<std::size_t>(at), n));
  }

 private:
  std::string_view all_;
};

// The file read through a window of a few megabytes: a register of hundreds
// of megabytes is never held whole in memory beside its records, and the
// window's memory is touched once and reused.
class FileSource final : public Source {
 public:
  static constexpr std::size_t kWindow = std::size_t(4) << 20;

  explicit FileSource(const std::filesystem::path& path) : file_(path) {
    cap_ = kWindow;
    buf_ = std::make_unique_for_overwrite<char[]>(cap_);
    atEnd_ = false;
    fill();
  }

  std::uint64_t totalSize() const override { return file_.size(); }

  void advance(std::size_t consumed) override {
    consumed = std::min(consumed, size_);
    if (consumed == 0 && size_ == cap_) {
      auto bigger = std::make_unique_for_overwrite<char[]>(cap_ * 2);
      std::memcpy(bigger.get(), buf_.get(), size_);
      buf_ = std::move(bigger);
      cap_ *= 2;
    } else if (consumed > 0) {
      std::memmove(buf_.get(), buf_.get() + consumed, size_ - consumed);
      size_ -= consumed;
      offset_ += consumed;
    }
    fill();
  }

  bool wholeIsValidUtf8() override {
    // A pass of its own over the file; a sequence cut by the end of a piece
    // is carried over to the next.
    auto piece = std::make_unique_for_overwrite<char[]>(kWindow + 4);
    std::size_t carry = 0;
    std::uint64_t at = 0;
    for (;;) {
      const std::size_t got = file_.readAt(piece.get() + carry, kWindow, at);
      at += got;
      const std::size_t n = carry + got;
      const bool last = got == 0;
      const std::size_t cut = last ? n : completeSequences(piece.get(), n);
      if (!cp1250::isValidUtf8(std::string_view(piece.get(), cut))) return false;
      if (last) return true;
      carry = n - cut;
      std::memmove(piece.get(), piece.get() + cut, carry);
    }
  }

  std::string bytesAt(std::uint64_t at, std::size_t n) override {
    std::string s(n, '\0');
    std::size_t got = 0;
    while (got < n) {
      const std::size_t r = file_.readAt(s.data() + got, n - got, at + got);
      if (r == 0) break;
      got += r;
    }
    s.resize(got);
    return s;
  }

 private:
  void fill() {
    while (size_ < cap_ && !atEnd_) {
      const std::size_t r = file_.read(buf_.get() + size_, cap_ - size_);
      if (r == 0)
        atEnd_ = true;
      else
        size_ += r;
    }
    data_ = buf_.get();
  }

  // The length of the longest prefix of `p` that does not end inside a
  // multi-byte UTF-8 sequence.
  static std::size_t completeSequences(const char* p, std::size_t n) {
    for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
      const auto b = static_cast<unsigned char>(p[n - back]);
      if ((b & 0xC0) == 0x80) continue;
      const std::size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
      return len > back ? n - back : n;
    }
    return n;
  }

  files::FileReader file_;
  std::size_t cap_ = 0;
  std::unique_ptr<char[]> buf_;
};

// Reads one piece of a packet at a time; a piece cut by the window's end is
// read again after the window has moved on to start at that piece.
template <class Reader>
class Pieces {
 protected:
  explicit Pieces(Source& src) : src_(src) { sync(); }

  template <class F>
  void piece(F&& read) {
    for (;;) {
      mark_ = p_;
      try {
        read();
        return;
      } catch (const NeedMore&) {
        static_cast<Reader*>(this)->beforeAdvance();
        src_.advance(static_cast<std::size_t>(mark_ - begin_));
        sync();
        static_cast<Reader*>(this)->afterAdvance();
      }
    }
  }

  void sync() {
    begin_ = p_ = mark_ = src_.data();
    end_ = begin_ + src_.size();
    base_ = src_.offset();
  }
  std::uint64_t at(const char* p) const { return base_ + static_cast<std::uint64_t>(p - begin_); }
  std::size_t left() const { return static_cast<std::size_t>(end_ - p_); }

  Source& src_;
  const char* begin_ = nullptr;  // the window
  const char* end_ = nullptr;
  const char* p_ = nullptr;      // reading position
  const char* mark_ = nullptr;   // start of the piece being read
  std::uint64_t base_ = 0;       // packet offset of begin_
};

// --- binary reader ---------------------------------------------------------------

class BinaryReader : Pieces<BinaryReader> {
  friend class Pieces<BinaryReader>;

 public:
  explicit BinaryReader(Source& src) : Pieces(src) {}

  RecordTable read() {
    const std::uint64_t total = src_.totalSize();
    if (total < kHeaderSize + kTrailerSize) fail("The binary data packet is incomplete (it ends too early).");
    limit_ = total - kTrailerSize;
    afterAdvance();
    std::uint32_t version = 0;
    piece([&] {
      need(kHeaderSize);
      version = load32(u(p_ + 4));
      p_ += kHeaderSize;
    });
    if (version != kBinaryVersion)
      fail("The binary data packet has the unknown version " + std::to_string(version) + ".");
    const std::string trailer = src_.bytesAt(total - kTrailerSize, kTrailerSize);
    if (trailer.size() != kTrailerSize || load64(u(trailer.data())) != total - kHeaderSize - kTrailerSize)
      fail("The binary data packet is incomplete or damaged (its length does not match).");
    storedCrc_ = load32(u(trailer.data() + 8));

    std::vector<FieldDef> defs;
    std::uint32_t rows = 0;
    piece([&] {
      defs.clear();
      const std::uint32_t fieldCount = u32();
      // Each definition takes at least 16 bytes.
      if (fieldCount > remaining() / 16) damaged();
      defs.resize(fieldCount);
      for (FieldDef& d : defs) {
        d.name = std::string(block());
        d.type = std::string(block());
        const std::uint32_t width = u32();
        if (width > std::uint32_t(std::numeric_limits<int>::max())) damaged();
        d.width = static_cast<int>(width);
        d.required = (u32() & 1u) != 0;
      }
      rows = u32();
      // Each value takes at least its 4-byte length; rows of a packet
      // without fields take nothing, so their number is capped instead.
      if (fieldCount ? rows > remaining() / (4ull * fieldCount) : rows > (1u << 24)) damaged();
    });

    RecordTable table(std::move(defs));
    table.reserve(rows);
    const std::size_t fields = static_cast<std::size_t>(table.fieldCount());
    std::vector<Value> values(fields);
    for (std::uint32_t r = 0; r < rows; ++r) {
      piece([&] {
        for (std::size_t f = 0; f < fields; ++f) {
          const std::uint32_t len = u32();
          if (len == kNoValue) {
            values[f] = std::nullopt;
            continue;
          }
          if (len > remaining()) damaged();
          need(len);
          std::string_view v(p_, len);
          p_ += len;
          const auto width = static_cast<std::size_t>(table.defs()[f].width);
          values[f] = v.size() > width ? v.substr(0, width) : v;
        }
        table.append(values);
      });
    }
    if (at(p_) != limit_) damaged();
    if (crc32c(std::string_view(crcFrom_, static_cast<std::size_t>(p_ - crcFrom_)), crc_) != storedCrc_)
      fail("The binary data packet is damaged (its checksum does not match).");
    return table;
  }

 private:
  static const unsigned char* u(const char* p) { return reinterpret_cast<const unsigned char*>(p); }

  // The bytes before the piece being read are done: into the checksum.
  void beforeAdvance() {
    crc_ = crc32c(std::string_view(crcFrom_, static_cast<std::size_t>(mark_ - crcFrom_)), crc_);
    crcFrom_ = mark_;
  }
  void afterAdvance() { crcFrom_ = begin_; }

  std::uint64_t remaining() const { return limit_ - std::min(limit_, at(p_)); }
  [[noreturn]] void damaged() const {
    fail("The binary data packet is damaged near byte " + std::to_string(at(p_)) + ".");
  }
  void need(std::size_t n) {
    if (n > remaining()) damaged();
    if (n > left()) {
      if (src_.atEnd()) damaged();  // the file is shorter than it said
      throw NeedMore{};
    }
  }
  std::uint32_t u32() {
    need(4);
    const std::uint32_t v = load32(u(p_));
    p_ += 4;
    return v;
  }
  std::string_view block() {
    const std::uint32_t len = u32();
    need(len);
    std::string_view s(p_, len);
    p_ += len;
    return s;
  }

  std::uint64_t limit_ = 0;  // where the trailer begins
  std::uint32_t storedCrc_ = 0;
  std::uint32_t crc_ = 0;    // of the bytes before crcFrom_
  const char* crcFrom_ = nullptr;
};

// --- XML reader ------------------------------------------------------------------

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = char(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = char(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

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
      declaredUtf8_ = equalsNoCase(encodingOf({start, static_cast<std::size_t>(p_ - start)}), "UTF-8");
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
        def.required = equalsNoCase(raw, "true");
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

std::string utf8Path(const std::filesystem::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

RecordTable readPacket(Source& src) {
  if (src.size() >= sizeof kBinarySignature &&
      std::memcmp(src.data(), kBinarySignature, sizeof kBinarySignature) == 0)
    return BinaryReader(src).read();
  return XmlReader(src).read();
}

}  // namespace

std::uint32_t crc32cPortable(std::string_view bytes, std::uint32_t crc) {
  // Eight bytes per step through eight tables.
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  const auto& t = kCrc;
  crc = ~crc;
  while (n >= 8) {
    const std::uint32_t a = load32(p) ^ crc;
    const std::uint32_t b = load32(p + 4);
    crc = t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^
          t[3][b & 0xFF] ^ t[2][(b >> 8) & 0xFF] ^ t[1][(b >> 16) & 0xFF] ^ t[0][b >> 24];
    p += 8;
    n -= 8;
  }
  while (n--) crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

#if ODK_CRC_INSTRUCTION
namespace {
// The processor's CRC-32C instruction: a binary backup of a large register
// is checked at several gigabytes a second instead of two.
__attribute__((target("sse4.2"))) std::uint32_t crc32cInstruction(std::string_view bytes, std::uint32_t crc) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  std::uint64_t c = ~crc;
  while (n >= 8) {
    std::uint64_t eight;
    std::memcpy(&eight, p, 8);
    c = _mm_crc32_u64(c, eight);
    p += 8;
    n -= 8;
  }
  auto c32 = static_cast<std::uint32_t>(c);
  while (n--) c32 = _mm_crc32_u8(c32, *p++);
  return ~c32;
}
}  // namespace
#endif

std::uint32_t crc32c(std::string_view bytes, std::uint32_t crc) {
#if ODK_CRC_INSTRUCTION
  static const bool hasInstruction = __builtin_cpu_supports("sse4.2");
  if (hasInstruction) return crc32cInstruction(bytes, crc);
#endif
  return crc32cPortable(bytes, crc);
}

PacketForm resolveForm(const std::filesystem::path& path, PacketForm form) {
  if (form != PacketForm::Default) return form;
  return equalsNoCase(utf8Path(path.extension()), ".xml") ? PacketForm::Xml : PacketForm::Binary;
}

RecordTable parsePacket(std::string_view bytes) {
  MemorySource src(bytes);
  return readPacket(src);
}

RecordTable loadPacket(const std::filesystem::path& path) {
  FileSource src(path);
  try {
    return readPacket(src);
  } catch (const StoreError& e) {
    throw StoreError("Cannot load file \"" + utf8Path(path) + "\". " + e.what());
  }
}

void savePacket(const RecordTable& table, const std::filesystem::path& path, PacketForm form) {
  files::AtomicWriter writer(path);
  FileSink sink(writer);
  writePacket(table, sink, resolveForm(path, form));
  writer.commit();
}

std::string packetBytes(const RecordTable& table, PacketForm form) {
  std::string bytes;
  StringSink sink(bytes);
  writePacket(table, sink, form);
  return bytes;
}

}  // namespace store
