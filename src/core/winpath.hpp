// Windows path texts, taken apart without touching the file system.
#pragma once

#include <optional>
#include <string_view>

namespace vx::winpath {

// Backslash and slash both separate components (except after \\?\, where a
// path is taken literally and only the backslash does). Works for UTF-8
// bytes and UTF-16 units alike.
constexpr bool is_separator(char32_t c) { return c == U'\\' || c == U'/'; }

// An ASCII letter, the only kind a drive is named by.
constexpr bool is_drive_letter(char32_t c) { return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z'); }

// "X:" followed by a separator.
template <class Char>
constexpr bool starts_with_drive_root(std::basic_string_view<Char> p) {
  return p.size() >= 3 && is_drive_letter(static_cast<char32_t>(p[0])) && p[1] == Char(':') &&
         is_separator(static_cast<char32_t>(p[2]));
}

// The parent of a path text: the text before its last component, without
// the separators (and "." components) in front of that component, except
// that the root separator stays when nothing but the root would remain.
// Backslash and slash both separate, except after a \\?\ prefix, where only
// the backslash does. Returns nothing for a path without a last component:
// a bare root, a bare drive "C:", a share root "\\server\share\".
//   C:\a\b.txt -> C:\a      C:\b.txt -> "C:\"     C:/a/b.txt -> C:/a
//   a\b.txt    -> a         b.txt    -> ""        \\?\C:\x   -> "\\?\C:\"
std::optional<std::string_view> parent(std::string_view path);

// Length of the prefix that names a drive, share or device: "C:",
// "\\server\share", "\\?\C:", "\\?\UNC\server\share", "\\?\name",
// "\\.\name"; 0 for a path without one.
std::size_t prefix_length(std::string_view path);

// True when the path starts with the verbatim prefix \\?\ .
bool is_verbatim(std::string_view path);

}  // namespace vx::winpath
