#include "SettingsFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <sstream>

#include "FileLayer.h"

namespace fs = std::filesystem;

namespace {

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "odk-ini-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    path_ = dir_ / "Odkaznik.ini";
  }
  void TearDown() override {
    files::clearFaults();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  std::string content() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  void put(std::string_view bytes) const {
    std::ofstream(path_, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  fs::path dir_;
  fs::path path_;
};

TEST_F(SettingsFileTest, FirstCloseThenTheSettingsDialogGiveTheExampleFile) {
  settings::SettingsFile ini(path_);
  ini.writeInteger("Formular", "Zleva", 154);
  ini.writeInteger("Formular", "Zhora", 130);
  ini.writeInteger("Formular", "Sirka", 716);
  ini.writeInteger("Formular", "Vyska", 507);
  EXPECT_EQ(content(), "[Formular]\r\nZleva=154\r\nZhora=130\r\nSirka=716\r\nVyska=507\r\n");

  ini.writeBool("Nastaveni", "ZobrazDialogUloz", true);
  ini.writeBool("Formular", "UkladatPozici", true);
  EXPECT_EQ(content(),
            "[Formular]\r\nZleva=154\r\nZhora=130\r\nSirka=716\r\nVyska=507\r\nUkladatPozici=1\r\n"
            "[Nastaveni]\r\nZobrazDialogUloz=1\r\n");

  EXPECT_EQ(ini.readInteger("Formular", "Sirka", 0), 716);
  EXPECT_TRUE(ini.readBool("Nastaveni", "ZobrazDialogUloz", false));
}

TEST_F(SettingsFileTest, IntegersAreWrittenInDecimal) {
  settings::SettingsFile ini(path_);
  ini.writeInteger("Formular", "Zleva", -8);
  ini.writeInteger("Formular", "Zhora", -2147483647 - 1);
  ini.writeBool("Formular", "UkladatPozici", false);
  EXPECT_EQ(content(), "[Formular]\r\nZleva=-8\r\nZhora=-2147483648\r\nUkladatPozici=0\r\n");
  EXPECT_EQ(ini.readInteger("Formular", "Zhora", 0), -2147483647 - 1);
}

TEST_F(SettingsFileTest, IntegerValues) {
  struct Case {
    const char* value;
    std::optional<int> expected;  // nullopt: the default is used
  };
  const Case cases[] = {
      {"12", 12},
      {"-7", -7},
      {"+5", 5},
      {"007", 7},
      {"0x20", 32},
      {"0X1f", 31},
      {"$10", 16},
      {"$aB", 171},
      {"-$10", -16},
      {"0x7FFFFFFF", 2147483647},
      {"0xFFFFFFFF", -1},
      {"$80000000", -2147483647 - 1},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"\t 42  ", 42},  // the value is trimmed
      {"0x", std::nullopt},
      {"$", std::nullopt},
      {"-", std::nullopt},
      {"", std::nullopt},
      {"abc", std::nullopt},
      {"12abc", std::nullopt},
      {"1 2", std::nullopt},
      {"0x1G", std::nullopt},
      {"0x100000000", std::nullopt},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"99999999999", std::nullopt},
      {"1e3", std::nullopt},
      {"--1", std::nullopt},
  };
  settings::SettingsFile ini(path_);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << '"' << c.value << '"');
    put(std::string("[Formular]\r\nSirka=") + c.value + "\r\n");
    EXPECT_EQ(ini.readInteger("Formular", "Sirka", 716), c.expected.value_or(716));
    int parsed = 0;
    const std::string trimmed = ini.readString("Formular", "Sirka", "");
    EXPECT_EQ(settings::parseInteger(trimmed, parsed), c.expected.has_value());
    if (c.expected) {
      EXPECT_EQ(parsed, *c.expected);
    }
  }
}

TEST_F(SettingsFileTest, BooleanValues) {
  struct Case {
    const char* file;
    bool whenDefaultOn, whenDefaultOff;
  };
  const Case cases[] = {
      {"[Formular]\r\nUkladatPozici=1\r\n", true, true},
      {"[Formular]\r\nUkladatPozici=2\r\n", true, true},
      {"[Formular]\r\nUkladatPozici=-1\r\n", true, true},
      {"[Formular]\r\nUkladatPozici=0\r\n", false, false},
      {"[Formular]\r\nUkladatPozici=$0\r\n", false, false},
      {"[Formular]\r\nUkladatPozici=ano\r\n", true, false},
      {"[Formular]\r\nUkladatPozici=\r\n", true, false},
      {"[Formular]\r\nZleva=0\r\n", true, false},
      // The key means nothing in the other section.
      {"[Nastaveni]\r\nUkladatPozici=0\r\n", true, false},
      {"[Nastaveni]\r\nUkladatPozici=1\r\n[Formular]\r\n", true, false},
  };
  settings::SettingsFile ini(path_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    put(c.file);
    EXPECT_EQ(ini.readBool("Formular", "UkladatPozici", true), c.whenDefaultOn);
    EXPECT_EQ(ini.readBool("Formular", "UkladatPozici", false), c.whenDefaultOff);
  }
}

TEST_F(SettingsFileTest, AMissingFileGivesDefaultsAndIsNotCreatedByReading) {
  settings::SettingsFile ini(path_);
  EXPECT_EQ(ini.readString("Formular", "Sirka", "def"), "def");
  EXPECT_EQ(ini.readInteger("Formular", "Sirka", 716), 716);
  EXPECT_TRUE(ini.readBool("Nastaveni", "ZobrazDialogUloz", true));
  EXPECT_FALSE(fs::exists(path_));
}

TEST_F(SettingsFileTest, ReadingFindsLinesByTheFileRules) {
  struct Case {
    const char* file;
    const char* expected;  // value of Formular/Sirka, "def" when absent
  };
  const Case cases[] = {
      {"[Formular]\r\nSirka=800\r\n", "800"},
      {"[Formular]\nSirka=800\n", "800"},
      {"[Formular]\rSirka=800\r", "800"},
      {"[Formular]\r\nSirka=800", "800"},
      {"  [ Formular ]  \r\n  Sirka \t=\t 800  \r\n", "800"},
      {"[formular]\r\nSIRKA=800\r\n", "800"},
      {"[Formular]\r\nSirka=\"a b \"\r\n", "a b "},
      {"[Formular]\r\nSirka='x'\r\n", "x"},
      {"[Formular]\r\nSirka=\"x\r\n", "\"x"},
      {"[Formular]\r\nSirka=\"x'\r\n", "\"x'"},
      {"[Formular]\r\nSirka=a=b\r\n", "a=b"},
      {"[Formular]\r\nSirka=\r\n", ""},
      {"[Formular]\r\nSirka=1\r\nSirka=2\r\n", "1"},
      {"[Formular]\r\nSirka=1\r\n[Formular]\r\nSirka=2\r\n", "1"},
      {"[Formular]\r\n;Sirka=1\r\n", "def"},
      {"[Formular]\r\nSirka 800\r\n", "def"},
      {"[Formular\r\nSirka=800\r\n", "def"},
      {"Sirka=800\r\n[Formular]\r\n", "def"},
      {"[Formular]\r\n[Nastaveni]\r\nSirka=800\r\n", "def"},
      {"[Formulare]\r\nSirka=800\r\n", "def"},
  };
  settings::SettingsFile ini(path_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    put(c.file);
    EXPECT_EQ(ini.readString("Formular", "Sirka", "def"), c.expected);
  }
}

TEST_F(SettingsFileTest, ATextAfterANulByteIsNotRead) {
  put(std::string("[Formular]\r\nZleva=1\r\n\0Sirka=800\r\n", 33));
  settings::SettingsFile ini(path_);
  EXPECT_EQ(ini.readInteger("Formular", "Zleva", 0), 1);
  EXPECT_EQ(ini.readInteger("Formular", "Sirka", 716), 716);
}

TEST_F(SettingsFileTest, NamesMatchWithoutRegardToCaseInWindows1250) {
  // "[ČÁST]" / "Žluť=1" in Windows-1250, asked for as "část" / "žLUŤ".
  put("[\xC8\xC1ST]\r\n\x8Elu\x9D=1\r\n");
  settings::SettingsFile ini(path_);
  EXPECT_EQ(ini.readString("\xE8\xE1st", "\x9ELU\x8D", "def"), "1");
  EXPECT_EQ(ini.readString("\xE8\xE1st", "Zlut", "def"), "def");
}

TEST_F(SettingsFileTest, AValueIsSeenUpTo2047Characters) {
  std::string value;
  for (int i = 0; i < 3000; ++i) value += static_cast<char>('a' + i % 26);
  put("[Formular]\r\nPopis=" + value + "\r\n");
  settings::SettingsFile ini(path_);
  EXPECT_EQ(ini.readString("Formular", "Popis", ""), value.substr(0, 2047));
}

TEST_F(SettingsFileTest, WritesKeepEveryOtherLine) {
  struct Case {
    const char* before;
    const char* section;
    const char* key;
    const char* after;
  };
  const Case cases[] = {
      // Replaced in place, with the caller's spelling of the key.
      {"; geometrie\r\n[formular]\r\nzleva = 1\r\nCizi=x\r\n\r\n  ; konec\r\nnesmysl\r\n[Nastaveni]\r\nZleva=5\r\n",
       "Formular", "Zleva",
       "; geometrie\r\n[formular]\r\nZleva=99\r\nCizi=x\r\n\r\n  ; konec\r\nnesmysl\r\n[Nastaveni]\r\nZleva=5\r\n"},
      // Only the first of two equal keys.
      {"[Formular]\r\nZleva=1\r\nZleva=2\r\n", "Formular", "Zleva", "[Formular]\r\nZleva=99\r\nZleva=2\r\n"},
      // A new key goes after the last key of its section, before the blank
      // lines and comments that close it.
      {"[Formular]\r\nZhora=1\r\n; poznamka\r\nSirka=2\r\n\r\n; dalsi\r\n\r\n[Nastaveni]\r\nX=1\r\n", "Formular",
       "Zleva",
       "[Formular]\r\nZhora=1\r\n; poznamka\r\nSirka=2\r\nZleva=99\r\n\r\n; dalsi\r\n\r\n[Nastaveni]\r\nX=1\r\n"},
      // A section without keys gets the key right after its header.
      {"[Formular]\r\n\r\n[Nastaveni]\r\n", "Formular", "Zleva", "[Formular]\r\nZleva=99\r\n\r\n[Nastaveni]\r\n"},
      // The key in another section is not the key.
      {"[Nastaveni]\r\nZleva=1\r\n", "Formular", "Zleva", "[Nastaveni]\r\nZleva=1\r\n[Formular]\r\nZleva=99\r\n"},
      // Any line break is read; every line is written with CR LF, the last
      // one too.
      {"[Formular]\nZhora=1\rx\r\n[A]", "Formular", "Zleva", "[Formular]\r\nZhora=1\r\nZleva=99\r\nx\r\n[A]\r\n"},
      {"; jen komentar", "Formular", "Zleva", "; jen komentar\r\n[Formular]\r\nZleva=99\r\n"},
      {"", "Formular", "Zleva", "[Formular]\r\nZleva=99\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    put(c.before);
    settings::SettingsFile(path_).writeInteger(c.section, c.key, 99);
    EXPECT_EQ(content(), c.after);
  }
}

TEST_F(SettingsFileTest, ARefusedWriteThrowsAndLeavesTheFile) {
  const std::string before = "[Formular]\r\nZleva=1\r\n";
  const std::string message = "Unable to write to " + path_.string();
  for (const files::Step step : {files::Step::Create, files::Step::Write, files::Step::Rename}) {
    SCOPED_TRACE(static_cast<int>(step));
    put(before);
    files::injectFault({step, 1, EACCES});
    // The directory refusing the temporary file, and the file refusing to
    // be written in place.
    if (step == files::Step::Create) files::injectFault({step, 2, EACCES});
    try {
      settings::SettingsFile(path_).writeBool("Formular", "UkladatPozici", false);
      ADD_FAILURE() << "the write went through";
    } catch (const settings::SettingsWriteError& e) {
      EXPECT_EQ(e.what(), message);
    }
    files::clearFaults();
    EXPECT_EQ(content(), before);
  }

  fs::remove(path_);
  files::injectFault({files::Step::Rename, 1, EACCES});
  EXPECT_THROW(settings::SettingsFile(path_).writeInteger("Formular", "Zleva", 1), settings::SettingsWriteError);
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 0);
}

TEST_F(SettingsFileTest, ASettingsPathThatIsADirectoryCannotBeWritten) {
  fs::create_directory(path_);
  settings::SettingsFile ini(path_);
  EXPECT_EQ(ini.readInteger("Formular", "Zleva", 3), 3);
  EXPECT_THROW(ini.writeInteger("Formular", "Zleva", 1), settings::SettingsWriteError);
  EXPECT_TRUE(fs::is_empty(path_));
}

}  // namespace
