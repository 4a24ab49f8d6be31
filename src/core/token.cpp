#include "core/token.hpp"

#include "core/chacha12.hpp"

namespace vx {

TokenResult generate_token(SeedSource source) {
  // One generator per thread, made on the thread's first draw and kept for
  // its life; nothing is shared, so nothing is locked.
  thread_local std::optional<ChaCha12Rng> rng;
  TokenResult result;
  if (!rng) {
    rng = ChaCha12Rng::create(source, result.status);
    if (!rng) return result;
  }
  result.token = draw_token([] { return rng->next_word(); });
  return result;
}

std::string thread_rng_error_message(std::uint32_t os_error) {
  return "could not initialize thread_rng: OS Error: " + std::to_string(os_error);
}

}  // namespace vx
