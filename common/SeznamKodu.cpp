#include "SeznamKodu.h"

#include "FileLayer.h"

namespace ciselnik {

std::string_view TextDoNul(std::string_view bytes) {
  const auto nul = bytes.find('\0');
  return nul == std::string_view::npos ? bytes : bytes.substr(0, nul);
}

std::vector<std::string> RozdelNaKody(std::string_view text) {
  text = TextDoNul(text);
  std::vector<std::string> codes;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      codes.emplace_back(text.substr(start));
      break;
    }
    codes.emplace_back(text.substr(start, end - start));
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  return codes;
}

std::vector<std::string> NactiSeznamKodu(const std::filesystem::path& path) {
  return RozdelNaKody(files::readWholeFile(path));
}

}  // namespace ciselnik
