#include "core/unicode.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace {

TEST(Unicode, PrintableAndGraphemeExtendAtTheEdges) {
  struct Case {
    char32_t cp;
    bool printable;
    bool extend;
  } cases[] = {
      // ASCII: controls and DEL out, the space and everything visible in.
      {0x00, false, false}, {0x1F, false, false}, {0x20, true, false},
      {0x7E, true, false},  {0x7F, false, false},
      // C1 controls, no-break space, soft hyphen.
      {0x80, false, false}, {0x9F, false, false}, {0xA0, false, false},
      {0xA1, true, false},  {0xAC, true, false},  {0xAD, false, false},
      {0xAE, true, false},  {0xE9, true, false},
      // The combining diacritical marks block is printable but extends.
      {0x2FF, true, false}, {0x300, true, true}, {0x36F, true, true},
      {0x370, true, false}, {0x378, false, false},  // unassigned
      // Spacing mark: extends only when listed as Other_Grapheme_Extend.
      {0x903, true, false}, {0x9BE, true, true},
      {0x1160, true, false},  // a letter that renders as nothing
      // Format characters: ZWNJ extends, ZWJ does not; neither is printable.
      {0x200B, false, false}, {0x200C, false, true}, {0x200D, false, false},
      {0x20DD, true, true},   // enclosing mark
      {0x2028, false, false}, {0x2029, false, false}, {0x3000, false, false},
      {0x2FFB, true, false},  {0x2FFC, false, false},  // assigned only after 15.0
      // Surrogates and private use.
      {0xD800, false, false}, {0xDFFF, false, false}, {0xE000, false, false},
      {0xF8FF, false, false}, {0xF900, true, false},
      {0xFE0F, true, true},   {0xFEFF, false, false}, {0xFF9E, true, true},
      {0xFFFD, true, false},  {0xFFFE, false, false}, {0xFFFF, false, false},
      // Emoji modifiers break like extenders but lack the property.
      {0x1F3FB, true, false},
      {0x1F6DC, true, false}, {0x1FAE8, true, false},  // new in 15.0
      {0x1FAE9, false, false},                          // not yet assigned
      // Ranges given by First/Last lines in the data.
      {0x4DBF, true, false},  {0x4DC0, true, false},
      {0x31350, true, false}, {0x323AF, true, false}, {0x323B0, false, false},
      {0xE0001, false, false}, {0xE0020, false, true},
      {0xE0100, true, true},  {0xE01EF, true, true},  {0xE01F0, false, false},
      {0xF0000, false, false}, {0x10FFFD, false, false}, {0x10FFFF, false, false},
      {0x110000, false, false}, {0xFFFFFFFF, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vx::is_printable(c.cp), c.printable) << std::hex << "U+" << std::uint32_t(c.cp);
    EXPECT_EQ(vx::is_grapheme_extend(c.cp), c.extend) << std::hex << "U+" << std::uint32_t(c.cp);
  }
}

// Reads "XXXX..YYYY ; Value # comment" lines and marks every code point
// whose value is one of `wanted`.
bool mark_property(const std::string& path, const std::vector<std::string>& wanted,
                   std::vector<bool>& set) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find('#'));
    const auto semi = line.find(';');
    if (semi == std::string::npos) continue;
    std::string value = line.substr(semi + 1);
    value.erase(0, value.find_first_not_of(' '));
    value.erase(value.find_last_not_of(' ') + 1);
    bool hit = false;
    for (const auto& w : wanted) hit = hit || value == w;
    if (!hit) continue;
    const std::string cps = line.substr(0, semi);
    const auto dots = cps.find("..");
    const std::uint32_t lo = std::stoul(cps.substr(0, dots), nullptr, 16);
    const std::uint32_t hi = dots == std::string::npos ? lo : std::stoul(cps.substr(dots + 2), nullptr, 16);
    for (std::uint32_t c = lo; c <= hi; ++c) set.at(c) = true;
  }
  return true;
}

// The tables come from UnicodeData.txt and DerivedCoreProperties.txt; the
// same sets, derived here from other files of the same database
// (the general categories listed range by range, unassigned ones included,
// and Grapheme_Extend as Mn + Me + Other_Grapheme_Extend), must agree at
// every code point.
TEST(Unicode, AgreesWithTheDatabaseAtEveryCodePoint) {
  const std::string dir = VELTRIX_UNICODE_DATA_DIR;
  std::vector<bool> hidden(0x110000), extend(0x110000);
  if (!mark_property(dir + "/extracted/DerivedGeneralCategory.txt",
                     {"Cc", "Cf", "Cs", "Co", "Cn", "Zl", "Zp", "Zs"}, hidden) ||
      !mark_property(dir + "/extracted/DerivedGeneralCategory.txt", {"Mn", "Me"}, extend) ||
      !mark_property(dir + "/PropList.txt", {"Other_Grapheme_Extend"}, extend)) {
    GTEST_SKIP() << "no Unicode data in " << dir;
  }
  int mismatches = 0;
  for (char32_t cp = 0; cp < 0x110000 && mismatches < 20; ++cp) {
    const bool printable = cp == 0x20 || !hidden[cp];
    if (vx::is_printable(cp) != printable || vx::is_grapheme_extend(cp) != extend[cp]) {
      ADD_FAILURE() << std::hex << "U+" << std::uint32_t(cp);
      ++mismatches;
    }
  }
}

}  // namespace
