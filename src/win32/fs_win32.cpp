#include "win32/fs.hpp"

#include <windows.h>

#include "core/cmdline.hpp"
#include "win32/syserr.hpp"
#include "win32/wide.hpp"

namespace vx::win32 {
namespace {

bool starts_with(std::wstring_view s, std::wstring_view p) { return s.substr(0, p.size()) == p; }

}  // namespace

WidePath full_path(const std::wstring& path) {
  return read_path([&](wchar_t* buf, DWORD size) { return GetFullPathNameW(path.c_str(), size, buf, nullptr); });
}

WidePath current_directory() {
  return read_path([](wchar_t* buf, DWORD size) { return GetCurrentDirectoryW(size, buf); });
}

WidePath long_path_form(std::wstring path) {
  if (starts_with(path, L"\\\\?\\") || path.size() + 1 < LONG_PATH_UNITS) return {std::move(path), std::nullopt};
  WidePath full = full_path(path);
  if (full.error) return full;
  full.path = as_wide(extended_length_form(as_u16(full.path)));
  return full;
}

WidePath own_executable_path() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {{}, last_os_error()};
    // A full buffer means the name may have been cut: grow and ask again.
    if (n < buf.size()) {
      buf.resize(n);
      return {std::move(buf), std::nullopt};
    }
    buf.resize(buf.size() * 2);
  }
}

}  // namespace vx::win32
