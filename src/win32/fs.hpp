// Paths for the system and the launcher's own location.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/io_error.hpp"

namespace vx::win32 {

struct WidePath {
  std::wstring path;             // NUL-free, not terminated
  std::optional<IoError> error;  // set when GetFullPathNameW failed
};

// Paths of LONG_PATH_UNITS or more (counting the terminating NUL) are not
// opened by the classic Win32 path rules: such a path is made absolute with
// GetFullPathNameW and given its extended-length form (extended_length_form
// in core/cmdline.hpp). A path that already has the \\?\ prefix, and any
// shorter path, is returned unchanged.
WidePath long_path_form(std::wstring path);

// GetFullPathNameW of a NUL-free path, any length.
WidePath full_path(const std::wstring& path);

// GetModuleFileNameW of the running executable, any length.
WidePath own_executable_path();

}  // namespace vx::win32
