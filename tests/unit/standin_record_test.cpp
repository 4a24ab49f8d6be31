// The stand-in javaw.exe's record format: what it writes, the host harness
// and the Windows tests read back.
#include "../fixtures/standin_record.hpp"

#include <gtest/gtest.h>

namespace {

namespace rec = vx::standin;

rec::Record sample() {
  rec::Record r;
  r.command_line = u"\"C:\\j\\javaw.exe\" \"a b\" x";
  r.crt_argv = {u"C:\\j\\javaw.exe", u"a b", u"x"};
  r.shell_argv = {u"C:\\j\\javaw.exe", u"a b"};
  r.current_directory = u"E:\\Tools";
  r.std_input = rec::HandleState::null;
  r.std_output = rec::HandleState::invalid;
  r.std_error = rec::HandleState::valid;
  return r;
}

TEST(StandinRecord, GoldenText) {
  EXPECT_EQ(rec::format_record(sample()),
            "veltrix-standin-record 1\n"
            "command_line=\"C:\\\\j\\\\javaw.exe\" \"a b\" x\n"
            "crt_argc=3\n"
            "crt_argv=C:\\\\j\\\\javaw.exe\n"
            "crt_argv=a b\n"
            "crt_argv=x\n"
            "shell_argc=2\n"
            "shell_argv=C:\\\\j\\\\javaw.exe\n"
            "shell_argv=a b\n"
            "current_directory=E:\\\\Tools\n"
            "stdin=null\n"
            "stdout=invalid\n"
            "stderr=valid\n"
            "end\n");
}

TEST(StandinRecord, EveryUtf16UnitSurvives) {
  const std::u16string values[] = {
      u"",
      u"\\",
      u"\\u0041",  // looks like an escape, is text
      u"a=b\nc\rd\te",
      std::u16string(u"nul\0in", 6),
      u"\u007f\u0080\u00e9\u3000\U0001F600",
      std::u16string{0xD800},          // lone high surrogate
      std::u16string{0xDC00, u'x'},    // lone low surrogate
      std::u16string{0xDBFF, 0xD800},  // two highs
  };
  for (const auto& v : values) {
    std::string escaped;
    rec::append_escaped(escaped, v);
    EXPECT_EQ(escaped.find('\n'), std::string::npos);
    EXPECT_EQ(rec::unescape(escaped), v) << escaped;

    rec::Record r = sample();
    r.command_line = v;
    r.crt_argv = {v, v};
    r.shell_argv = {};
    r.current_directory = v;
    const auto back = rec::parse_record(rec::format_record(r));
    ASSERT_TRUE(back) << escaped;
    EXPECT_EQ(back->command_line, v);
    EXPECT_EQ(back->crt_argv, r.crt_argv);
    EXPECT_TRUE(back->shell_argv.empty());
    EXPECT_EQ(back->current_directory, v);
  }
}

TEST(StandinRecord, OnlyWholeWellFormedRecordsParse) {
  const std::string good = rec::format_record(sample());
  ASSERT_TRUE(rec::parse_record(good));
  // Every cut short of the whole text is refused.
  for (std::size_t n = 0; n < good.size(); ++n) {
    EXPECT_FALSE(rec::parse_record(good.substr(0, n))) << n;
  }
  const auto replaced = [&](std::string_view from, std::string_view to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  EXPECT_FALSE(rec::parse_record(replaced("crt_argc=3", "crt_argc=4")));
  EXPECT_FALSE(rec::parse_record(replaced("crt_argc=3", "crt_argc=2")));
  EXPECT_FALSE(rec::parse_record(replaced("stdout=invalid", "stdout=closed")));
  EXPECT_FALSE(rec::parse_record(replaced("E:\\\\Tools", "E:\\Tools")));  // bad escape
  EXPECT_FALSE(rec::parse_record(replaced("E:\\\\Tools", "\\u00G1")));
  EXPECT_FALSE(rec::parse_record(replaced("a b\n", "a \xff\n")));          // bad UTF-8
  EXPECT_FALSE(rec::parse_record(replaced("record 1", "record 2")));
  EXPECT_FALSE(rec::parse_record(good + "extra\n"));
}

}  // namespace
