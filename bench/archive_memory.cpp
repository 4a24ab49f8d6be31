// Peak memory of the archive check: runs veltrix.exe under Wine on an
// installation whose archive is 1 KiB, then on one whose archive is 1 GiB,
// and prints the difference of the two peak resident sizes. The check
// digests the archive in fixed pieces, so the difference stays far below
// the size of the archive (goal: under 4 MiB).
//
//   archive_memory <veltrix.exe> [wine64] [prefix]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

// Peak resident set of one run of the launcher, in KiB.
long peak_kib(const fs::path& install, const std::string& wine64, const std::string& prefix) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(install.c_str()) != 0) _exit(127);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    setenv("WINEPREFIX", prefix.c_str(), 1);
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    execl(wine64.c_str(), wine64.c_str(), "veltrix.exe", static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  return usage.ru_maxrss;
}

fs::path make_install(const fs::path& root, const char* name, off_t archive_size, const fs::path& exe) {
  const fs::path dir = root / name;
  fs::create_directories(dir / "libs");
  fs::copy_file(exe, dir / "veltrix.exe", fs::copy_options::overwrite_existing);
  const fs::path jar = dir / "libs" / "veltrix.jar";
  const int fd = open(jar.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
  // Sparse: the launcher still reads every byte, the disk holds none.
  if (fd < 0 || ftruncate(fd, archive_size) != 0) {
    std::perror("archive");
    std::exit(1);
  }
  close(fd);
  return dir;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <veltrix.exe> [wine64] [prefix]\n", argv[0]);
    return 2;
  }
  const fs::path exe = fs::absolute(argv[1]);
  const std::string wine64 = argc > 2 ? argv[2] : "/usr/lib/wine/wine64";
  const fs::path root = fs::temp_directory_path() / ("veltrix-archive-memory-" + std::to_string(getpid()));
  const std::string prefix = argc > 3 ? argv[3] : (root / "wineprefix").string();

  const fs::path small = make_install(root, "small", 1024, exe);
  const fs::path large = make_install(root, "large", off_t{1} << 30, exe);

  peak_kib(small, wine64, prefix);  // makes the prefix and warms the wineserver
  const long base = peak_kib(small, wine64, prefix);
  const long big = peak_kib(large, wine64, prefix);

  std::printf("peak resident set, 1 KiB archive: %ld KiB\n", base);
  std::printf("peak resident set, 1 GiB archive: %ld KiB\n", big);
  std::printf("difference: %ld KiB (goal: under 4096 KiB; ratio to goal %.3f)\n", big - base,
              static_cast<double>(big - base) / 4096.0);

  const std::string stop = "WINEPREFIX='" + prefix + "' '" + fs::path(wine64).parent_path().string() +
                           "/wineserver' -k 2>/dev/null";
  if (std::system(stop.c_str()) != 0) { /* no server left running */ }
  fs::remove_all(root);
  return 0;
}
