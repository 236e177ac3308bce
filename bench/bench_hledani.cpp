// odk_bench_hledani: finding and ordering in the main window on a large
// register (1 000 000 records by default): a search that finds nothing, the
// filter switched on, and a title-click sort by Nazev, the first time and
// again after sorting by another field. Prints Markdown table rows.
//
//   odk_bench_hledani [SIZE]
//
// Times are wall-clock seconds of the main window's own handlers, run
// offscreen, with the grid attached.
#include <QApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

#include "Aplikace.h"
#include "Hlavni_f.h"
#include "RegisterGenerator.h"
#include "Seam.h"

namespace {

double seconds(const std::function<void()>& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// No person at the screen: every box is answered at once.
class BezObsluhy : public seam::Interaction {
 public:
  QMessageBox::StandardButton message(QWidget*, const seam::MessageRequest& r) override {
    return r.defaultButton != QMessageBox::NoButton ? r.defaultButton : QMessageBox::Ok;
  }
  std::optional<QString> input(QWidget*, const seam::InputRequest&) override { return std::nullopt; }
  QString openFileName(QWidget*, seam::FileRequest&) override { return {}; }
  QString saveFileName(QWidget*, seam::FileRequest&) override { return {}; }
  bool openUrl(const QUrl&) override { return false; }
  void setClipboardText(const QString&) override {}
  QRect primaryScreen() override { return {0, 0, 1024, 768}; }
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  NastavAplikaci(app);
  const long size = argc > 1 ? std::atol(argv[1]) : 1000000;

  BezObsluhy obsluha;
  seam::install(&obsluha);
  QTemporaryDir dir;
  THlavni w(dir.path());
  w.show();
  // The register is put into the open store in place of the empty one.
  w.ClientDataSet1.close();
  w.ClientDataSet1.open(bench::RegisterGenerator(size).table(static_cast<std::size_t>(size)));
  w.ClientDataSet1.setLogChanges(false);
  w.SirkaSloupcuExecute();
  QApplication::processEvents();

  std::printf("| Operation (%ld records) | Seconds |\n|---|---|\n", size);
  auto row = [](const char* what, double s) { std::printf("| %s | %.3f |\n", what, s); };

  bool found = true;
  row("search that finds nothing (Popis, substring)",
      seconds([&] { found = w.NajdiZaznam("Popis", "neexistuje", false); }));
  if (found) std::fprintf(stderr, "unexpected hit\n");
  w.ClientDataSet1.first();
  row("search that finds nothing (Nazev, whole value)",
      seconds([&] { found = w.NajdiZaznam("Nazev", "neexistuje", true); }));

  w.StavPohledu.NastavFiltr(0, "praha");
  row("filter switched on (Nazev contains \"praha\")", seconds([&] { w.ClientDataSet1.setFiltered(true); }));
  const int passed = w.ClientDataSet1.recordCount();
  row("filter switched off", seconds([&] { w.ClientDataSet1.setFiltered(false); }));

  row("title-click sort by Nazev, first time", seconds([&] { w.DBGrid1TitleClick(0); }));
  row("title-click sort by Nazev again", seconds([&] { w.DBGrid1TitleClick(0); }));
  row("title-click sort by Http, first time", seconds([&] { w.DBGrid1TitleClick(1); }));
  row("title-click sort by Nazev after Http", seconds([&] { w.DBGrid1TitleClick(0); }));
  std::fprintf(stderr, "filter passed %d records\n", passed);
  seam::install(nullptr);
  return 0;
}
