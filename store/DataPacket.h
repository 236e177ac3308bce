#pragma once
// The data packet: field definitions and rows, in one of three forms (XML in
// Windows-1250, XML in UTF-8, binary with a 4-byte signature). What the rest
// of the program reads and writes packets through; the forms themselves are
// in PacketXmlReader, PacketXmlWriter and PacketBinary.
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

}  // namespace store
