// The import of delimited text on any bytes. The lines hold no line break
// and no NUL and follow each other in the text; the values of a line hold no
// ";" and are pieces of the line in order. The records an import makes,
// exported as delimited text and imported again, come back the same.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "Export1.h"
#include "ImportCSV.h"
#include "RecordStore.h"

namespace {

namespace fs = std::filesystem;

void check(bool ok) {
  if (!ok) std::abort();
}

std::vector<std::vector<std::string>> records(store::RecordStore& s) {
  std::vector<std::vector<std::string>> out;
  s.freezeNotifications();
  for (s.first(); !s.eof(); s.next()) {
    std::vector<std::string> v;
    for (int f = 0; f < 4; ++f) v.emplace_back(s.text(f));
    out.push_back(std::move(v));
  }
  s.releaseNotifications();
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto lines = vymena::RadkyTextu(text);
  const char* from = text.data();
  for (const std::string_view line : lines) {
    check(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos);
    check(line.data() >= from && line.data() + line.size() <= text.data() + text.size());
    from = line.data() + line.size();
    const auto values = vymena::HodnotyRadku(line);
    const char* at = line.data();
    for (const std::string_view v : values) {
      check(v.find(';') == std::string_view::npos);
      if (v.empty()) continue;
      check(v.data() >= at && v.data() + v.size() <= line.data() + line.size());
      at = v.data() + v.size();
    }
  }

  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("odk-fuzz-import-" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
  }();
  {
    std::ofstream out(dir / "vstup.csv", std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  store::RecordStore first;
  first.createEmpty(store::addressFieldDefs());
  vymena::ImportZCSV(first, dir / "vstup.csv");
  const auto imported = records(first);
  check(imported.size() == lines.size());

  vymena::ExportDoCSV(first, false, true, ';', dir / "vystup.csv");
  store::RecordStore second;
  second.createEmpty(store::addressFieldDefs());
  vymena::ImportZCSV(second, dir / "vystup.csv");
  check(records(second) == imported);
  return 0;
}
