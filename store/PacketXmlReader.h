#pragma once
// The XML form of the data packet, read: in Windows-1250 or, when the file
// says so and is valid UTF-8, in UTF-8.
#include "RecordTable.h"

namespace store::packet {

class Source;

// Reads a packet that does not begin with the binary form's signature.
// Throws StoreError when it is no data packet or is damaged.
RecordTable readXml(Source& src);

}  // namespace store::packet
