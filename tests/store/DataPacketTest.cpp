// The data packet: the two XML forms byte for byte, round trips of all three
// forms, lenient reading of XML written by others, and damaged files.
#include "DataPacket.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "CodePage.h"
#include "Crc32c.h"
#include "FileLayer.h"

namespace store {
namespace {

namespace fs = std::filesystem;

using Cell = std::optional<std::string>;  // nullopt: no value
using Rows = std::vector<std::vector<Cell>>;

// Source literals are UTF-8; the register holds Windows-1250.
std::string ansi(std::string_view utf8) { return cp1250::fromUtf8(utf8); }

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string fixture(const char* name) { return readFile(fs::path(ODK_FIXTURES) / name); }

RecordTable tableOf(std::vector<FieldDef> defs, const Rows& rows) {
  RecordTable t(std::move(defs));
  for (const auto& row : rows) {
    std::vector<Value> values;
    for (const Cell& c : row) values.push_back(c ? Value(*c) : std::nullopt);
    t.append(values);
  }
  return t;
}

Rows rowsOf(const RecordTable& t) {
  Rows rows;
  t.forEachLive([&](RecId id) {
    std::vector<Cell> row;
    for (const Value& v : t.values(id)) row.push_back(v ? Cell(std::string(*v)) : std::nullopt);
    rows.push_back(std::move(row));
  });
  return rows;
}

// The two records of the database file example.
Rows exampleRows() {
  return {{ansi("Ceník & akce"), "C:\\Dokumenty\\cenik.pdf", "PDF", "Ceny \"bez DPH\""},
          {ansi("Návod"), "navod.html", "", ansi("Kapitola <1> a 'příloha'")}};
}

bool sameDefs(const std::vector<FieldDef>& a, const std::vector<FieldDef>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].name != b[i].name || a[i].type != b[i].type || a[i].width != b[i].width ||
        a[i].required != b[i].required)
      return false;
  return true;
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("odk-packet-" + std::to_string(std::random_device{}()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

// --- writing -------------------------------------------------------------------

struct FormCase {
  PacketForm form;
  const char* fixture;
};
const FormCase kXmlForms[] = {{PacketForm::Xml, "example.xml"}, {PacketForm::XmlUtf8, "example-utf8.xml"}};

using DataPacketWrite = TempDir;

TEST_F(DataPacketWrite, ExampleComesOutByteForByteInBothXmlForms) {
  const RecordTable table = tableOf(addressFieldDefs(), exampleRows());
  for (const auto& c : kXmlForms) {
    SCOPED_TRACE(c.fixture);
    const std::string expected = fixture(c.fixture);
    EXPECT_EQ(packetBytes(table, c.form), expected);
    const fs::path file = dir_ / "export.dat";
    savePacket(table, file, c.form);
    EXPECT_EQ(readFile(file), expected);
  }
}

TEST_F(DataPacketWrite, EmptyStoreIsTheExampleWithoutRows) {
  const RecordTable table(addressFieldDefs());
  for (const auto& c : kXmlForms) {
    SCOPED_TRACE(c.fixture);
    const std::string example = fixture(c.fixture);
    const std::string rowdata = "<ROWDATA>";
    const std::string expected =
        example.substr(0, example.find(rowdata) + rowdata.size()) + "</ROWDATA></DATAPACKET>";
    EXPECT_EQ(packetBytes(table, c.form), expected);
  }
}

TEST(DataPacketForm, DefaultIsXmlForTheXmlExtensionInAnyCaseElseBinary) {
  const struct {
    const char* path;
    PacketForm form;
    PacketForm expected;
  } cases[] = {
      {"Odkaznik.xml", PacketForm::Default, PacketForm::Xml},
      {"/data/ODKAZNIK.XML", PacketForm::Default, PacketForm::Xml},
      {"a.Xml", PacketForm::Default, PacketForm::Xml},
      {"Odkaznik.bak", PacketForm::Default, PacketForm::Binary},
      {"Odkaznik.xml.bak", PacketForm::Default, PacketForm::Binary},
      {"xml", PacketForm::Default, PacketForm::Binary},
      {"dir.xml/Odkaznik", PacketForm::Default, PacketForm::Binary},
      {"Odkaznik.bak", PacketForm::Xml, PacketForm::Xml},
      {"Odkaznik.xml", PacketForm::XmlUtf8, PacketForm::XmlUtf8},
      {"Odkaznik.xml", PacketForm::Binary, PacketForm::Binary},
  };
  for (const auto& c : cases) EXPECT_EQ(resolveForm(c.path, c.form), c.expected) << c.path;
}

// --- round trips ---------------------------------------------------------------

TEST(DataPacketRoundTrip, EveryFormReadsBackWhatItWrites) {
  // Every byte in one value, in every form: the UTF-8 form carries the five
  // bytes the code page leaves undefined as the control characters of the
  // same number.
  std::string everyByte;
  for (int c = 0; c < 256; ++c) everyByte += char(c);
  std::vector<FieldDef> odd = {{ansi("Název"), "string", 300, true}, {"Kod", "string", 1, false}};

  for (PacketForm form : {PacketForm::Xml, PacketForm::XmlUtf8, PacketForm::Binary}) {
    SCOPED_TRACE(static_cast<int>(form));
    const std::string& all = everyByte;
    Rows rows = exampleRows();
    rows.push_back({std::nullopt, std::nullopt, std::nullopt, std::nullopt});
    rows.push_back({"", "", "", ""});
    rows.push_back({"  lead", ansi("Žluťoučký kůň"), "\\\\", "tab\there\r\nline"});

    RecordTable address = tableOf(addressFieldDefs(), rows);
    const RecId removed = address.append(std::vector<Value>{"smazaný", std::nullopt, "X", "Y"});
    address.remove(removed);  // a hole in the natural order is not written
    struct Case {
      const char* name;
      RecordTable table;
      Rows rows;
    };
    Case tables[] = {
        {"address records", std::move(address), rows},
        {"no records", RecordTable(addressFieldDefs()), {}},
        {"required field, every byte", tableOf(odd, {{all, "A"}, {std::nullopt, ""}}), {{all, "A"}, {std::nullopt, ""}}},
        {"no fields", tableOf({}, {{}, {}}), {{}, {}}},
    };
    for (const Case& t : tables) {
      SCOPED_TRACE(t.name);
      const RecordTable back = parsePacket(packetBytes(t.table, form));
      EXPECT_TRUE(sameDefs(back.defs(), t.table.defs()));
      EXPECT_EQ(rowsOf(back), t.rows);
    }
  }
}

using DataPacketFiles = TempDir;

TEST_F(DataPacketFiles, SaveAndLoadInEveryForm) {
  const RecordTable table = tableOf(addressFieldDefs(), exampleRows());
  const struct {
    const char* file;
    PacketForm form;
    const char* starts;
  } cases[] = {
      {"Odkaznik.xml", PacketForm::Default, "<?xml version=\"1.0\" standalone"},
      {"Odkaznik.bak", PacketForm::Default, kBinarySignature},
      {"export.xml", PacketForm::XmlUtf8, "<?xml version=\"1.0\" encoding=\"UTF-8\""},
      {"export.bin", PacketForm::Binary, kBinarySignature},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    savePacket(table, dir_ / c.file, c.form);
    EXPECT_TRUE(readFile(dir_ / c.file).starts_with(std::string_view(c.starts, 4)));
    EXPECT_EQ(rowsOf(loadPacket(dir_ / c.file)), exampleRows());
  }
}

// Files far larger than the piece the loader reads at a time, with one value
// larger than that piece, load exactly as the same bytes parse in memory.
TEST_F(DataPacketFiles, LargeFilesLoadLikeTheirBytes) {
  std::vector<FieldDef> defs = addressFieldDefs();
  defs.push_back({"Dlouhy", "string", 12'000'000, false});
  Rows rows;
  const std::string words[] = {ansi("Žluťoučký"), ansi("kůň"), "&", ansi("úpěl"), "<a href=\"x\">", ansi("ďábelské")};
  for (int i = 0; i < 20'000; ++i) {
    std::string text;
    for (int k = 0; k < 1 + i % 13; ++k) text += words[(i + k) % 6] + ' ';
    rows.push_back({text.substr(0, 80), "C:\\" + std::to_string(i), std::to_string(i % 7), text, std::nullopt});
  }
  std::string huge;
  while (huge.size() < 6'000'000) huge += words[huge.size() % 6];
  rows[12'345][4] = huge;
  const RecordTable table = tableOf(defs, rows);

  for (PacketForm form : {PacketForm::Xml, PacketForm::XmlUtf8, PacketForm::Binary}) {
    SCOPED_TRACE(static_cast<int>(form));
    savePacket(table, dir_ / "big.dat", form);
    EXPECT_EQ(rowsOf(loadPacket(dir_ / "big.dat")), rows);
  }

  // Declared UTF-8 with one invalid byte near the end: all of it is read as
  // Windows-1250.
  std::string utf8 = packetBytes(table, PacketForm::XmlUtf8);
  utf8[utf8.rfind("Popis=\"") + 7] = '\xFF';
  writeFile(dir_ / "bad-utf8.xml", utf8);
  const Rows loaded = rowsOf(loadPacket(dir_ / "bad-utf8.xml"));
  EXPECT_EQ(loaded[0][0], cp1250::toUtf8(*rows[0][0]).substr(0, 80));
  EXPECT_EQ(loaded, rowsOf(parsePacket(utf8)));
}

TEST_F(DataPacketFiles, BackupRenamedToXmlLoadsAndIsSavedBackAsXml) {
  const Rows rows = {{ansi("Příliš žluťoučký kůň"), ansi("C:\\Dílo\\úpěl.pdf"), "Č", ansi("ďábelské ódy")}};
  savePacket(tableOf(addressFieldDefs(), rows), dir_ / "Odkaznik.bak", PacketForm::Default);
  fs::rename(dir_ / "Odkaznik.bak", dir_ / "Odkaznik.xml");

  const RecordTable restored = loadPacket(dir_ / "Odkaznik.xml");
  EXPECT_EQ(rowsOf(restored), rows);
  savePacket(restored, dir_ / "Odkaznik.xml", PacketForm::Default);
  EXPECT_EQ(readFile(dir_ / "Odkaznik.xml"), packetBytes(restored, PacketForm::Xml));
}

// --- lenient reading -------------------------------------------------------------

// A packet with the fields Nazev (80) and Kod (5) around `rows`.
std::string packet(std::string_view prolog, std::string_view rows) {
  return std::string(prolog) +
         R"(<DATAPACKET Version="2.0"><METADATA><FIELDS>)"
         R"(<FIELD attrname="Nazev" fieldtype="string" WIDTH="80"/>)"
         R"(<FIELD attrname="Kod" fieldtype="string" WIDTH="5"/>)"
         R"(</FIELDS><PARAMS/></METADATA><ROWDATA>)" +
         std::string(rows) + "</ROWDATA></DATAPACKET>";
}

constexpr const char* kDecl = R"(<?xml version="1.0" standalone="yes"?>  )";
constexpr const char* kDeclUtf8 = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)";
constexpr std::nullopt_t none = std::nullopt;

TEST(DataPacketRead, LenientXml) {
  const struct {
    const char* name;
    std::string bytes;
    Rows expected;
  } cases[] = {
      {"plain", packet(kDecl, R"(<ROW Nazev="a" Kod="b"/><ROW Nazev="c" Kod="d"/>)"), {{"a", "b"}, {"c", "d"}}},
      {"no declaration", packet("", R"(<ROW Nazev="a"/>)"), {{"a", none}}},
      {"leading white space and control bytes", "\r\n \t\x01\x1F" + packet(kDecl, R"(<ROW Nazev="a"/>)"),
       {{"a", none}}},
      {"byte-order mark selects UTF-8", "\xEF\xBB\xBF" + packet(kDecl, R"(<ROW Nazev="Návod"/>)"),
       {{ansi("Návod"), none}}},
      {"mark, then white space", "\xEF\xBB\xBF\r\n" + packet("", R"(<ROW Nazev="Návod"/>)"),
       {{ansi("Návod"), none}}},
      {"declared UTF-8, valid", packet(kDeclUtf8, R"(<ROW Nazev="Žluťoučký kůň" Kod="ě"/>)"),
       {{ansi("Žluťoučký kůň"), ansi("ě")}}},
      {"declared utf-8 in lower case, single quotes",
       packet("<?xml version='1.0' encoding='utf-8'?>", R"(<ROW Nazev="Návod"/>)"), {{ansi("Návod"), none}}},
      {"declared UTF-8 with an invalid sequence: read as Windows-1250",
       packet(kDeclUtf8, "<ROW Nazev=\"N\xC3\xA1vod\" Kod=\"\xE1\"/>"), {{"N\xC3\xA1vod", "\xE1"}}},
      {"UTF-8 bytes without a declaration stay bytes", packet(kDecl, R"(<ROW Nazev="Návod"/>)"),
       {{"N\xC3\xA1vod", none}}},
      {"UTF-8: malformed, four-byte and missing characters",
       "\xEF\xBB\xBF" + packet("", "<ROW Nazev=\"\xC5\xBE" "a\xC3z|\xF0\x9F\x98\x80|\xC3\xB1|\xE2\x82\xAC\"/>"),
       {{ansi("ž") + "a z| |?|\x80", none}}},
      {"named and numeric references",
       packet(kDecl, R"(<ROW Nazev="&lt;&gt;&amp;&apos;&quot;&#013;&#010;&#009;&#092;&#65;&#x42;&#X43;&#xed;&#0138;"/>)"),
       {{"<>&'\"\r\n\t\\ABC\xED\x8A", none}}},
      {"numeric references above a byte", packet(kDecl, R"(<ROW Nazev="&#352;&#8364;&#12354;&#99999999999;"/>)"),
       {{"\x8A\x80??", none}}},
      {"references in the UTF-8 form", packet(kDeclUtf8, R"(<ROW Nazev="č&amp;&#237;&#x20AC;&lt;ř"/>)"),
       {{ansi("č&í€<ř"), none}}},
      {"any other ampersand stays",
       packet(kDecl, R"(<ROW Nazev="a & b &nbsp; &#; &#12 &#x; &#1a; &LT; &amp &"/>)"),
       {{"a & b &nbsp; &#; &#12 &#x; &#1a; &LT; &amp &", none}}},
      {"a missing attribute is no value",
       packet(kDecl, R"(<ROW Nazev="x"/><ROW Kod=""/><ROW/>)"), {{"x", none}, {none, ""}, {none, none}}},
      {"unknown attributes, RowState and other letter case are ignored",
       packet(kDecl, R"(<ROW RowState="4" nazev="no" Extra="y" Kod="K"/>)"), {{none, "K"}}},
      {"other attribute order, quotes and spacing, a line per element",
       packet("<?xml version=\"1.0\"?>\r\n", "\r\n  <ROW Kod = 'k\"' \n Nazev=\"n'\" />\r\n  <ROW\tNazev='a'></ROW>\r\n"),
       {{"n'", "k\""}, {"a", none}}},
      {"values cut to the field width", packet(kDeclUtf8, R"(<ROW Kod="ABCDEFGH"/><ROW Kod="áéíóúý"/>)"),
       {{none, "ABCDE"}, {none, ansi("áéíóú")}}},
      {"comments, a document type and processing instructions",
       "<!DOCTYPE x [<!ELEMENT x ANY>]>" +
           packet("<!-- a -->", R"(<!-- <ROW Nazev="no"/> --><?pi x?><ROW Nazev="a"/>)"),
       {{"a", none}}},
      {"nested elements of a row are skipped", packet(kDecl, R"(<ROW Nazev="a"><ROW Nazev="b"/></ROW>)"),
       {{"a", none}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      EXPECT_EQ(rowsOf(parsePacket(c.bytes)), c.expected);
    } catch (const StoreError& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

TEST(DataPacketRead, FieldDefinitionsComeFromTheFile) {
  const std::string bytes = std::string(kDeclUtf8) +
                            R"(<DATAPACKET Version="2.0"><METADATA><FIELDS>)"
                            R"(<FIELD attrname="Název" fieldtype="string" required="true" WIDTH="12"/>)"
                            R"(<FIELD attrname="A&amp;B" fieldtype="string" WIDTH="0"/>)"
                            R"(</FIELDS><PARAMS CHANGE_LOG="1 0 4"/></METADATA><ROWDATA>)"
                            R"(<ROW Název="Ř" A&B="x"/></ROWDATA></DATAPACKET>)";
  const RecordTable t = parsePacket(bytes);
  EXPECT_TRUE(sameDefs(t.defs(), {{ansi("Název"), "string", 12, true}, {"A&B", "string", 0, false}}));
  EXPECT_EQ(rowsOf(t), (Rows{{ansi("Ř"), ""}}));
}

TEST(DataPacketRead, ARowWithoutKodKeepsItAbsentWhenSavedAgain) {
  std::string withoutKod = fixture("example.xml");
  withoutKod.erase(withoutKod.find(R"( Kod="")"), 7);
  const RecordTable t = parsePacket(withoutKod);
  EXPECT_EQ(t.value(1, 2), std::nullopt);
  EXPECT_EQ(packetBytes(t, PacketForm::Xml), withoutKod);
}

// --- damaged files -----------------------------------------------------------------

// The binary form of the example, and the same with the trailer's checksum
// made to match again after a change.
std::string exampleBinary() { return packetBytes(tableOf(addressFieldDefs(), exampleRows()), PacketForm::Binary); }

std::string resealed(std::string bin) {
  const std::uint32_t crc = crc32c(std::string_view(bin).substr(0, bin.size() - 4 - 8));
  for (int i = 0; i < 4; ++i) bin[bin.size() - 4 + i] = char((crc >> (8 * i)) & 0xFF);
  return bin;
}

std::string with32(std::string bin, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bin[at + i] = char((v >> (8 * i)) & 0xFF);
  return resealed(std::move(bin));
}

TEST(DataPacketRead, DamagedFilesFailWithStoreError) {
  const std::string xml = fixture("example.xml");
  const std::string bin = exampleBinary();
  const std::size_t firstValue = bin.find(ansi("Ceník")) - 4;  // its length
  const std::string meta = R"(<DATAPACKET><METADATA><FIELDS>)";
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"only white space", " \r\n\t"},
      {"a text file", "Nazev;Http;Kod;Popis\r\n"},
      {"another XML document", "<?xml version=\"1.0\"?><html><body/></html>"},
      {"a NUL byte before the markup", std::string("\0<DATAPACKET/>", 14)},
      {"XML cut in the rows", xml.substr(0, xml.find("<ROW ") + 40)},
      {"XML without the end of the root", xml.substr(0, xml.size() - 13)},
      {"an end tag that closes nothing", packet(kDecl, "</ROW>")},
      {"an unquoted attribute value", packet(kDecl, "<ROW Nazev=a/>")},
      {"rows before the field definitions", "<DATAPACKET><ROWDATA/><METADATA/></DATAPACKET>"},
      {"no field definitions", "<DATAPACKET/>"},
      {"a field that is not text", meta + R"(<FIELD attrname="N" fieldtype="i4"/></FIELDS></METADATA></DATAPACKET>)"},
      {"a field without a width", meta + R"(<FIELD attrname="N" fieldtype="string"/></FIELDS></METADATA></DATAPACKET>)"},
      {"a field with a bad width",
       meta + R"(<FIELD attrname="N" fieldtype="string" WIDTH="8x"/></FIELDS></METADATA></DATAPACKET>)"},
      {"a field without a name", meta + R"(<FIELD fieldtype="string" WIDTH="8"/></FIELDS></METADATA></DATAPACKET>)"},
      {"binary with a flipped byte", [&] { std::string b = bin; b[b.size() / 2] ^= 0x20; return b; }()},
      {"binary truncated", bin.substr(0, bin.size() - 1)},
      {"binary signature alone", bin.substr(0, 4)},
      {"binary with bytes appended", bin + "x"},
      {"binary of an unknown version", with32(bin, 4, 2)},
      {"binary value length past the end", with32(bin, firstValue, 0x7FFFFFF0)},
      {"binary name length past the end", with32(bin, 12, 0xFFFFFF00)},
      {"binary field count past the end", with32(bin, 8, 0x10000000)},
      {"binary row count past the end", with32(bin, firstValue - 4, 0x40000000)},
      {"binary with one row too few", with32(bin, firstValue - 4, 1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      parsePacket(c.bytes);
      ADD_FAILURE() << "no error";
    } catch (const StoreError& e) {
      EXPECT_GT(std::string_view(e.what()).size(), 20u) << e.what();
    }
  }
}

TEST(DataPacketRead, EveryCutAndEveryFlippedByteIsDetected) {
  const std::string bin = exampleBinary();
  for (const std::string& whole : {fixture("example.xml"), bin}) {
    for (std::size_t n = 0; n < whole.size(); ++n)
      EXPECT_THROW(parsePacket(whole.substr(0, n)), StoreError) << "cut to " << n;
  }
  for (std::size_t i = 0; i < bin.size(); ++i) {
    std::string b = bin;
    b[i] = char(~b[i]);
    EXPECT_THROW(parsePacket(b), StoreError) << "byte " << i;
  }
}

TEST(DataPacketRead, ChecksumIsCrc32cWithAndWithoutTheProcessorInstruction) {
  EXPECT_EQ(crc32c("123456789"), 0xE3069283u);
  EXPECT_EQ(crc32cPortable("123456789"), 0xE3069283u);
  EXPECT_EQ(crc32c(""), 0u);
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes += char(i * 37 + 11);
  for (std::size_t from = 0; from < 9; ++from)
    for (std::size_t n = 0; from + n <= bytes.size(); n += 7) {
      const std::string_view part = std::string_view(bytes).substr(from, n);
      const std::uint32_t whole = crc32cPortable(part);
      EXPECT_EQ(crc32c(part), whole);
      EXPECT_EQ(crc32c(part.substr(n / 3), crc32c(part.substr(0, n / 3))), whole);
    }
}

TEST_F(DataPacketFiles, LoadErrorsNameTheFile) {
  const fs::path bad = dir_ / fs::path(u8"Odkazník.xml");
  writeFile(bad, "<html/>");
  const std::u8string u8 = bad.u8string();
  const std::string name(u8.begin(), u8.end());
  try {
    loadPacket(bad);
    ADD_FAILURE() << "no error";
  } catch (const StoreError& e) {
    EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
  }
  EXPECT_THROW(loadPacket(dir_ / "missing.xml"), files::FileError);
}

}  // namespace
}  // namespace store
