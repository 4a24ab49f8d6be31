// The create-shortcut operation behind the `mslnk` request.
#pragma once

#include <string_view>

namespace vx {

// Every output of create_link.
namespace windows_native_texts {
inline constexpr std::string_view TRACE_FROM_TARGET = "[src\\windows_native:13:21] e = ";
inline constexpr std::string_view TRACE_WRITE_FILE = "[src\\windows_native:10:29] e = ";
inline constexpr std::string_view NOTICE_CREATED = "windows file link created\n";
}  // namespace windows_native_texts

// Writes a shortcut at `target` (UTF-8, used as given) to the file or
// directory `source` (UTF-8). Reports the outcome only through
// diagnostics: a trace line of the MSLinkError when the source cannot be
// described (nothing written, `target` unused) or the file cannot be
// written (the earlier file at `target`, if any, stays as it was), the
// notice "windows file link created\n" on standard output on success.
// Never ends the process and returns nothing.
void create_link(std::string_view source, std::string_view target);

}  // namespace vx
