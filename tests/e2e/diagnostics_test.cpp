// Diagnostics and termination seen from outside, through diag_driver.exe:
// the exact fatal-error text and thread names, the out-of-memory text, and
// what the orderly exit and a fatal error do with buffered standard output.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>

#include "harness.hpp"

namespace vx::e2e {
namespace {

constexpr std::string_view NOTE =
    "note: no stack backtrace is recorded; the site above names where the launcher stopped\n";

RunResult drive(std::vector<std::string> args, Stream out = Stream::capture) {
  const char* driver = std::getenv("VELTRIX_DIAG_DRIVER");
  if (driver == nullptr) throw std::runtime_error("VELTRIX_DIAG_DRIVER is not set");
  RunOptions o;
  o.args = std::move(args);
  o.out = out;
  return run_windows(driver, o);
}

TEST(FatalError, NamesTheMainThreadTheSiteAndTheMessage) {
  const RunResult r = drive({"fatal", "src\\mysocket:67:49", "param error"});
  EXPECT_EQ(r.exit_status, FAST_FAIL_STATUS) << r;
  EXPECT_EQ(r.err, "thread 'main' panicked at src\\mysocket:67:49:\nparam error\n" + std::string(NOTE));
  EXPECT_EQ(r.out, "");
}

TEST(FatalError, AThreadWithoutANameIsUnnamed) {
  const RunResult r = drive({"fatal-thread", "src\\lib:1:1", "failed to spawn thread: Kind(Other)"});
  EXPECT_EQ(r.exit_status, FAST_FAIL_STATUS) << r;
  EXPECT_EQ(r.err, "thread '<unnamed>' panicked at src\\lib:1:1:\nfailed to spawn thread: Kind(Other)\n" +
                       std::string(NOTE));
}

TEST(FatalError, OutOfMemoryGivesTheRequestedSizeAlone) {
  const RunResult r = drive({"oom"});
  EXPECT_EQ(r.exit_status, FAST_FAIL_STATUS) << r;
  EXPECT_EQ(r.err, "memory allocation of 1152921504606846976 bytes failed\n");
}

// Standard output keeps a partial line in its buffer: the orderly exit
// passes it on, a fatal error does not; a line feed passes it at once.
TEST(StandardOutput, BufferedTailAtExitAndAtFatal) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* out;
  } cases[] = {
      {{"out", "windows file link created\\n", "out", "tail", "exit", "3"}, 3, "windows file link created\ntail"},
      {{"out", "tail", "fatal", "src\\lib:1:1", "stop"}, FAST_FAIL_STATUS, ""},
      {{"out", "line\\n", "out", "tail", "fatal", "src\\lib:1:1", "stop"}, FAST_FAIL_STATUS, "line\n"},
      {{"out", "a", "out", "b\\nc", "notice-exit", "connection is closed\\n"}, 0, "ab\nc"},
  };
  for (const auto& c : cases) {
    const RunResult r = drive(c.args);
    EXPECT_EQ(r.exit_status, c.status) << r;
    EXPECT_EQ(r.out, c.out) << r;
  }
}

TEST(Notices, TraceAndNoticeTextsAreExact) {
  const RunResult r = drive({"trace", "[src\\lib:20:5] &curr_dir = ", "D:\\Apps\\x", "notice-exit",
                             "cannot run: no client connection\\n"});
  EXPECT_EQ(r.exit_status, 0) << r;
  EXPECT_EQ(r.err, "[src\\lib:20:5] &curr_dir = \"D:\\\\Apps\\\\x\"\ncannot run: no client connection\n");
  EXPECT_EQ(r.out, "");
}

// A standard output that cannot be written changes nothing: the text is
// dropped, the program goes on and ends as it would have.
TEST(Notices, AStdoutWithoutReaderIsDropped) {
  const RunResult r = drive({"out", "windows file link created\\n", "err", "still here\\n", "exit", "0"},
                            Stream::broken);
  EXPECT_EQ(r.exit_status, 0) << r;
  EXPECT_EQ(r.err, "still here\n");
}

}  // namespace
}  // namespace vx::e2e
