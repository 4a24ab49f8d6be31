#include "core/text.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Text, Utf16ToUtf8ReplacesEveryUnpairedSurrogate) {
  struct Case {
    std::u16string in;
    std::string out;
  } cases[] = {
      {u"", ""},
      {u"D:\\x", "D:\\x"},
      {u"\u00e9", "\xc3\xa9"},
      {u"\U0001F600", "\xf0\x9f\x98\x80"},                  // pair
      {std::u16string{0xD800}, "\xef\xbf\xbd"},              // lone high at end
      {std::u16string{0xDC00, u'a'}, "\xef\xbf\xbd" "a"},    // lone low
      {std::u16string{0xD800, 0xD800, 0xDC00}, "\xef\xbf\xbd\xf0\x90\x80\x80"},
      {std::u16string{0xDBFF, u'x'}, "\xef\xbf\xbdx"},
  };
  for (const auto& c : cases) EXPECT_EQ(vx::utf16_to_utf8(c.in), c.out);
}

TEST(Text, Utf8ToUtf16RoundTripsEveryPlane) {
  const std::string s = "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80";
  const std::u16string u = vx::utf8_to_utf16(s);
  EXPECT_EQ(u, (std::u16string{u'a', 0x00E9, 0x20AC, 0xD83D, 0xDE00}));
  EXPECT_EQ(vx::utf16_to_utf8(u), s);
  EXPECT_EQ(vx::utf8_to_utf16(std::string("a\0b", 3)), (std::u16string{u'a', 0, u'b'}));
}

}  // namespace
