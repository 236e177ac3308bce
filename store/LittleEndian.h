#pragma once
// Little-endian numbers of the binary data packet, taken and put a byte at a
// time: neither the processor's byte order nor alignment matters.
#include <cstdint>

namespace store::packet {

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

}  // namespace store::packet
