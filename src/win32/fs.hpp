// Paths for the system and the launcher's own location.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/io_error.hpp"
#include "win32/syserr.hpp"

namespace vx::win32 {

struct WidePath {
  std::wstring path;             // NUL-free, not terminated
  std::optional<IoError> error;  // set when the system call failed
};

// Runs `call(buffer, size)` for the calls that write a path into a buffer
// and, when it is too small, return the size needed with its NUL
// (GetCurrentDirectoryW, GetFullPathNameW, GetFinalPathNameByHandleW), with
// a buffer grown until the path fits: any length is accepted. A result of 0
// is the failure of the call.
template <class Call>
WidePath read_path(Call&& call) {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = call(buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {{}, last_os_error()};
    if (n < buf.size()) {
      buf.resize(n);
      return {std::move(buf), std::nullopt};
    }
    buf.resize(n);
  }
}

// Paths of LONG_PATH_UNITS or more (counting the terminating NUL) are not
// opened by the classic Win32 path rules: such a path is made absolute with
// GetFullPathNameW and given its extended-length form (extended_length_form
// in core/cmdline.hpp). A path that already has the \\?\ prefix, and any
// shorter path, is returned unchanged.
WidePath long_path_form(std::wstring path);

// GetFullPathNameW of a NUL-free path, any length.
WidePath full_path(const std::wstring& path);

// GetCurrentDirectoryW, any length.
WidePath current_directory();

// GetModuleFileNameW of the running executable, any length.
WidePath own_executable_path();

}  // namespace vx::win32
