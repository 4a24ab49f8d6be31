// The start-up spine of veltrix.exe seen from outside: the trace of the
// current directory, the standard streams, and how a run ends.
//
// Most runs use an installation whose archive does not match the digest the
// launcher was built with: the launcher then traces the current directory,
// refuses the archive with a notice and ends with status 0, which needs no
// Java runtime and no client.
#include <gtest/gtest.h>

#include <ostream>

#include "harness.hpp"

namespace vx::e2e {
namespace {

constexpr std::string_view CURR_DIR_TRACE = "[src\\lib:20:5] &curr_dir = ";

std::string curr_dir_line(std::string_view windows_dir) {
  return std::string(CURR_DIR_TRACE) + quoted(windows_dir);
}

// veltrix.exe copied into `dir` beside an archive it will not accept.
fs::path lay_out_installation(const TempDir& dir) {
  dir.write_file("libs/veltrix.jar", "not the application archive");
  dir.make_dir("runtime/bin");
  return dir.copy_file(veltrix_exe(), "veltrix.exe");
}

std::string first_line(std::string_view text) {
  const auto all = lines(text);
  return all.empty() ? std::string() : all.front();
}

struct DirName {
  const char* label;
  const char* name;
};
void PrintTo(const DirName& d, std::ostream* os) { *os << d.name; }

class CurrentDirectoryTrace : public ::testing::TestWithParam<DirName> {};

TEST_P(CurrentDirectoryTrace, ShowsTheDirectoryAsWineNamesIt) {
  TempDir dir(GetParam().name);
  const fs::path exe = lay_out_installation(dir);
  RunOptions options;
  options.cwd = dir.path();
  const RunResult r = run_windows(exe, options);
  EXPECT_EQ(r.exit_status, 0) << r;
  EXPECT_EQ(first_line(r.err), curr_dir_line(wine_path(dir.path()))) << r;
  EXPECT_EQ(r.out, "") << r;
}

INSTANTIATE_TEST_SUITE_P(Names, CurrentDirectoryTrace,
                         ::testing::Values(DirName{"Plain", "Flow"},
                                           DirName{"Space", "Program Files"},
                                           DirName{"Latin1", "caf\u00e9"},
                                           DirName{"Cjk", "\u5e94\u7528"},
                                           DirName{"NonBmp", "\U0001F680"},
                                           DirName{"Mixed", "my \u00e9 \u4e2d \U0001F600 app"}),
                         [](const auto& info) { return std::string(info.param.label); });

// At a drive root the system reports the directory with its trailing
// backslash, and the launcher keeps it: the trace shows it doubled.
TEST(DriveRoot, CurrentDirectoryKeepsTheRootBackslash) {
  TempDir dir("drive root");
  const fs::path exe = lay_out_installation(dir);
  MappedDrive drive(dir.path());
  RunOptions options;
  options.cwd = dir.path();
  const RunResult r = run_windows(exe, options);
  EXPECT_EQ(r.exit_status, 0) << r;
  EXPECT_EQ(first_line(r.err), std::string(CURR_DIR_TRACE) + "\"" + drive.letter() + ":\\\\\"") << r;
}

// The current directory, not the launcher's own location, is what is traced.
TEST(CurrentDirectory, IsNotTheLaunchersOwnDirectory) {
  TempDir install("install");
  lay_out_installation(install);
  TempDir elsewhere("tools");
  const fs::path exe = elsewhere.copy_file(veltrix_exe(), "veltrix.exe");
  RunOptions options;
  options.cwd = install.path();
  const RunResult r = run_windows(exe, options);
  EXPECT_EQ(r.exit_status, 0) << r;
  EXPECT_EQ(first_line(r.err), curr_dir_line(wine_path(install.path()))) << r;
}

TEST(CommandLine, ArgumentsChangeNothing) {
  TempDir dir("install");
  const fs::path exe = lay_out_installation(dir);
  RunOptions plain;
  plain.cwd = dir.path();
  RunOptions with_args = plain;
  with_args.args = {"--help", "C:\\elsewhere", "-jar", "x.jar"};
  const RunResult a = run_windows(exe, plain);
  const RunResult b = run_windows(exe, with_args);
  EXPECT_EQ(a.exit_status, 0) << a;
  EXPECT_EQ(b.exit_status, a.exit_status) << b;
  EXPECT_EQ(b.out, a.out);
  EXPECT_EQ(b.err, a.err);
}

// Without standard streams, or with streams that cannot be written, the
// launcher runs exactly as with them: a failed write never ends the process.
struct StreamCase {
  const char* label;
  Stream out;
  Stream err;
};
void PrintTo(const StreamCase& c, std::ostream* os) { *os << c.label; }

class StandardStreams : public ::testing::TestWithParam<StreamCase> {};

TEST_P(StandardStreams, DoNotChangeTheRun) {
  TempDir dir("install");
  const fs::path exe = lay_out_installation(dir);
  RunOptions options;
  options.cwd = dir.path();
  options.out = GetParam().out;
  options.err = GetParam().err;
  const RunResult r = run_windows(exe, options);
  EXPECT_FALSE(r.timed_out) << r;
  EXPECT_EQ(r.exit_status, 0) << r;
  if (GetParam().err == Stream::capture) {
    EXPECT_EQ(first_line(r.err), curr_dir_line(wine_path(dir.path()))) << r;
  }
  EXPECT_EQ(r.out, "") << r;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StandardStreams,
    ::testing::Values(StreamCase{"BothCaptured", Stream::capture, Stream::capture},
                      StreamCase{"BothAbsent", Stream::absent, Stream::absent},
                      StreamCase{"StdoutAbsent", Stream::absent, Stream::capture},
                      StreamCase{"StderrAbsent", Stream::capture, Stream::absent},
                      StreamCase{"StderrReaderClosed", Stream::capture, Stream::broken},
                      StreamCase{"BothReadersClosed", Stream::broken, Stream::broken},
                      StreamCase{"StdoutAbsentStderrReaderClosed", Stream::absent, Stream::broken}),
    [](const auto& info) { return std::string(info.param.label); });

// A missing archive is a fatal error: the message names the main thread and
// the site, and the process ends by fast-fail. The system error is "path not
// found" when libs itself is missing and "file not found" when only the
// archive is.
TEST(FatalError, MissingArchiveEndsByFastFail) {
  struct Case {
    const char* label;
    bool make_libs;
    int code;
  };
  const Case cases[] = {
      {"no libs directory", false, 3},
      {"empty libs directory", true, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir("install");
    const fs::path exe = dir.copy_file(veltrix_exe(), "veltrix.exe");
    dir.make_dir("runtime/bin");
    if (c.make_libs) dir.make_dir("libs");
    RunOptions options;
    options.cwd = dir.path();
    const RunResult r = run_windows(exe, options);
    EXPECT_EQ(r.exit_status, FAST_FAIL_STATUS) << r;
    EXPECT_EQ(first_line(r.err), curr_dir_line(wine_path(dir.path()))) << r;
    const std::string expected = "\nthread 'main' panicked at src\\lib:55:23:\nopen file error: Os { code: " +
                                 std::to_string(c.code) + ", kind: NotFound, message: \"";
    EXPECT_NE(r.err.find(expected), std::string::npos) << r;
    EXPECT_EQ(r.out, "") << r;
  }
}

}  // namespace
}  // namespace vx::e2e
