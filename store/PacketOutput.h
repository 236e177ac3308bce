#pragma once
// The output of the packet writers: a buffer in front of a sink, which is a
// string (the packet as bytes) or the file layer's atomic writer (a save).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace files {
class AtomicWriter;
}

namespace store::packet {

// Where the packet's bytes go, a whole buffer at a time.
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
  void take(std::string_view bytes) override;

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
  void hand(std::string_view s);

  Sink& sink_;
  const bool withCrc_;
  std::unique_ptr<char[]> buf_;
  std::size_t pos_ = 0;
  std::uint32_t crc_ = 0;
  std::uint64_t length_ = 0;
};

}  // namespace store::packet
