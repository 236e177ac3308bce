#include "PacketSource.h"

#include <algorithm>
#include <cstring>

#include "CodePage.h"

namespace store::packet {

namespace {

// The length of the longest prefix of `p` that does not end inside a
// multi-byte UTF-8 sequence.
std::size_t completeSequences(const char* p, std::size_t n) {
  for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
    const auto b = static_cast<unsigned char>(p[n - back]);
    if ((b & 0xC0) == 0x80) continue;
    const std::size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return len > back ? n - back : n;
  }
  return n;
}

}  // namespace

bool MemorySource::wholeIsValidUtf8() { return cp1250::isValidUtf8(all_); }

std::string MemorySource::bytesAt(std::uint64_t at, std::size_t n) {
  return at > all_.size() ? std::string() : std::string(all_.substr(static_cast<std::size_t>(at), n));
}

FileSource::FileSource(const std::filesystem::path& path) : file_(path) {
  cap_ = kWindow;
  buf_ = std::make_unique_for_overwrite<char[]>(cap_);
  atEnd_ = false;
  fill();
}

void FileSource::advance(std::size_t consumed) {
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

bool FileSource::wholeIsValidUtf8() {
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

std::string FileSource::bytesAt(std::uint64_t at, std::size_t n) {
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

void FileSource::fill() {
  while (size_ < cap_ && !atEnd_) {
    const std::size_t r = file_.read(buf_.get() + size_, cap_ - size_);
    if (r == 0)
      atEnd_ = true;
    else
      size_ += r;
  }
  data_ = buf_.get();
}

}  // namespace store::packet
