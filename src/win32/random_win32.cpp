#include "win32/random.hpp"

#include <windows.h>
#include <bcrypt.h>

// RtlGenRandom's exported name; <ntsecapi.h> only declares it behind a macro.
extern "C" __declspec(dllimport) BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);

namespace vx::win32 {

RandomStatus fill_system_random(std::span<std::uint8_t> buf) {
  return fill_in_pieces(
      buf,
      [](std::uint8_t* p, std::uint32_t n) {
        // No algorithm handle: the system-preferred generator (flag 2).
        return BCryptGenRandom(nullptr, p, n, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
      },
      [](std::uint8_t* p, std::uint32_t n) { return SystemFunction036(p, n) != FALSE; });
}

}  // namespace vx::win32
