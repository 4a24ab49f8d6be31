// The message forms of fatal errors. Every function returns the message
// text; the site and the thread name are added by the fatal path itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vx::fatal_text {

// A required value was absent.
inline constexpr std::string_view UNWRAP_NONE = "called `Option::unwrap()` on a `None` value";
inline constexpr std::string_view UNWRAP_ERR = "called `Result::unwrap()` on an `Err` value";

// message + ": " + detail (the compact rendering of the error).
inline std::string with_detail(std::string_view message, std::string_view detail) {
  std::string out(message);
  out += ": ";
  out += detail;
  return out;
}

// A failed result taken without a message of its own.
inline std::string unwrap_err(std::string_view detail) { return with_detail(UNWRAP_ERR, detail); }

inline std::string index_out_of_bounds(std::uint64_t len, std::uint64_t index) {
  return "index out of bounds: the len is " + std::to_string(len) + " but the index is " +
         std::to_string(index);
}

}  // namespace vx::fatal_text
