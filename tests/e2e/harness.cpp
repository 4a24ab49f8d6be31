#include "harness.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <system_error>

extern char** environ;

namespace vx::e2e {

namespace {

using Clock = std::chrono::steady_clock;

std::optional<std::string> env_var(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

fs::path required_path(const char* name) {
  auto value = env_var(name);
  if (!value) throw std::runtime_error(std::string("environment variable ") + name + " is not set");
  return fs::path(*value);
}

[[noreturn]] void throw_errno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

// One end of a pipe or a file descriptor that closes itself.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~Fd() { reset(); }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

std::pair<Fd, Fd> make_pipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw_errno("pipe2");
  return {Fd(fds[0]), Fd(fds[1])};
}

// The descriptor a child gets as one standard stream, and the parent's end
// to read from when the stream is captured.
struct StreamPlumbing {
  Fd child_end;   // -1: the child's descriptor is closed
  Fd parent_end;  // -1: nothing to read
};

StreamPlumbing plumb(Stream mode) {
  StreamPlumbing p;
  switch (mode) {
    case Stream::capture: {
      auto [r, w] = make_pipe();
      if (::fcntl(r.get(), F_SETFL, O_NONBLOCK) != 0) throw_errno("fcntl");
      p.parent_end = std::move(r);
      p.child_end = std::move(w);
      break;
    }
    case Stream::absent:
      break;
    case Stream::broken: {
      auto [r, w] = make_pipe();
      r.reset();  // nobody will ever read: the child's writes fail
      p.child_end = std::move(w);
      break;
    }
  }
  return p;
}

struct SpawnRequest {
  std::vector<std::string> argv;
  std::vector<std::pair<std::string, std::string>> env;
  fs::path cwd;
  Stream out = Stream::capture;
  Stream err = Stream::capture;
  std::chrono::milliseconds time_limit{60'000};
  bool kill_leftovers = true;
};

std::vector<std::string> merged_environment(const std::vector<std::pair<std::string, std::string>>& extra) {
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string_view entry(*e);
    const auto eq = entry.find('=');
    if (eq == std::string_view::npos) continue;
    vars[std::string(entry.substr(0, eq))] = std::string(entry.substr(eq + 1));
  }
  for (const auto& [name, value] : extra) vars[name] = value;
  std::vector<std::string> out;
  out.reserve(vars.size());
  for (const auto& [name, value] : vars) out.push_back(name + "=" + value);
  return out;
}

// Reads what is there without blocking; closes the descriptor at end of file.
void read_available(Fd& fd, std::string& sink) {
  std::array<char, 65536> buf;
  while (fd) {
    const ssize_t n = ::read(fd.get(), buf.data(), buf.size());
    if (n > 0) {
      sink.append(buf.data(), static_cast<size_t>(n));
    } else if (n == 0) {
      fd.reset();
    } else if (errno == EINTR) {
      continue;
    } else {
      return;  // EAGAIN: nothing more for now
    }
  }
}

RunResult spawn_and_wait(const SpawnRequest& request) {
  // Everything the child needs is prepared before fork: after it, the child
  // only makes async-signal-safe calls.
  std::vector<char*> argv;
  for (const auto& a : request.argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const std::vector<std::string> env_strings = merged_environment(request.env);
  std::vector<char*> envp;
  for (const auto& e : env_strings) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  const std::string cwd = request.cwd.string();

  Fd null_in(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  if (!null_in) throw_errno("open /dev/null");
  StreamPlumbing out = plumb(request.out);
  StreamPlumbing err = plumb(request.err);

  const pid_t pid = ::fork();
  if (pid < 0) throw_errno("fork");
  if (pid == 0) {
    ::setpgid(0, 0);
    ::dup2(null_in.get(), 0);
    if (out.child_end) ::dup2(out.child_end.get(), 1); else ::close(1);
    if (err.child_end) ::dup2(err.child_end.get(), 2); else ::close(2);
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(127);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  ::setpgid(pid, pid);  // also here, so the group exists whoever runs first
  out.child_end.reset();
  err.child_end.reset();
  null_in.reset();

  RunResult result;
  const auto deadline = Clock::now() + request.time_limit;
  for (;;) {
    // Look for the end without reaping, so the process group id stays
    // reserved until the leftovers are gone.
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 && errno != EINTR) {
      throw_errno("waitid");
    }
    const bool ended = info.si_pid == pid;
    const bool expired = !ended && Clock::now() >= deadline;
    if (ended || expired) {
      if (expired || request.kill_leftovers) ::kill(-pid, SIGKILL);
      result.timed_out = expired;
      int status = 0;
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
      if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
      // Whatever the program wrote is in the pipes by now; a child it left
      // running may hold them open, so read what is there and stop.
      read_available(out.parent_end, result.out);
      read_available(err.parent_end, result.err);
      return result;
    }

    std::array<pollfd, 2> fds{};
    nfds_t n = 0;
    if (out.parent_end) fds[n++] = {out.parent_end.get(), POLLIN, 0};
    if (err.parent_end) fds[n++] = {err.parent_end.get(), POLLIN, 0};
    // Short waits: the end of the process is checked between them, since a
    // child it started can keep the pipes open after it has gone.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    const int wait_ms = static_cast<int>(std::clamp<long long>(left.count(), 0, 20));
    if (::poll(fds.data(), n, wait_ms) < 0 && errno != EINTR) throw_errno("poll");
    read_available(out.parent_end, result.out);
    read_available(err.parent_end, result.err);
  }
}

std::vector<std::pair<std::string, std::string>> wine_env() {
  const Config& c = Config::get();
  return {{"WINEPREFIX", c.wineprefix.string()}, {"WINEDEBUG", "-all"}, {"WINEDLLOVERRIDES", "mscoree,mshtml="}};
}

RunResult run_wine_tool(std::vector<std::string> argv, std::chrono::milliseconds limit) {
  SpawnRequest request;
  request.argv = std::move(argv);
  request.env = wine_env();
  request.cwd = Config::get().work_dir;
  request.time_limit = limit;
  request.kill_leftovers = false;  // a starting wineserver daemonizes
  return spawn_and_wait(request);
}

}  // namespace

const Config& Config::get() {
  static const Config config = [] {
    Config c;
    c.wine64 = required_path("VELTRIX_WINE64");
    c.wineserver = required_path("VELTRIX_WINESERVER");
    c.wineprefix = required_path("VELTRIX_WINEPREFIX");
    c.work_dir = env_var("VELTRIX_E2E_WORK_DIR").value_or((fs::current_path() / "e2e-work").string());
    fs::create_directories(c.work_dir);
    // Wine names the current directory from the resolved Unix path, so the
    // expected Windows names must come from it too.
    c.work_dir = fs::canonical(c.work_dir);
    c.keep_dirs = env_var("VELTRIX_E2E_KEEP") == "1";
    return c;
  }();
  return config;
}

fs::path veltrix_exe() { return required_path("VELTRIX_EXE"); }
fs::path probe_exe() { return required_path("VELTRIX_E2E_PROBE"); }
fs::path javaw_standin() { return fs::path(env_var("VELTRIX_JAVAW_STANDIN").value_or("")); }

void start_wine() {
  const Config& c = Config::get();
  using namespace std::chrono_literals;
  if (!fs::exists(c.wineprefix / "system.reg")) {
    const RunResult boot = run_wine_tool({c.wine64.string(), "wineboot", "-i"}, 300s);
    if (boot.timed_out || !fs::exists(c.wineprefix / "system.reg")) {
      std::ostringstream os;
      os << "could not make the Wine prefix " << c.wineprefix << ": " << boot;
      throw std::runtime_error(os.str());
    }
  }
  // Fails harmlessly when a server for the prefix is already running.
  run_wine_tool({c.wineserver.string(), "-p"}, 60s);
  // The first program of a Wine session starts the session's system
  // processes, and a wineboot in its own process group. Started here, they
  // are done before a test run ends and its group is killed.
  run_wine_tool({c.wine64.string(), "wineboot"}, 120s);
}

void stop_wine() {
  const Config& c = Config::get();
  using namespace std::chrono_literals;
  run_wine_tool({c.wineserver.string(), "-k"}, 60s);
  run_wine_tool({c.wineserver.string(), "-w"}, 60s);
}

TempDir::TempDir(std::string_view name) {
  if (name.empty() || name.find('/') != std::string_view::npos || name == "." || name == "..") {
    throw std::invalid_argument("TempDir name must be one path component: " + std::string(name));
  }
  const Config& c = Config::get();
  std::string pattern = (c.work_dir / "run-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw_errno("mkdtemp " + pattern);
  unique_parent_ = pattern;
  path_ = unique_parent_ / fs::path(std::string(name));
  fs::create_directory(path_);
  keep_ = c.keep_dirs;
}

TempDir::~TempDir() {
  if (keep_) {
    std::cerr << "[ harness  ] kept " << path_ << "\n";
    return;
  }
  std::error_code ignored;
  fs::remove_all(unique_parent_, ignored);
}

fs::path TempDir::operator/(std::string_view rel) const { return path_ / fs::path(std::string(rel)); }

fs::path TempDir::write_file(std::string_view rel, std::string_view bytes) const {
  const fs::path p = *this / rel;
  fs::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!f.flush()) throw std::runtime_error("cannot write " + p.string());
  return p;
}

fs::path TempDir::make_dir(std::string_view rel) const {
  const fs::path p = *this / rel;
  fs::create_directories(p);
  return p;
}

fs::path TempDir::copy_file(const fs::path& from, std::string_view rel) const {
  const fs::path p = *this / rel;
  fs::create_directories(p.parent_path());
  fs::copy_file(from, p, fs::copy_options::overwrite_existing);
  return p;
}

MappedDrive::MappedDrive(const fs::path& target) {
  const Config& c = Config::get();
  const fs::path devices = c.wineprefix / "dosdevices";
  const fs::path resolved = fs::canonical(target);
  // Letters no Wine prefix sets up by itself; symlink() claims one
  // atomically, so parallel runs in one prefix never share a letter.
  for (char l : std::string_view("rstuvwxyqponmlkjihgf")) {
    const fs::path link = devices / (std::string(1, l) + ":");
    if (::symlink(resolved.c_str(), link.c_str()) == 0) {
      link_ = link;
      letter_ = static_cast<char>(l - 'a' + 'A');
      return;
    }
    if (errno != EEXIST) throw_errno("symlink " + link.string());
    // A letter left behind by an earlier run that died: its target under
    // the work directory is gone, so take the letter back.
    std::error_code ec;
    const fs::path old = fs::read_symlink(link, ec);
    const std::string work = c.work_dir.string() + "/";
    if (!ec && old.string().rfind(work, 0) == 0 && !fs::exists(old) &&
        ::unlink(link.c_str()) == 0 && ::symlink(resolved.c_str(), link.c_str()) == 0) {
      link_ = link;
      letter_ = static_cast<char>(l - 'a' + 'A');
      return;
    }
  }
  throw std::runtime_error("no free drive letter in " + devices.string());
}

MappedDrive::~MappedDrive() {
  if (!link_.empty()) ::unlink(link_.c_str());
}

std::string MappedDrive::root() const { return std::string(1, letter_) + ":\\"; }

RunResult run_windows(const fs::path& exe, const RunOptions& options) {
  const Config& c = Config::get();
  SpawnRequest request;
  request.argv = {c.wine64.string(), exe.string()};
  request.argv.insert(request.argv.end(), options.args.begin(), options.args.end());
  request.env = wine_env();
  request.env.insert(request.env.end(), options.env.begin(), options.env.end());
  request.cwd = options.cwd.empty() ? c.work_dir : options.cwd;
  request.out = options.out;
  request.err = options.err;
  request.time_limit = options.time_limit;
  request.kill_leftovers = options.kill_leftovers;
  return spawn_and_wait(request);
}

std::ostream& operator<<(std::ostream& os, const RunResult& r) {
  if (r.timed_out) os << "timed out; ";
  if (r.signal != 0) {
    os << "ended by signal " << r.signal;
  } else {
    os << "exit status " << r.exit_status;
  }
  os << "\n--- stdout (" << r.out.size() << " bytes) ---\n" << r.out;
  os << "\n--- stderr (" << r.err.size() << " bytes) ---\n" << r.err << "\n---";
  return os;
}

std::string wine_path(const fs::path& unix_path) {
  std::string s = unix_path.string();
  std::replace(s.begin(), s.end(), '/', '\\');
  return "Z:" + s;
}

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char ch : text) {
    if (ch == '\\' || ch == '"') out += '\\';
    out += ch;
  }
  out += '"';
  return out;
}

std::vector<std::string> lines(std::string_view text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    const size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) {
      out.emplace_back(text.substr(start));
      break;
    }
    out.emplace_back(text.substr(start, lf - start));
    start = lf + 1;
  }
  return out;
}

}  // namespace vx::e2e
