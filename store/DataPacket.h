#pragma once
// The data packet: field definitions and rows, in one of three forms (XML in
// Windows-1250, XML in UTF-8, binary with a 4-byte signature).
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "PacketForm.h"
#include "RecordTable.h"
#include "StoreError.h"

namespace store {

// The form `Default` resolves to for a file name.
PacketForm resolveForm(const std::filesystem::path& path, PacketForm form);

// Parses a whole packet held in memory. Throws StoreError with a clear text
// when the bytes are neither form or are damaged.
RecordTable parsePacket(std::string_view bytes);

// Reads and parses a file. Errors name the file.
RecordTable loadPacket(const std::filesystem::path& path);

// Writes every live record of `table` in natural order in the given form
// (Default resolved from the path) through the file layer: a temporary file
// in the same directory, flushed, synced and renamed over `path`.
void savePacket(const RecordTable& table, const std::filesystem::path& path, PacketForm form);

// The packet as bytes (for tests and round trips).
std::string packetBytes(const RecordTable& table, PacketForm form);

// CRC-32C (the Castagnoli polynomial, 82F63B78 reflected) that guards the
// binary form; `crc` chains a previous result over further bytes. Uses the
// processor's CRC instruction where there is one.
std::uint32_t crc32c(std::string_view bytes, std::uint32_t crc = 0);
// The same computed with tables only.
std::uint32_t crc32cPortable(std::string_view bytes, std::uint32_t crc = 0);

// The binary form, little-endian throughout:
//   signature (4 bytes) | version u32 = 1
//   field count u32 | per field: name length u32, name, type length u32,
//                                type, width u32, flags u32 (bit 0 required)
//   row count u32   | per row, per field: length u32 or FFFFFFFF for no
//                                value, then that many bytes
//   trailer: length u64 of everything between the version and the trailer,
//            CRC-32C u32 of everything before the trailer
inline constexpr std::uint32_t kBinaryVersion = 1;

}  // namespace store
