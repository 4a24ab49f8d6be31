// UTF-8 <-> wchar_t at the system boundary. On Windows wchar_t is the same
// 16-bit unit as char16_t, so the core's conversions are reused as they are.
#pragma once

#include <string>
#include <string_view>

#include "core/text.hpp"

namespace vx::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

// The same UTF-16 units, as the core and as the system hold them.
inline std::wstring as_wide(std::u16string_view u) {
  return std::wstring(reinterpret_cast<const wchar_t*>(u.data()), u.size());
}
inline std::u16string as_u16(std::wstring_view w) {
  return std::u16string(reinterpret_cast<const char16_t*>(w.data()), w.size());
}

inline std::wstring to_wide(std::string_view utf8) { return as_wide(utf8_to_utf16(utf8)); }

// Unpaired surrogates become U+FFFD.
inline std::string from_wide(std::wstring_view wide) {
  return utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace vx::win32
