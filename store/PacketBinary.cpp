#include "PacketBinary.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "Crc32c.h"
#include "LittleEndian.h"
#include "PacketForm.h"
#include "PacketOutput.h"
#include "PacketSource.h"
#include "StoreError.h"

namespace store::packet {

namespace {

constexpr std::uint32_t kNoValue = 0xFFFFFFFFu;
constexpr std::size_t kTrailerSize = 12;  // body length u64 + CRC-32 u32
constexpr std::size_t kHeaderSize = 8;    // signature + version

[[noreturn]] void fail(const std::string& text) { throw StoreError(text); }

void put32(Out& out, std::uint32_t v) {
  char* w = out.room(4);
  out.advance(store32(w, v));
}

void putBlock(Out& out, std::string_view s) {
  if (s.size() >= kNoValue) fail("A text is too long for the binary data packet.");
  put32(out, static_cast<std::uint32_t>(s.size()));
  out.put(s);
}

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

}  // namespace

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

RecordTable readBinary(Source& src) { return BinaryReader(src).read(); }

}  // namespace store::packet
