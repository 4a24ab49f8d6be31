#include "core/render.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using vx::render::compact;
using vx::render::pretty;
using vx::render::quote;
using vx::render::Value;

TEST(Quote, EscapesExactlyTheCharactersThatWouldMislead) {
  struct Case {
    std::string in;
    std::string out;
  } cases[] = {
      {"", R"("")"},
      {"D:\\x", R"("D:\\x")"},
      {"a\tb", R"("a\tb")"},
      {"it's", R"("it's")"},
      {"\x01", R"("\u{1}")"},
      {"\x7f", R"("\u{7f}")"},
      {std::string("a\0b", 3), R"("a\0b")"},
      {"\r\n", R"("\r\n")"},
      {"say \"hi\"\\\t'", R"("say \"hi\"\\\t'")"},
      {"\xc2\xa0", R"("\u{a0}")"},                        // no-break space
      {"\xc2\x85", R"("\u{85}")"},                        // C1 control
      {"e\xcc\x81", R"("e\u{301}")"},                     // combining acute
      {"\xcc\x81x", R"("\u{301}x")"},                     // ... even first
      {"\xc3\xa9", "\"\xc3\xa9\""},                       // precomposed stays
      {"\xe2\x80\x8b", R"("\u{200b}")"},                  // zero width space
      {"\xe2\x80\xa8", R"("\u{2028}")"},                  // line separator
      {"\xef\xbb\xbf", R"("\u{feff}")"},                  // BOM
      {"\xef\xbf\xbd", "\"\xef\xbf\xbd\""},               // U+FFFD stays
      {"\xef\xb8\x8f", R"("\u{fe0f}")"},                  // variation selector
      {"\xf0\x9f\x98\x80", "\"\xf0\x9f\x98\x80\""},       // emoji stays
      {"\xf3\xa0\x80\x81", R"("\u{e0001}")"},             // language tag
      {"\xf4\x8f\xbf\xbf", R"("\u{10ffff}")"},            // noncharacter
      {"\xf3\xb0\x80\x80", R"("\u{f0000}")"},             // private use
      {"C:\\Users\\\xe5\xbc\xa0\\a b", "\"C:\\\\Users\\\\\xe5\xbc\xa0\\\\a b\""},
  };
  for (const auto& c : cases) EXPECT_EQ(quote(c.in), c.out) << c.in;
}

TEST(Quote, TextRendersTheSameInBothForms) {
  const std::string s = "x\"\\\n\xcc\x81";
  EXPECT_EQ(pretty(Value::text(s)), quote(s));
  EXPECT_EQ(compact(Value::text(s)), quote(s));
}

TEST(Pretty, ListOfTexts) {
  const std::vector<std::string> args = {"-Xms256m", "-jar"};
  const std::string expected = "[\n    \"-Xms256m\",\n    \"-jar\",\n]";
  EXPECT_EQ(vx::render::pretty_list(args), expected);
  EXPECT_EQ(pretty(Value::list().push(Value::text("-Xms256m")).push(Value::text("-jar"))), expected);
  EXPECT_EQ(vx::render::pretty_list({}), "[]");
  EXPECT_EQ(pretty(Value::list()), "[]");
}

TEST(Pretty, MapsInTheirOwnOrder) {
  EXPECT_EQ(vx::render::pretty_map(std::vector<std::pair<std::string, std::string>>{}), "{}");
  EXPECT_EQ(pretty(Value::map()), "{}");

  const std::vector<std::pair<std::string, std::string>> one = {{"method", "keepAlive"}};
  EXPECT_EQ(vx::render::pretty_map(one), "{\n    \"method\": \"keepAlive\",\n}");

  // Entries keep the order they are given in, whatever the keys.
  const std::vector<std::pair<std::string, std::string>> two = {{"reqId", "12"}, {"a\"b", "c\\d"}};
  const std::string expected = "{\n    \"reqId\": \"12\",\n    \"a\\\"b\": \"c\\\\d\",\n}";
  EXPECT_EQ(vx::render::pretty_map(two), expected);
  EXPECT_EQ(pretty(Value::map()
                       .entry(Value::text("reqId"), Value::text("12"))
                       .entry(Value::text("a\"b"), Value::text("c\\d"))),
            expected);

  const std::map<std::string, std::string> sorted = {{"b", "2"}, {"a", "1"}};
  EXPECT_EQ(vx::render::pretty_map(sorted), "{\n    \"a\": \"1\",\n    \"b\": \"2\",\n}");
}

TEST(Pretty, RecordWithNamedFields) {
  const Value e = Value::record("MSLinkError")
                      .field("kind", Value::text("io"))
                      .field("message", Value::text("The system cannot find the file specified. (os error 2)"));
  EXPECT_EQ(pretty(e),
            "MSLinkError {\n"
            "    kind: \"io\",\n"
            "    message: \"The system cannot find the file specified. (os error 2)\",\n"
            "}");
  EXPECT_EQ(compact(e),
            "MSLinkError { kind: \"io\", message: \"The system cannot find the file specified. (os error 2)\" }");
  EXPECT_EQ(pretty(Value::record("Empty")), "Empty");
  EXPECT_EQ(compact(Value::record("Empty")), "Empty");
}

TEST(Pretty, EachLevelOfNestingAddsFourSpaces) {
  const Value v = Value::record("Outer")
                      .field("args", Value::list().push(Value::text("a")).push(Value::list()))
                      .field("env", Value::map().entry(Value::text("k"),
                                                       Value::list().push(Value::text("v"))))
                      .field("inner", Value::some(Value::record("Inner").field("n", Value::integer(1))))
                      .field("gone", Value::none())
                      .field("kind", Value::tuple("Kind").push(Value::name("NotFound")));
  EXPECT_EQ(pretty(v),
            "Outer {\n"
            "    args: [\n"
            "        \"a\",\n"
            "        [],\n"
            "    ],\n"
            "    env: {\n"
            "        \"k\": [\n"
            "            \"v\",\n"
            "        ],\n"
            "    },\n"
            "    inner: Some(\n"
            "        Inner {\n"
            "            n: 1,\n"
            "        },\n"
            "    ),\n"
            "    gone: None,\n"
            "    kind: Kind(\n"
            "        NotFound,\n"
            "    ),\n"
            "}");
  EXPECT_EQ(compact(v),
            "Outer { args: [\"a\", []], env: {\"k\": [\"v\"]}, inner: Some(Inner { n: 1 }), "
            "gone: None, kind: Kind(NotFound) }");
}

TEST(Compact, EveryShapeOnOneLine) {
  struct Case {
    Value value;
    std::string out;
  } cases[] = {
      {Value::list(), "[]"},
      {Value::list().push(Value::text("a")).push(Value::text("b")), R"(["a", "b"])"},
      {Value::map(), "{}"},
      {Value::map().entry(Value::text("k"), Value::text("v")).entry(Value::text("x"), Value::text("")),
       R"({"k": "v", "x": ""})"},
      {Value::tuple("Kind").push(Value::name("WriteZero")), "Kind(WriteZero)"},
      {Value::tuple("Pair").push(Value::integer(1)).push(Value::integer(2)), "Pair(1, 2)"},
      {Value::some(Value::integer(3)), "Some(3)"},
      {Value::none(), "None"},
      {Value::integer(-42), "-42"},
      {Value::integer(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808"},
      {Value::integer(std::numeric_limits<std::uint64_t>::max()), "18446744073709551615"},
      {Value::integer(std::uint8_t{255}), "255"},
      {Value::bytes(std::string("a\xff\0", 3)), "[97, 255, 0]"},
      {Value::bytes(""), "[]"},
      {Value::name("NotFound"), "NotFound"},
  };
  for (const auto& c : cases) EXPECT_EQ(compact(c.value), c.out);
}

}  // namespace
