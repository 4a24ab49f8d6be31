// The launch sequence: the main body and the operations it runs in order.
// Each operation either succeeds or ends the process (notice-and-exit or
// fatal error); none reports a failure to its caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vx::app {

// Token, listener, run_app, serving: in this order, each once.
void main_body();

// A fresh access token from this thread's generator, seeded by the system.
// Ends the process if the system random source fails.
std::string generate_token();

// Reads and traces the current directory, composes runtime_dir and
// libs_dir from it and calls launch_jvm. Returns once the Java process
// exists.
void run_app(std::string_view token, std::uint16_t port);

// Checks the archive, traces exe and jvm_args and starts javaw.exe in the
// launcher's own directory. Never waits for it.
void launch_jvm(std::string_view runtime_dir, std::string_view libs_dir, std::string_view token,
                std::uint16_t port);

// libs_dir + "\veltrix.jar" when its MD5 is the one the launcher was built
// with; otherwise ends the process.
std::string check_archive(std::string_view libs_dir);

}  // namespace vx::app
