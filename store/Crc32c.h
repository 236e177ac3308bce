#pragma once
// CRC-32C (the Castagnoli polynomial, 82F63B78 reflected), the checksum
// that guards the binary form of the data packet.
#include <cstdint>
#include <string_view>

namespace store {

// `crc` chains a previous result over further bytes. Uses the processor's
// CRC instruction where there is one.
std::uint32_t crc32c(std::string_view bytes, std::uint32_t crc = 0);
// The same computed with tables only.
std::uint32_t crc32cPortable(std::string_view bytes, std::uint32_t crc = 0);

}  // namespace store
