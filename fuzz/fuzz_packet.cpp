// The data packet reader on any bytes: it either fails with StoreError or
// gives a table that the XML and binary writers reproduce exactly.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "DataPacket.h"

namespace {

bool sameTables(const store::RecordTable& a, const store::RecordTable& b) {
  if (a.fieldCount() != b.fieldCount() || a.liveCount() != b.liveCount()) return false;
  for (int f = 0; f < a.fieldCount(); ++f) {
    const auto &x = a.defs()[f], &y = b.defs()[f];
    if (x.name != y.name || x.type != y.type || x.width != y.width || x.required != y.required) return false;
  }
  std::vector<store::RecId> ids;
  a.forEachLive([&](store::RecId id) { ids.push_back(id); });
  std::size_t i = 0;
  bool same = true;
  b.forEachLive([&](store::RecId id) {
    for (int f = 0; f < a.fieldCount() && same; ++f) same = a.value(ids[i], f) == b.value(id, f);
    ++i;
  });
  return same;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  store::RecordTable table;
  try {
    table = store::parsePacket(bytes);
  } catch (const store::StoreError&) {
    return 0;
  }
  for (store::PacketForm form : {store::PacketForm::Xml, store::PacketForm::Binary}) {
    const std::string written = store::packetBytes(table, form);
    store::RecordTable again = store::parsePacket(written);
    if (!sameTables(table, again)) std::abort();
    if (store::packetBytes(again, form) != written) std::abort();
  }
  // The UTF-8 form must at least read back.
  (void)store::parsePacket(store::packetBytes(table, store::PacketForm::XmlUtf8));
  return 0;
}
