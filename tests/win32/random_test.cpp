#include "core/token.hpp"
#include "win32/random.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

TEST(SystemRandom, FillsEveryByteAndNeverRepeats) {
  // Large enough that a piece left untouched would show as a run of zeros.
  std::vector<std::uint8_t> a(1 << 20), b(1 << 20);
  ASSERT_TRUE(vx::win32::fill_system_random(a).ok);
  ASSERT_TRUE(vx::win32::fill_system_random(b).ok);
  EXPECT_NE(a, b);
  for (const auto* v : {&a, &b}) {
    std::size_t longest_zero_run = 0, run = 0;
    for (std::uint8_t byte : *v) {
      run = byte == 0 ? run + 1 : 0;
      longest_zero_run = std::max(longest_zero_run, run);
    }
    EXPECT_LT(longest_zero_run, 16u);
  }
  EXPECT_TRUE(vx::win32::fill_system_random({}).ok);
}

TEST(SystemRandom, TokensAreWellFormedAndFreshPerGenerator) {
  // Each generator is seeded afresh from the system.
  std::optional<vx::ChaCha12Rng> g1, g2;
  const vx::TokenResult t1 = vx::generate_token(g1, &vx::win32::fill_system_random);
  const vx::TokenResult t2 = vx::generate_token(g2, &vx::win32::fill_system_random);
  for (const auto* t : {&t1, &t2}) {
    ASSERT_TRUE(t->status.ok);
    ASSERT_EQ(t->token.size(), vx::TOKEN_LENGTH);
    for (char ch : t->token) {
      EXPECT_TRUE((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9'))
          << t->token;
    }
  }
  EXPECT_NE(t1.token, t2.token);
}

}  // namespace
