#include "FileLayer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void put(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> namesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Bytes that are not text: every value, NUL and line breaks included.
std::string noise(std::size_t size, unsigned seed) {
  std::mt19937 engine(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(engine() & 0xFF);
  return bytes;
}

class FileLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "odk-files-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    target_ = dir_ / "Odkaznik.xml";
  }
  void TearDown() override {
    files::clearFaults();
    files::setStepObserver({});
    files::setSyncEnabled(true);
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }

  fs::path dir_;
  fs::path target_;
};

TEST_F(FileLayerTest, CommitReplacesTheTargetWithAllPiecesInOrder) {
  put(target_, "old content that is longer than the new one");
  // Pieces below, at and above the buffer size, so that the buffer is
  // flushed between writes and large pieces go straight to the file.
  const std::vector<std::string> pieces = {"<?xml?>", noise(700 * 1024, 1), noise(3 * 1024 * 1024, 2), "",
                                           noise(1024 * 1024, 3), "</DATAPACKET>"};
  std::string expected;
  {
    files::AtomicWriter writer(target_);
    for (const auto& piece : pieces) {
      writer.write(piece);
      expected += piece;
    }
    writer.commit();
  }
  EXPECT_EQ(slurp(target_), expected);
  EXPECT_EQ(namesIn(dir_), std::vector<std::string>{"Odkaznik.xml"});
}

TEST_F(FileLayerTest, CreatesAMissingTargetAndKeepsTheModeOfAnExistingOne) {
  files::writeFileAtomically(target_, "");
  EXPECT_TRUE(fs::exists(target_));
  EXPECT_EQ(slurp(target_), "");

  ASSERT_EQ(::chmod(target_.c_str(), 0640), 0);
  files::writeFileAtomically(target_, "new");
  struct stat st {};
  ASSERT_EQ(::stat(target_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(slurp(target_), "new");
}

TEST_F(FileLayerTest, WritingThroughALinkUpdatesTheFileItNames) {
  const fs::path real = dir_ / "real.ini";
  const fs::path link = dir_ / "Odkaznik.ini";
  put(real, "old");
  fs::create_symlink(real, link);
  files::writeFileAtomically(link, "new");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(slurp(real), "new");
}

TEST_F(FileLayerTest, ADroppedWriterRemovesItsTemporaryAndLeavesTheTarget) {
  put(target_, "old");
  {
    files::AtomicWriter writer(target_);
    writer.write(noise(2 * 1024 * 1024, 4));
  }
  EXPECT_EQ(slurp(target_), "old");
  EXPECT_EQ(namesIn(dir_), std::vector<std::string>{"Odkaznik.xml"});
}

// Each step of a write that fails: the old file stays whole, no temporary file
// remains, the error names the target, and the fault fires only once. With
// the sync switched off (tests, fuzzing) every step still runs and can fail.
TEST_F(FileLayerTest, AFailedStepLeavesTheOldTargetWhole) {
  struct Case {
    files::Step step;
    int occurrence;
    int error;
  };
  const Case cases[] = {
      {files::Step::Create, 1, EROFS},  {files::Step::Write, 1, ENOSPC}, {files::Step::Write, 2, EIO},
      {files::Step::Write, 3, EFBIG},   {files::Step::Flush, 1, ENOSPC}, {files::Step::Sync, 1, EIO},
      {files::Step::Rename, 1, EXDEV},
  };
  const std::string old = noise(5000, 5);
  // Two low-level writes when the buffer overflows, a third at the commit.
  const std::string first = noise(900 * 1024, 6), second = noise(900 * 1024, 7), third = noise(900 * 1024, 8);
  for (const bool sync : {true, false})
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "step " << static_cast<int>(c.step) << " #" << c.occurrence
                                      << (sync ? "" : " without sync"));
    files::setSyncEnabled(sync);
    put(target_, old);
    files::clearFaults();
    files::injectFault({c.step, c.occurrence, c.error});
    try {
      files::AtomicWriter writer(target_);
      writer.write(first);
      writer.write(second);
      writer.write(third);
      writer.commit();
      ADD_FAILURE() << "the write went through";
    } catch (const files::FileError& e) {
      EXPECT_EQ(e.what(), files::cannotCreate(target_, c.error));
      EXPECT_NE(std::string(e.what()).find("Cannot create file \"" + target_.string() + "\". "), std::string::npos);
    }
    EXPECT_EQ(slurp(target_), old);
    EXPECT_EQ(namesIn(dir_), std::vector<std::string>{"Odkaznik.xml"});

    files::writeFileAtomically(target_, "after");
    EXPECT_EQ(slurp(target_), "after");
  }
}

TEST_F(FileLayerTest, AnInterruptedWriteIsRepeated) {
  files::injectFault({files::Step::Write, 1, EINTR});
  files::writeFileAtomically(target_, "whole");
  EXPECT_EQ(slurp(target_), "whole");
}

TEST_F(FileLayerTest, UntilTheRenameTheOldTargetStaysAndTheNewBytesAreInTheTemporary) {
  put(target_, "old");
  std::vector<files::Step> seen;
  std::string targetAtRename, temporaryAtRename;
  files::setStepObserver([&](files::Step step) {
    seen.push_back(step);
    if (step != files::Step::Rename) return;
    targetAtRename = slurp(target_);
    for (const auto& entry : fs::directory_iterator(dir_))
      if (files::isTemporaryName(entry.path())) temporaryAtRename = slurp(entry.path());
  });
  files::writeFileAtomically(target_, "new");
  EXPECT_EQ(targetAtRename, "old");
  EXPECT_EQ(temporaryAtRename, "new");
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), files::Step::Create);
  EXPECT_EQ(seen.back(), files::Step::Rename);
  EXPECT_EQ(slurp(target_), "new");
}

TEST_F(FileLayerTest, TargetsThatCannotBeWrittenFailNamingTheTarget) {
  const fs::path directory = dir_ / "Odkaznik.ini";
  fs::create_directory(directory);
  const fs::path inMissingDirectory = dir_ / "missing" / "Odkaznik.xml";
  struct Case {
    fs::path target;
    int error;
  };
  const Case cases[] = {{directory, EISDIR}, {inMissingDirectory, ENOENT}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target.string());
    try {
      files::writeFileAtomically(c.target, "x");
      ADD_FAILURE() << "the write went through";
    } catch (const files::FileError& e) {
      EXPECT_EQ(e.what(), files::cannotCreate(c.target, c.error));
    }
  }
  EXPECT_TRUE(fs::is_directory(directory));
  EXPECT_TRUE(fs::is_empty(directory));
  EXPECT_EQ(namesIn(dir_), std::vector<std::string>{"Odkaznik.ini"});
}

TEST_F(FileLayerTest, AWriteProtectedTargetIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "write protection does not hold for the superuser";
  put(target_, "old");
  ASSERT_EQ(::chmod(target_.c_str(), 0444), 0);
  EXPECT_THROW(files::writeFileAtomically(target_, "new"), files::FileError);
  EXPECT_EQ(slurp(target_), "old");
  EXPECT_EQ(namesIn(dir_), std::vector<std::string>{"Odkaznik.xml"});
}

// A directory that refuses new files, with the target in it writable: the
// new content goes over the target in place, whole, in one go at the
// commit, whether it is longer or shorter than the old one.
TEST_F(FileLayerTest, ADirectoryThatRefusesNewFilesGetsTheTargetWrittenInPlace) {
  const std::string longer = noise(3 * 1024 * 1024, 11), shorter = "short";
  put(target_, noise(5000, 10));
  ASSERT_EQ(::chmod(target_.c_str(), 0640), 0);
  struct stat before{};
  ::stat(target_.c_str(), &before);
  for (const std::string* content : {&longer, &shorter}) {
    files::clearFaults();
    files::injectFault({files::Step::Create, 1, EACCES});
    std::string seenAtFlush;
    files::setStepObserver([&](files::Step step) {
      if (step == files::Step::Flush) seenAtFlush = slurp(target_);
    });
    const std::string old = slurp(target_);
    files::AtomicWriter writer(target_);
    EXPECT_TRUE(writer.inPlace());
    writer.write(std::string_view(*content).substr(0, content->size() / 2));
    writer.write(std::string_view(*content).substr(content->size() / 2));
    EXPECT_TRUE(slurp(target_) == old);  // nothing overwritten while the content comes
    writer.commit();
    files::setStepObserver({});
    // Room claimed first, the old content still there, then the new one.
    EXPECT_TRUE(seenAtFlush.compare(0, old.size(), old) == 0);
    EXPECT_TRUE(slurp(target_) == *content);
    struct stat after{};
    ::stat(target_.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);  // the same file, not a new one
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(namesIn(dir_), std::vector<std::string>{"Odkaznik.xml"});
  }

  // A target that is not there cannot be written in place; nor can one
  // refused by other errors than permission.
  files::clearFaults();
  files::injectFault({files::Step::Create, 1, EACCES});
  EXPECT_THROW(files::writeFileAtomically(dir_ / "Seznam.txt", "new"), files::FileError);
  EXPECT_FALSE(fs::exists(dir_ / "Seznam.txt"));
  files::injectFault({files::Step::Create, 1, EROFS});
  EXPECT_THROW(files::writeFileAtomically(target_, "new"), files::FileError);
  EXPECT_EQ(slurp(target_), shorter);

  // Opening the target refused too: the error names it, the file stays.
  files::clearFaults();
  files::injectFault({files::Step::Create, 1, EACCES});
  files::injectFault({files::Step::Create, 2, EACCES});
  try {
    files::writeFileAtomically(target_, "new");
    ADD_FAILURE() << "the write went through";
  } catch (const files::FileError& e) {
    EXPECT_EQ(e.what(), files::cannotCreate(target_, EACCES));
  }
  EXPECT_EQ(slurp(target_), shorter);
}

// The real thing, for a user the permissions hold for.
TEST_F(FileLayerTest, AReadOnlyDirectorySavesItsWritableFilesInPlace) {
  if (::geteuid() == 0) GTEST_SKIP() << "directory permissions do not hold for the superuser";
  put(target_, "old");
  ASSERT_EQ(::chmod(target_.c_str(), 0666), 0);
  ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
  files::writeFileAtomically(target_, "new content");
  EXPECT_EQ(slurp(target_), "new content");
  EXPECT_THROW(files::writeFileAtomically(dir_ / "Seznam.txt", "x"), files::FileError);
  EXPECT_EQ(namesIn(dir_), std::vector<std::string>{"Odkaznik.xml"});
}

// A save killed midway leaves its temporary file; the next start removes
// such files, and only those: other names stay, and so does the temporary
// file of a save that is still running.
TEST_F(FileLayerTest, LeftoverTemporaryFilesAreRemovedButNoneInUse) {
  put(target_, "register");
  put(dir_ / ".Odkaznik.xml.0123abcd.tmp", noise(100000, 12));
  put(dir_ / ".Odkaznik.ini.ffff0000.tmp", "x");
  put(dir_ / ".Odkaznik.xml.tmp", "not ours");
  put(dir_ / "poznamky.0123abcd.tmp", "not ours");
  fs::create_directory(dir_ / ".Seznam.txt.00000000.tmp");
  files::AtomicWriter running(dir_ / "Seznam.txt");
  running.write("in progress");
  EXPECT_EQ(files::removeLeftoverTemporaries(dir_), 2);
  std::vector<std::string> names = namesIn(dir_);
  ASSERT_EQ(names.size(), 5u);
  names.erase(std::remove_if(names.begin(), names.end(),
                             [](const std::string& n) { return n.rfind(".Seznam.txt.", 0) == 0 && n != ".Seznam.txt.00000000.tmp"; }),
              names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".Odkaznik.xml.tmp", ".Seznam.txt.00000000.tmp", "Odkaznik.xml",
                                             "poznamky.0123abcd.tmp"}));
  running.commit();
  EXPECT_EQ(slurp(dir_ / "Seznam.txt"), "in progress");
  EXPECT_EQ(files::removeLeftoverTemporaries(dir_ / "missing"), 0);
}

TEST_F(FileLayerTest, ReadWholeFileGivesEveryByteOrNamesTheFile) {
  const std::string bytes = noise(200 * 1024, 9);
  put(target_, bytes);
  EXPECT_EQ(files::readWholeFile(target_), bytes);

  const fs::path missing = dir_ / "Seznam.txt";
  try {
    files::readWholeFile(missing);
    ADD_FAILURE() << "a missing file was read";
  } catch (const files::FileError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot open file \"" + missing.string() + "\". " + files::systemReason(ENOENT));
  }
}

// The loader reads the register in windows and looks ahead (the binary
// form's trailer, the UTF-8 check) between them: a positioned read must not
// move where the next window starts.
TEST_F(FileLayerTest, AReaderReadsOnWhereItWasAfterAPositionedRead) {
  const std::string bytes = noise(300 * 1024, 10);
  put(target_, bytes);
  files::FileReader reader(target_);
  EXPECT_EQ(reader.size(), bytes.size());
  std::string sequential;
  std::string piece(64 * 1024, '\0');
  for (std::uint64_t at : {bytes.size() - 12, std::uint64_t{0}, std::uint64_t{150000}, bytes.size(),
                           bytes.size() + 10}) {
    const std::size_t got = reader.read(piece.data(), piece.size());
    sequential.append(piece, 0, got);
    std::string ahead(12, '\0');
    ahead.resize(reader.readAt(ahead.data(), ahead.size(), at));
    EXPECT_EQ(ahead, at < bytes.size() ? bytes.substr(at, 12) : std::string()) << at;
  }
  while (const std::size_t got = reader.read(piece.data(), piece.size())) sequential.append(piece, 0, got);
  EXPECT_EQ(sequential, bytes);
}

// The table exports write single characters and pieces of every size; the
// file holds them all in order, whatever the buffer did in between.
TEST_F(FileLayerTest, ADirectWriterWritesEveryPieceInOrder) {
  struct Piece {
    std::string bytes;
    bool byCharacter = false;  // written a character at a time
  };
  const std::vector<std::vector<Piece>> cases = {
      {},
      {{"a", true}, {""}, {"bc"}},
      {{noise(64 * 1024 - 1, 13)}, {"x", true}, {"y", true}, {noise(10, 14)}},
      {{noise(64 * 1024, 15)}, {"x", true}, {noise(200 * 1024, 16)}, {"z"}},
      {{std::string(70000, 'c'), true}, {noise(100, 17)}},
  };
  put(target_, "old content that is longer than the new one");
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    std::string expected;
    {
      files::DirectWriter writer(target_);
      for (const Piece& piece : cases[i]) {
        if (piece.byCharacter)
          for (char c : piece.bytes) writer.write(c);
        else
          writer.write(piece.bytes);
        expected += piece.bytes;
      }
      writer.close();
    }
    EXPECT_EQ(slurp(target_), expected) << "case " << i;
  }
  EXPECT_EQ(namesIn(dir_), std::vector<std::string>{"Odkaznik.xml"});
}

TEST(FileLayerNames, TemporaryNamesAreToldApart) {
  const std::pair<const char*, bool> cases[] = {
      {".Odkaznik.xml.0123abcd.tmp", true}, {"/x/y/.Odkaznik.ini.ffffffff.tmp", true},
      {"Odkaznik.xml", false},             {".Odkaznik.xml", false},
      {"Odkaznik.xml.0123abcd.tmp", false}, {".Odkaznik.xml.0123abcg.tmp", false},
      {"..0123abcd.tmp", false},            {".Odkaznik.xml.0123abc.tmp", false},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(files::isTemporaryName(name), expected) << name;
}

}  // namespace
