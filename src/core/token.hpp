// The access token: 32 characters from A-Z, a-z, 0-9, drawn from a
// ChaCha12 generator seeded by the system. The launcher hands it to the Java application
// on its command line and expects it back as the first message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/chacha12.hpp"
#include "core/random_source.hpp"

namespace vx {

inline constexpr std::string_view TOKEN_ALPHABET =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
inline constexpr std::size_t TOKEN_LENGTH = 32;
static_assert(TOKEN_ALPHABET.size() == 62);

// The character a drawn word stands for: its top six bits index the
// alphabet directly. 62 and 63 stand for nothing; the word is thrown away and
// another drawn, so every character is equally likely. Never reduce a word
// modulo 62: that would favour the first characters.
constexpr std::optional<char> token_char(std::uint32_t word) {
  const std::uint32_t v = word >> 26;
  if (v >= TOKEN_ALPHABET.size()) return std::nullopt;
  return TOKEN_ALPHABET[v];
}

// Draws words from `next_word()` until TOKEN_LENGTH characters are made.
template <class NextWord>
std::string draw_token(NextWord&& next_word) {
  std::string token;
  token.reserve(TOKEN_LENGTH);
  while (token.size() < TOKEN_LENGTH) {
    if (const auto ch = token_char(next_word())) token += *ch;
  }
  return token;
}

struct TokenResult {
  std::string token;    // TOKEN_LENGTH characters when status.ok
  RandomStatus status;  // failure of creating the generator
};

// Draws a token from `generator`, which belongs to the calling thread (in
// the launcher: the main thread's, the only thread that draws). An empty
// generator is first created from `source`, which it keeps for reseeds
// (later calls ignore their argument); if that creation fails, the result
// carries the failure and no token, and the next call tries again.
TokenResult generate_token(std::optional<ChaCha12Rng>& generator, SeedSource source);

// The fatal-error message for a failed generator creation:
// "could not initialize thread_rng: OS Error: " + code in decimal.
std::string thread_rng_error_message(std::uint32_t os_error);

}  // namespace vx
