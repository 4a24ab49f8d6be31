#include "core/cmdline.hpp"

#include "core/text.hpp"
#include "core/winpath.hpp"

namespace vx {
namespace {

constexpr std::u16string_view VERBATIM = u"\\\\?\\";  // \\?\ (extended-length prefix)
constexpr std::u16string_view NT_OBJECT = u"\\??\\";  // \??\ (object manager prefix)
constexpr std::u16string_view VERBATIM_UNC = u"\\\\?\\UNC\\";
constexpr std::u16string_view DEVICE = u"\\\\.\\";

// Lengths counting the terminating NUL.
constexpr std::size_t MAX_PATH_UNITS = 260;
constexpr std::size_t SHORT_PATH_LIMIT = LONG_PATH_UNITS;

IoError invalid_input(std::string_view message) {
  return IoError::with_message(ErrorKind::InvalidInput, std::string(message));
}

using winpath::is_drive_letter;
using winpath::is_separator;

// X:\ or X:/ at the start.
bool is_drive_path(std::u16string_view p) { return winpath::starts_with_drive_root(p); }

}  // namespace

std::u16string extended_length_form(std::u16string abs) {
  if (is_drive_path(abs)) return std::u16string(VERBATIM) + abs;
  if (abs.starts_with(DEVICE)) return std::u16string(VERBATIM) + abs.substr(DEVICE.size());
  if (abs.starts_with(VERBATIM) || abs.starts_with(NT_OBJECT)) return abs;
  if (abs.starts_with(u"\\\\")) return std::u16string(VERBATIM_UNC) + abs.substr(2);
  return abs;
}

WideResult to_system_text(std::string_view utf8) {
  WideResult r;
  if (utf8.find('\0') != std::string_view::npos) {
    r.error = invalid_input(NUL_IN_DATA);
    return r;
  }
  r.text = utf8_to_utf16(utf8);
  return r;
}

std::optional<IoError> check_program(std::string_view program) {
  if (program.empty()) return invalid_input(NO_FILE_NAME);
  const char last = program.back();
  const bool verbatim = program.starts_with("\\\\?\\");
  if (last == '\\' || (last == '/' && !verbatim)) return invalid_input(NO_FILE_NAME);
  return std::nullopt;
}

std::optional<IoError> append_argument(std::u16string& command_line, std::u16string_view arg) {
  if (arg.find(u'\0') != std::u16string_view::npos) return invalid_input(NUL_IN_DATA);

  const bool quoted = arg.empty() || arg.find_first_of(u" \t") != std::u16string_view::npos;
  if (quoted) command_line += u'"';
  std::size_t backslashes = 0;
  for (char16_t c : arg) {
    if (c == u'\\') {
      ++backslashes;
    } else {
      if (c == u'"') command_line.append(backslashes + 1, u'\\');
      backslashes = 0;
    }
    command_line += c;
  }
  if (quoted) {
    command_line.append(backslashes, u'\\');
    command_line += u'"';
  }
  return std::nullopt;
}

WideResult compose_command_line(std::string_view program, std::span<const std::string> args) {
  WideResult r = to_system_text(program);
  if (r.error) return r;
  std::u16string line;
  line.reserve(r.text.size() + 3 + args.size() * 16);
  line += u'"';
  line += r.text;
  line += u'"';
  for (const std::string& arg : args) {
    WideResult a = to_system_text(arg);
    if (a.error) return a;
    line += u' ';
    append_argument(line, a.text);  // cannot fail: the NUL was refused above
  }
  r.text = std::move(line);
  return r;
}

WideResult application_name(std::string_view program, const FullPathFn& full_path) {
  WideResult r = to_system_text(program);
  if (r.error) return r;
  const std::u16string name = std::move(r.text);
  r.text.clear();
  const std::size_t n = name.size() + 1;

  const auto unchanged = [&] {
    WideResult out;
    out.text = name;
    return out;
  };

  if (n > MAX_PATH_UNITS) return unchanged();

  // \\?\X:\rest -> X:\rest, when nothing in it depends on the verbatim form
  // (no '.' or '..' component, no trailing dot or space, no slash): the
  // full path of the plain form is then the plain form itself.
  if (name.starts_with(VERBATIM) && name.size() >= 7 && is_drive_letter(name[4]) &&
      name[5] == u':' && name[6] == u'\\') {
    const std::u16string plain = name.substr(VERBATIM.size());
    WideResult full = full_path(plain);
    if (full.error) return full;
    if (full.text == plain) {
      full.text = plain;
      return full;
    }
    return unchanged();
  }
  // \\?\UNC\server\share -> \\server\share on the same condition.
  if (name.starts_with(VERBATIM_UNC)) {
    const std::u16string plain = u"\\\\" + name.substr(VERBATIM_UNC.size());
    WideResult full = full_path(plain);
    if (full.error) return full;
    if (full.text == plain) return full;
    return unchanged();
  }
  if (name.starts_with(VERBATIM) || name.starts_with(NT_OBJECT)) return unchanged();

  if (n < SHORT_PATH_LIMIT) {
    const bool drive_alone = name.size() == 2 && is_drive_letter(name[0]) && name[1] == u':';
    const bool two_separators = name.size() >= 2 && is_separator(name[0]) && is_separator(name[1]);
    if (drive_alone || is_drive_path(name) || two_separators) return unchanged();
  }

  WideResult abs = full_path(name);
  if (abs.error) return abs;
  if (abs.text.size() + 1 >= SHORT_PATH_LIMIT) abs.text = extended_length_form(std::move(abs.text));
  return abs;
}

}  // namespace vx
