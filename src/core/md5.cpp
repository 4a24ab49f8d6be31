#include "core/md5.hpp"

#include <bit>
#include <cstring>

namespace vx {
namespace {

// MD5 reads its message as little-endian 32-bit words; memcpy makes the load
// safe at any alignment and compiles to a plain load on x86.
inline std::uint32_t load_le32(const std::uint8_t* p) noexcept {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  if constexpr (std::endian::native == std::endian::big) {
    v = (v >> 24) | ((v >> 8) & 0xff00u) | ((v << 8) & 0xff0000u) | (v << 24);
  }
  return v;
}

inline void store_le32(std::uint8_t* p, std::uint32_t v) noexcept {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

// The four rounds, one step per line, with the sine constants of RFC 1321
// inline. The auxiliary functions are written in the forms that need the
// fewest dependent operations:
//   F(b,c,d) = (b & c) | (~b & d)  ==  d ^ (b & (c ^ d))
//   G(b,c,d) = (b & d) | (c & ~d)  ==  (c & ~d) + (b & d)   (the two terms
//              never share a set bit, so the sum can start before b is known)
//   H(b,c,d) = b ^ c ^ d
//   I(b,c,d) = c ^ (b | ~d)
#define VX_MD5_F(a, b, c, d, x, t, s)        \
  a += ((((c) ^ (d)) & (b)) ^ (d)) + (x) + (t); \
  a = std::rotl(a, s) + (b)
#define VX_MD5_G(a, b, c, d, x, t, s)   \
  a += (~(d) & (c)) + (x) + (t);        \
  a += ((d) & (b));                     \
  a = std::rotl(a, s) + (b)
#define VX_MD5_H(a, b, c, d, x, t, s)  \
  a += ((b) ^ (c) ^ (d)) + (x) + (t);  \
  a = std::rotl(a, s) + (b)
#define VX_MD5_I(a, b, c, d, x, t, s)     \
  a += ((c) ^ ((b) | ~(d))) + (x) + (t);  \
  a = std::rotl(a, s) + (b)

// Compresses `count` consecutive 64-byte blocks starting at `p` into `state`.
void compress(std::uint32_t state[4], const std::uint8_t* p, std::size_t count) noexcept {
  std::uint32_t a = state[0];
  std::uint32_t b = state[1];
  std::uint32_t c = state[2];
  std::uint32_t d = state[3];

  for (; count != 0; --count, p += 64) {
    const std::uint32_t x0 = load_le32(p + 0), x1 = load_le32(p + 4), x2 = load_le32(p + 8),
                        x3 = load_le32(p + 12), x4 = load_le32(p + 16), x5 = load_le32(p + 20),
                        x6 = load_le32(p + 24), x7 = load_le32(p + 28), x8 = load_le32(p + 32),
                        x9 = load_le32(p + 36), x10 = load_le32(p + 40), x11 = load_le32(p + 44),
                        x12 = load_le32(p + 48), x13 = load_le32(p + 52), x14 = load_le32(p + 56),
                        x15 = load_le32(p + 60);
    const std::uint32_t aa = a, bb = b, cc = c, dd = d;

    VX_MD5_F(a, b, c, d, x0, 0xd76aa478u, 7);
    VX_MD5_F(d, a, b, c, x1, 0xe8c7b756u, 12);
    VX_MD5_F(c, d, a, b, x2, 0x242070dbu, 17);
    VX_MD5_F(b, c, d, a, x3, 0xc1bdceeeu, 22);
    VX_MD5_F(a, b, c, d, x4, 0xf57c0fafu, 7);
    VX_MD5_F(d, a, b, c, x5, 0x4787c62au, 12);
    VX_MD5_F(c, d, a, b, x6, 0xa8304613u, 17);
    VX_MD5_F(b, c, d, a, x7, 0xfd469501u, 22);
    VX_MD5_F(a, b, c, d, x8, 0x698098d8u, 7);
    VX_MD5_F(d, a, b, c, x9, 0x8b44f7afu, 12);
    VX_MD5_F(c, d, a, b, x10, 0xffff5bb1u, 17);
    VX_MD5_F(b, c, d, a, x11, 0x895cd7beu, 22);
    VX_MD5_F(a, b, c, d, x12, 0x6b901122u, 7);
    VX_MD5_F(d, a, b, c, x13, 0xfd987193u, 12);
    VX_MD5_F(c, d, a, b, x14, 0xa679438eu, 17);
    VX_MD5_F(b, c, d, a, x15, 0x49b40821u, 22);

    VX_MD5_G(a, b, c, d, x1, 0xf61e2562u, 5);
    VX_MD5_G(d, a, b, c, x6, 0xc040b340u, 9);
    VX_MD5_G(c, d, a, b, x11, 0x265e5a51u, 14);
    VX_MD5_G(b, c, d, a, x0, 0xe9b6c7aau, 20);
    VX_MD5_G(a, b, c, d, x5, 0xd62f105du, 5);
    VX_MD5_G(d, a, b, c, x10, 0x02441453u, 9);
    VX_MD5_G(c, d, a, b, x15, 0xd8a1e681u, 14);
    VX_MD5_G(b, c, d, a, x4, 0xe7d3fbc8u, 20);
    VX_MD5_G(a, b, c, d, x9, 0x21e1cde6u, 5);
    VX_MD5_G(d, a, b, c, x14, 0xc33707d6u, 9);
    VX_MD5_G(c, d, a, b, x3, 0xf4d50d87u, 14);
    VX_MD5_G(b, c, d, a, x8, 0x455a14edu, 20);
    VX_MD5_G(a, b, c, d, x13, 0xa9e3e905u, 5);
    VX_MD5_G(d, a, b, c, x2, 0xfcefa3f8u, 9);
    VX_MD5_G(c, d, a, b, x7, 0x676f02d9u, 14);
    VX_MD5_G(b, c, d, a, x12, 0x8d2a4c8au, 20);

    VX_MD5_H(a, b, c, d, x5, 0xfffa3942u, 4);
    VX_MD5_H(d, a, b, c, x8, 0x8771f681u, 11);
    VX_MD5_H(c, d, a, b, x11, 0x6d9d6122u, 16);
    VX_MD5_H(b, c, d, a, x14, 0xfde5380cu, 23);
    VX_MD5_H(a, b, c, d, x1, 0xa4beea44u, 4);
    VX_MD5_H(d, a, b, c, x4, 0x4bdecfa9u, 11);
    VX_MD5_H(c, d, a, b, x7, 0xf6bb4b60u, 16);
    VX_MD5_H(b, c, d, a, x10, 0xbebfbc70u, 23);
    VX_MD5_H(a, b, c, d, x13, 0x289b7ec6u, 4);
    VX_MD5_H(d, a, b, c, x0, 0xeaa127fau, 11);
    VX_MD5_H(c, d, a, b, x3, 0xd4ef3085u, 16);
    VX_MD5_H(b, c, d, a, x6, 0x04881d05u, 23);
    VX_MD5_H(a, b, c, d, x9, 0xd9d4d039u, 4);
    VX_MD5_H(d, a, b, c, x12, 0xe6db99e5u, 11);
    VX_MD5_H(c, d, a, b, x15, 0x1fa27cf8u, 16);
    VX_MD5_H(b, c, d, a, x2, 0xc4ac5665u, 23);

    VX_MD5_I(a, b, c, d, x0, 0xf4292244u, 6);
    VX_MD5_I(d, a, b, c, x7, 0x432aff97u, 10);
    VX_MD5_I(c, d, a, b, x14, 0xab9423a7u, 15);
    VX_MD5_I(b, c, d, a, x5, 0xfc93a039u, 21);
    VX_MD5_I(a, b, c, d, x12, 0x655b59c3u, 6);
    VX_MD5_I(d, a, b, c, x3, 0x8f0ccc92u, 10);
    VX_MD5_I(c, d, a, b, x10, 0xffeff47du, 15);
    VX_MD5_I(b, c, d, a, x1, 0x85845dd1u, 21);
    VX_MD5_I(a, b, c, d, x8, 0x6fa87e4fu, 6);
    VX_MD5_I(d, a, b, c, x15, 0xfe2ce6e0u, 10);
    VX_MD5_I(c, d, a, b, x6, 0xa3014314u, 15);
    VX_MD5_I(b, c, d, a, x13, 0x4e0811a1u, 21);
    VX_MD5_I(a, b, c, d, x4, 0xf7537e82u, 6);
    VX_MD5_I(d, a, b, c, x11, 0xbd3af235u, 10);
    VX_MD5_I(c, d, a, b, x2, 0x2ad7d2bbu, 15);
    VX_MD5_I(b, c, d, a, x9, 0xeb86d391u, 21);

    a += aa;
    b += bb;
    c += cc;
    d += dd;
  }

  state[0] = a;
  state[1] = b;
  state[2] = c;
  state[3] = d;
}

#undef VX_MD5_F
#undef VX_MD5_G
#undef VX_MD5_H
#undef VX_MD5_I

}  // namespace

void Md5::reset() noexcept {
  state_[0] = 0x67452301u;
  state_[1] = 0xefcdab89u;
  state_[2] = 0x98badcfeu;
  state_[3] = 0x10325476u;
  length_ = 0;
}

void Md5::update(const void* data, std::size_t size) noexcept {
  if (size == 0) return;
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::size_t pending = static_cast<std::size_t>(length_ % 64);
  length_ += size;

  if (pending != 0) {
    const std::size_t take = size < 64 - pending ? size : 64 - pending;
    std::memcpy(buffer_ + pending, p, take);
    p += take;
    size -= take;
    pending += take;
    if (pending < 64) return;
    compress(state_, buffer_, 1);
  }

  if (size >= 64) {
    compress(state_, p, size / 64);
    p += size & ~std::size_t{63};
    size %= 64;
  }
  if (size != 0) std::memcpy(buffer_, p, size);
}

Md5Digest Md5::finish() noexcept {
  // Padding: one 0x80 byte, zeros up to 56 bytes into a block, then the
  // message length in bits as a little-endian 64-bit number (modulo 2^64).
  const std::uint64_t bit_length = length_ * 8;
  std::size_t pending = static_cast<std::size_t>(length_ % 64);
  buffer_[pending++] = 0x80;
  if (pending > 56) {
    std::memset(buffer_ + pending, 0, 64 - pending);
    compress(state_, buffer_, 1);
    pending = 0;
  }
  std::memset(buffer_ + pending, 0, 56 - pending);
  store_le32(buffer_ + 56, static_cast<std::uint32_t>(bit_length));
  store_le32(buffer_ + 60, static_cast<std::uint32_t>(bit_length >> 32));
  compress(state_, buffer_, 1);

  Md5Digest digest;
  for (int i = 0; i < 4; ++i) store_le32(digest.data() + 4 * i, state_[i]);
  reset();
  return digest;
}

Md5Digest md5(const void* data, std::size_t size) noexcept {
  Md5 m;
  m.update(data, size);
  return m.finish();
}

std::string md5_hex(const Md5Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out(32, '0');
  for (std::size_t i = 0; i < digest.size(); ++i) {
    out[2 * i] = kDigits[digest[i] >> 4];
    out[2 * i + 1] = kDigits[digest[i] & 0x0f];
  }
  return out;
}

std::string md5_hex(std::string_view data) { return md5_hex(md5(data.data(), data.size())); }

}  // namespace vx
