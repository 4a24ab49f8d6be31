#include "core/unicode.hpp"

#include <algorithm>
#include <iterator>

namespace vx {
namespace {

struct CodeRange {
  char32_t first;
  char32_t last;
};

#include "core/unicode_tables.inc"

template <std::size_t N>
bool in_ranges(const CodeRange (&ranges)[N], char32_t cp) {
  // First range that starts after cp; the one before it is the only
  // candidate that can hold cp.
  const CodeRange* after = std::upper_bound(
      std::begin(ranges), std::end(ranges), cp,
      [](char32_t c, const CodeRange& r) { return c < r.first; });
  return after != std::begin(ranges) && cp <= (after - 1)->last;
}

}  // namespace

bool is_printable(char32_t cp) {
  // The table lists U+0020 (category Zs), but a plain space is shown as
  // itself; settle all of ASCII here.
  if (cp < 0x80) return cp >= 0x20 && cp < 0x7F;
  if (cp > 0x10FFFF) return false;
  return !in_ranges(NOT_PRINTABLE, cp);
}

bool is_grapheme_extend(char32_t cp) { return in_ranges(GRAPHEME_EXTEND, cp); }

}  // namespace vx
