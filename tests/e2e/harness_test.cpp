// The harness's own footing, checked with the probe program: the launcher
// tests read their results through these mechanisms, so a Wine that
// behaved differently (a stream that is not really absent, a drive root that
// shows up as Z:\...) must show here rather than as a launcher test that
// passes for the wrong reason.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "harness.hpp"

namespace vx::e2e {
namespace {

using namespace std::chrono_literals;

RunResult probe(std::vector<std::string> args, RunOptions options = {}) {
  options.args = std::move(args);
  return run_windows(probe_exe(), options);
}

TEST(Harness, CapturesEachStandardStreamSeparately) {
  const RunResult r = probe({"print", "out", "to stdout", "print", "err", "to stderr é"});
  EXPECT_EQ(r.exit_status, 0) << r;
  EXPECT_EQ(r.out, "to stdout");
  EXPECT_EQ(r.err, "to stderr é");
}

TEST(Harness, ReportsTheExitStatusTheUnixSideSees) {
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const Case cases[] = {
      {{"exit", "0"}, 0},
      {{"exit", "3"}, 3},
      {{"fastfail"}, FAST_FAIL_STATUS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front());
    const RunResult r = probe(c.args);
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.exit_status, c.status) << r;
  }
}

// The probe exits with the system error of a failed write.
TEST(Harness, AbsentAndBrokenStreamsMakeWritesFail) {
  struct Case {
    const char* stream;
    Stream mode;
    int error;
  };
  const Case cases[] = {
      {"out", Stream::absent, 6},    // ERROR_INVALID_HANDLE
      {"err", Stream::absent, 6},
      {"out", Stream::broken, 233},  // ERROR_PIPE_NOT_CONNECTED
      {"err", Stream::broken, 233},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.stream) + (c.mode == Stream::absent ? " absent" : " broken"));
    RunOptions options;
    (std::string_view(c.stream) == "out" ? options.out : options.err) = c.mode;
    const RunResult r = probe({"print", c.stream, "text"}, options);
    EXPECT_EQ(r.exit_status, c.error) << r;
  }
}

TEST(Harness, CurrentDirectoryKeepsSpacesAndNonAsciiNames) {
  for (const char* name : {"with space", "caf\u00e9", "\u4e2d", "\U0001F600", "a b \u00e9 \u4e2d \U0001F600"}) {
    SCOPED_TRACE(name);
    TempDir dir(name);
    RunOptions options;
    options.cwd = dir.path();
    const RunResult r = probe({"cwd", "err"}, options);
    EXPECT_EQ(r.exit_status, 0) << r;
    EXPECT_EQ(r.err, wine_path(dir.path()) + "\n");
  }
}

TEST(Harness, MappedDriveRootIsTheCurrentDirectory) {
  TempDir dir("drive");
  dir.make_dir("sub dir");
  MappedDrive drive(dir.path());
  struct Case {
    fs::path cwd;
    std::string shown;
  };
  const Case cases[] = {
      {dir.path(), drive.root()},
      {dir / "sub dir", drive.root() + "sub dir"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    RunOptions options;
    options.cwd = c.cwd;
    const RunResult r = probe({"cwd", "err"}, options);
    EXPECT_EQ(r.exit_status, 0) << r;
    EXPECT_EQ(r.err, c.shown + "\n");
  }
}

TEST(Harness, PassesExtraEnvironmentVariables) {
  RunOptions options;
  options.env = {{"VELTRIX_E2E_VALUE", "x y \u00e9"}};
  const RunResult r = probe({"env", "VELTRIX_E2E_VALUE"}, options);
  EXPECT_EQ(r.exit_status, 0) << r;
  EXPECT_EQ(r.out, "x y \u00e9\n");
}

TEST(Harness, KillsARunAtItsTimeLimit) {
  RunOptions options;
  options.time_limit = 2s;
  const RunResult r = probe({"print", "out", "before", "sleep", "600000"}, options);
  EXPECT_TRUE(r.timed_out) << r;
  EXPECT_EQ(r.signal, SIGKILL);
  EXPECT_EQ(r.out, "before");
}

TEST(Harness, TempDirLaysOutFilesAndRemovesThemAtTheEnd) {
  fs::path root;
  {
    TempDir dir("inst \u00e9");
    root = dir.path();
    const fs::path text = dir.write_file("libs/a b.txt", std::string("x\0y", 3));
    dir.make_dir("runtime/bin");
    const fs::path copy = dir.copy_file(text, "copy/\u4e2d.bin");
    std::ifstream f(copy, std::ios::binary);
    std::stringstream content;
    content << f.rdbuf();
    EXPECT_EQ(content.str(), std::string("x\0y", 3));
    EXPECT_TRUE(fs::is_directory(root / "runtime" / "bin"));
    EXPECT_EQ(root.filename().string(), "inst \u00e9");
  }
  EXPECT_FALSE(fs::exists(root));
  EXPECT_FALSE(fs::exists(root.parent_path()));
}

}  // namespace
}  // namespace vx::e2e
