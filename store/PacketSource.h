#pragma once
// The input of the packet readers: a window onto the packet, which is the
// whole of it when it is held in memory and a few megabytes of it when it
// is read from a file, and the reading of one piece at a time through that
// window.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "FileLayer.h"

namespace store::packet {

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

// The whole packet held in memory: the window is everything.
class MemorySource final : public Source {
 public:
  explicit MemorySource(std::string_view bytes) : all_(bytes) {
    data_ = bytes.data();
    size_ = bytes.size();
  }
  std::uint64_t totalSize() const override { return all_.size(); }
  void advance(std::size_t) override {}  // never asked: the window is everything
  bool wholeIsValidUtf8() override;
  std::string bytesAt(std::uint64_t at, std::size_t n) override;

 private:
  std::string_view all_;
};

// The file read through a window of a few megabytes: a register of hundreds
// of megabytes is never held whole in memory beside its records, and the
// window's memory is touched once and reused.
class FileSource final : public Source {
 public:
  static constexpr std::size_t kWindow = std::size_t(4) << 20;

  explicit FileSource(const std::filesystem::path& path);
  std::uint64_t totalSize() const override { return file_.size(); }
  void advance(std::size_t consumed) override;
  bool wholeIsValidUtf8() override;
  std::string bytesAt(std::uint64_t at, std::size_t n) override;

 private:
  void fill();

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

}  // namespace store::packet
