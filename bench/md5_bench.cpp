// MD5 throughput on 16 KiB blocks: ours against OpenSSL's, in the same run.
// Prints MiB/s for both and the ratio ours / OpenSSL. Never fails.
//
//   md5_bench [total MiB per round, default 256] [rounds, default 5]
#include "core/md5.hpp"

#include <openssl/evp.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr std::size_t kBlock = 16 * 1024;
volatile unsigned g_sink;  // keeps the digests observable

using Clock = std::chrono::steady_clock;

// Each function digests `blocks` separate 16 KiB messages and returns a
// byte of the digests so the work cannot be optimised away.
unsigned ours(const std::vector<std::uint8_t>& data, std::size_t blocks) {
  unsigned sink = 0;
  vx::Md5 m;
  for (std::size_t i = 0; i < blocks; ++i) {
    m.update(data.data(), kBlock);
    sink += m.finish()[i % 16];
  }
  return sink;
}

unsigned openssl(const std::vector<std::uint8_t>& data, std::size_t blocks) {
  unsigned sink = 0;
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  const EVP_MD* md = EVP_md5();
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  for (std::size_t i = 0; i < blocks; ++i) {
    EVP_DigestInit_ex(ctx, md, nullptr);
    EVP_DigestUpdate(ctx, data.data(), kBlock);
    EVP_DigestFinal_ex(ctx, out, &len);
    sink += out[i % 16];
  }
  EVP_MD_CTX_free(ctx);
  return sink;
}

template <class F>
double seconds(F&& f, const std::vector<std::uint8_t>& data, std::size_t blocks, unsigned& sink) {
  const auto t0 = Clock::now();
  sink += f(data, blocks);
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::size_t blocks = std::max<std::size_t>(1, mib * 1024 * 1024 / kBlock);

  std::vector<std::uint8_t> data(kBlock);
  std::uint32_t x = 2463534242u;
  for (auto& b : data) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<std::uint8_t>(x);
  }

  // Sanity: both must agree before their speeds mean anything.
  {
    unsigned char ref[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    EVP_Digest(data.data(), kBlock, ref, &len, EVP_md5(), nullptr);
    const vx::Md5Digest mine = vx::md5(data.data(), kBlock);
    if (len != 16 || !std::equal(mine.begin(), mine.end(), ref)) {
      std::printf("digests differ: the comparison is meaningless\n");
      return 0;
    }
  }

  unsigned sink = 0;
  sink += ours(data, blocks / 8 + 1);  // warm-up
  sink += openssl(data, blocks / 8 + 1);

  // Alternate the two and keep each one's best round, so a noisy neighbour
  // on a shared machine costs both the same.
  double best_ours = 1e300, best_openssl = 1e300;
  for (int r = 0; r < rounds; ++r) {
    best_ours = std::min(best_ours, seconds(ours, data, blocks, sink));
    best_openssl = std::min(best_openssl, seconds(openssl, data, blocks, sink));
  }
  const double total_mib = static_cast<double>(blocks * kBlock) / (1024.0 * 1024.0);
  std::printf("MD5, 16 KiB messages, %.0f MiB per round, best of %d rounds\n", total_mib, rounds);
  std::printf("  ours:    %8.1f MiB/s\n", total_mib / best_ours);
  std::printf("  OpenSSL: %8.1f MiB/s\n", total_mib / best_openssl);
  std::printf("  ratio ours/OpenSSL: %.3f\n", best_openssl / best_ours);
  g_sink = sink;
  return 0;
}
