#include "core/md5.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#ifndef _WIN32
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <unistd.h>
#endif

namespace {

// The test suite of RFC 1321, appendix A.5.
struct Vector {
  std::string_view message;
  std::string_view hex;
};
constexpr Vector kRfc1321[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"1234567890123456789012345678901234567890123456789012345678901234567890123456789"
     "0",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5, Rfc1321SuiteWholeAndByteByByte) {
  vx::Md5 streaming;  // reused: finish() must leave it ready for the next message
  for (const auto& v : kRfc1321) {
    EXPECT_EQ(vx::md5_hex(v.message), v.hex) << '"' << v.message << '"';
    for (char ch : v.message) streaming.update(&ch, 1);
    EXPECT_EQ(vx::md5_hex(streaming.finish()), v.hex) << '"' << v.message << '"';
  }
}

TEST(Md5, HexIsLowercaseWithLeadingZeros) {
  vx::Md5Digest d{};
  d[0] = 0x00;
  d[1] = 0x0f;
  d[2] = 0xa0;
  d[15] = 0xff;
  EXPECT_EQ(vx::md5_hex(d), "000fa0" + std::string(24, '0') + "ff");
}

// Deterministic bytes (xorshift64*), so a failure reproduces.
std::string pseudo_random(std::size_t size, std::uint64_t seed) {
  std::string out(size, '\0');
  std::uint64_t x = seed * 0x9E3779B97F4A7C15ull + 1;
  for (std::size_t i = 0; i < size; ++i) {
    x ^= x >> 12;
    x ^= x << 25;
    x ^= x >> 27;
    out[i] = static_cast<char>((x * 0x2545F4914F6CDD1Dull) >> 56);
  }
  return out;
}

// Feeds `data` through update() in pieces whose sizes cycle through odd
// lengths that straddle block boundaries in every way.
std::string md5_hex_in_pieces(std::string_view data) {
  static constexpr std::size_t kPieces[] = {1, 7, 63, 64, 65, 3, 129, 0, 4099, 56, 200003};
  vx::Md5 m;
  std::size_t pos = 0;
  for (std::size_t i = 0; pos < data.size(); ++i) {
    const std::size_t n = std::min(kPieces[i % std::size(kPieces)], data.size() - pos);
    m.update(data.data() + pos, n);
    pos += n;
  }
  return vx::md5_hex(m.finish());
}

#ifndef _WIN32
// Cross-check against coreutils md5sum on lengths around every padding edge
// (the length field fits after 55 bytes but not after 56) and a few large
// inputs, fed whole and in pieces.
TEST(Md5, AgreesWithMd5sum) {
  const std::size_t sizes[] = {0,    1,    2,    55,   56,   57,   63,    64,     65,
                               119,  120,  121,  127,  128,  129,  191,   192,    1000,
                               4095, 4096, 4097, 65537, (1u << 20) + 3, (3u << 20) + 17,
                               (5u << 20)};
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(testing::TempDir()) / ("veltrix_md5_" + std::to_string(::getpid()));
  fs::create_directories(dir);

  std::map<std::string, std::string> ours;  // file name -> our digest
  std::string command = "md5sum";
  for (std::size_t size : sizes) {
    const std::string data = pseudo_random(size, size);
    const std::string name = "m" + std::to_string(size);
    std::ofstream(dir / name, std::ios::binary).write(data.data(), static_cast<std::streamsize>(size));
    ours[name] = vx::md5_hex(data);
    EXPECT_EQ(md5_hex_in_pieces(data), ours[name]) << "size " << size;
    command += " '" + (dir / name).string() + "'";
  }

  FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) output.append(buf, n);
  ASSERT_EQ(::pclose(pipe), 0) << "md5sum failed: " << output;

  std::istringstream lines(output);
  std::size_t checked = 0;
  for (std::string digest, path; lines >> digest >> path; ++checked) {
    const std::string name = fs::path(path).filename().string();
    EXPECT_EQ(ours[name], digest) << name;
  }
  EXPECT_EQ(checked, std::size(sizes));
  fs::remove_all(dir);
}
#endif

// The streaming split must not matter even where md5sum is not available.
TEST(Md5, PiecesGiveTheSameDigestAsWhole) {
  for (std::size_t size : {0u, 1u, 55u, 56u, 57u, 63u, 64u, 65u, 127u, 128u, 129u, 300007u}) {
    const std::string data = pseudo_random(size, 7 * size + 1);
    EXPECT_EQ(md5_hex_in_pieces(data), vx::md5_hex(data)) << "size " << size;
  }
}

}  // namespace
