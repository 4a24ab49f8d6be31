#include "core/token.hpp"

#include "core/chacha12.hpp"

namespace vx {

TokenResult generate_token(std::optional<ChaCha12Rng>& generator, SeedSource source) {
  TokenResult result;
  if (!generator) {
    generator = ChaCha12Rng::create(source, result.status);
    if (!generator) return result;
  }
  result.token = draw_token([&] { return generator->next_word(); });
  return result;
}

std::string thread_rng_error_message(std::uint32_t os_error) {
  return "could not initialize thread_rng: OS Error: " + std::to_string(os_error);
}

}  // namespace vx
