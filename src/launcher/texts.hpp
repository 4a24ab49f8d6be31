// Every trace prefix, notice, fatal message and site of the launcher's own
// start-up sequence, in one place.
#pragma once

#include <string_view>

namespace vx::texts {

inline constexpr std::string_view TRACE_CURR_DIR = "[src\\lib:20:5] &curr_dir = ";

inline constexpr std::string_view SITE_CURR_DIR = "src\\lib:47:24";
inline constexpr std::string_view MSG_CURR_DIR = "get current working directory error";

}  // namespace vx::texts
