// odk_bench: how the record store copes with large registers. For each size
// (10 000, 100 000 and 1 000 000 records by default) it opens and saves the
// register in the three packet forms, sorts it by Nazev, sorts it again,
// filters it, stores one record into the sorted and filtered view, deletes
// it, and measures the peak memory of opening the XML file. Prints a
// Markdown table.
//
//   odk_bench [SIZE...] [--dir DIR] [--keep]
//
// Every record has all four fields filled with Czech text; Popis is about
// 100 characters. Times are wall-clock seconds; open and save are the best
// of three runs (five up to 100 000 records), the other operations single
// runs. Saving includes the file layer's sync and rename.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "CodePage.h"
#include "DataPacket.h"
#include "RecordStore.h"
#include "RegisterGenerator.h"

#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#define ODK_BENCH_CHILDREN 1
#else
#define ODK_BENCH_CHILDREN 0
#endif

namespace fs = std::filesystem;
using store::PacketForm;
using store::RecordStore;

namespace {

double seconds(const std::function<void()>& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double bestOf(int runs, const std::function<void()>& f) {
  double best = 1e100;
  for (int i = 0; i < runs; ++i) best = std::min(best, seconds(f));
  return best;
}

std::string xmlName(std::size_t records) { return "register-" + std::to_string(records) + ".xml"; }

// --- the child processes ----------------------------------------------------------

// Writes the register of `records` records as an XML packet.
int generate(std::size_t records, const fs::path& file) {
  const store::RecordTable table = bench::RegisterGenerator(records).table(records);
  store::savePacket(table, file, PacketForm::Xml);
  return 0;
}

// Opens the record store on `file` and prints the process's peak resident
// memory in KiB: run in a process of its own so that nothing else counts.
int peakOpen(const fs::path& file) {
#if ODK_BENCH_CHILDREN
  RecordStore s;
  s.setFileName(file);
  s.open();
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  std::printf("%ld\n", static_cast<long>(ru.ru_maxrss));
  return 0;
#else
  (void)file;
  return 1;
#endif
}

// Runs this program with `args` and returns what it printed, or "" when it
// failed.
std::string runChild(const std::vector<std::string>& args) {
#if ODK_BENCH_CHILDREN
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {};
  const pid_t pid = fork();
  if (pid < 0) return {};
  if (pid == 0) {
    dup2(pipeFds[1], 1);
    close(pipeFds[0]);
    close(pipeFds[1]);
    std::vector<char*> argv;
    std::string self = "/proc/self/exe";
    argv.push_back(self.data());
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(self.c_str(), argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  std::string out;
  char buf[256];
  ssize_t n;
  while ((n = read(pipeFds[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
  close(pipeFds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? (out.empty() ? std::string("ok") : out) : std::string();
#else
  (void)args;
  return {};
#endif
}

// --- the measurements ------------------------------------------------------------

struct Result {
  double xmlMb = 0;
  double openXml = 0, openUtf8 = 0, openBinary = 0;
  double saveXml = 0, saveUtf8 = 0, saveBinary = 0;
  double sortFirst = 0, sortAgain = 0, filterOn = 0, post = 0, remove = 0;
  std::size_t filtered = 0;
  double peakMb = -1;
};

std::unique_ptr<RecordStore> openStore(const fs::path& file) {
  auto s = std::make_unique<RecordStore>();
  s->setFileName(file);
  s->open();
  return s;
}

void measure(std::size_t records, const fs::path& dir, Result& r) {
  // The machine is shared: the best of several runs shows what the code
  // costs rather than what else was running.
  const int runs = records <= 100'000 ? 5 : 3;
  const fs::path xml = dir / xmlName(records);
  r.xmlMb = static_cast<double>(fs::file_size(xml)) / 1e6;

  std::unique_ptr<RecordStore> s;
  r.openXml = bestOf(runs, [&] {
    s.reset();
    s = openStore(xml);
  });
  r.saveXml = bestOf(runs, [&] { s->saveToFile(dir / "save.xml", PacketForm::Xml); });
  r.saveUtf8 = bestOf(runs, [&] { s->saveToFile(dir / "save-utf8.xml", PacketForm::XmlUtf8); });
  r.saveBinary = bestOf(runs, [&] { s->saveToFile(dir / "save.bak", PacketForm::Binary); });
  s.reset();
  r.openUtf8 = bestOf(runs, [&] {
    s.reset();
    s = openStore(dir / "save-utf8.xml");
  });
  s.reset();
  r.openBinary = bestOf(runs, [&] {
    s.reset();
    s = openStore(dir / "save.bak");
  });

  r.sortFirst = seconds([&] { s->setIndexFieldNames("Nazev"); });
  r.sortAgain = seconds([&] {
    s->setIndexFieldNames("");
    s->setIndexFieldNames("Nazev");
  });

  const int nazev = s->fieldByName("nazev");
  const std::string needle = cp1250::lowered(cp1250::fromUtf8("Nov"));
  s->setFilterPredicate(
      [&] { return cp1250::lowered(s->text(nazev)).find(needle) != std::string::npos; });
  r.filterOn = seconds([&] { s->setFiltered(true); });
  r.filtered = static_cast<std::size_t>(s->recordCount());

  r.post = seconds([&] {
    s->append();
    s->setText("nazev", cp1250::fromUtf8("Nová položka registru"));
    s->setText("http", "https://www.example.cz/nova");
    s->setText("kod", "WEB");
    s->setText("popis", cp1250::fromUtf8("Záznam vložený do setříděného a filtrovaného pohledu."));
    s->post();
  });
  r.remove = seconds([&] { s->deleteRecord(); });
  s.reset();
  for (const char* f : {"save.xml", "save-utf8.xml", "save.bak"}) fs::remove(dir / f);
}

std::string groupDigits(std::size_t n) {
  std::string s = std::to_string(n);
  for (int i = static_cast<int>(s.size()) - 3; i > 0; i -= 3) s.insert(static_cast<std::size_t>(i), " ");
  return s;
}

void printTable(const std::vector<std::size_t>& sizes, const std::vector<Result>& results) {
  auto line = [&](const char* name, const std::function<std::string(const Result&)>& cell) {
    std::printf("| %s |", name);
    for (const Result& r : results) std::printf(" %s |", cell(r).c_str());
    std::printf("\n");
  };
  auto fmt = [](const char* f, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return std::string(buf);
  };
  auto sec = [&](double Result::*m) { return [&, m](const Result& r) { return fmt("%.3f", r.*m); }; };
  auto ms = [&](double Result::*m) { return [&, m](const Result& r) { return fmt("%.3f", 1000 * (r.*m)); }; };

  std::printf("| Records |");
  for (std::size_t n : sizes) std::printf(" %s |", groupDigits(n).c_str());
  std::printf("\n|---|");
  for (std::size_t i = 0; i < sizes.size(); ++i) std::printf("---:|");
  std::printf("\n");
  line("XML file (MB)", [&](const Result& r) { return fmt("%.1f", r.xmlMb); });
  line("open XML (s)", sec(&Result::openXml));
  line("open XML in UTF-8 (s)", sec(&Result::openUtf8));
  line("open binary (s)", sec(&Result::openBinary));
  line("save XML (s)", sec(&Result::saveXml));
  line("save XML in UTF-8 (s)", sec(&Result::saveUtf8));
  line("save binary (s)", sec(&Result::saveBinary));
  line("first sort by Nazev (s)", sec(&Result::sortFirst));
  line("natural order, then Nazev again (s)", sec(&Result::sortAgain));
  line("filter on (s)", sec(&Result::filterOn));
  line("records passing the filter", [&](const Result& r) { return groupDigits(r.filtered); });
  line("Post into the sorted, filtered view (ms)", ms(&Result::post));
  line("Delete (ms)", ms(&Result::remove));
  line("peak memory opening XML (MB)",
       [&](const Result& r) { return r.peakMb < 0 ? std::string("n/a") : fmt("%.0f", r.peakMb); });
  line("peak memory / XML file size", [&](const Result& r) {
    return r.peakMb < 0 ? std::string("n/a") : fmt("%.2f", r.peakMb / r.xmlMb);
  });
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.size() == 3 && args[0] == "--generate") return generate(std::stoul(args[1]), args[2]);
    if (args.size() == 2 && args[0] == "--peak") return peakOpen(args[1]);

    std::vector<std::size_t> sizes;
    fs::path dir;
    bool keep = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (args[i] == "--dir" && i + 1 < args.size())
        dir = args[++i];
      else if (args[i] == "--keep")
        keep = true;
      else if (!args[i].empty() && std::isdigit(static_cast<unsigned char>(args[i][0])))
        sizes.push_back(std::stoul(args[i]));
      else {
        std::fprintf(stderr, "usage: odk_bench [SIZE...] [--dir DIR] [--keep]\n");
        return 2;
      }
    }
    if (sizes.empty()) sizes = {10'000, 100'000, 1'000'000};
    const bool ownDir = dir.empty();
    if (ownDir) dir = fs::temp_directory_path() / ("odk-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);

    // Registers are written and their peaks measured in child processes
    // first, while this process is still small: a child starts out with its
    // parent's memory counted.
    std::vector<Result> results(sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      const fs::path xml = dir / xmlName(sizes[i]);
      if (!fs::exists(xml) && runChild({"--generate", std::to_string(sizes[i]), xml.string()}).empty())
        generate(sizes[i], xml);
      const std::string peak = runChild({"--peak", xml.string()});
      if (!peak.empty()) results[i].peakMb = std::atof(peak.c_str()) * 1024 / 1e6;
    }
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      std::fprintf(stderr, "measuring %zu records...\n", sizes[i]);
      measure(sizes[i], dir, results[i]);
    }
    printTable(sizes, results);
    if (ownDir && !keep) fs::remove_all(dir);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "odk_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
