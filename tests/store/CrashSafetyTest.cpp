// A save of the register stopped at every one of its steps, by an error or by
// the process being killed there, leaves Odkaznik.xml holding either the old
// or the new register, never a mix or a truncated file.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "DataPacket.h"
#include "FileLayer.h"
#include "RecordStore.h"

namespace fs = std::filesystem;

namespace {

store::RecordTable registerOf(int records, const std::string& name) {
  store::RecordTable t(store::addressFieldDefs());
  for (int i = 0; i < records; ++i) {
    const std::string n = name + " " + std::to_string(i);
    const store::Value v[] = {n, std::string_view("http://www.example.cz/"), std::string_view("WEB"),
                              std::string_view("Popis z\xE1znamu")};
    t.append(v);
  }
  return t;
}

class CrashSafety : public ::testing::Test {
 protected:
  fs::path dir = fs::temp_directory_path() / ("odk-crash-" + std::to_string(::getpid()));
  fs::path file = dir / "Odkaznik.xml";
  // Large enough that the new register takes several writes.
  store::RecordTable before = registerOf(3, "Star\xFD");
  store::RecordTable after = registerOf(20000, "Nov\xFD");
  std::string oldBytes, newBytes;

  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
    oldBytes = store::packetBytes(before, store::PacketForm::Xml);
    newBytes = store::packetBytes(after, store::PacketForm::Xml);
  }
  void TearDown() override {
    files::clearFaults();
    files::setStepObserver({});
    fs::remove_all(dir);
  }

  void writeOld() { store::savePacket(before, file, store::PacketForm::Xml); }

  // What the next start would open: the register file alone.
  std::string startupSees() {
    store::RecordStore s;
    s.setFileName(file);
    s.open();
    return store::packetBytes(s.table(), store::PacketForm::Xml);
  }
};

TEST_F(CrashSafety, KilledAtEveryStep) {
  int stopsTried = 0;
  for (int stopAt = 1;; ++stopAt) {
    writeOld();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int seen = 0;
      files::setStepObserver([&](files::Step) {
        if (++seen == stopAt) ::kill(::getpid(), SIGKILL);
      });
      store::savePacket(after, file, store::PacketForm::Xml);
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const std::string seen = startupSees();
    SCOPED_TRACE(stopAt);
    if (WIFEXITED(status)) {  // the save ran through: no step left to stop at
      EXPECT_EQ(seen, newBytes);
      break;
    }
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(seen == oldBytes || seen == newBytes);
    ++stopsTried;
  }
  EXPECT_GE(stopsTried, 4);  // create, several writes, flush, sync, rename
}

TEST_F(CrashSafety, FailingAtEveryStepKeepsTheOldFile) {
  for (files::Step step : {files::Step::Create, files::Step::Write, files::Step::Flush, files::Step::Sync,
                           files::Step::Rename}) {
    for (int occurrence = 1;; ++occurrence) {
      files::clearFaults();
      writeOld();
      files::injectFault({step, occurrence, ENOSPC});
      bool failed = false;
      try {
        store::savePacket(after, file, store::PacketForm::Xml);
      } catch (const files::FileError& e) {
        failed = true;
        EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
      }
      if (!failed) break;  // the step ran fewer times than that
      EXPECT_EQ(startupSees(), oldBytes);
      for (const auto& entry : fs::directory_iterator(dir)) EXPECT_EQ(entry.path().filename(), "Odkaznik.xml");
    }
  }
}

}  // namespace
