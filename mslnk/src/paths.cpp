#include "mslnk/paths.hpp"

#include <array>

#include "core/text.hpp"
#include "core/winpath.hpp"

namespace mslnk::paths {
namespace {

using vx::winpath::is_drive_letter;
using vx::winpath::is_separator;

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

// The last non-empty, non-"." name of a path text.
std::string_view last_name(std::string_view path) {
  std::size_t end = path.size();
  while (end > 0) {
    while (end > 0 && is_separator(path[end - 1])) --end;
    std::size_t start = end;
    while (start > 0 && !is_separator(path[start - 1])) --start;
    const std::string_view name = path.substr(start, end - start);
    if (name != ".") return name;
    end = start;
  }
  return {};
}

// The console and port names Windows maps to devices in any directory:
// "C:\x\nul.txt" opens the null device, "C:\x\com1" a serial port. The name
// counts up to its first dot or colon, trailing spaces dropped, any case.
bool is_reserved_device_name(std::string_view name) {
  std::size_t end = 0;
  while (end < name.size() && name[end] != '.' && name[end] != ':') ++end;
  while (end > 0 && name[end - 1] == ' ') --end;
  const std::string_view base = name.substr(0, end);
  static constexpr std::array<std::string_view, 6> FIXED = {"CON", "PRN", "AUX", "NUL", "CONIN$",
                                                            "CONOUT$"};
  for (const std::string_view d : FIXED)
    if (equals_ignoring_case(base, d)) return true;
  if (base.size() == 4 && base[3] >= '1' && base[3] <= '9' &&
      (equals_ignoring_case(base.substr(0, 3), "COM") || equals_ignoring_case(base.substr(0, 3), "LPT")))
    return true;
  return false;
}

}  // namespace

std::optional<MSLinkError> refuse_source(std::string_view s) {
  const auto refuse = [](std::string_view why) { return MSLinkError::io(std::string(why)); };
  // Two leading separators, of either kind, make a UNC path (\\host\share,
  // //host/share) or a device or verbatim one (\\.\x, \\?\x).
  if (s.size() >= 2 && is_separator(s[0]) && is_separator(s[1])) {
    const bool device = s.size() >= 3 && (s[2] == '.' || s[2] == '?') &&
                        (s.size() == 3 || is_separator(s[3]));
    return refuse(device ? refusal::DEVICE_PATH : refusal::UNC_PATH);
  }
  if (!s.empty() && is_separator(s[0])) {
    // \??\C:\x is the object-manager form of a path; \x is relative to the
    // current drive.
    if (s.size() >= 4 && s[1] == '?' && s[2] == '?' && is_separator(s[3]))
      return refuse(refusal::DEVICE_PATH);
    return refuse(vx::winpath::parent(s) ? refusal::ROOTED_WITHOUT_DRIVE : refusal::NO_PARENT);
  }
  if (s.size() >= 2 && is_drive_letter(s[0]) && s[1] == ':') {
    if (s.size() == 2) return refuse(refusal::NO_PARENT);  // a bare drive
    if (!is_separator(s[2])) return refuse(refusal::DRIVE_RELATIVE_PATH);
  } else {
    return refuse(refusal::RELATIVE_PATH);
  }
  if (!vx::winpath::parent(s)) return refuse(refusal::NO_PARENT);
  if (is_reserved_device_name(last_name(s))) return refuse(refusal::RESERVED_NAME);
  return std::nullopt;
}

std::optional<std::string> final_name(std::u16string_view final_path) {
  std::size_t end = final_path.size();
  while (end > 0 && final_path[end - 1] == u'\\') --end;
  std::size_t start = end;
  while (start > 0 && final_path[start - 1] != u'\\') --start;
  const std::u16string_view name = final_path.substr(start, end - start);
  if (name.empty()) return std::nullopt;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char16_t u = name[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
        name[i + 1] <= 0xDFFF) {
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      return std::nullopt;
    }
  }
  return vx::utf16_to_utf8(name);
}

std::string_view directory_prefix(std::string_view target) {
  std::size_t end = target.size();
  while (end > 0 && !is_separator(target[end - 1])) --end;
  if (end > 0) return target.substr(0, end);
  if (target.size() >= 2 && is_drive_letter(target[0]) && target[1] == ':') return target.substr(0, 2);
  return {};
}

}  // namespace mslnk::paths
