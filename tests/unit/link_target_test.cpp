#include "mslnk/link_target.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mslnk_testutil.hpp"

namespace {

using mslnk::LinkTargetIDList;
using mslnk_test::cat;
using mslnk_test::hex;
using mslnk_test::zeros;

std::vector<std::uint8_t> encoded(const LinkTargetIDList& list) {
  std::vector<std::uint8_t> out;
  list.encode(out);
  return out;
}

std::vector<std::uint8_t> item(const LinkTargetIDList& list, std::size_t i) {
  const auto b = list.items().at(i).bytes();
  return {b.begin(), b.end()};
}

LinkTargetIDList must_build(const std::string& path) {
  auto r = LinkTargetIDList::from_path(path);
  EXPECT_TRUE(r.ok()) << path << ": " << (r.ok() ? "" : r.error().message);
  return r.ok() ? std::move(r).value() : LinkTargetIDList{};
}

// The file item for b.txt, as in the worked example.
const std::vector<std::uint8_t> B_TXT_FILE_ITEM = hex(
    "38 00 32 00 00 00 00 00 00 00 00 00 20 00 62 2e 74 78 74 00 24 00 08 00 04 00 ef be 00 00"
    " 00 00 00 00 00 00 2a 00 00 00 00 00 62 00 2e 00 74 00 78 00 74 00 00 00 14 00");

TEST(LinkTargetIDList, WorkedExampleByteForByte) {
  const LinkTargetIDList list = must_build("C:\\a\\b.txt");
  EXPECT_EQ(list.id_list_size(), 147);
  ASSERT_EQ(list.items().size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    const auto& it = list.items()[i];
    EXPECT_EQ(it.size(), it.bytes().size());
    EXPECT_EQ(it.bytes()[0] | (it.bytes()[1] << 8), it.size()) << "size field of item " << i;
    EXPECT_EQ(it.data().size() + 2, it.bytes().size());
  }
  EXPECT_EQ(encoded(list), mslnk_test::worked_id_list());
}

TEST(LinkTargetIDList, SpellingsOfOnePathGiveOneList) {
  for (const char* path : {"C:/a/b.txt", "C:\\a\\\\b.txt", "C:\\a\\.\\b.txt", "C:\\.\\a\\b.txt",
                           "C:\\a/b.txt", "C:\\a\\b.txt\\", "C:\\\\a\\b.txt"}) {
    EXPECT_EQ(encoded(must_build(path)), mslnk_test::worked_id_list()) << path;
  }
}

TEST(LinkTargetIDList, DotDotIsAName) {
  const LinkTargetIDList list = must_build("C:\\a\\..\\b.txt");
  ASSERT_EQ(list.items().size(), 5u);
  EXPECT_EQ(item(list, 3),
            hex("2f 00 31 00 00 00 00 00 00 00 00 00 10 00 2e 2e 00 1e 00 08 00 04 00 ef be 00 00"
                " 00 00 00 00 00 00 2a 00 00 00 00 00 2e 00 2e 00 00 00 14 00"));
  EXPECT_EQ(item(list, 4), B_TXT_FILE_ITEM);
  EXPECT_EQ(list.id_list_size(), 147 + 47);
}

TEST(LinkTargetIDList, DriveByteIsThePathsFirstByteAndTheRootGivesNoItem) {
  struct Case {
    const char* path;
    std::uint8_t drive_byte;
  } cases[] = {{"C:\\b.txt", 0x43}, {"c:\\b.txt", 0x63}, {"z:/b.txt", 0x7a}};
  for (const auto& c : cases) {
    const LinkTargetIDList list = must_build(c.path);
    ASSERT_EQ(list.items().size(), 3u) << c.path;
    EXPECT_EQ(item(list, 1), cat({hex("19 00 2f"), {c.drive_byte}, hex("3a 5c"), zeros(19)})) << c.path;
    EXPECT_EQ(item(list, 2), B_TXT_FILE_ITEM) << c.path;
    EXPECT_EQ(list.id_list_size(), 2 + 20 + 25 + 56) << c.path;
  }
}

TEST(LinkTargetIDList, NonAsciiNamesUseTheWideForms) {
  // A directory "é" (U+00E9): 46 bytes, type 0x35, the primary name in UTF-16.
  const LinkTargetIDList dir = must_build("C:\\\xc3\xa9\\b.txt");
  EXPECT_EQ(item(dir, 2), cat({hex("2e 00 35 00"), zeros(8), hex("10 00 e9 00 00 00"),
                               hex("1c 00 08 00 04 00 ef be"), zeros(8), hex("2a 00"), zeros(4),
                               hex("e9 00 00 00 14 00")}));

  // A file "😀.txt" (U+1F600): the character takes two code units in both
  // name fields; type 0x36.
  const LinkTargetIDList file = must_build("C:\\\xf0\x9f\x98\x80.txt");
  const auto name16 = hex("3d d8 00 de 2e 00 74 00 78 00 74 00 00 00");
  EXPECT_EQ(item(file, 2), cat({hex("42 00 36 00"), zeros(8), hex("20 00"), name16,
                                hex("26 00 08 00 04 00 ef be"), zeros(8), hex("2a 00"), zeros(4),
                                name16, hex("14 00")}));
}

TEST(LinkTargetIDList, RefusesWhatItCannotName) {
  for (const char* path : {"", "b.txt", "a\\b.txt", "C:b.txt", "C:", "\\a\\b.txt", "C:\\", "C:/.//",
                           "\\\\server\\share\\b.txt", "\\\\?\\C:\\b.txt", "1:\\b.txt"}) {
    const auto r = LinkTargetIDList::from_path(path);
    ASSERT_FALSE(r.ok()) << path;
    EXPECT_EQ(r.error().kind, "io");
  }
}

TEST(LinkTargetIDList, SizesNeverWrap) {
  // Two ASCII items of 3n + 41 bytes each, n = 10901, bring IDListSize to
  // exactly 65535; one more character is refused rather than counted
  // modulo 65536.
  const std::string fits = "C:\\" + std::string(10901, 'x') + "\\" + std::string(10901, 'y');
  const LinkTargetIDList list = must_build(fits);
  EXPECT_EQ(list.id_list_size(), 65535);
  EXPECT_EQ(encoded(list).size(), 2u + 65535u);
  EXPECT_FALSE(LinkTargetIDList::from_path(fits + "y").ok());

  // One name too long for its own item's 16-bit size.
  EXPECT_FALSE(LinkTargetIDList::from_path("C:\\" + std::string(21832, 'x')).ok());
}

TEST(LinkTargetIDList, EmptyListEncodesAsTheTerminalAlone) {
  EXPECT_EQ(encoded(LinkTargetIDList{}), hex("02 00 00 00"));
}

}  // namespace
