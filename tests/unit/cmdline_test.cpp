#include "core/cmdline.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.hpp"

namespace {

std::string u8(std::u16string_view s) { return vx::utf16_to_utf8(s); }

// The invalid-input message of an error, or "" for none.
std::string invalid_input(const std::optional<vx::IoError>& e) {
  if (!e) return "";
  EXPECT_EQ(e->kind(), vx::ErrorKind::InvalidInput);
  return vx::text(*e);
}

TEST(Cmdline, ArgumentEncoding) {
  const struct {
    std::u16string arg;
    std::u16string written;
  } cases[] = {
      {u"-Xmx1g", u"-Xmx1g"},
      {u"E:\\Apps\\Flow\\libs\\veltrix.jar", u"E:\\Apps\\Flow\\libs\\veltrix.jar"},
      {u"E:\\Program Files\\Flow\\libs\\veltrix.jar", u"\"E:\\Program Files\\Flow\\libs\\veltrix.jar\""},
      {u"", u"\"\""},
      {u"a\"b", u"a\\\"b"},
      {u"a\\\"b", u"a\\\\\\\"b"},
      {u"a b\\", u"\"a b\\\\\""},
      {u"a\tb", u"\"a\tb\""},
      // Runs of backslashes in front of a quote: 2n + 1.
      {u"a\\\\\"b", u"a\\\\\\\\\\\"b"},
      {u"\\\\\\\"", u"\\\\\\\\\\\\\\\""},
      {u"\"", u"\\\""},
      {u"\"\"", u"\\\"\\\""},
      {u"\" \"", u"\"\\\" \\\"\""},
      // A quote right before the closing quote of a quoted argument.
      {u"a \"", u"\"a \\\"\""},
      // Trailing runs: doubled only when a closing quote follows.
      {u"a\\", u"a\\"},
      {u"a\\\\", u"a\\\\"},
      {u"a b\\\\", u"\"a b\\\\\\\\\""},
      {u" \\", u"\" \\\\\""},
      {u"\\", u"\\"},
      // Backslashes not followed by a quote stay single, quoted or not.
      {u"a\\b c\\d", u"\"a\\b c\\d\""},
      {u"\\\\server\\share x\\", u"\"\\\\server\\share x\\\\\""},
      // Only space and tab lead to quoting.
      {u" ", u"\" \""},
      {u"\t", u"\"\t\""},
      {u"a\nb\rc\vd", u"a\nb\rc\vd"},
      {u"\u00e9\U0001F600", u"\u00e9\U0001F600"},
      {u"\u3000", u"\u3000"},  // an ideographic space is no separator
  };
  for (const auto& c : cases) {
    std::u16string line = u"x";
    EXPECT_FALSE(vx::append_argument(line, c.arg));
    EXPECT_EQ(u8(line), "x" + u8(c.written)) << "argument: " << u8(c.arg);
  }
}

std::u16string jvm_line(std::u16string_view dir, std::u16string_view quoted_jar) {
  return u"\"" + std::u16string(dir) + u"\\runtime\\bin\\javaw.exe\"" +
         u" -XX:+HeapDumpOnOutOfMemoryError -Xms256m -Xmx1g"
         u" --add-opens java.base/java.io=ALL-UNNAMED"
         u" --add-opens java.base/java.time=ALL-UNNAMED"
         u" --add-opens java.base/java.util=ALL-UNNAMED"
         u" -jar " +
         std::u16string(quoted_jar) + u" aUE1uFpXewNeLGLvQMPtzItzElQywsFf 16384";
}

TEST(Cmdline, JvmCommandLines) {
  const struct {
    std::string dir;
    std::u16string expected;
  } cases[] = {
      {"E:\\Apps\\Flow", jvm_line(u"E:\\Apps\\Flow", u"E:\\Apps\\Flow\\libs\\veltrix.jar")},
      {"E:\\Program Files\\Flow",
       jvm_line(u"E:\\Program Files\\Flow", u"\"E:\\Program Files\\Flow\\libs\\veltrix.jar\"")},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> args = {
        "-XX:+HeapDumpOnOutOfMemoryError", "-Xms256m", "-Xmx1g",
        "--add-opens", "java.base/java.io=ALL-UNNAMED",
        "--add-opens", "java.base/java.time=ALL-UNNAMED",
        "--add-opens", "java.base/java.util=ALL-UNNAMED",
        "-jar", c.dir + "\\libs\\veltrix.jar",
        "aUE1uFpXewNeLGLvQMPtzItzElQywsFf", "16384"};
    const vx::WideResult r = vx::compose_command_line(c.dir + "\\runtime\\bin\\javaw.exe", args);
    ASSERT_FALSE(r.error);
    EXPECT_EQ(u8(r.text), u8(c.expected));
  }
}

TEST(Cmdline, ProgramIsQuotedButNeverEscaped) {
  const struct {
    std::string program;
    std::vector<std::string> args;
    std::string expected;
  } cases[] = {
      {"C:\\x.exe", {}, "\"C:\\x.exe\""},
      {"C:\\dir\\", {"a"}, "\"C:\\dir\\\" a"},  // a trailing backslash stays single
      {"C:\\a b\\x.exe", {"", "\t"}, "\"C:\\a b\\x.exe\" \"\" \"\t\""},
      {"C:\\\xf0\x9f\x98\x80.exe", {"\xc3\xa9"}, "\"C:\\\xf0\x9f\x98\x80.exe\" \xc3\xa9"},
  };
  for (const auto& c : cases) {
    const vx::WideResult r = vx::compose_command_line(c.program, c.args);
    ASSERT_FALSE(r.error);
    EXPECT_EQ(u8(r.text), c.expected);
  }
}

TEST(Cmdline, NulIsRefusedEverywhere) {
  const std::string nul("a\0b", 3);
  EXPECT_EQ(invalid_input(vx::compose_command_line(nul, {}).error), vx::NUL_IN_DATA);
  const std::vector<std::string> args = {"ok", nul};
  EXPECT_EQ(invalid_input(vx::compose_command_line("C:\\x.exe", args).error), vx::NUL_IN_DATA);
  EXPECT_EQ(invalid_input(vx::to_system_text(std::string("\0", 1)).error), vx::NUL_IN_DATA);
  EXPECT_EQ(invalid_input(vx::application_name(nul + ".exe", nullptr).error), vx::NUL_IN_DATA);

  std::u16string line = u"x";
  EXPECT_EQ(invalid_input(vx::append_argument(line, std::u16string(u"a b\0", 4))), vx::NUL_IN_DATA);
  EXPECT_EQ(line, u"x");  // nothing half-written

  const vx::WideResult ok = vx::to_system_text("E:\\caf\xc3\xa9");
  ASSERT_FALSE(ok.error);
  EXPECT_EQ(ok.text, u"E:\\caf\u00e9");
}

TEST(Cmdline, ProgramWithoutFileName) {
  const struct {
    std::string program;
    bool refused;
  } cases[] = {
      {"", true},
      {"C:\\x\\", true},
      {"C:\\x/", true},
      {"\\\\?\\C:\\x\\", true},
      {"\\\\?\\C:\\x/", false},  // verbatim paths take a slash literally
      {"C:\\x\\javaw.exe", false},
      {"javaw.exe", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(invalid_input(vx::check_program(c.program)), c.refused ? vx::NO_FILE_NAME : "")
        << c.program;
  }
}

// Application names, with a stand-in for GetFullPathNameW that records what
// it was asked and answers from a script.
struct FakeFullPath {
  std::vector<std::string> asked;
  std::string answer;       // "" answers the input itself
  bool fails = false;

  vx::FullPathFn fn() {
    return [this](const std::u16string& path) {
      asked.push_back(u8(path));
      vx::WideResult r;
      if (fails) {
        r.error = vx::IoError::os(3, "The system cannot find the path specified.");
      } else {
        r.text = answer.empty() ? path : vx::utf8_to_utf16(answer);
      }
      return r;
    };
  }
};

// A drive path whose length counting the NUL is `n`.
std::string drive_path_of(std::size_t n) {
  const std::string tail = "\\javaw.exe";
  return "E:\\" + std::string(n - 1 - 3 - tail.size(), 'd') + tail;
}

TEST(Cmdline, ApplicationName) {
  const std::string p247 = drive_path_of(247), p248 = drive_path_of(248),
                    p260 = drive_path_of(260), p261 = drive_path_of(261);
  const std::string unc250 = "\\\\server\\share\\" + std::string(250 - 1 - 15 - 4, 'u') + ".exe";
  const std::string dev250 = "\\\\.\\E:\\" + std::string(250 - 1 - 7 - 4, 'v') + ".exe";
  const std::string long_abs = "E:\\" + std::string(260, 'l') + "\\x.exe";
  const struct {
    const char* name;
    std::string program;
    std::string answer;  // of the fake; "" = identity
    std::vector<std::string> asked;
    std::string expected;
  } cases[] = {
      {"short drive path", "E:\\Apps\\Flow\\runtime\\bin\\javaw.exe", "", {},
       "E:\\Apps\\Flow\\runtime\\bin\\javaw.exe"},
      {"forward slashes", "E:/Apps/javaw.exe", "", {}, "E:/Apps/javaw.exe"},
      {"drive alone", "E:", "", {}, "E:"},
      {"short UNC", "\\\\srv\\share\\javaw.exe", "", {}, "\\\\srv\\share\\javaw.exe"},
      {"short mixed separators", "/\\srv/share/javaw.exe", "", {}, "/\\srv/share/javaw.exe"},
      {"247 units", p247, "", {}, p247},
      {"248 units", p248, "", {p248}, "\\\\?\\" + p248},
      {"260 units", p260, "", {p260}, "\\\\?\\" + p260},
      {"261 units", p261, "", {}, p261},
      {"long UNC", unc250, "", {unc250}, "\\\\?\\UNC\\" + unc250.substr(2)},
      {"long device path", dev250, "", {dev250}, "\\\\?\\" + dev250.substr(4)},
      {"relative", "bin\\javaw.exe", "E:\\cwd\\bin\\javaw.exe", {"bin\\javaw.exe"},
       "E:\\cwd\\bin\\javaw.exe"},
      {"drive-relative", "E:javaw.exe", "E:\\cwd\\javaw.exe", {"E:javaw.exe"}, "E:\\cwd\\javaw.exe"},
      {"rooted, made long", "\\javaw.exe", long_abs, {"\\javaw.exe"}, "\\\\?\\" + long_abs},
      {"verbatim drive, plain form is the same", "\\\\?\\E:\\x\\javaw.exe", "", {"E:\\x\\javaw.exe"},
       "E:\\x\\javaw.exe"},
      {"verbatim drive, plain form differs", "\\\\?\\E:\\x\\..\\javaw.exe", "E:\\javaw.exe",
       {"E:\\x\\..\\javaw.exe"}, "\\\\?\\E:\\x\\..\\javaw.exe"},
      {"verbatim UNC, plain form is the same", "\\\\?\\UNC\\srv\\share\\javaw.exe", "",
       {"\\\\srv\\share\\javaw.exe"}, "\\\\srv\\share\\javaw.exe"},
      {"verbatim UNC, plain form differs", "\\\\?\\UNC\\srv\\share\\a.\\javaw.exe",
       "\\\\srv\\share\\a\\javaw.exe", {"\\\\srv\\share\\a.\\javaw.exe"},
       "\\\\?\\UNC\\srv\\share\\a.\\javaw.exe"},
      {"verbatim, too long to unwrap", "\\\\?\\" + p260, "", {}, "\\\\?\\" + p260},
      {"other verbatim", "\\\\?\\GLOBALROOT\\x\\javaw.exe", "", {}, "\\\\?\\GLOBALROOT\\x\\javaw.exe"},
      {"NT object path", "\\??\\E:\\javaw.exe", "", {}, "\\??\\E:\\javaw.exe"},
  };
  for (const auto& c : cases) {
    FakeFullPath fake{{}, c.answer};
    const vx::WideResult r = vx::application_name(c.program, fake.fn());
    ASSERT_FALSE(r.error) << c.name;
    EXPECT_EQ(u8(r.text), c.expected) << c.name;
    EXPECT_EQ(fake.asked, c.asked) << c.name;
  }
}

TEST(Cmdline, ApplicationNameFailsWithTheFullPathError) {
  const std::vector<std::string> programs = {"bin\\javaw.exe", "\\\\?\\E:\\x\\javaw.exe",
                                             drive_path_of(250)};
  for (const std::string& program : programs) {
    FakeFullPath fake;
    fake.fails = true;
    const vx::WideResult r = vx::application_name(program, fake.fn());
    ASSERT_TRUE(r.error) << program;
    EXPECT_EQ(r.error->os_code(), std::optional<std::uint32_t>(3)) << program;
  }
}

}  // namespace

namespace {

TEST(ExtendedLengthForm, ChosenByThePathsForm) {
  const struct {
    std::u16string in, out;
  } cases[] = {
      {u"C:\\a\\b.jar", u"\\\\?\\C:\\a\\b.jar"},
      {u"\\\\server\\share\\b.jar", u"\\\\?\\UNC\\server\\share\\b.jar"},
      {u"\\\\.\\C:\\b.jar", u"\\\\?\\C:\\b.jar"},
      {u"\\\\?\\C:\\b.jar", u"\\\\?\\C:\\b.jar"},
      {u"\\??\\C:\\b.jar", u"\\??\\C:\\b.jar"},
      {u"relative\\b.jar", u"relative\\b.jar"},
  };
  for (const auto& c : cases) EXPECT_EQ(vx::extended_length_form(c.in), c.out);
}

}  // namespace
