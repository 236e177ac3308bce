// Packets built to hurt the reader: each opens correctly or fails with a
// clear StoreError, never anything worse.
#include <gtest/gtest.h>

#include <string>

#include "DataPacket.h"

namespace {

const std::string kHead =
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"Nazev\" fieldtype=\"string\" WIDTH=\"80\"/>"
    "<FIELD attrname=\"Kod\" fieldtype=\"string\" WIDTH=\"20\"/>"
    "</FIELDS><PARAMS/></METADATA><ROWDATA>";
const std::string kTail = "</ROWDATA></DATAPACKET>";

std::string text(const store::RecordTable& t, store::RecId id, int f) {
  const store::Value v = t.value(id, f);
  return v ? std::string(*v) : std::string("<none>");
}

TEST(HostileInput, HugeValueIsCutToItsWidth) {
  const std::string packet = kHead + "<ROW Nazev=\"" + std::string(10u << 20, 'x') + "\" Kod=\"A\"/>" + kTail;
  const store::RecordTable t = store::parsePacket(packet);
  ASSERT_EQ(t.liveCount(), 1u);
  EXPECT_EQ(text(t, 0, 0), std::string(80, 'x'));
  EXPECT_EQ(text(t, 0, 1), "A");
}

TEST(HostileInput, TenThousandAttributesInOneRow) {
  std::string row = "<ROW";
  for (int i = 0; i < 10000; ++i) row += " X" + std::to_string(i) + "=\"v\"";
  row += " Kod=\"K\" Nazev=\"N\"/>";
  const store::RecordTable t = store::parsePacket(kHead + row + kTail);
  ASSERT_EQ(t.liveCount(), 1u);
  EXPECT_EQ(text(t, 0, 0), "N");
  EXPECT_EQ(text(t, 0, 1), "K");
}

TEST(HostileInput, UnknownElementsAndAttributesAreIgnored) {
  const std::string packet = kHead + "<ROW Nazev=\"a\" RowState=\"4\" Jine=\"x\"/><NECO a=\"b\"/><ROW Kod=\"k\"/>" + kTail;
  const store::RecordTable t = store::parsePacket(packet);
  ASSERT_EQ(t.liveCount(), 2u);
  EXPECT_EQ(text(t, 0, 0), "a");
  EXPECT_EQ(text(t, 0, 1), "<none>");
  EXPECT_EQ(text(t, 1, 0), "<none>");
  EXPECT_EQ(text(t, 1, 1), "k");
}

TEST(HostileInput, DefinitionsThatDisagreeWithTheRows) {
  struct Case {
    const char* name;
    std::string packet;
    bool opens;
  };
  const Case cases[] = {
      {"rows name fields nobody defined", kHead + "<ROW Http=\"x\" Popis=\"y\"/>" + kTail, true},
      {"no field definitions at all",
       "<?xml version=\"1.0\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS></FIELDS><PARAMS/></METADATA>"
       "<ROWDATA><ROW Nazev=\"a\"/></ROWDATA></DATAPACKET>",
       true},
      {"width missing",
       "<?xml version=\"1.0\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS><FIELD attrname=\"Nazev\" "
       "fieldtype=\"string\"/></FIELDS><PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>",
       false},
      {"width absurd",
       "<?xml version=\"1.0\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS><FIELD attrname=\"Nazev\" "
       "fieldtype=\"string\" WIDTH=\"99999999999999999999\"/></FIELDS><PARAMS/></METADATA><ROWDATA></ROWDATA>"
       "</DATAPACKET>",
       false},
      {"a field defined twice",
       "<?xml version=\"1.0\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
       "<FIELD attrname=\"Nazev\" fieldtype=\"string\" WIDTH=\"5\"/><FIELD attrname=\"Nazev\" fieldtype=\"string\" "
       "WIDTH=\"9\"/></FIELDS><PARAMS/></METADATA><ROWDATA><ROW Nazev=\"abcdefghijk\"/></ROWDATA></DATAPACKET>",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      const store::RecordTable t = store::parsePacket(c.packet);
      EXPECT_TRUE(c.opens);
      // Whatever opened is written and read back the same.
      for (auto form : {store::PacketForm::Xml, store::PacketForm::Binary}) {
        const std::string bytes = store::packetBytes(t, form);
        EXPECT_EQ(store::packetBytes(store::parsePacket(bytes), form), bytes);
      }
    } catch (const store::StoreError& e) {
      EXPECT_FALSE(c.opens) << e.what();
      EXPECT_GT(std::string(e.what()).size(), 10u);
    }
  }
}

TEST(HostileInput, BinaryLengthsPointingPastTheEnd) {
  store::RecordTable t(store::addressFieldDefs());
  const store::Value v[] = {std::string_view("abc"), std::nullopt, std::string_view(""), std::string_view("d")};
  t.append(v);
  const std::string good = store::packetBytes(t, store::PacketForm::Binary);
  // Every 32-bit little-endian word of the packet made huge in turn.
  for (std::size_t at = 4; at + 4 <= good.size(); ++at) {
    std::string bad = good;
    bad[at] = bad[at + 1] = bad[at + 2] = '\xFF';
    bad[at + 3] = '\x7F';
    SCOPED_TRACE(at);
    EXPECT_THROW(store::parsePacket(bad), store::StoreError);
  }
}

}  // namespace
