// odk_bench_vymena: how fast the register is exchanged with other programs.
// Exports 1 000 000 records to delimited text and to the HTML page, 65 535
// records (the most a worksheet holds with its header) to a worksheet, and
// imports a delimited text file of 1 000 000 lines. Prints a Markdown table.
//
//   odk_bench_vymena [RECORDS] [--dir DIR]
//
// Every record has all four fields filled with Czech text; Popis is about
// 100 characters. Times are wall-clock seconds, the best of three runs; the
// exports pass a progress callback as the program does.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "Export1.h"
#include "ImportCSV.h"
#include "RecordStore.h"
#include "RegisterGenerator.h"

namespace fs = std::filesystem;

namespace {

double best(int runs, const std::function<void()>& setup, const std::function<void()>& work) {
  double result = 1e9;
  for (int i = 0; i < runs; ++i) {
    if (setup) setup();
    const auto t0 = std::chrono::steady_clock::now();
    work();
    result = std::min(result, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  return result;
}

double megabytes(const fs::path& p) { return static_cast<double>(fs::file_size(p)) / 1e6; }

}  // namespace

int main(int argc, char** argv) {
  std::size_t records = 1000000;
  fs::path dir = fs::temp_directory_path() / "odk-bench-vymena";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--dir" && i + 1 < argc)
      dir = argv[++i];
    else
      records = std::strtoull(argv[i], nullptr, 10);
  }
  fs::create_directories(dir);

  store::RecordStore s;
  s.open(bench::RegisterGenerator(1).table(records));
  s.setRecNo(static_cast<int>(records / 2));
  vymena::Prubeh prubeh;
  long ticks = 0;
  prubeh.zpravy = [&] { ++ticks; };
  prubeh.postup = [](std::int64_t, std::int64_t) {};

  const fs::path csv = dir / "export.csv", html = dir / "export.html", xls = dir / "export.xls";
  const double tCsv = best(3, {}, [&] { vymena::ExportDoCSV(s, true, true, ';', csv, prubeh); });
  const double tHtml = best(3, {}, [&] {
    vymena::ExportDoHTML(s, "Odkaznik", "http://www.odkaznik.example", html, prubeh);
  });

  store::RecordStore list;
  list.open(bench::RegisterGenerator(2).table(65535));
  const double tXls = best(3, {}, [&] { vymena::ExportDoXLS(list, true, xls, prubeh); });

  // The import reads the delimited text written above: the header line and
  // one line per record.
  store::RecordStore cil;
  const double tImport = best(3, [&] { cil.close(); cil.createEmpty(store::addressFieldDefs()); },
                              [&] { vymena::ImportZCSV(cil, csv); });

  std::printf("| Operation | Records | File (MB) | Time (s) |\n|---|---:|---:|---:|\n");
  std::printf("| delimited text export | %zu | %.1f | %.3f |\n", records, megabytes(csv), tCsv);
  std::printf("| HTML export | %zu | %.1f | %.3f |\n", records, megabytes(html), tHtml);
  std::printf("| worksheet export | 65535 | %.1f | %.3f |\n", megabytes(xls), tXls);
  std::printf("| delimited text import | %d | %.1f | %.3f |\n", cil.recordCount(), megabytes(csv), tImport);
  std::printf("\n(%ld calls to let messages through over all runs)\n", ticks);
  fs::remove_all(dir);
  return 0;
}
