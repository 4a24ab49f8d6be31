// The system random source.
#pragma once

#include <cstdint>
#include <span>

#include "core/random_source.hpp"

namespace vx::win32 {

// Fills `buf` from the system's preferred generator (BCryptGenRandom), piece
// by piece, falling back to RtlGenRandom for a piece that fails; see
// vx::fill_in_pieces for the rule and the error code reported when both fail.
RandomStatus fill_system_random(std::span<std::uint8_t> buf);


}  // namespace vx::win32
