#include "DataPacket.h"

#include <cstring>
#include <string>

#include "CodePage.h"
#include "FileLayer.h"
#include "PacketBinary.h"
#include "PacketOutput.h"
#include "PacketSource.h"
#include "PacketXmlReader.h"
#include "PacketXmlWriter.h"

namespace store {

namespace {

using packet::FileSink;
using packet::FileSource;
using packet::MemorySource;
using packet::Out;
using packet::Sink;
using packet::Source;
using packet::StringSink;

RecordTable readPacket(Source& src) {
  if (src.size() >= sizeof kBinarySignature &&
      std::memcmp(src.data(), kBinarySignature, sizeof kBinarySignature) == 0)
    return packet::readBinary(src);
  return packet::readXml(src);
}

void writePacket(const RecordTable& table, Sink& sink, PacketForm form) {
  Out out(sink, form == PacketForm::Binary || form == PacketForm::Default);
  switch (form) {
    case PacketForm::Xml: packet::writeXml(table, out, false); break;
    case PacketForm::XmlUtf8: packet::writeXml(table, out, true); break;
    case PacketForm::Binary:
    case PacketForm::Default: packet::writeBinary(table, out); break;
  }
  out.flush();
}

}  // namespace

PacketForm resolveForm(const std::filesystem::path& path, PacketForm form) {
  if (form != PacketForm::Default) return form;
  return cp1250::equalsAsciiNoCase(files::utf8(path.extension()), ".xml") ? PacketForm::Xml : PacketForm::Binary;
}

RecordTable parsePacket(std::string_view bytes) {
  MemorySource src(bytes);
  return readPacket(src);
}

RecordTable loadPacket(const std::filesystem::path& path) {
  FileSource src(path);
  try {
    return readPacket(src);
  } catch (const StoreError& e) {
    throw StoreError("Cannot load file \"" + files::utf8(path) + "\". " + e.what());
  }
}

void savePacket(const RecordTable& table, const std::filesystem::path& path, PacketForm form) {
  files::AtomicWriter writer(path);
  FileSink sink(writer);
  writePacket(table, sink, resolveForm(path, form));
  writer.commit();
}

std::string packetBytes(const RecordTable& table, PacketForm form) {
  std::string bytes;
  StringSink sink(bytes);
  writePacket(table, sink, form);
  return bytes;
}

}  // namespace store
