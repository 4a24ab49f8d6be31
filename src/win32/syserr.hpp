// Operating-system errors: the system's text for an error code, and the
// IoError of a failed call. Read the code at the failure site, before any
// clean-up call can overwrite it.
#pragma once

#include <cstdint>
#include <string>

#include "core/io_error.hpp"

namespace vx::win32 {

// The system's message for `code` (FormatMessageW, default language, at
// most 2048 UTF-16 units) with trailing white space removed. A code with
// bit 0x10000000 set is looked up with that bit cleared in NTDLL.DLL's
// message table first. Without a message: "OS Error <code>
// (FormatMessageW() returned error <error>)"; with a message that is not
// valid UTF-16: "OS Error <code> (FormatMessageW() returned invalid
// UTF-16)".
std::string system_text(std::uint32_t code);

// The I/O error of a system error code, with its system text.
IoError os_error(std::uint32_t code);

// os_error(GetLastError()); the code is read before anything else runs.
IoError last_os_error();

}  // namespace vx::win32
