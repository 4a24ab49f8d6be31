// Diagnostics and termination: trace lines, notices, the orderly exit and
// the one fatal path. None of these returns a failure: writing to a missing
// or broken standard stream drops the text and the program goes on.
#pragma once

#include <cstddef>
#include <string_view>

namespace vx::diag {

enum class Stream { out, err };

// Writes prefix + rendered + "\n" to standard error under its lock. The
// prefix is the complete fixed text, such as "[src\lib:20:5] &curr_dir = ";
// `rendered` is the pretty rendering of the value.
void trace(std::string_view prefix, std::string_view rendered);

// Writes the fixed text (ending in a line feed) unchanged to the stream,
// under its lock. The program goes on.
void notice(Stream stream, std::string_view text);

// A notice on standard error, then the orderly exit with status 0.
[[noreturn]] void notice_and_exit(std::string_view text);

// Flushes standard output once and makes it unbuffered, shuts the socket
// library down if it was started, then ends the process with `status`.
[[noreturn]] void exit_process(unsigned status);

// Writes "thread '<name>' panicked at <site>:\n<message>\n" (and, the first
// time, one note line) to standard error without taking its lock, then ends
// the process by fast-fail (code 7). Nothing else runs.
[[noreturn]] void fatal(std::string_view site, std::string_view message);

// Writes "memory allocation of <requested> bytes failed\n" to standard
// error without its lock, then ends the process by fast-fail.
[[noreturn]] void out_of_memory(std::size_t requested);

// Names the calling thread "main" in fatal-error texts; every other thread
// is "<unnamed>".
void set_main_thread();

// Records that the socket library was started, so the orderly exit shuts
// it down.
void note_socket_library_started();

}  // namespace vx::diag
