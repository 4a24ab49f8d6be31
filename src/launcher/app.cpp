#include "launcher/app.hpp"

#include <windows.h>

#include <string>
#include <vector>

#include "core/fatal_text.hpp"
#include "core/md5.hpp"
#include "core/render.hpp"
#include "core/token.hpp"
#include "core/winpath.hpp"
#include "launcher/build_config.hpp"
#include "launcher/texts.hpp"
#include "win32/diag.hpp"
#include "win32/fs.hpp"
#include "win32/handle.hpp"
#include "win32/process.hpp"
#include "win32/random.hpp"
#include "win32/syserr.hpp"
#include "win32/wide.hpp"

namespace vx::app {
namespace {

// The JVM options in front of the archive, token and port; nothing adds to
// them or changes them.
constexpr std::string_view JVM_OPTIONS[] = {
    "-XX:+HeapDumpOnOutOfMemoryError",
    "-Xms256m",
    "-Xmx1g",
    "--add-opens",
    "java.base/java.io=ALL-UNNAMED",
    "--add-opens",
    "java.base/java.time=ALL-UNNAMED",
    "--add-opens",
    "java.base/java.util=ALL-UNNAMED",
    "-jar",
};

constexpr std::string_view ARCHIVE_NAME = "veltrix.jar";

// The port the application is told to connect to. The loopback listener
// that binds the first free port from here up is not part of the program
// yet; until it is, the first port of its range stands in.
constexpr std::uint16_t LISTEN_PORT_FIRST = 16384;

// The archive is digested in pieces of this size, so memory does not grow
// with the archive.
constexpr DWORD READ_PIECE = 64 * 1024;

[[noreturn]] void fatal_with(std::string_view site, std::string_view message, const IoError& e) {
  diag::fatal(site, fatal_text::with_detail(message, detail(e)));
}

std::string current_directory() {
  const win32::WidePath dir = win32::current_directory();
  if (dir.error) fatal_with(texts::SITE_CURR_DIR, texts::MSG_CURR_DIR, *dir.error);
  return win32::from_wide(dir.path);
}

std::string own_directory() {
  win32::WidePath own = win32::own_executable_path();
  if (own.error) diag::fatal(texts::SITE_OWN_PATH, fatal_text::unwrap_err(detail(*own.error)));
  const std::string path = win32::from_wide(own.path);
  const auto parent = winpath::parent(path);
  if (!parent) diag::fatal(texts::SITE_OWN_PARENT, fatal_text::UNWRAP_NONE);
  return std::string(*parent);
}

}  // namespace

std::string generate_token() {
  // The main thread's generator: the only thread that draws, once.
  static std::optional<ChaCha12Rng> generator;
  TokenResult r = vx::generate_token(generator, &win32::fill_system_random);
  if (!r.status.ok) diag::fatal(texts::SITE_THREAD_RNG, thread_rng_error_message(r.status.code));
  return std::move(r.token);
}

std::string check_archive(std::string_view libs_dir) {
  std::string jar_path(libs_dir);
  jar_path += '\\';
  jar_path += ARCHIVE_NAME;

  win32::WidePath wide = win32::long_path_form(win32::to_wide(jar_path));
  if (wide.error) fatal_with(texts::SITE_OPEN_ARCHIVE, texts::MSG_OPEN_ARCHIVE, *wide.error);
  // Full sharing: an application or a scanner holding the archive open
  // must not stop the check.
  win32::UniqueFile file(CreateFileW(wide.path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
  if (!file) fatal_with(texts::SITE_OPEN_ARCHIVE, texts::MSG_OPEN_ARCHIVE, win32::last_os_error());

  Md5 md5;
  std::string piece(READ_PIECE, '\0');
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), piece.data(), READ_PIECE, &got, nullptr)) {
      const DWORD code = GetLastError();
      if (code == ERROR_HANDLE_EOF || code == ERROR_BROKEN_PIPE) break;
      fatal_with(texts::SITE_READ_ARCHIVE, texts::MSG_READ_ARCHIVE, win32::os_error(code));
    }
    if (got == 0) break;  // end of file
    md5.update(piece.data(), got);
  }
  file.reset();

  // Equal only when both are the same 32 lowercase hex digits.
  if (md5_hex(md5.finish()) != std::string_view(build::EXPECTED_JAR_MD5)) {
    diag::notice_and_exit(texts::NOTICE_DAMAGED);
  }
  return jar_path;
}

void launch_jvm(std::string_view runtime_dir, std::string_view libs_dir, std::string_view token,
                std::uint16_t port) {
  std::string jar_path = check_archive(libs_dir);

  std::string exe(runtime_dir);
  exe += "\\bin\\javaw.exe";

  std::vector<std::string> jvm_args(std::begin(JVM_OPTIONS), std::end(JVM_OPTIONS));
  jvm_args.push_back(std::move(jar_path));
  jvm_args.emplace_back(token);
  jvm_args.push_back(std::to_string(port));

  diag::trace(texts::TRACE_EXE, render::quote(exe));
  diag::trace(texts::TRACE_JVM_ARGS, render::pretty_list(jvm_args));

  // The application runs in the launcher's own directory, wherever the
  // launcher was started from.
  const std::string working_dir = own_directory();

  win32::SpawnResult child = win32::spawn_child(exe, jvm_args, working_dir);
  if (child.error) fatal_with(texts::SITE_RUN_JVM, texts::MSG_RUN_JVM, *child.error);
  // Never waited for: the application outlives the launcher.
  child.process.reset();
  child.thread.reset();
}

void run_app(std::string_view token, std::uint16_t port) {
  const std::string curr_dir = current_directory();
  diag::trace(texts::TRACE_CURR_DIR, render::quote(curr_dir));
  // Plain concatenation: a drive root (C:\) gives C:\\runtime, used as it is.
  const std::string runtime_dir = curr_dir + "\\runtime";
  const std::string libs_dir = curr_dir + "\\libs";
  launch_jvm(runtime_dir, libs_dir, token, port);
}

void main_body() {
  const std::string token = generate_token();
  run_app(token, LISTEN_PORT_FIRST);
}

}  // namespace vx::app
