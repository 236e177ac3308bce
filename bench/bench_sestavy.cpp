// Report engine speed: preparing the shipped all-fields list and the list by
// code (on natural order, so grouping sorts) over a large register,
// exporting a prepared report to PDF, and saving and opening it as a
// prepared report file.
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>

#include "Priprava.h"
#include "PripravenaSoubor.h"
#include "RecordStore.h"
#include "RegisterGenerator.h"
#include "Sablona.h"
#include "Stopky.h"
#include "Vystupy.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const fs::path ses = fs::path(ODK_SES_DIR) / "Vsechny.ses";
  const sestavy::Sablona sablona = sestavy::NactiSablonu(ses);
  const sestavy::Sablona podleKodu = sestavy::NactiSablonu(fs::path(ODK_SES_DIR) / "PodleKodu.ses");
  QTemporaryDir tmp;

  std::printf("| operation | records | pages | seconds | target |\n|---|---:|---:|---:|---:|\n");
  for (const auto& [zaznamu, cil] : {std::pair{100000, 2.0}, std::pair{10000, 3.0}}) {
    store::RecordStore data;
    data.open(bench::RegisterGenerator(7).table(zaznamu));
    sestavy::PripravenaSestava s;
    const double p = sekundy([&] { s = sestavy::Priprav(sablona, data); });
    std::printf("| prepare all-fields list | %d | %zu | %.3f | %s |\n", zaznamu, s.strany.size(), p,
                zaznamu == 100000 ? "<= 2" : "-");
    if (zaznamu == 100000) {
      const fs::path sesp = fs::path(tmp.path().toStdString()) / "a.sesp";
      const double u = sekundy([&] { sestavy::UlozPripravenou(s, sesp); });
      sestavy::PripravenaSestava zpet;
      const double n = sekundy([&] { zpet = sestavy::NactiPripravenou(sesp); });
      std::printf("| save prepared report (.sesp, %.1f MB) | %d | %zu | %.3f | - |\n",
                  fs::file_size(sesp) / 1048576.0, zaznamu, s.strany.size(), u);
      std::printf("| open prepared report (.sesp) | %d | %zu | %.3f | - |\n", zaznamu, zpet.strany.size(), n);
      sestavy::PripravenaSestava g;
      const double pg = sekundy([&] { g = sestavy::Priprav(podleKodu, data); });
      std::printf("| prepare the list by code (%zu groups) | %d | %zu | %.3f | <= 2 |\n", g.osnova.size(), zaznamu,
                  g.strany.size(), pg);
    }
    if (zaznamu == 10000) {
      const fs::path pdf = fs::path(tmp.path().toStdString()) / "a.pdf";
      const double e = sekundy([&] { sestavy::VystupPDF(s, pdf); });
      std::printf("| PDF export (prepared) | %d | %zu | %.3f | <= %.0f |\n", zaznamu, s.strany.size(), e, cil);
      std::printf("| PDF export incl. preparing | %d | %zu | %.3f | <= %.0f |\n", zaznamu, s.strany.size(), e + p, cil);
      std::printf("(PDF size %.1f MB)\n", fs::file_size(pdf) / 1048576.0);
      // A picture of the first page, to look at the layout: odk_bench_sestavy page.png
      if (argc > 1) sestavy::VystupObrazky(s, argv[1], "PNG");
    }
  }

  // Templates of 10 MB: one with a name of 10 MB (refused, its raw name
  // listed), and one within the bounds (10 000 texts of 1 000 letters).
  std::printf("\n| template of 10 MB | seconds | target |\n|---|---:|---:|\n");
  const std::string obrovsky = "<Sestava ReportOptions.Name=\"" + std::string(10 << 20, '\x9e') + "\"/>";
  const double odmitnuti = sekundy([&] {
    try {
      sestavy::CtiSablonu(obrovsky);
    } catch (const sestavy::ChybaSablony&) {
    }
  });
  std::printf("| read, a name of 10 MB (refused) | %.3f | < 1 |\n", odmitnuti);
  std::printf("| raw name of 10 MB for the catalogue | %.3f | < 1 |\n",
              sekundy([&] { sestavy::CtiSurovyNazev(obrovsky); }));
  sestavy::Sablona velka = sablona;
  velka.pasma.back().objekty.assign(sestavy::kNejviceObjektu - 100, sestavy::TextovyObjekt{});
  for (auto& t : velka.pasma.back().objekty) t.text = QString(1000, QChar(u'ž'));
  const std::string bajty = sestavy::ZapisSablonu(velka);
  const double cteni = sekundy([&] { sestavy::CtiSablonu(bajty); });
  std::printf("| read, %.1f MB within the bounds | %.3f | < 1 |\n", bajty.size() / 1048576.0, cteni);
  return 0;
}
