#include "win32/fs.hpp"

#include <windows.h>

#include "win32/syserr.hpp"

namespace vx::win32 {
namespace {

constexpr std::size_t LONG_PATH_UNITS = 248;  // counting the NUL

bool starts_with(std::wstring_view s, std::wstring_view p) { return s.substr(0, p.size()) == p; }

}  // namespace

WidePath full_path(const std::wstring& path) {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
    if (n == 0) return {{}, last_os_error()};
    if (n < buf.size()) {
      buf.resize(n);
      return {std::move(buf), std::nullopt};
    }
    buf.resize(n);  // n counts the NUL when the buffer was too small
  }
}

WidePath long_path_form(std::wstring path) {
  if (starts_with(path, L"\\\\?\\") || path.size() + 1 < LONG_PATH_UNITS) return {std::move(path), std::nullopt};
  WidePath full = full_path(path);
  if (full.error) return full;
  std::wstring& p = full.path;
  if (starts_with(p, L"\\\\?\\")) {
    // already extended-length
  } else if (starts_with(p, L"\\\\.\\")) {
    p.replace(0, 4, L"\\\\?\\");
  } else if (starts_with(p, L"\\\\")) {
    p.replace(0, 2, L"\\\\?\\UNC\\");
  } else if (p.size() >= 2 && p[1] == L':') {
    p.insert(0, L"\\\\?\\");
  }
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
