// The RTF export of a long report, for timing how fast a word processor
// opens it: the all-fields list over records whose values fill their fields
// (255 characters where the field holds them), so each record takes several
// lines, or another shipped template. Writes the RTF and the PDF of the same
// prepared report:
//   odk_bench_rtf <records> <file.rtf> [<file.pdf> [<template, Vsechny.ses>]]
// and prints the pages, the sizes and the seconds each export took.
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "CodePage.h"
#include "Priprava.h"
#include "RecordStore.h"
#include "Sablona.h"
#include "Stopky.h"
#include "Vystupy.h"

namespace fs = std::filesystem;

namespace {

// A value of `delka` characters: Czech words, numbered by the record.
std::string hodnota(int zaznam, std::size_t delka) {
  std::string out = cp1250::fromUtf8("Záznam " + std::to_string(zaznam) + " ");
  const std::string slova = cp1250::fromUtf8("Příliš žluťoučký kůň úpěl ďábelské ódy; ");
  while (out.size() < delka) out += slova;
  out.resize(delka);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "odk_bench_rtf <records> <file.rtf> [<file.pdf> [<template>]]\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const int zaznamu = std::atoi(argv[1]);
  store::RecordStore data;
  data.createEmpty(store::addressFieldDefs());
  for (int i = 1; i <= zaznamu; ++i) {
    data.append();
    data.setText(0, hodnota(i, 80));
    data.setText(1, "http://example.cz/" + std::string(255 - 18, static_cast<char>('a' + i % 26)));
    data.setText(2, std::string(1, static_cast<char>('A' + i % 3)));
    data.setText(3, hodnota(i, 255));
    data.post();
  }
  data.first();
  const auto s = sestavy::Priprav(sestavy::NactiSablonu(fs::path(ODK_SES_DIR) / (argc > 4 ? argv[4] : "Vsechny.ses")),
                                  data);
  const double rtf = sekundy([&] { sestavy::VystupRTF(s, argv[2]); });
  std::printf("records %d, pages %zu\nRTF %.1f MB in %.2f s\n", zaznamu, s.strany.size(),
              fs::file_size(argv[2]) / 1048576.0, rtf);
  if (argc > 3) {
    const double pdf = sekundy([&] { sestavy::VystupPDF(s, argv[3]); });
    std::printf("PDF %.1f MB in %.2f s\n", fs::file_size(argv[3]) / 1048576.0, pdf);
  }
  return 0;
}
