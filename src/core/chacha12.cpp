#include "core/chacha12.hpp"

#include <bit>
#include <cstring>

namespace vx {
namespace {

inline std::uint32_t load_le32(const std::uint8_t* p) noexcept {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

#define VX_QUARTER(a, b, c, d)  \
  a += b; d ^= a; d = std::rotl(d, 16); \
  c += d; b ^= c; b = std::rotl(b, 12); \
  a += b; d ^= a; d = std::rotl(d, 8);  \
  c += d; b ^= c; b = std::rotl(b, 7)

// Writes the 16 output words of the block at `counter`.
void block_words(const std::uint8_t* key, std::uint64_t counter, std::uint32_t* out) noexcept {
  // "expand 32-byte k" as four little-endian words.
  std::uint32_t in[16] = {0x61707865u, 0x3320646eu, 0x79622d32u, 0x6b206574u};
  for (int i = 0; i < 8; ++i) in[4 + i] = load_le32(key + 4 * i);
  in[12] = static_cast<std::uint32_t>(counter);
  in[13] = static_cast<std::uint32_t>(counter >> 32);
  in[14] = 0;  // nonce, always zero
  in[15] = 0;

  std::uint32_t x[16];
  std::memcpy(x, in, sizeof x);
  for (int round = 0; round < 12; round += 2) {
    VX_QUARTER(x[0], x[4], x[8], x[12]);  // columns
    VX_QUARTER(x[1], x[5], x[9], x[13]);
    VX_QUARTER(x[2], x[6], x[10], x[14]);
    VX_QUARTER(x[3], x[7], x[11], x[15]);
    VX_QUARTER(x[0], x[5], x[10], x[15]);  // diagonals
    VX_QUARTER(x[1], x[6], x[11], x[12]);
    VX_QUARTER(x[2], x[7], x[8], x[13]);
    VX_QUARTER(x[3], x[4], x[9], x[14]);
  }
  for (int i = 0; i < 16; ++i) out[i] = x[i] + in[i];
}

#undef VX_QUARTER

}  // namespace

std::array<std::uint8_t, 64> chacha12_block(std::span<const std::uint8_t, 32> key,
                                            std::uint64_t counter) noexcept {
  std::uint32_t words[16];
  block_words(key.data(), counter, words);
  std::array<std::uint8_t, 64> out;
  for (int i = 0; i < 16; ++i) {
    for (int j = 0; j < 4; ++j) out[4 * i + j] = static_cast<std::uint8_t>(words[i] >> (8 * j));
  }
  return out;
}

std::optional<ChaCha12Rng> ChaCha12Rng::create(SeedSource source, RandomStatus& status) {
  Seed seed{};
  status = source ? source(seed) : RandomStatus::failure(0);
  if (!status.ok) return std::nullopt;
  return ChaCha12Rng(seed, source);
}

ChaCha12Rng::ChaCha12Rng(const Seed& key, SeedSource reseed_source)
    : key_(key), source_(reseed_source) {}

std::uint32_t ChaCha12Rng::next_word() {
  if (index_ >= BATCH_WORDS) refill();
  return batch_[index_++];
}

void ChaCha12Rng::refill() {
  if (budget_ <= 0) {
    Seed seed{};
    if (source_ && source_(seed).ok) {
      key_ = seed;
      counter_ = 0;
    }
    budget_ = RESEED_BUDGET - BATCH_BYTES;
  } else {
    budget_ -= BATCH_BYTES;
  }
  for (std::size_t b = 0; b < BATCH_WORDS / 16; ++b) {
    block_words(key_.data(), counter_ + b, batch_.data() + 16 * b);
  }
  counter_ += BATCH_WORDS / 16;
  index_ = 0;
}

}  // namespace vx
