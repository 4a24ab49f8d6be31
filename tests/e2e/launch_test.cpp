// The launch sequence seen from outside: the archive check, the command line
// javaw.exe receives, its working directory, and how a run ends.
//
// These runs use the launcher built to accept the fixture archive
// (VELTRIX_E2E_LAUNCHER, VELTRIX_E2E_ARCHIVE) and the stand-in javaw.exe,
// which records how it was started.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <regex>
#include <thread>

#include "core/text.hpp"
#include "fixtures/standin_record.hpp"
#include "harness.hpp"

namespace vx::e2e {
namespace {

using namespace std::chrono_literals;

const std::vector<std::string> JVM_OPTIONS = {
    "-XX:+HeapDumpOnOutOfMemoryError", "-Xms256m", "-Xmx1g", "--add-opens",
    "java.base/java.io=ALL-UNNAMED",   "--add-opens", "java.base/java.time=ALL-UNNAMED",
    "--add-opens", "java.base/java.util=ALL-UNNAMED", "-jar"};

fs::path env_path(const char* name) {
  const char* v = std::getenv(name);
  if (v == nullptr || *v == '\0') throw std::runtime_error(std::string(name) + " is not set");
  return v;
}

fs::path fixture_launcher() { return env_path("VELTRIX_E2E_LAUNCHER"); }

std::string fixture_archive_bytes() {
  std::ifstream in(env_path("VELTRIX_E2E_ARCHIVE"), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string utf8(const std::u16string& s) { return vx::utf16_to_utf8(s); }

std::vector<std::string> utf8_all(const std::vector<std::u16string>& v) {
  std::vector<std::string> out;
  for (const auto& s : v) out.push_back(utf8(s));
  return out;
}

// An installation: launcher, archive and stand-in runtime, as chosen.
struct Installation {
  TempDir dir;
  fs::path root;    // the installation directory
  fs::path record;  // where the stand-in writes its record

  explicit Installation(std::string_view name, bool with_runtime = true, bool with_archive = true)
      : dir(name), root(dir.path()), record(dir.path().parent_path() / "javaw.record") {
    dir.copy_file(fixture_launcher(), "veltrix.exe");
    if (with_archive) dir.write_file("libs/veltrix.jar", fixture_archive_bytes());
    if (with_runtime) dir.copy_file(javaw_standin(), "runtime/bin/javaw.exe");
  }

  RunOptions options() const {
    RunOptions o;
    o.cwd = root;
    o.env = {{std::string(standin::RECORD_ENV), wine_path(record)}};
    o.kill_leftovers = false;  // the child must be free to outlive the launcher
    return o;
  }

  RunResult run() const { return run_windows(root / "veltrix.exe", options()); }

  // The stand-in's record, waiting for the child to write it.
  std::optional<standin::Record> wait_for_record(std::chrono::milliseconds limit = 30s) const {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
      if (fs::exists(record)) return standin::read_record(record);
      std::this_thread::sleep_for(50ms);
    }
    return std::nullopt;
  }
};

// The expected trace of jvm_args: the prefix, "[", one line per argument, "]".
std::vector<std::string> jvm_args_trace(const std::vector<std::string>& args) {
  std::vector<std::string> out = {"[src\\lib:85:5] &jvm_args = ["};
  for (const auto& a : args) out.push_back("    " + e2e::quoted(a) + ",");
  out.push_back("]");
  return out;
}

struct InstallName {
  const char* label;
  const char* name;
};
void PrintTo(const InstallName& n, std::ostream* os) { *os << n.name; }

class JvmCommandLine : public ::testing::TestWithParam<InstallName> {};

// The child parses back exactly the thirteen arguments, by the C runtime's
// rules and by CommandLineToArgvW, and starts in the launcher's directory.
TEST_P(JvmCommandLine, ReachesTheChildExactly) {
  Installation inst(GetParam().name);
  const RunResult r = inst.run();
  ASSERT_EQ(r.exit_status, 0) << r;
  const auto rec = inst.wait_for_record();
  ASSERT_TRUE(rec.has_value()) << r;

  const std::string dir = wine_path(inst.dir.path());
  const std::string exe = dir + "\\runtime\\bin\\javaw.exe";
  const std::string jar = dir + "\\libs\\veltrix.jar";
  const auto crt = utf8_all(rec->crt_argv);
  const auto shell = utf8_all(rec->shell_argv);
  ASSERT_EQ(crt.size(), 14u) << utf8(rec->command_line);
  EXPECT_EQ(crt, shell);
  EXPECT_EQ(crt[0], exe);

  std::vector<std::string> args(crt.begin() + 1, crt.end());
  const std::string token = args[11];
  EXPECT_TRUE(std::regex_match(token, std::regex("[A-Za-z0-9]{32}"))) << token;
  std::vector<std::string> expected = JVM_OPTIONS;
  expected.insert(expected.end(), {jar, token, "16384"});
  EXPECT_EQ(args, expected);

  // The raw line: program always quoted, only arguments with spaces quoted.
  std::string line = "\"" + exe + "\"";
  for (const auto& a : expected) line += " " + (a.find(' ') != std::string::npos ? "\"" + a + "\"" : a);
  EXPECT_EQ(utf8(rec->command_line), line);
  EXPECT_EQ(utf8(rec->current_directory), dir);

  // Traces: curr_dir, exe, then jvm_args over 15 lines, and nothing else.
  const auto err = lines(r.err);
  ASSERT_EQ(err.size(), 17u) << r;
  EXPECT_EQ(err[0], "[src\\lib:20:5] &curr_dir = " + e2e::quoted(dir));
  EXPECT_EQ(err[1], "[src\\lib:84:5] &exe = " + e2e::quoted(exe));
  EXPECT_EQ(std::vector<std::string>(err.begin() + 2, err.end()), jvm_args_trace(expected));
}

INSTANTIATE_TEST_SUITE_P(Paths, JvmCommandLine,
                         ::testing::Values(InstallName{"Spaces", "Program Files Flow"},
                                           InstallName{"NonAscii", "caf\u00e9 \u5e94\u7528 \U0001F680"}),
                         [](const auto& info) { return std::string(info.param.label); });

// The child inherits duplicates of the launcher's standard handles.
TEST(JvmLaunch, ChildSharesTheLaunchersStandardHandles) {
  Installation inst("install");
  const RunResult r = inst.run();
  ASSERT_EQ(r.exit_status, 0) << r;
  const auto rec = inst.wait_for_record();
  ASSERT_TRUE(rec.has_value()) << r;
  EXPECT_EQ(rec->std_output, standin::HandleState::valid);
  EXPECT_EQ(rec->std_error, standin::HandleState::valid);
}

// Started without standard handles (as from a desktop shortcut), the
// launcher gives its child none either, and still starts it.
TEST(JvmLaunch, WithoutStandardHandlesTheChildGetsNone) {
  Installation inst("install");
  RunOptions o = inst.options();
  o.args = {"start-bare", wine_path(inst.root / "veltrix.exe")};
  const RunResult r = run_windows(probe_exe(), o);
  ASSERT_EQ(r.exit_status, 0) << r;
  EXPECT_EQ(r.err, "") << r;
  const auto rec = inst.wait_for_record();
  ASSERT_TRUE(rec.has_value()) << r;
  EXPECT_NE(rec->std_output, standin::HandleState::valid);
  EXPECT_NE(rec->std_error, standin::HandleState::valid);
}

// The runtime and the archive come from the current directory, while the
// application runs in the directory of the launcher's own executable.
TEST(JvmLaunch, WorkingDirectoryIsTheLaunchersOwn) {
  Installation inst("install");
  TempDir tools("tools");
  const fs::path exe = tools.copy_file(fixture_launcher(), "veltrix.exe");
  const RunResult r = run_windows(exe, inst.options());
  ASSERT_EQ(r.exit_status, 0) << r;
  const auto rec = inst.wait_for_record();
  ASSERT_TRUE(rec.has_value()) << r;
  EXPECT_EQ(utf8(rec->current_directory), wine_path(tools.path()));
  ASSERT_GE(rec->crt_argv.size(), 12u);
  EXPECT_EQ(utf8(rec->crt_argv[11]), wine_path(inst.dir.path()) + "\\libs\\veltrix.jar");
}

// The child is never waited for: the launcher ends while it still runs.
TEST(JvmLaunch, ChildOutlivesTheLauncher) {
  Installation inst("install");
  RunOptions o = inst.options();
  o.env.emplace_back(std::string(standin::LINGER_ENV), "3000");
  const RunResult r = run_windows(inst.dir / "veltrix.exe", o);
  ASSERT_EQ(r.exit_status, 0) << r;
  const fs::path lingered = standin::lingered_path(inst.record.string());
  EXPECT_FALSE(fs::exists(lingered)) << "the launcher waited for its child";
  const auto until = std::chrono::steady_clock::now() + 30s;
  while (!fs::exists(lingered) && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(100ms);
  EXPECT_TRUE(fs::exists(lingered)) << "the child did not live on after the launcher";
}

// Any other archive content is refused with the notice and status 0, and no
// process is started.
struct Damage {
  const char* label;
  std::string (*make)(std::string);
};
void PrintTo(const Damage& d, std::ostream* os) { *os << d.label; }

class DamagedArchive : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedArchive, EndsWithTheNoticeAndNoChild) {
  Installation inst("install");
  inst.dir.write_file("libs/veltrix.jar", GetParam().make(fixture_archive_bytes()));
  const RunResult r = inst.run();
  EXPECT_EQ(r.exit_status, 0) << r;
  const auto err = lines(r.err);
  ASSERT_EQ(err.size(), 2u) << r;
  EXPECT_EQ(err[1], "cannot run: detect file is damaged");
  EXPECT_EQ(r.out, "");
  std::this_thread::sleep_for(500ms);
  EXPECT_FALSE(fs::exists(inst.record)) << "a child was started";
}

INSTANTIATE_TEST_SUITE_P(
    Archives, DamagedArchive,
    ::testing::Values(Damage{"OneByteChanged", [](std::string s) { s[s.size() / 2] ^= 0x01; return s; }},
                      Damage{"Truncated", [](std::string s) { s.pop_back(); return s; }},
                      Damage{"Empty", [](std::string) { return std::string(); }}),
    [](const auto& info) { return std::string(info.param.label); });

// The fatal endings: fast-fail status, thread, site and message.
TEST(ArchiveCheck, MissingArchiveIsAnOpenError) {
  Installation inst("install", true, false);
  const RunResult r = inst.run();
  EXPECT_EQ(r.exit_status, FAST_FAIL_STATUS) << r;
  EXPECT_NE(r.err.find("thread 'main' panicked at src\\lib:55:23:\nopen file error: Os { code: "),
            std::string::npos)
      << r;
  EXPECT_NE(r.err.find(", kind: NotFound, message: \""), std::string::npos) << r;
  EXPECT_FALSE(fs::exists(inst.record));
}

TEST(ArchiveCheck, DirectoryInPlaceOfTheArchiveIsAFatalError) {
  Installation inst("install", true, false);
  inst.dir.make_dir("libs/veltrix.jar");
  const RunResult r = inst.run();
  EXPECT_EQ(r.exit_status, FAST_FAIL_STATUS) << r;
  const bool open_error = r.err.find("panicked at src\\lib:55:23:\nopen file error: Os { code: ") != std::string::npos;
  const bool read_error =
      r.err.find("panicked at src\\lib:55:78:\ncannot run: file not found: Os { code: ") != std::string::npos;
  EXPECT_TRUE(open_error || read_error) << r;
  EXPECT_EQ(r.err.find("damaged"), std::string::npos) << r;
}

TEST(JvmLaunch, MissingRuntimeTracesBothLinesThenFails) {
  Installation inst("install", false);
  const RunResult r = inst.run();
  EXPECT_EQ(r.exit_status, FAST_FAIL_STATUS) << r;
  const auto err = lines(r.err);
  ASSERT_GE(err.size(), 19u) << r;
  EXPECT_EQ(err[1].rfind("[src\\lib:84:5] &exe = ", 0), 0u) << r;
  EXPECT_EQ(err[2], "[src\\lib:85:5] &jvm_args = [");
  EXPECT_EQ(err[16], "]");
  EXPECT_EQ(err[17], "thread 'main' panicked at src\\lib:89:21:");
  EXPECT_EQ(err[18].rfind("run jvm error: Os { code: ", 0), 0u) << r;
}

// An archive path of 248 UTF-16 units or more (counting the NUL) still
// opens: the check passes and the launcher goes on to trace the program
// path. The installation directory itself stays below the length a current
// directory may have.
TEST(ArchiveCheck, DeepArchivePathStillOpens) {
  TempDir dir("deep");
  const std::size_t base = wine_path(dir.path()).size() + 1;
  ASSERT_LT(base, 230u) << "work directory too deep for this test";
  const std::string sub(240 - base, 'd');
  dir.copy_file(fixture_launcher(), sub + "/veltrix.exe");
  dir.write_file(sub + "/libs/veltrix.jar", fixture_archive_bytes());
  const fs::path root = dir / sub;
  ASSERT_GE(wine_path(root / "libs" / "veltrix.jar").size() + 1, 248u);
  RunOptions o;
  o.cwd = root;
  const RunResult r = run_windows(root / "veltrix.exe", o);
  EXPECT_NE(r.err.find("[src\\lib:84:5] &exe = "), std::string::npos) << r;
  EXPECT_EQ(r.err.find("open file error"), std::string::npos) << r;
}

// At a drive root the current directory keeps its backslash, and the
// composed paths are used as they are: two backslashes before "runtime".
TEST(DriveRoot, RuntimeDirHasTwoBackslashes) {
  Installation inst("drive root", false);
  MappedDrive drive(inst.dir.path());
  const RunResult r = inst.run();
  EXPECT_EQ(r.exit_status, FAST_FAIL_STATUS) << r;  // no runtime there
  const std::string root = std::string(1, drive.letter()) + ":\\";
  const auto err = lines(r.err);
  ASSERT_GE(err.size(), 2u) << r;
  EXPECT_EQ(err[1], "[src\\lib:84:5] &exe = " + e2e::quoted(root + "\\runtime\\bin\\javaw.exe")) << r;
}

}  // namespace
}  // namespace vx::e2e
