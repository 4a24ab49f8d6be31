// The system random source and the access token drawn from it.
#pragma once

#include <cstdint>
#include <span>

#include "core/random_source.hpp"
#include "core/token.hpp"

namespace vx::win32 {

// Fills `buf` from the system's preferred generator (BCryptGenRandom), piece
// by piece, falling back to RtlGenRandom for a piece that fails; see
// vx::fill_in_pieces for the rule and the error code reported when both fail.
RandomStatus fill_system_random(std::span<std::uint8_t> buf);

// vx::generate_token seeded from fill_system_random. On failure the caller
// ends the process with the fatal error vx::thread_rng_error_message(code).
inline TokenResult generate_token() { return vx::generate_token(&fill_system_random); }

}  // namespace vx::win32
