#include "win32/syserr.hpp"

#include <windows.h>

namespace vx::win32 {

namespace {

// NTSTATUS values passed around as Win32 codes carry this bit
// (FACILITY_NT_BIT); their texts live in NTDLL.DLL, not in the system's
// own message table.
constexpr std::uint32_t NT_STATUS_BIT = 0x10000000;
constexpr DWORD MAX_MESSAGE_UNITS = 2048;

}  // namespace

std::string system_text(std::uint32_t code) {
  DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  HMODULE module = nullptr;
  DWORD lookup = code;
  if ((code & NT_STATUS_BIT) != 0) {
    module = GetModuleHandleW(L"NTDLL.DLL");
    if (module != nullptr) {
      flags |= FORMAT_MESSAGE_FROM_HMODULE;
      lookup = code & ~NT_STATUS_BIT;
    }
  }
  wchar_t buf[MAX_MESSAGE_UNITS];
  const DWORD units = FormatMessageW(flags, module, lookup, 0, buf, MAX_MESSAGE_UNITS, nullptr);
  if (units == 0) return system_text_unavailable(code, GetLastError());
  return system_text_from_message(
      code, std::u16string_view(reinterpret_cast<const char16_t*>(buf), units));
}

IoError os_error(std::uint32_t code) { return IoError::os(code, system_text(code)); }

IoError last_os_error() {
  const DWORD code = GetLastError();
  return os_error(code);
}

}  // namespace vx::win32
