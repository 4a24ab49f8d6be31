// Composing what CreateProcessW takes: the application name and the single
// command-line string, in UTF-16. The command line is built so that a child
// which splits it by the usual Windows rules (the C runtime's argv,
// CommandLineToArgvW) gets back exactly the argument texts it was given:
// double quotes group, and backslashes are special only in front of a double
// quote.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/io_error.hpp"

namespace vx {

// The invalid-input messages (errors of kind InvalidInput).
inline constexpr std::string_view NUL_IN_DATA = "nul byte found in provided data";
inline constexpr std::string_view NO_FILE_NAME = "program path has no file name";

// Text for the system, or why there is none.
struct WideResult {
  std::u16string text;  // meaningful only without error
  std::optional<IoError> error;
};

// UTF-8 to UTF-16 for a system call. A U+0000 anywhere is an error
// (NUL_IN_DATA), never a terminator: the system would silently cut the
// text there. The terminating NUL is the string's own (c_str()).
WideResult to_system_text(std::string_view utf8);

// Fails with NO_FILE_NAME when `program` is empty or ends in a path
// separator: a backslash or a slash, or for a program with the \\?\ prefix
// only a backslash (such paths take slashes literally).
std::optional<IoError> check_program(std::string_view program);

// Appends one argument as the child's parser will read it back: quoted when
// it is empty or holds a space or a tab (nothing else leads to quoting);
// a run of backslashes in front of a double quote is doubled and one more
// backslash escapes the quote; a run at the end of a quoted argument is
// doubled, so the closing quote stays a quote. Backslashes anywhere else are
// copied as they are. Fails with NUL_IN_DATA and then appends nothing.
std::optional<IoError> append_argument(std::u16string& command_line, std::u16string_view arg);

// The whole command line: a double quote, the program text unchanged (never
// escaped, whatever the application name becomes), a double quote, then one
// space and the encoded argument for each argument in order. Arguments are
// UTF-8; the first element of the child's argv comes from the program and is
// not among them. Fails with NUL_IN_DATA for the program or any argument.
WideResult compose_command_line(std::string_view program, std::span<const std::string> args);

// MAX_PATH is 260 units, but some calls already fail from 248 on (the room
// a directory needs for an 8.3 name): from this length, counting the NUL,
// a path is given the extended-length form.
inline constexpr std::size_t LONG_PATH_UNITS = 248;

// The extended-length form of an absolute path, chosen by its form: a drive
// path gets \\?\ in front, \\.\rest becomes \\?\rest, \\server\rest becomes
// \\?\UNC\server\rest; a path already prefixed, or of another form, stays.
std::u16string extended_length_form(std::u16string absolute);

// GetFullPathNameW of a NUL-terminated path (the platform layer supplies
// it; it reads the error code at the failure site).
using FullPathFn = std::function<WideResult(const std::u16string& path)>;

// The application name for a program that is a path to an .exe (used as it
// is, no search). With n the length in UTF-16 units counting the NUL:
//   - n > 260: unchanged;
//   - \\?\X:\rest: X:\rest if its full path is exactly itself, otherwise
//     unchanged;
//   - \\?\UNC\rest: \\rest on the same condition;
//   - any other \\?\ or \??\ name: unchanged;
//   - n < 248 and a drive path (X:, X:\..., X:/...) or starting with two
//     separators: unchanged;
//   - anything else: made absolute with `full_path`; when the absolute
//     path plus NUL reaches 248 units it gets the extended-length prefix
//     \\?\ by its form (drive path: prefix in front; \\.\rest: \\?\rest;
//     \\server\rest: \\?\UNC\server\rest; already prefixed or another
//     form: as it is).
// Fails with NUL_IN_DATA, or with the error of `full_path`.
WideResult application_name(std::string_view program, const FullPathFn& full_path);

}  // namespace vx
