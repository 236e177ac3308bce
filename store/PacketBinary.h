#pragma once
// The binary form of the data packet, written and read.
#include <cstdint>

#include "RecordTable.h"

namespace store::packet {

class Out;
class Source;

// The binary form, little-endian throughout:
//   signature (4 bytes) | version u32 = 1
//   field count u32 | per field: name length u32, name, type length u32,
//                                type, width u32, flags u32 (bit 0 required)
//   row count u32   | per row, per field: length u32 or FFFFFFFF for no
//                                value, then that many bytes
//   trailer: length u64 of everything between the version and the trailer,
//            CRC-32C u32 of everything before the trailer
inline constexpr std::uint32_t kBinaryVersion = 1;

// Every live record of `table` in natural order.
void writeBinary(const RecordTable& table, Out& out);

// Reads a packet that begins with the binary form's signature. Throws
// StoreError when it is damaged or incomplete.
RecordTable readBinary(Source& src);

}  // namespace store::packet
