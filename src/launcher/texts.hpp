// Every trace prefix, notice, fatal message and site of the launch
// sequence, in one place.
#pragma once

#include <string_view>

namespace vx::texts {

// run_app
inline constexpr std::string_view TRACE_CURR_DIR = "[src\\lib:20:5] &curr_dir = ";
inline constexpr std::string_view SITE_CURR_DIR = "src\\lib:47:24";
inline constexpr std::string_view MSG_CURR_DIR = "get current working directory error";

// generate_token: the site of a failed generator creation is our own.
inline constexpr std::string_view SITE_THREAD_RNG = "src\\lib:30:17";

// check_archive
inline constexpr std::string_view SITE_OPEN_ARCHIVE = "src\\lib:55:23";
inline constexpr std::string_view MSG_OPEN_ARCHIVE = "open file error";
inline constexpr std::string_view SITE_READ_ARCHIVE = "src\\lib:55:78";
inline constexpr std::string_view MSG_READ_ARCHIVE = "cannot run: file not found";
inline constexpr std::string_view NOTICE_DAMAGED = "cannot run: detect file is damaged\n";

// launch_jvm
inline constexpr std::string_view TRACE_EXE = "[src\\lib:84:5] &exe = ";
inline constexpr std::string_view TRACE_JVM_ARGS = "[src\\lib:85:5] &jvm_args = ";
inline constexpr std::string_view SITE_OWN_PATH = "src\\lib:88:54";
inline constexpr std::string_view SITE_OWN_PARENT = "src\\lib:88:72";
inline constexpr std::string_view SITE_RUN_JVM = "src\\lib:89:21";
inline constexpr std::string_view MSG_RUN_JVM = "run jvm error";

}  // namespace vx::texts
