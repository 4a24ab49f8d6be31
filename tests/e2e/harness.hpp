// End-to-end harness: lays out installation directories on the Unix side and
// runs Windows programs (veltrix.exe above all) under Wine in the build's own
// prefix, with chosen current directory, environment and standard streams.
//
// Everything is configured through environment variables that the build sets
// on the CTest test (tests/e2e/CMakeLists.txt):
//   VELTRIX_EXE             veltrix.exe
//   VELTRIX_E2E_PROBE       e2e_probe.exe, the harness's own helper program
//   VELTRIX_JAVAW_STANDIN   the stand-in javaw.exe (optional)
//   VELTRIX_WINE64          /usr/lib/wine/wine64
//   VELTRIX_WINESERVER      /usr/lib/wine/wineserver
//   VELTRIX_WINEPREFIX      the build's Wine prefix
//   VELTRIX_E2E_WORK_DIR    where temporary installations are made
//   VELTRIX_E2E_KEEP        when set to 1, no temporary directory is removed
#pragma once

#include <chrono>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vx::e2e {

namespace fs = std::filesystem;

// Exit status the Unix parent sees for a fast-fail termination: Wine ends the
// process with 0xC0000409 (STATUS_STACK_BUFFER_OVERRUN), of which a Unix exit
// status keeps the low byte.
inline constexpr int FAST_FAIL_STATUS = 0xC0000409 & 0xff;

// Paths from the environment. A required variable that is missing throws
// std::runtime_error naming it.
struct Config {
  fs::path wine64;
  fs::path wineserver;
  fs::path wineprefix;
  fs::path work_dir;
  bool keep_dirs = false;

  static const Config& get();
};

// veltrix.exe, the probe and the stand-in javaw.exe. `javaw_standin()` is
// empty when the build has no stand-in.
fs::path veltrix_exe();
fs::path probe_exe();
fs::path javaw_standin();

// Makes sure the prefix exists (wineboot when it does not), starts a
// persistent wineserver for it and boots the session, so the runs of a test
// program share one Wine session instead of booting one each.
void start_wine();
// Stops the prefix's wineserver and the Wine processes it serves, and waits
// until it has gone.
void stop_wine();

// A directory below the work directory, removed with everything in it when
// the object goes (unless keep() was called or VELTRIX_E2E_KEEP=1). The
// directory itself has exactly the given name (spaces and any UTF-8 welcome)
// inside a parent of its own with a unique name. Relative names use "/" and
// may name subdirectories, which are made as needed.
class TempDir {
 public:
  explicit TempDir(std::string_view name = "install");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const fs::path& path() const { return path_; }
  fs::path operator/(std::string_view rel) const;

  // Writes `bytes` to the file `rel`, replacing it; returns its path.
  fs::path write_file(std::string_view rel, std::string_view bytes) const;
  // Makes the directory `rel`; returns its path.
  fs::path make_dir(std::string_view rel) const;
  // Copies the file `from` to `rel`; returns the copy's path.
  fs::path copy_file(const fs::path& from, std::string_view rel) const;

  void keep() { keep_ = true; }

 private:
  fs::path unique_parent_;
  fs::path path_;
  bool keep_ = false;
};

// A drive letter of the prefix mapped to a Unix directory for the object's
// life (a symlink in $WINEPREFIX/dosdevices). A program run with that
// directory as its Unix current directory sees the drive root as its current
// directory: Wine names a Unix path by the drive with the deepest matching
// root, so the mapped letter wins over Z:.
class MappedDrive {
 public:
  explicit MappedDrive(const fs::path& target);
  ~MappedDrive();
  MappedDrive(const MappedDrive&) = delete;
  MappedDrive& operator=(const MappedDrive&) = delete;

  char letter() const { return letter_; }  // upper case
  std::string root() const;               // such as "R:\"

 private:
  fs::path link_;
  char letter_ = 0;
};

// How a standard stream of the started program is set up.
enum class Stream {
  capture,  // a pipe, read while the program runs
  absent,   // the descriptor is closed: writes fail with ERROR_INVALID_HANDLE
  broken,   // a pipe whose reading end is already closed: writes fail (233)
};

struct RunOptions {
  fs::path cwd;  // Unix current directory; empty: the work directory
  std::vector<std::string> args;  // arguments after the program path
  std::vector<std::pair<std::string, std::string>> env;  // added or replaced
  Stream out = Stream::capture;
  Stream err = Stream::capture;
  std::chrono::milliseconds time_limit{60'000};
  // After the program ends, kill whatever is left in its process group
  // (programs it started and that stayed there). Off for tests that need a
  // child to outlive the program.
  bool kill_leftovers = true;
};

struct RunResult {
  bool timed_out = false;  // killed (with its process group) at the time limit
  int exit_status = -1;    // the Unix exit status; -1 when ended by a signal
  int signal = 0;          // the ending signal, if any
  std::string out;         // what was captured of standard output
  std::string err;         // what was captured of standard error
};

std::ostream& operator<<(std::ostream& os, const RunResult& r);

// Runs the Windows program `exe` under Wine and waits for it to end or for
// the time limit. Standard input is /dev/null. Throws std::runtime_error when
// the run cannot be set up.
RunResult run_windows(const fs::path& exe, const RunOptions& options);
inline RunResult run_launcher(const RunOptions& options) { return run_windows(veltrix_exe(), options); }

// The Windows name Wine gives a Unix path outside every mapped drive:
// "Z:" and the path with each "/" turned into "\".
std::string wine_path(const fs::path& unix_path);

// The quoted text form of trace lines for the plain characters that paths
// hold: backslash and double quote escaped, everything else as it is.
std::string quoted(std::string_view text);

// The lines of `text`, without their line feeds.
std::vector<std::string> lines(std::string_view text);

}  // namespace vx::e2e
