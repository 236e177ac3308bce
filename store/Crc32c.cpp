#include "Crc32c.h"

#include <array>
#include <cstring>

#include "LittleEndian.h"

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#include <nmmintrin.h>
#define ODK_CRC_INSTRUCTION 1
#else
#define ODK_CRC_INSTRUCTION 0
#endif

namespace store {

namespace {

using packet::load32;

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

#if ODK_CRC_INSTRUCTION
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
#endif

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

std::uint32_t crc32c(std::string_view bytes, std::uint32_t crc) {
#if ODK_CRC_INSTRUCTION
  static const bool hasInstruction = __builtin_cpu_supports("sse4.2");
  if (hasInstruction) return crc32cInstruction(bytes, crc);
#endif
  return crc32cPortable(bytes, crc);
}

}  // namespace store
