#include "core/winpath.hpp"

namespace vx::winpath {
namespace {

bool is_sep(char c, bool verbatim) { return c == '\\' || (!verbatim && is_separator(c)); }

bool is_drive(char c) { return is_drive_letter(static_cast<unsigned char>(c)); }

// End of the component starting at `from` (the next separator or the end).
std::size_t component_end(std::string_view p, std::size_t from, bool verbatim) {
  while (from < p.size() && !is_sep(p[from], verbatim)) ++from;
  return from;
}

}  // namespace

bool is_verbatim(std::string_view p) { return p.substr(0, 4) == "\\\\?\\"; }

std::size_t prefix_length(std::string_view p) {
  if (is_verbatim(p)) {
    std::string_view rest = p.substr(4);
    if (rest.size() >= 4 && (rest.substr(0, 4) == "UNC\\")) {
      // \\?\UNC\server\share
      std::size_t end = component_end(p, 8, true);
      if (end < p.size()) end = component_end(p, end + 1, true);
      return end;
    }
    if (rest.size() >= 2 && is_drive(rest[0]) && rest[1] == ':') return 6;
    return component_end(p, 4, true);
  }
  if (p.size() >= 4 && is_sep(p[0], false) && is_sep(p[1], false) && p[2] == '.' && is_sep(p[3], false)) {
    return component_end(p, 4, false);  // \\.\device
  }
  if (p.size() >= 3 && is_sep(p[0], false) && is_sep(p[1], false) && !is_sep(p[2], false)) {
    // \\server\share
    std::size_t end = component_end(p, 2, false);
    if (end < p.size()) end = component_end(p, end + 1, false);
    return end;
  }
  if (p.size() >= 2 && is_drive(p[0]) && p[1] == ':') return 2;
  return 0;
}

std::optional<std::string_view> parent(std::string_view p) {
  const bool verbatim = is_verbatim(p);
  const std::size_t prefix = prefix_length(p);
  std::size_t root = prefix;
  if (root < p.size() && is_sep(p[root], verbatim)) ++root;

  // Drops trailing separators and "." components, never into the root.
  const auto trim = [&](std::size_t end) {
    while (end > root) {
      if (is_sep(p[end - 1], verbatim)) {
        --end;
      } else if (!verbatim && p[end - 1] == '.' && (end - 1 == root || is_sep(p[end - 2], false))) {
        --end;
      } else {
        break;
      }
    }
    return end;
  };

  const std::size_t end = trim(p.size());
  if (end == root) return std::nullopt;  // nothing but a prefix and a root
  std::size_t start = end;
  while (start > root && !is_sep(p[start - 1], verbatim)) --start;
  return p.substr(0, trim(start));
}

}  // namespace vx::winpath
