#include "PacketOutput.h"

#include "Crc32c.h"
#include "FileLayer.h"

namespace store::packet {

void FileSink::take(std::string_view bytes) { w_.write(bytes); }

void Out::hand(std::string_view s) {
  if (withCrc_) crc_ = crc32c(s, crc_);
  length_ += s.size();
  sink_.take(s);
}

}  // namespace store::packet
