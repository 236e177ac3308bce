// The prepared report reader on any bytes: it either fails with
// ChybaSablony or gives a report that the writer writes back byte for byte
// (every field is kept, nothing is made up).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "PripravenaSoubor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sestavy;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  PripravenaSestava s;
  try {
    s = CtiPripravenou(bytes, QStringLiteral("fuzz.sesp"));
  } catch (const ChybaSablony&) {
    return 0;
  }
  if (ZapisPripravenou(s) != bytes) std::abort();
  return 0;
}
