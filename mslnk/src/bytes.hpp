// Little-endian field writers for the on-disk layouts. Every multi-byte
// field of a shell link is little-endian whatever the host; values are
// written byte by byte, never by copying a C++ object's representation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace mslnk::bytes {

// Appends the low `width` bytes of `value`, least significant first.
inline void put_le(std::vector<std::uint8_t>& out, std::uint64_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline void put_u8(std::vector<std::uint8_t>& out, std::uint8_t v) { out.push_back(v); }
inline void put_u16(std::vector<std::uint8_t>& out, std::uint16_t v) { put_le(out, v, 2); }
inline void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) { put_le(out, v, 4); }
inline void put_zeros(std::vector<std::uint8_t>& out, std::size_t n) { out.insert(out.end(), n, 0); }

inline void put_bytes(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> b) {
  out.insert(out.end(), b.begin(), b.end());
}

// UTF-16 code units, each as two little-endian bytes.
inline void put_utf16le(std::vector<std::uint8_t>& out, std::u16string_view units) {
  for (const char16_t u : units) put_u16(out, static_cast<std::uint16_t>(u));
}

// Stores the low `width` bytes of `value` at `offset` of a fixed-size block.
inline void store_le(std::span<std::uint8_t> block, std::size_t offset, std::uint64_t value,
                     std::size_t width) {
  for (std::size_t i = 0; i < width; ++i)
    block[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace mslnk::bytes
