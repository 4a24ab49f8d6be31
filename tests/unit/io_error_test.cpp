#include "core/io_error.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace {

using vx::ErrorKind;
using vx::IoError;

TEST(ErrorKind, SystemCodesMapToTheirKinds) {
  struct Case {
    std::string_view name;
    std::initializer_list<std::uint32_t> codes;
  } cases[] = {
      {"NotFound", {2, 3, 15, 53, 67}},
      {"PermissionDenied", {5, 10013}},
      {"OutOfMemory", {8, 14}},
      {"CrossesDevices", {17}},
      {"ReadOnlyFilesystem", {19}},
      {"StorageFull", {39, 112}},
      {"AlreadyExists", {80, 183}},
      {"InvalidInput", {87, 10022}},
      {"BrokenPipe", {109, 232}},
      {"Unsupported", {120}},
      {"TimedOut", {121, 258, 594, 995, 1053, 1121, 1460, 5910, 7012, 7040, 8014, 8226, 9705,
                    10060, 13805, 15402, 15403}},
      {"InvalidFilename", {123, 161, 206}},
      {"NotSeekable", {132}},
      {"DirectoryNotEmpty", {145}},
      {"ResourceBusy", {170}},
      {"FileTooLarge", {223}},
      {"NotADirectory", {267}},
      {"IsADirectory", {336}},
      {"Deadlock", {1131}},
      {"TooManyLinks", {1142}},
      {"NetworkUnreachable", {1231, 10051}},
      {"HostUnreachable", {1232, 10065}},
      {"FilesystemQuotaExceeded", {1295}},
      {"WouldBlock", {10035}},
      {"AddrInUse", {10048}},
      {"AddrNotAvailable", {10049}},
      {"NetworkDown", {10050}},
      {"ConnectionAborted", {10053}},
      {"ConnectionReset", {10054}},
      {"NotConnected", {10057}},
      {"ConnectionRefused", {10061}},
      // Neighbours of listed codes and the extremes have no kind of their own.
      {"Uncategorized", {0, 1, 4, 6, 16, 18, 122, 10004, 10052, 10062, 0x10000002, 0xFFFFFFFF}},
  };
  for (const auto& c : cases)
    for (const std::uint32_t code : c.codes)
      EXPECT_EQ(vx::kind_name(vx::kind_from_os_code(code)), c.name) << "code " << code;
}

TEST(ErrorKind, EveryKindHasItsOwnNameAndADescription) {
  const std::set<std::string_view> raised_by_io_layer = {
      "FilesystemLoop", "StaleNetworkFileHandle", "InvalidData", "WriteZero", "ExecutableFileBusy",
      "ArgumentListTooLong", "Interrupted", "UnexpectedEof", "Other", "Uncategorized"};
  std::set<std::string_view> names;
  for (int k = 0; k <= static_cast<int>(ErrorKind::Uncategorized); ++k) {
    const auto kind = static_cast<ErrorKind>(k);
    EXPECT_TRUE(names.insert(vx::kind_name(kind)).second) << vx::kind_name(kind);
    EXPECT_FALSE(vx::kind_description(kind).empty()) << vx::kind_name(kind);
  }
  EXPECT_EQ(names.size(), 41u);
  for (const auto name : raised_by_io_layer) EXPECT_TRUE(names.count(name)) << name;
  EXPECT_EQ(vx::kind_name(ErrorKind::WriteZero), "WriteZero");
}

TEST(IoError, DetailAndTextOfEachForm) {
  const std::string not_found = "The system cannot find the file specified.";
  const IoError os = IoError::os(2, not_found);
  struct Case {
    IoError error;
    std::string detail;
    std::string text;
  } cases[] = {
      {os, "Os { code: 2, kind: NotFound, message: \"" + not_found + "\" }",
       not_found + " (os error 2)"},
      // A system text is quoted like any text.
      {IoError::os(1392, "C:\\x is \"bad\""),
       R"(Os { code: 1392, kind: Uncategorized, message: "C:\\x is \"bad\"" })",
       "C:\\x is \"bad\" (os error 1392)"},
      {IoError::with_message(ErrorKind::WriteZero, "failed to write whole buffer"),
       R"(Error { kind: WriteZero, message: "failed to write whole buffer" })",
       "failed to write whole buffer"},
      {IoError::with_message(ErrorKind::InvalidInput, "strings passed to WinAPI cannot contain NULs"),
       R"(Error { kind: InvalidInput, message: "strings passed to WinAPI cannot contain NULs" })",
       "strings passed to WinAPI cannot contain NULs"},
      {IoError::from_kind(ErrorKind::NotFound), "Kind(NotFound)",
       std::string(vx::kind_description(ErrorKind::NotFound))},
      {IoError::wrapping(ErrorKind::Other, os),
       "Custom { kind: Other, error: Os { code: 2, kind: NotFound, message: \"" + not_found + "\" } }",
       not_found + " (os error 2)"},
      {IoError::wrapping(ErrorKind::InvalidData, IoError::from_kind(ErrorKind::UnexpectedEof)),
       "Custom { kind: InvalidData, error: Kind(UnexpectedEof) }",
       std::string(vx::kind_description(ErrorKind::UnexpectedEof))},
      {IoError::wrapping(ErrorKind::Other, vx::render::Value::text("boom\n"), "boom\n"),
       R"(Custom { kind: Other, error: "boom\n" })", "boom\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vx::detail(c.error), c.detail);
    EXPECT_EQ(vx::text(c.error), c.text);
  }
}

TEST(IoError, KindAndCode) {
  const IoError os = IoError::os(10054, "reset");
  EXPECT_EQ(os.repr(), IoError::Repr::os);
  EXPECT_EQ(os.kind(), ErrorKind::ConnectionReset);
  EXPECT_EQ(os.os_code(), std::optional<std::uint32_t>(10054));

  const IoError wrapped = IoError::wrapping(ErrorKind::InvalidInput, os);
  EXPECT_EQ(wrapped.kind(), ErrorKind::InvalidInput);
  EXPECT_EQ(wrapped.os_code(), std::nullopt);
  EXPECT_EQ(IoError::with_message(ErrorKind::WriteZero, "x").os_code(), std::nullopt);

  // Copies of a wrapping error own their wrapped error.
  IoError copy = IoError::from_kind(ErrorKind::Other);
  {
    const IoError temporary = IoError::wrapping(ErrorKind::Other, os);
    copy = temporary;
  }
  const IoError second = copy;
  EXPECT_EQ(vx::detail(second), "Custom { kind: Other, error: Os { code: 10054, kind: ConnectionReset, message: \"reset\" } }");
  EXPECT_EQ(vx::text(copy), "reset (os error 10054)");
}

// The message of a failed shell link operation is the I/O error text,
// shown in the trace line's record.
TEST(IoError, TextInsideAShellLinkErrorRecord) {
  using vx::render::Value;
  const IoError e = IoError::os(3, "The system cannot find the path specified.");
  const Value record =
      Value::record("MSLinkError").field("kind", Value::text("io")).field("message", Value::text(vx::text(e)));
  EXPECT_EQ(vx::render::pretty(record),
            "MSLinkError {\n"
            "    kind: \"io\",\n"
            "    message: \"The system cannot find the path specified. (os error 3)\",\n"
            "}");
}

TEST(Utf8, FirstErrorPositionAndLength) {
  struct Case {
    std::string bytes;
    std::optional<std::size_t> valid_up_to;  // none: valid
    std::optional<std::size_t> error_len;
  } cases[] = {
      {"", {}, {}},
      {"plain", {}, {}},
      {"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", {}, {}},
      {"\xed\x9f\xbf\xee\x80\x80", {}, {}},    // U+D7FF, U+E000: around the surrogates
      {"\xf4\x8f\xbf\xbf", {}, {}},            // U+10FFFF
      {"\x80", 0, 1},                          // continuation without a lead
      {"a\xbf", 1, 1},
      {"\xc0\x80", 0, 1},                      // overlong forms
      {"\xc1\xbf", 0, 1},
      {"\xe0\x9f\xbf", 0, 1},
      {"\xf0\x8f\xbf\xbf", 0, 1},
      {"\xed\xa0\x80", 0, 1},                  // surrogate U+D800
      {"\xf4\x90\x80\x80", 0, 1},              // above U+10FFFF
      {"\xf5\x80\x80\x80", 0, 1},
      {"\xff", 0, 1},
      {"\xc2\x41", 0, 1},
      {"\xe2\x82\x41", 0, 2},
      {"\xf0\x9f\x98\x41", 0, 3},
      {"\xe2\x82\xac\xe2\x28\xa1", 3, 1},
      {"a\xc2", 1, {}},                        // the bytes end inside a sequence
      {"ab\xc3\xa9\xe2\x82", 4, {}},
      {"\xf0\x9f\x98", 0, {}},
      {"\xe2\x82\x41\xc2", 0, 2},              // the first error wins
  };
  for (const auto& c : cases) {
    const auto err = vx::find_utf8_error(c.bytes);
    ASSERT_EQ(err.has_value(), c.valid_up_to.has_value()) << testing::PrintToString(c.bytes);
    if (!err) continue;
    EXPECT_EQ(err->valid_up_to, *c.valid_up_to) << testing::PrintToString(c.bytes);
    EXPECT_EQ(err->error_len, c.error_len) << testing::PrintToString(c.bytes);
  }
}

TEST(Utf8, FromUtf8ErrorDetail) {
  const std::string bad = "a\xff" "b";
  EXPECT_EQ(vx::from_utf8_detail(bad, *vx::find_utf8_error(bad)),
            "FromUtf8Error { bytes: [97, 255, 98], error: Utf8Error { valid_up_to: 1, error_len: Some(1) } }");
  const std::string cut = "\xe2\x82";
  EXPECT_EQ(vx::from_utf8_detail(cut, *vx::find_utf8_error(cut)),
            "FromUtf8Error { bytes: [226, 130], error: Utf8Error { valid_up_to: 0, error_len: None } }");
}

TEST(SystemText, TrailingWhiteSpaceGoesAndBrokenUtf16IsReported) {
  struct Case {
    std::u16string message;
    std::string out;
  } cases[] = {
      {u"Access is denied.\r\n", "Access is denied."},
      {u"  two\r\nlines \t\u00a0\u3000\u2029\r\n", "  two\r\nlines"},
      {u"\r\n", ""},
      {u"", ""},
      {u"smile \U0001F600\r\n", "smile \xf0\x9f\x98\x80"},
      {std::u16string{u'a', 0xD800, u'b'}, "OS Error 5 (FormatMessageW() returned invalid UTF-16)"},
      {std::u16string{0xDC00, u'\r', u'\n'}, "OS Error 5 (FormatMessageW() returned invalid UTF-16)"},
      {std::u16string{u'a', 0xD800}, "OS Error 5 (FormatMessageW() returned invalid UTF-16)"},
  };
  for (const auto& c : cases) EXPECT_EQ(vx::system_text_from_message(5, c.message), c.out);

  EXPECT_EQ(vx::system_text_unavailable(0x0FFFFFFF, 317),
            "OS Error 268435455 (FormatMessageW() returned error 317)");
}

}  // namespace
