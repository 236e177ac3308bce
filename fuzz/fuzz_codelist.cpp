// The code list on any bytes: the codes written back as the code list
// dialog writes them (CR LF between lines) read back as the same codes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "SeznamKodu.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto codes = ciselnik::RozdelNaKody(std::string_view(reinterpret_cast<const char*>(data), size));
  std::string text;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (i) text += "\r\n";
    text += codes[i];
  }
  // A final line break adds no entry, so a last empty code needs one more.
  if (!codes.empty() && codes.back().empty()) text += "\r\n";
  if (ciselnik::RozdelNaKody(text) != codes) std::abort();
  return 0;
}
