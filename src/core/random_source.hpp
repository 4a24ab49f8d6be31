// Sources of random bytes: the outcome type they report, the callable the
// generator is seeded from, and the fill rule of the system source (chunking
// and fallback) as logic over two injectable primitives, so the rule can be
// tested without the system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vx {

// Outcome of filling a buffer: success, or the operating system's error code.
struct RandomStatus {
  bool ok = true;
  std::uint32_t code = 0;  // meaningful only when !ok

  static constexpr RandomStatus success() { return {}; }
  static constexpr RandomStatus failure(std::uint32_t code) { return {false, code}; }
};

// Fills the whole span with random bytes, or reports why it could not. On
// failure the span's contents are unspecified. A plain function, not a
// std::function: the generator that keeps it lives in thread-local storage,
// and must stay trivially destructible there (see chacha12.hpp).
using SeedSource = RandomStatus (*)(std::span<std::uint8_t>);

// The system source's rule. The buffer is requested in pieces of at most
// `max_piece` bytes (the primitives take a 32-bit length), in order. For each
// piece `primary(ptr, len)` returns an NTSTATUS; only a status of error
// severity (both top bits set) counts as a failure, and then
// `fallback(ptr, len)` (true on success) is asked for the same piece. When
// both fail the fill stops with the primary's status, top bit cleared, as the
// error code: that keeps it clear of the range of internal error codes and,
// since bit 30 stays set, never zero.
template <class Primary, class Fallback>
RandomStatus fill_in_pieces(std::span<std::uint8_t> buf, Primary&& primary, Fallback&& fallback,
                            std::size_t max_piece = 0xFFFFFFFFu) {
  std::uint8_t* p = buf.data();
  std::size_t left = buf.size();
  while (left != 0) {
    const std::size_t n = left < max_piece ? left : max_piece;
    const auto len = static_cast<std::uint32_t>(n);
    const auto status = static_cast<std::uint32_t>(primary(p, len));
    if ((status >> 30) == 3u && !fallback(p, len)) {
      return RandomStatus::failure(status & 0x7FFFFFFFu);
    }
    p += n;
    left -= n;
  }
  return RandomStatus::success();
}

}  // namespace vx
