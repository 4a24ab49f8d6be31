// Helpers shared by the shell-link tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mslnk_test {

// "4c 00 01" -> {0x4c, 0x00, 0x01}; white space between bytes is ignored.
inline std::vector<std::uint8_t> hex(std::string_view text) {
  std::vector<std::uint8_t> out;
  int high = -1;
  for (const char c : text) {
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else continue;
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<std::uint8_t>(high * 16 + v));
      high = -1;
    }
  }
  return out;
}

inline std::vector<std::uint8_t> zeros(std::size_t n) { return std::vector<std::uint8_t>(n, 0); }

inline std::vector<std::uint8_t> cat(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// The shortcut to the 12-byte file C:\a\b.txt, byte for byte.
inline const std::vector<std::uint8_t> WORKED_EXAMPLE = hex(R"(
4c 00 00 00 01 14 02 00 00 00 00 00 c0 00 00 00
00 00 00 46 99 00 00 00 80 00 00 00 00 00 00 00
00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
00 00 00 00 0c 00 00 00 00 00 00 00 01 00 00 00
00 00 00 00 00 00 00 00 00 00 00 00 93 00 14 00
1f 50 e0 4f d0 20 ea 3a 69 10 a2 d8 08 00 2b 30
30 9d 19 00 2f 43 3a 5c 00 00 00 00 00 00 00 00
00 00 00 00 00 00 00 00 00 00 00 2c 00 31 00 00
00 00 00 00 00 00 00 10 00 61 00 1c 00 08 00 04
00 ef be 00 00 00 00 00 00 00 00 2a 00 00 00 00
00 61 00 00 00 14 00 38 00 32 00 00 00 00 00 00
00 00 00 20 00 62 2e 74 78 74 00 24 00 08 00 04
00 ef be 00 00 00 00 00 00 00 00 2a 00 00 00 00
00 62 00 2e 00 74 00 78 00 74 00 00 00 14 00 00
00 07 00 2e 00 2f 00 62 00 2e 00 74 00 78 00 74
00 04 00 43 00 3a 00 5c 00 61 00
)");

// Its parts: the 76-byte header and the 149-byte ID list at 0x4C.
inline std::vector<std::uint8_t> worked_header() {
  return {WORKED_EXAMPLE.begin(), WORKED_EXAMPLE.begin() + 76};
}
inline std::vector<std::uint8_t> worked_id_list() {
  return {WORKED_EXAMPLE.begin() + 76, WORKED_EXAMPLE.begin() + 76 + 149};
}

}  // namespace mslnk_test
