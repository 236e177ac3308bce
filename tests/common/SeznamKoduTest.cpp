#include "SeznamKodu.h"

#include <gtest/gtest.h>

namespace {

using Codes = std::vector<std::string>;

struct Case {
  std::string text;
  Codes codes;
};

TEST(SeznamKodu, SplitsLinesAsEveryReaderDoes) {
  const Case cases[] = {
      {"", {}},
      {"abc\r\n\r\nxyz", {"abc", "", "xyz"}},
      {"abc\n\nxyz\n", {"abc", "", "xyz"}},
      {"abc\r\rxyz\r", {"abc", "", "xyz"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"\r\n", {""}},
      {"\r\n\r\n", {"", ""}},
      {" mezera \r\nPDF\r\nPDF", {" mezera ", "PDF", "PDF"}},
      {std::string("abc\r\nx\0yz\r\nq", 13), {"abc", "x"}},
      {std::string("\0abc", 4), {}},
      {"\n\r", {"", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(ciselnik::RozdelNaKody(c.text), c.codes) << c.text;
}

}  // namespace
