#include "mslnk/paths.hpp"

#include <gtest/gtest.h>

namespace {

namespace refusal = mslnk::paths::refusal;

TEST(LinkSource, RefusesWhatTheLinkCannotName) {
  struct Case {
    const char* source;
    std::string_view why;  // empty: accepted
  } cases[] = {
      {"C:\\a\\b.txt", {}},
      {"c:/a", {}},
      {"C:\\b.txt", {}},
      {"C:\\a\\..\\b.txt", {}},
      {"C:\\a\\com10.txt", {}},
      {"C:\\a\\nullish.txt", {}},
      {"C:\\con\\b.txt", {}},  // only the last name maps to a device
      {"\\\\server\\share\\b.txt", refusal::UNC_PATH},
      {"//server/share/b.txt", refusal::UNC_PATH},
      {"\\/server\\share", refusal::UNC_PATH},
      {"\\\\server", refusal::UNC_PATH},
      {"\\\\?\\C:\\b.txt", refusal::DEVICE_PATH},
      {"\\\\.\\C:\\b.txt", refusal::DEVICE_PATH},
      {"//./pipe/x", refusal::DEVICE_PATH},
      {"\\??\\C:\\b.txt", refusal::DEVICE_PATH},
      {"\\a\\b.txt", refusal::ROOTED_WITHOUT_DRIVE},
      {"/b.txt", refusal::ROOTED_WITHOUT_DRIVE},
      {"C:b.txt", refusal::DRIVE_RELATIVE_PATH},
      {"C:a\\b.txt", refusal::DRIVE_RELATIVE_PATH},
      {"a\\b.txt", refusal::RELATIVE_PATH},
      {"b.txt", refusal::RELATIVE_PATH},
      {".\\b.txt", refusal::RELATIVE_PATH},
      {"", refusal::RELATIVE_PATH},
      {"1:\\b.txt", refusal::RELATIVE_PATH},
      {"C:\\", refusal::NO_PARENT},
      {"C:/", refusal::NO_PARENT},
      {"C:", refusal::NO_PARENT},
      {"C:\\.\\", refusal::NO_PARENT},
      {"C:\\\\", refusal::NO_PARENT},
      {"\\", refusal::NO_PARENT},
      {"/", refusal::NO_PARENT},
      {"C:\\a\\NUL", refusal::RESERVED_NAME},
      {"C:\\a\\con.txt", refusal::RESERVED_NAME},
      {"C:\\a\\Com1 .log", refusal::RESERVED_NAME},
      {"C:\\a\\lpt9", refusal::RESERVED_NAME},
      {"C:\\a\\aux\\", refusal::RESERVED_NAME},
      {"C:\\a\\conout$", refusal::RESERVED_NAME},
  };
  for (const auto& c : cases) {
    const auto refused = mslnk::paths::refuse_source(c.source);
    if (c.why.empty()) {
      EXPECT_FALSE(refused.has_value()) << c.source << ": " << refused->message;
    } else {
      ASSERT_TRUE(refused.has_value()) << c.source;
      EXPECT_EQ(refused->kind, "io");
      EXPECT_EQ(refused->message, c.why) << c.source;
    }
  }
}

TEST(LinkSource, FinalNameIsTheLastComponentWhenItIsUnicode) {
  struct Case {
    std::u16string final_path;
    std::optional<std::string> name;
  } cases[] = {
      {u"\\\\?\\C:\\a\\b.txt", "b.txt"},
      {u"\\\\?\\C:\\b.txt", "b.txt"},
      {u"\\\\?\\UNC\\srv\\share\\d\\x.txt", "x.txt"},
      {u"\\\\?\\C:\\a\\\u00e9\U0001F600.txt", "\xc3\xa9\xf0\x9f\x98\x80.txt"},
      {u"\\\\?\\C:\\a\\" + std::u16string{0xD800} + u"x", std::nullopt},
      {u"\\\\?\\C:\\a\\x" + std::u16string{0xDC00}, std::nullopt},
      {u"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(mslnk::paths::final_name(c.final_path), c.name);
}

TEST(LinkTarget, DirectoryPrefixNamesTheTargetsDirectory) {
  struct Case {
    const char* target;
    const char* prefix;
  } cases[] = {
      {"C:\\d\\x.lnk", "C:\\d\\"}, {"C:/d/x.lnk", "C:/d/"}, {"C:\\x.lnk", "C:\\"},
      {"C:x.lnk", "C:"},           {"x.lnk", ""},           {"d\\x.lnk", "d\\"},
      {"\\\\srv\\sh\\x.lnk", "\\\\srv\\sh\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(mslnk::paths::directory_prefix(c.target), c.prefix) << c.target;
}

}  // namespace
