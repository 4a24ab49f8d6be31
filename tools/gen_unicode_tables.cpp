// Writes src/core/unicode_tables.inc: the two code point sets that text
// quoting needs, as sorted inclusive ranges, from the Unicode Character
// Database 15.0.0.
//
//   gen_unicode_tables <ucd-dir> <output> [<expected>]
//
// <ucd-dir> holds UnicodeData.txt and DerivedCoreProperties.txt (Debian:
// /usr/share/unicode from the package unicode-data). With <expected>, the
// freshly written output is also compared with that file, byte for byte.
// Exit status: 0 done (and equal), 1 the files differ, 2 bad input or
// usage, 77 the data files are absent (a test counts that as skipped).
//
// A tool of the build machine, not part of the launcher: it may use
// iostreams and exceptions freely.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t CODE_SPACE = 0x110000;
constexpr const char* UNICODE_VERSION = "15.0.0";

struct Range {
  std::uint32_t first;
  std::uint32_t last;
};

[[noreturn]] void fail(const std::string& why) {
  std::cerr << "gen_unicode_tables: " << why << "\n";
  std::exit(2);
}

std::uint32_t parse_hex(const std::string& s, const std::string& where) {
  std::size_t used = 0;
  unsigned long v = 0;
  try {
    v = std::stoul(s, &used, 16);
  } catch (...) {
    used = 0;
  }
  if (used == 0 || used != s.size() || v >= CODE_SPACE) fail("bad code point '" + s + "' in " + where);
  return static_cast<std::uint32_t>(v);
}

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

std::vector<std::string> split(const std::string& line, char sep) {
  std::vector<std::string> out;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, sep)) out.push_back(field);
  return out;
}

// General categories that make a character unfit to show as itself. Cn,
// the unassigned code points, never appears in UnicodeData.txt: a code
// point is unassigned exactly when no line (and no First/Last pair)
// covers it, so the set starts full and assigned characters are taken out.
bool category_not_printable(const std::string& gc) {
  return gc == "Cc" || gc == "Cf" || gc == "Cs" || gc == "Co" || gc == "Zl" || gc == "Zp" ||
         gc == "Zs";
}

std::vector<bool> read_not_printable(const std::string& path) {
  std::ifstream in(path);
  std::vector<bool> set(CODE_SPACE, true);
  std::vector<bool> seen(CODE_SPACE, false);
  std::string line;
  bool open_range = false;
  std::uint32_t range_first = 0;
  std::string range_gc;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    const auto f = split(line, ';');
    if (f.size() < 3) fail("short line in " + path + ": " + line);
    const std::uint32_t cp = parse_hex(f[0], path);
    const std::string& name = f[1];
    const std::string& gc = f[2];
    const bool first = name.size() > 8 && name.compare(name.size() - 8, 8, ", First>") == 0;
    const bool last = name.size() > 7 && name.compare(name.size() - 7, 7, ", Last>") == 0;
    if (open_range != last) fail("unpaired First/Last line in " + path + ": " + line);
    // A First/Last pair stands for every code point between the two lines,
    // all of the same category; the lines in between are not listed.
    std::uint32_t lo = cp;
    if (last) {
      if (gc != range_gc || cp < range_first) fail("mismatched range end in " + path + ": " + line);
      lo = range_first;
      open_range = false;
    } else if (first) {
      open_range = true;
      range_first = cp;
      range_gc = gc;
      continue;
    }
    for (std::uint32_t c = lo; c <= cp; ++c) {
      if (seen[c]) fail("code point listed twice in " + path + ": " + line);
      seen[c] = true;
      set[c] = category_not_printable(gc);
    }
  }
  if (open_range) fail("range left open at the end of " + path);
  return set;
}

std::vector<bool> read_property(const std::string& path, const std::string& property) {
  std::ifstream in(path);
  std::string line;
  if (!std::getline(in, line)) fail("empty file " + path);
  // The first line names the file and its version; a different version
  // would silently change what gets escaped.
  const std::string expected_head = "# DerivedCoreProperties-" + std::string(UNICODE_VERSION) + ".txt";
  if (trim(line) != expected_head)
    fail(path + " is not Unicode " + UNICODE_VERSION + " (first line: " + line + ")");
  std::vector<bool> set(CODE_SPACE, false);
  std::size_t lines = 0;
  while (std::getline(in, line)) {
    const auto hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    line = trim(line);
    if (line.empty()) continue;
    const auto f = split(line, ';');
    if (f.size() != 2) fail("unexpected line in " + path + ": " + line);
    if (trim(f[1]) != property) continue;
    const std::string cps = trim(f[0]);
    const auto dots = cps.find("..");
    const std::uint32_t lo = parse_hex(dots == std::string::npos ? cps : cps.substr(0, dots), path);
    const std::uint32_t hi = dots == std::string::npos ? lo : parse_hex(cps.substr(dots + 2), path);
    if (hi < lo) fail("reversed range in " + path + ": " + line);
    for (std::uint32_t c = lo; c <= hi; ++c) set[c] = true;
    ++lines;
  }
  if (lines == 0) fail("no " + property + " lines in " + path);
  return set;
}

std::vector<Range> to_ranges(const std::vector<bool>& set) {
  std::vector<Range> out;
  for (std::uint32_t c = 0; c < CODE_SPACE; ++c) {
    if (!set[c]) continue;
    if (!out.empty() && out.back().last + 1 == c)
      out.back().last = c;
    else
      out.push_back({c, c});
  }
  return out;
}

void write_table(std::ostream& out, const char* name, const char* what, const std::vector<Range>& ranges) {
  out << "\n// " << what << " (" << ranges.size() << " ranges)\n";
  out << "inline constexpr CodeRange " << name << "[] = {\n";
  char buf[64];
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    if (i % 4 == 0) out << "   ";
    std::snprintf(buf, sizeof buf, " {0x%05X, 0x%05X},", static_cast<unsigned>(ranges[i].first),
                  static_cast<unsigned>(ranges[i].last));
    out << buf;
    if (i % 4 == 3 || i + 1 == ranges.size()) out << "\n";
  }
  out << "};\n";
}

bool readable(const std::string& path) { return std::ifstream(path).good(); }

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::cerr << "usage: gen_unicode_tables <ucd-dir> <output> [<expected>]\n";
    return 2;
  }
  const std::string dir = argv[1];
  const std::string unicode_data = dir + "/UnicodeData.txt";
  const std::string core_properties = dir + "/DerivedCoreProperties.txt";
  if (!readable(unicode_data) || !readable(core_properties)) {
    std::cerr << "gen_unicode_tables: no Unicode data in " << dir << " (package unicode-data)\n";
    return 77;
  }

  const auto not_printable = to_ranges(read_not_printable(unicode_data));
  const auto grapheme_extend = to_ranges(read_property(core_properties, "Grapheme_Extend"));

  std::ostringstream text;
  text << "// Generated by tools/gen_unicode_tables.cpp from the Unicode Character\n"
          "// Database "
       << UNICODE_VERSION
       << " (UnicodeData.txt, DerivedCoreProperties.txt). Do not edit.\n"
          "// Regenerate from a native build tree:\n"
          "//   cmake --build <build-dir> --target update_unicode_tables\n"
          "// Ranges are inclusive, sorted, disjoint and never adjacent.\n";
  write_table(text, "NOT_PRINTABLE",
              "General category Cc, Cf, Cs, Co, Cn (unassigned), Zl, Zp or Zs", not_printable);
  write_table(text, "GRAPHEME_EXTEND", "Grapheme_Extend", grapheme_extend);

  const std::string output = argv[2];
  {
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out << text.str();
    if (!out.flush()) fail("cannot write " + output);
  }
  if (argc == 4) {
    const std::string expected = argv[3];
    if (slurp(expected) != text.str()) {
      std::cerr << "gen_unicode_tables: " << expected << " is out of date; compare with " << output
                << " or run the update_unicode_tables target\n";
      return 1;
    }
  }
  return 0;
}
