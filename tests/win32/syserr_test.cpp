// System texts come from the running system and its language (under Wine
// they are Wine's own, e.g. "File not found."), so these tests assert on
// codes, kinds and the shape of the texts, never on the wording.
#include "win32/syserr.hpp"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool is_fallback(std::string_view text) { return text.rfind("OS Error ", 0) == 0; }

TEST(SystemText, KnownCodesGiveTheSystemsTrimmedMessage) {
  for (const std::uint32_t code : {2u, 3u, 5u, 87u, 10054u}) {
    const std::string text = vx::win32::system_text(code);
    EXPECT_FALSE(text.empty()) << code;
    EXPECT_FALSE(is_fallback(text)) << code << ": " << text;
    EXPECT_EQ(text.find_last_not_of(" \t\r\n"), text.size() - 1)
        << code << ": " << text;
  }
}

TEST(SystemText, InsertsAreLeftAsTheyAre) {
  // ERROR_MR_MID_NOT_FOUND's message has %1 and %2 for the caller to fill.
  const std::string text = vx::win32::system_text(317);
  EXPECT_NE(text.find("%1"), std::string::npos) << text;
}

TEST(SystemText, CodeWithoutMessageNamesTheLookupError) {
  EXPECT_EQ(vx::win32::system_text(0x0FFFFFFF),
            "OS Error 268435455 (FormatMessageW() returned error 317)");
}

TEST(SystemText, NtBitIsClearedForTheLookupButKeptInTheFallback) {
  // 0x10000002 has no message anywhere; found only when looked up as 2.
  EXPECT_FALSE(is_fallback(vx::win32::system_text(0x10000002)))
      << vx::win32::system_text(0x10000002);
  // A status no table knows: the fallback shows the code as it was given.
  EXPECT_EQ(vx::win32::system_text(0x1FFFFFFF).rfind("OS Error 536870911 (FormatMessageW() returned error ", 0),
            0u);
}

TEST(OsError, CarriesCodeKindAndTextOfTheSystem) {
  struct Case {
    std::uint32_t code;
    vx::ErrorKind kind;
  } cases[] = {{2, vx::ErrorKind::NotFound},
               {5, vx::ErrorKind::PermissionDenied},
               {10054, vx::ErrorKind::ConnectionReset},
               {0x0FFFFFFF, vx::ErrorKind::Uncategorized}};
  for (const auto& c : cases) {
    const vx::IoError e = vx::win32::os_error(c.code);
    const std::string code = std::to_string(c.code);
    const std::string system = vx::win32::system_text(c.code);
    EXPECT_EQ(e.os_code(), c.code);
    EXPECT_EQ(e.kind(), c.kind);
    EXPECT_EQ(vx::detail(e), "Os { code: " + code + ", kind: " + std::string(vx::kind_name(c.kind)) +
                                 ", message: " + vx::render::quote(system) + " }");
    EXPECT_EQ(vx::text(e), system + " (os error " + code + ")");
  }
}

TEST(OsError, LastOsErrorTakesTheFailedCallsCode) {
  const HANDLE h = CreateFileW(L"no-such-dir-veltrix\\file.txt", GENERIC_READ, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  ASSERT_EQ(h, INVALID_HANDLE_VALUE);
  const vx::IoError e = vx::win32::last_os_error();
  EXPECT_EQ(e.os_code(), 3u);
  EXPECT_EQ(e.kind(), vx::ErrorKind::NotFound);

  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(vx::win32::last_os_error().os_code(), 5u);
}

}  // namespace
