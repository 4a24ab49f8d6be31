// MD5 message digest (RFC 1321). Used to recognise the application archive
// the launcher was built with and to derive client identifiers; it is a
// fingerprint here, not a security primitive.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

using Md5Digest = std::array<std::uint8_t, 16>;

// Streaming digest. Feed the message in pieces of any size with update(),
// then take the digest with finish(), which also resets the object so it can
// digest another message. Whole 64-byte blocks are compressed straight from
// the caller's buffer; only a partial block is copied.
class Md5 {
 public:
  Md5() noexcept { reset(); }

  void update(const void* data, std::size_t size) noexcept;
  void update(std::string_view data) noexcept { update(data.data(), data.size()); }

  // The digest of everything fed since construction or the last finish().
  Md5Digest finish() noexcept;

  void reset() noexcept;

 private:
  std::uint32_t state_[4];
  std::uint64_t length_;     // bytes fed so far
  std::uint8_t buffer_[64];  // the pending partial block: length_ % 64 bytes
};

Md5Digest md5(const void* data, std::size_t size) noexcept;

// The digest as 32 lowercase hexadecimal digits, two per byte in digest
// order, leading zeros kept.
std::string md5_hex(const Md5Digest& digest);

// md5_hex of the digest of `data`.
std::string md5_hex(std::string_view data);

}  // namespace vx
