#include "core/chacha12.hpp"
#include "core/random_source.hpp"
#include "core/token.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Seed = vx::ChaCha12Rng::Seed;

Seed counting_seed() {  // 00 01 02 .. 1f
  Seed s;
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::uint8_t>(i);
  return s;
}

std::string hex(const std::uint8_t* p, std::size_t n) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < n; ++i) {
    out += kDigits[p[i] >> 4];
    out += kDigits[p[i] & 15];
  }
  return out;
}

// Word `i` (0..15) of the keystream block at `counter`, read little-endian.
std::uint32_t block_word(const Seed& key, std::uint64_t counter, std::size_t i) {
  const auto b = vx::chacha12_block(key, counter);
  return std::uint32_t{b[4 * i]} | std::uint32_t{b[4 * i + 1]} << 8 |
         std::uint32_t{b[4 * i + 2]} << 16 | std::uint32_t{b[4 * i + 3]} << 24;
}

// A seed source that hands out fixed outcomes in turn and counts its calls.
// Seed sources are plain functions, so the script is global; each test sets
// it up with script().
struct Step {
  bool ok;
  std::uint8_t fill;  // every seed byte; the failure code is 0x40000000 + fill
};
std::vector<Step> g_steps;
int g_calls = 0;

vx::SeedSource script(std::vector<Step> steps) {
  g_steps = std::move(steps);
  g_calls = 0;
  return [](std::span<std::uint8_t> buf) {
    const Step s = g_steps.at(static_cast<std::size_t>(g_calls++));
    std::fill(buf.begin(), buf.end(), s.fill);
    return s.ok ? vx::RandomStatus::success() : vx::RandomStatus::failure(0x40000000u + s.fill);
  };
}

Seed filled(std::uint8_t b) {
  Seed s;
  s.fill(b);
  return s;
}

TEST(ChaCha12, KnownKeystreams) {
  Seed key01{};
  key01[0] = 1;
  const struct {
    Seed key;
    std::uint64_t counter;
    const char* first32;
  } cases[] = {
      {Seed{}, 0, "9bf49a6a0755f953811fce125f2683d50429c3bb49e074147e0089a52eae155f"},
      {key01, 0, "12056e595d56b0f6eef090f0cd25a20949248c2790525d0f930218ff0b4ddd10"},
      {counting_seed(), 1, "6cfa9aa0833b72e0db5c15523dd18346358e0ceb2e1b6448049d30327eee8516"},
  };
  for (const auto& c : cases) {
    const auto block = vx::chacha12_block(c.key, c.counter);
    EXPECT_EQ(hex(block.data(), 32), c.first32);
  }
}

TEST(ChaCha12, CounterUsesBothWords) {
  // Counter 2^32 must differ from counter 0: word 13 carries the high half.
  const Seed key = counting_seed();
  EXPECT_NE(vx::chacha12_block(key, std::uint64_t{1} << 32), vx::chacha12_block(key, 0));
}

TEST(ChaCha12Rng, BatchesAreFourConsecutiveBlocksInKeystreamOrder) {
  const Seed key = counting_seed();
  vx::ChaCha12Rng rng(key, {});
  EXPECT_EQ(rng.index(), vx::ChaCha12Rng::BATCH_WORDS);  // empty until the first draw
  for (std::uint64_t block = 0; block < 8; ++block) {
    for (std::size_t i = 0; i < 16; ++i) {
      ASSERT_EQ(rng.next_word(), block_word(key, block, i)) << "block " << block << " word " << i;
    }
  }
  EXPECT_EQ(rng.block_counter(), 8u);
  EXPECT_EQ(rng.reseed_budget(), 65536 - 2 * 256);
}

TEST(ChaCha12Rng, ReseedsAfter64KiBAndRestartsTheCounter) {
  vx::RandomStatus status;
  auto rng = vx::ChaCha12Rng::create(script({{true, 0x11}, {true, 0x22}, {true, 0x33}}), status);
  ASSERT_TRUE(rng.has_value());
  ASSERT_TRUE(status.ok);
  EXPECT_EQ(g_calls, 1);

  // 65536 bytes = 256 batches = 16384 words from the first key.
  for (int i = 0; i < 16383; ++i) rng->next_word();
  EXPECT_EQ(rng->next_word(), block_word(filled(0x11), 1023, 15));
  EXPECT_EQ(rng->reseed_budget(), 0);
  EXPECT_EQ(g_calls, 1);

  EXPECT_EQ(rng->next_word(), block_word(filled(0x22), 0, 0));
  EXPECT_EQ(g_calls, 2);
  EXPECT_EQ(rng->block_counter(), 4u);
  EXPECT_EQ(rng->reseed_budget(), 65536 - 256);
}

TEST(ChaCha12Rng, FailedReseedKeepsKeyAndCounterAndRetriesAfterAnotherBudget) {
  vx::RandomStatus status;
  auto rng = vx::ChaCha12Rng::create(script({{true, 0x11}, {false, 5}, {true, 0x33}}), status);
  ASSERT_TRUE(rng.has_value());

  for (int i = 0; i < 16384; ++i) rng->next_word();
  // The reseed fails silently: the first key goes on at block 1024.
  EXPECT_EQ(rng->next_word(), block_word(filled(0x11), 1024, 0));
  EXPECT_EQ(g_calls, 2);
  EXPECT_EQ(rng->reseed_budget(), 65536 - 256);

  // The budget was renewed all the same, so the next try comes after
  // another 255 batches.
  for (int i = 1; i < 256 * 64; ++i) rng->next_word();
  EXPECT_EQ(g_calls, 2);
  EXPECT_EQ(rng->next_word(), block_word(filled(0x33), 0, 0));
  EXPECT_EQ(g_calls, 3);
}

TEST(ChaCha12Rng, CreationReportsTheSourceFailure) {
  vx::RandomStatus status;
  EXPECT_FALSE(vx::ChaCha12Rng::create(script({{false, 0x57}}), status).has_value());
  EXPECT_FALSE(status.ok);
  EXPECT_EQ(status.code, 0x40000057u);
}

TEST(Token, TopSixBitsIndexTheAlphabet) {
  const struct {
    std::uint32_t six;
    std::optional<char> ch;
  } cases[] = {
      {0, 'A'}, {25, 'Z'}, {26, 'a'}, {51, 'z'}, {52, '0'}, {61, '9'},
      {62, std::nullopt}, {63, std::nullopt},
  };
  for (const auto& c : cases) {
    // The low 26 bits never matter.
    for (std::uint32_t low : {0u, 1u, 0x3FFFFFFu, 0x2AAAAAAu}) {
      EXPECT_EQ(vx::token_char(c.six << 26 | low), c.ch) << c.six << " low " << low;
    }
  }
}

TEST(Token, RejectedWordsCostAnExtraDrawAndAreNotReducedModulo62) {
  // Words with top bits 62 and 63 between regular ones; were they reduced
  // modulo 62 they would give 'A' and 'B'.
  std::vector<std::uint32_t> words;
  std::string expected;
  for (std::uint32_t i = 0; i < vx::TOKEN_LENGTH; ++i) {
    if (i % 3 == 0) words.push_back(62u << 26);
    if (i % 5 == 0) words.push_back(63u << 26 | 0x155);
    const std::uint32_t six = (i * 7 + 3) % 62;
    words.push_back(six << 26 | i);
    expected += vx::TOKEN_ALPHABET[six];
  }
  std::size_t next = 0;
  const std::string token = vx::draw_token([&] { return words.at(next++); });
  EXPECT_EQ(token, expected);
  EXPECT_EQ(next, words.size());  // not a word more than needed
}

TEST(Token, KnownTokensFromKnownSeeds) {
  const struct {
    std::uint8_t first, step;  // seed byte i = first + step * i
    const char* token;
  } cases[] = {
      {0, 0, "aUE1uFpXewNeLGLvQMPtzItzElQywsFf"},
      {0, 1, "XJqHvwNCnVmCFeo4UR6SMFo12wHZPiU9"},
  };
  static Seed seed;
  for (const auto& c : cases) {
    for (std::size_t i = 0; i < seed.size(); ++i) seed[i] = static_cast<std::uint8_t>(c.first + c.step * i);
    std::optional<vx::ChaCha12Rng> generator;
    g_calls = 0;
    const vx::TokenResult result = vx::generate_token(generator, [](std::span<std::uint8_t> buf) {
      ++g_calls;
      std::copy(seed.begin(), seed.end(), buf.begin());
      return vx::RandomStatus::success();
    });
    ASSERT_TRUE(result.status.ok);
    EXPECT_EQ(result.token, c.token);
    EXPECT_EQ(g_calls, 1);
  }
}

TEST(Token, GeneratorIsMadeOnceAndItsCreationFailureIsReported) {
  {
    std::optional<vx::ChaCha12Rng> generator;
    const vx::TokenResult failed = vx::generate_token(generator, script({{false, 0x07}}));
    EXPECT_FALSE(failed.status.ok);
    EXPECT_TRUE(failed.token.empty());
    EXPECT_EQ(vx::thread_rng_error_message(failed.status.code),
              "could not initialize thread_rng: OS Error: 1073741831");

    // The next call tries again; once made, the generator is kept.
    const vx::SeedSource zeros = script({{true, 0}, {true, 0}});
    const vx::TokenResult first = vx::generate_token(generator, zeros);
    const vx::TokenResult second = vx::generate_token(generator, zeros);
    EXPECT_EQ(g_calls, 1);
    EXPECT_EQ(first.token, "aUE1uFpXewNeLGLvQMPtzItzElQywsFf");
    // The same generator goes on: a different token, still well-formed.
    EXPECT_NE(second.token, first.token);
    ASSERT_EQ(second.token.size(), vx::TOKEN_LENGTH);
    for (char ch : second.token) EXPECT_NE(vx::TOKEN_ALPHABET.find(ch), std::string_view::npos);
  }
}

// The chunking and fallback rule of the system random source.
TEST(RandomSource, PiecesFallbackAndErrorCode) {
  struct Call {
    std::size_t offset;
    std::uint32_t len;
  };
  const struct {
    const char* name;
    std::vector<std::uint32_t> statuses;  // per primary call
    std::vector<bool> fallback_results;   // per fallback call
    bool ok;
    std::uint32_t code;
    std::size_t primary_calls, fallback_calls;
  } cases[] = {
      {"all succeed", {0, 0, 0}, {}, true, 0, 3, 0},
      // Warning and informational severities are not failures.
      {"warning is success", {0x80000005u, 0x40000000u, 0}, {}, true, 0, 3, 0},
      {"fallback rescues a piece", {0, 0xC0000001u, 0}, {true}, true, 0, 3, 1},
      {"both fail: primary status, top bit cleared", {0, 0xC000009Au}, {false}, false, 0x4000009Au, 2, 1},
  };
  for (const auto& c : cases) {
    std::array<std::uint8_t, 25> buf{};
    std::vector<Call> primary_calls, fallback_calls;
    const vx::RandomStatus st = vx::fill_in_pieces(
        buf,
        [&](std::uint8_t* p, std::uint32_t n) {
          primary_calls.push_back({static_cast<std::size_t>(p - buf.data()), n});
          return c.statuses.at(primary_calls.size() - 1);
        },
        [&](std::uint8_t* p, std::uint32_t n) {
          fallback_calls.push_back({static_cast<std::size_t>(p - buf.data()), n});
          // The fallback is asked for exactly the piece that failed.
          EXPECT_EQ(p - buf.data(), static_cast<std::ptrdiff_t>(primary_calls.back().offset));
          EXPECT_EQ(n, primary_calls.back().len);
          return bool(c.fallback_results.at(fallback_calls.size() - 1));
        },
        10);
    EXPECT_EQ(st.ok, c.ok) << c.name;
    EXPECT_EQ(st.code, c.code) << c.name;
    ASSERT_EQ(primary_calls.size(), c.primary_calls) << c.name;
    EXPECT_EQ(fallback_calls.size(), c.fallback_calls) << c.name;
    const Call expected[] = {{0, 10}, {10, 10}, {20, 5}};
    for (std::size_t i = 0; i < primary_calls.size(); ++i) {
      EXPECT_EQ(primary_calls[i].offset, expected[i].offset) << c.name;
      EXPECT_EQ(primary_calls[i].len, expected[i].len) << c.name;
    }
  }
}

}  // namespace
