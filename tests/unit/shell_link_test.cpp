#include "mslnk/shell_link.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mslnk/log.hpp"
#include "mslnk/paths.hpp"
#include "mslnk_testutil.hpp"

namespace {

using mslnk::ShellLink;
using mslnk::TargetMetadata;
using mslnk_test::hex;

constexpr TargetMetadata FILE_OF_12{false, 12};
constexpr TargetMetadata DIRECTORY{true, 0};

ShellLink must_build(std::string_view source, TargetMetadata md, std::u16string_view final_path) {
  auto r = ShellLink::from_metadata(source, md, final_path);
  EXPECT_TRUE(r.ok()) << source << ": " << (r.ok() ? "" : r.error().message);
  return r.ok() ? std::move(r).value() : ShellLink{};
}

std::vector<std::uint8_t> must_serialise(const ShellLink& link) {
  auto r = link.to_bytes();
  EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().message);
  return r.ok() ? std::move(r).value() : std::vector<std::uint8_t>{};
}

// Reads the little-endian 16-bit value at `at`.
unsigned u16_at(const std::vector<std::uint8_t>& b, std::size_t at) { return b.at(at) | (b.at(at + 1) << 8); }

TEST(ShellLink, WorkedExampleFileIs251Bytes) {
  const ShellLink link = must_build("C:\\a\\b.txt", FILE_OF_12, u"\\\\?\\C:\\a\\b.txt");
  EXPECT_EQ(link.link_flags(), 0x99u);
  EXPECT_EQ(link.relative_path(), "./b.txt");
  EXPECT_EQ(link.working_dir(), "C:\\a");
  EXPECT_EQ(must_serialise(link), mslnk_test::WORKED_EXAMPLE);
}

TEST(ShellLink, DirectoryIsTheHeaderAlone) {
  // Even a directory below a file-like name gets no strings and no list.
  for (const char* source : {"C:\\a", "C:\\a\\", "C:/a/b.txt"}) {
    const ShellLink link = must_build(source, DIRECTORY, u"\\\\?\\C:\\a");
    std::vector<std::uint8_t> expected = mslnk_test::worked_header();
    expected[20] = 0x80;  // LinkFlags: IsUnicode only
    expected[24] = 0x10;  // FileAttributes: FILE_ATTRIBUTE_DIRECTORY
    expected[52] = 0x00;  // FileSize
    EXPECT_EQ(must_serialise(link), expected) << source;
  }
}

TEST(ShellLink, NamesComeFromDiskAndTheWorkingDirFromTheText) {
  struct Case {
    const char* source;
    std::u16string final_path;
    const char* relative_path;
    const char* working_dir;
  } cases[] = {
      // Typed in another case than the name on disk.
      {"C:\\A\\B.TXT", u"\\\\?\\C:\\a\\b.txt", "./b.txt", "C:\\A"},
      // A symbolic link to a file named differently elsewhere.
      {"C:\\d\\link.txt", u"\\\\?\\C:\\e\\real.txt", "./real.txt", "C:\\d"},
      // Below the drive root the working dir keeps its separator.
      {"C:\\b.txt", u"\\\\?\\C:\\b.txt", "./b.txt", "C:\\"},
      {"C:/a/b.txt", u"\\\\?\\C:\\a\\b.txt", "./b.txt", "C:/a"},
      {"C:\\a\\.\\b.txt", u"\\\\?\\C:\\a\\b.txt", "./b.txt", "C:\\a"},
      {"C:\\a\\..\\b.txt", u"\\\\?\\C:\\b.txt", "./b.txt", "C:\\a\\.."},
      {"C:\\x\\\xf0\x9f\x98\x80", u"\\\\?\\C:\\x\\\U0001F600", "./\xf0\x9f\x98\x80", "C:\\x"},
  };
  for (const auto& c : cases) {
    const ShellLink link = must_build(c.source, FILE_OF_12, c.final_path);
    EXPECT_EQ(link.relative_path(), c.relative_path) << c.source;
    EXPECT_EQ(link.working_dir(), c.working_dir) << c.source;
    // The ID list always follows the text as received.
    auto list = mslnk::LinkTargetIDList::from_path(c.source);
    ASSERT_TRUE(list.ok());
    std::vector<std::uint8_t> want, got;
    list.value().encode(want);
    link.link_target_id_list().encode(got);
    EXPECT_EQ(got, want) << c.source;
  }
}

TEST(ShellLink, FileSizeKeepsTheLow32Bits) {
  const ShellLink link = must_build("C:\\a\\b.txt", {false, (std::uint64_t{1} << 32) + 12},
                                    u"\\\\?\\C:\\a\\b.txt");
  EXPECT_EQ(link.header().file_size, 12u);
}

TEST(ShellLink, ConstructionRefusesWhatTheLinkCannotName) {
  struct Case {
    const char* source;
    TargetMetadata md;
    std::u16string final_path;
  } cases[] = {
      {"C:\\", DIRECTORY, u"\\\\?\\C:\\"},  // no parent, even for a directory
      {"a\\b.txt", FILE_OF_12, u"\\\\?\\C:\\a\\b.txt"},
      {"\\\\srv\\share\\b.txt", FILE_OF_12, u"\\\\?\\UNC\\srv\\share\\b.txt"},
      {"C:\\a\\b.txt", FILE_OF_12, u"\\\\?\\C:\\a\\" + std::u16string{0xDC00}},
  };
  for (const auto& c : cases) {
    const auto r = ShellLink::from_metadata(c.source, c.md, c.final_path);
    ASSERT_FALSE(r.ok()) << c.source;
    EXPECT_EQ(r.error().kind, "io");
  }
}

TEST(ShellLink, StringBitsFollowTheStrings) {
  ShellLink link;
  EXPECT_EQ(link.link_flags(), 0x80u);
  link.set_working_dir("C:\\a");
  link.set_arguments("");
  EXPECT_EQ(link.link_flags(), 0x80u | 0x10u | 0x20u);
  link.set_working_dir(std::nullopt);
  EXPECT_EQ(link.link_flags(), 0x80u | 0x20u);
  EXPECT_FALSE(link.working_dir().has_value());
  // set_link_flags cannot claim a string that is absent, nor drop one held.
  link.set_link_flags(0x0000007F & ~0x20u & ~0x02u);
  EXPECT_EQ(link.link_flags(), 0x01u | 0x20u);
}

TEST(ShellLink, StringDataEntries) {
  struct Case {
    const char* text;
    std::vector<std::uint8_t> entry;
  } cases[] = {
      {"", hex("00 00")},
      {"C:\\a", hex("04 00 43 00 3a 00 5c 00 61 00")},
      // A character beyond the Basic Multilingual Plane counts two.
      {"\xf0\x9f\x98\x80", hex("02 00 3d d8 00 de")},
      {"\xc3\xa9", hex("01 00 e9 00")},
  };
  for (const auto& c : cases) {
    ShellLink link;
    link.set_working_dir(c.text);
    const auto bytes = must_serialise(link);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 76, bytes.end()), c.entry) << c.text;
  }
}

TEST(ShellLink, StringsFollowTheHeaderAndListInFileOrder) {
  ShellLink link;
  link.set_icon_location("i");
  link.set_arguments("a");
  link.set_working_dir("w");
  link.set_relative_path("r");
  link.set_name("n");
  const auto bytes = must_serialise(link);
  EXPECT_EQ(u16_at(bytes, 20), 0xFCu);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 76, bytes.end()),
            hex("01 00 6e 00  01 00 72 00  01 00 77 00  01 00 61 00  01 00 69 00"));
}

TEST(ShellLink, RefusesWhatTheFormatCannotCarry) {
  {
    ShellLink link;
    link.set_link_flags(link.link_flags() | mslnk::link_flags::HAS_LINK_INFO);
    EXPECT_FALSE(link.to_bytes().ok());
  }
  {
    // 65535 code units fit the 16-bit count; one more is refused, never
    // written modulo 65536.
    ShellLink link;
    link.set_relative_path(std::string(65535, 'x'));
    const auto bytes = must_serialise(link);
    EXPECT_EQ(u16_at(bytes, 76), 65535u);
    EXPECT_EQ(bytes.size(), 76u + 2u + 2u * 65535u);
    link.set_relative_path(std::string(65534, 'x') + "\xf0\x9f\x98\x80");
    const auto r = link.to_bytes();
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().kind, "io");
  }
  {
    // Without IsUnicode a string is one byte per character: ASCII only.
    ShellLink link;
    link.set_link_flags(0);
    link.set_working_dir("C:\\a");
    const auto bytes = must_serialise(link);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 76, bytes.end()), hex("04 00 43 3a 5c 61"));
    link.set_working_dir("C:\\\xc3\xa9");
    EXPECT_FALSE(link.to_bytes().ok());
  }
}

std::vector<std::string> g_records;
void capture(const mslnk::log::Record& r) {
  EXPECT_EQ(r.level, mslnk::log::Level::debug);
  EXPECT_EQ(r.target, "mslnk");
  g_records.emplace_back(r.message);
}

TEST(ShellLink, DebugRecordsReachOnlyAnInstalledSinkAndNeverChangeTheBytes) {
  const ShellLink link = must_build("C:\\a\\b.txt", FILE_OF_12, u"\\\\?\\C:\\a\\b.txt");
  g_records.clear();
  mslnk::log::install(capture, mslnk::log::Level::info);  // debug not admitted
  const auto quiet = must_serialise(link);
  EXPECT_TRUE(g_records.empty());
  mslnk::log::install(capture, mslnk::log::Level::debug);
  const auto logged = must_serialise(link);
  mslnk::log::install(nullptr, mslnk::log::Level::off);
  EXPECT_EQ(g_records, (std::vector<std::string>{"Writing header...",
                                                 "Relative path is marked as present. Writing.",
                                                 "Working dir is marked as present. Writing."}));
  EXPECT_EQ(quiet, mslnk_test::WORKED_EXAMPLE);
  EXPECT_EQ(logged, quiet);
}

}  // namespace
