// The ChaCha stream cipher with 12 rounds as a random generator: the
// keystream of a 256-bit key, a 64-bit block counter (state words 12 and 13)
// and a 64-bit nonce that is always zero (words 14 and 15), handed out as
// little-endian 32-bit words, with the key replaced from the seed source
// after every 64 KiB of output.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <type_traits>

#include "core/random_source.hpp"

namespace vx {

// One 64-byte keystream block of ChaCha12 for `key` (32 bytes, read as eight
// little-endian words) at `counter`, nonce zero.
std::array<std::uint8_t, 64> chacha12_block(std::span<const std::uint8_t, 32> key,
                                            std::uint64_t counter) noexcept;

class ChaCha12Rng {
 public:
  static constexpr std::size_t SEED_SIZE = 32;
  static constexpr std::size_t BATCH_WORDS = 64;  // four blocks
  static constexpr std::int64_t RESEED_BUDGET = 65536;
  static constexpr std::int64_t BATCH_BYTES = BATCH_WORDS * 4;
  using Seed = std::array<std::uint8_t, SEED_SIZE>;

  // A generator keyed by 32 bytes from `source`, which it keeps for later
  // reseeds. When the source fails, returns nothing and sets `status` to the
  // failure; otherwise `status` is success.
  static std::optional<ChaCha12Rng> create(SeedSource source, RandomStatus& status);

  // A generator with a known key; `reseed_source` is asked for a new key
  // once the budget is spent (a null source counts as failing).
  ChaCha12Rng(const Seed& key, SeedSource reseed_source);

  // The next output word. Refills the batch with four blocks when it is
  // empty; before the refill, a spent budget triggers a reseed. A failing
  // reseed is dropped silently and the old key and counter go on.
  std::uint32_t next_word();

  // Observers, for tests.
  std::uint64_t block_counter() const noexcept { return counter_; }
  std::int64_t reseed_budget() const noexcept { return budget_; }
  std::size_t index() const noexcept { return index_; }

 private:
  void refill();

  Seed key_;
  std::uint64_t counter_ = 0;
  std::array<std::uint32_t, BATCH_WORDS> batch_{};
  std::size_t index_ = BATCH_WORDS;  // batch empty
  std::int64_t budget_ = RESEED_BUDGET;
  SeedSource source_ = nullptr;
};

// The launcher's generator lives as long as the process. Keeping the type
// trivially destructible means no destructor is registered to run at exit
// (and, should one ever live in a thread_local: with mingw-w64 those
// destructors run after the thread's emulated TLS block has been freed).
static_assert(std::is_trivially_destructible_v<ChaCha12Rng>);

}  // namespace vx
