#pragma once
// The XML form of the data packet, written: one line without breaks, the
// field definitions and then one ROW per record, values escaped; in
// Windows-1250 or in UTF-8.
#include "RecordTable.h"

namespace store::packet {

class Out;

// Every live record of `table` in natural order.
void writeXml(const RecordTable& table, Out& out, bool utf8);

}  // namespace store::packet
