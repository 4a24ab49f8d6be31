// The path rules of shortcut construction and writing, on texts alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "mslnk/error.hpp"

namespace mslnk::paths {

// Why a source is refused. Every refusal is an MSLinkError of kind "io"
// carrying one of these texts.
namespace refusal {
inline constexpr std::string_view UNC_PATH =
    "source is a network (UNC) path; shortcuts are made only to local paths with a drive letter";
inline constexpr std::string_view DEVICE_PATH =
    "source is a device or verbatim (\\\\.\\, \\\\?\\) path; shortcuts are made only to paths with a drive letter";
inline constexpr std::string_view ROOTED_WITHOUT_DRIVE =
    "source is rooted but has no drive letter; shortcuts are made only to paths with a drive letter";
inline constexpr std::string_view DRIVE_RELATIVE_PATH =
    "source is relative to a drive's current directory; an absolute path with a drive letter is required";
inline constexpr std::string_view RELATIVE_PATH =
    "source is a relative path; an absolute path with a drive letter is required";
inline constexpr std::string_view NO_PARENT = "source has no parent directory";
inline constexpr std::string_view RESERVED_NAME = "source names a reserved device";
inline constexpr std::string_view FINAL_NAME_NOT_UNICODE =
    "the final name of the source is not valid Unicode";
}  // namespace refusal

// The refusal for a source text the link cannot name, or nothing when the
// text is an absolute path with a drive letter that has a parent
// (C:\a\b.txt, c:/x). Looks at the text only: a UNC source must be turned
// away before any file-system call, since merely opening it sends the
// user's credentials to that host, and a relative source would be resolved
// against the launcher's current directory, which is not the application's.
std::optional<MSLinkError> refuse_source(std::string_view source);

// The last component of the platform's final path of a target (backslash
// separated, any prefix), as UTF-8; nothing when it is empty or holds an
// unpaired surrogate, which no UTF-8 text can carry.
std::optional<std::string> final_name(std::u16string_view final_path);

// The text of `target` up to and including its last separator ("C:\d\" for
// C:\d\x.lnk), or its drive ("C:" for C:x.lnk), or empty for a bare name:
// prepended to a bare file name it names a file in the target's directory.
std::string_view directory_prefix(std::string_view target);

}  // namespace mslnk::paths
