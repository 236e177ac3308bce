// The README's way of starting the program: scripts/run.sh builds it into
// BUILD_DIR and starts it from there, and what it leaves is a program
// directory that runs anywhere.
#include <QLockFile>
#include <set>

#include "Desktop.h"

using namespace desktop;

namespace {

QString q(const fs::path& p) { return QString::fromStdString(p.string()); }

// A build from nothing on a loaded machine.
constexpr int kBuildLimitMs = 50 * 60'000;

std::set<std::string> names(const fs::path& d) {
  std::set<std::string> out;
  if (fs::is_directory(d))
    for (const auto& e : fs::directory_iterator(d)) out.insert(e.path().filename().string());
  return out;
}

}  // namespace

class RunScript : public DesktopTest {};

TEST_F(RunScript, BuildsAndStartsTheProgramFromACompleteProgramDirectory) {
  const fs::path source = ODK_SOURCE_DIR;
  // Under the source tree and ignored by git, so that the second run of the
  // suite (the sanitizer build) finds it built and only relinks.
  const fs::path build = source / "build-run-test";
  fs::create_directories(build);
  QLockFile lock(q(build / "run-test.lock"));
  lock.setStaleLockTime(0);
  ASSERT_TRUE(lock.tryLock(kBuildLimitMs)) << "another run of this test holds " << build;
  // The program directory has to come from this run.
  fs::remove_all(build / "program");

  QProcessEnvironment env = display->environment();
  env.insert("BUILD_DIR", q(build));
  env.insert("QT_QPA_PLATFORM", "xcb");
  startProcess(q(source / "scripts" / "run.sh"), {}, env, workDir);
  answerFirstStart(kBuildLimitMs);
  quit();

  const fs::path program = build / "program";
  EXPECT_TRUE(fs::is_regular_file(program / "Odkaznik"));
  EXPECT_NE(fs::status(program / "Odkaznik").permissions() & fs::perms::owner_exec, fs::perms::none);
  const std::set<std::string> shipped = names(source / "resources" / "Ses");
  EXPECT_EQ(shipped.size(), 3u);
  EXPECT_EQ(names(program / "Ses"), shipped);
  for (const std::string& name : shipped) {
    if (fs::exists(program / "Ses" / name)) {
      EXPECT_TRUE(readFile(program / "Ses" / name) == readFile(source / "resources" / "Ses" / name))
          << "Ses/" << name << " is not the shipped template";
    }
  }
  EXPECT_TRUE(fs::is_regular_file(program / "translations" / "qtbase_cs.qm"));
  EXPECT_TRUE(fs::is_regular_file(program / "translations" / "odkaznik_cs.qm"));
}
