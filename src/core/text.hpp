// Text conversions. Inside the launcher every text is UTF-8 in a std::string;
// UTF-16 appears only at the system boundary, as std::u16string (char16_t,
// because wchar_t is four bytes on Linux; the Windows layer reinterprets it
// as wchar_t).
#pragma once

#include <string>
#include <string_view>

namespace vx {

// UTF-16 from the system to UTF-8. Well-formed surrogate pairs become their
// supplementary characters; every unpaired surrogate becomes U+FFFD.
// Nothing else is changed.
std::string utf16_to_utf8(std::u16string_view text);

// UTF-8 to UTF-16 for the system. The input is valid UTF-8 (every text of the
// launcher is); characters above U+FFFF become surrogate pairs. A U+0000 is
// kept as a unit: callers that hand text to the system refuse it first.
std::u16string utf8_to_utf16(std::string_view text);

// Appends the UTF-8 encoding of the scalar value `cp` (at most U+10FFFF,
// not a surrogate).
void append_utf8(std::string& out, char32_t cp);

// Decodes the scalar value starting at text[pos] of valid UTF-8 and advances
// pos past it.
char32_t next_scalar(std::string_view text, std::size_t& pos);

}  // namespace vx
