// Windows path texts, taken apart without touching the file system.
#pragma once

#include <optional>
#include <string_view>

namespace vx::winpath {

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
