// Shortcuts on real files of the prefix's C: drive: create_link's outputs,
// the bytes on disk, and two independent readers, Wine's own shell link
// object and (through mslnk_lnkinfo, a CTest shell test) Debian's lnkinfo.
// System texts are Wine's: the tests assert on codes, never on wording.
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <algorithm>

#include "core/render.hpp"
#include "core/text.hpp"
#include "launcher/windows_native.hpp"
#include "mslnk/paths.hpp"
#include "mslnk/shell_link.hpp"
#include "win32/wide.hpp"

namespace {

using vx::win32::from_wide;
using vx::win32::to_wide;

// Where the shortcuts that lnkinfo checks are left; the shell test reads
// each name.lnk there, with the lines its name.expect says lnkinfo must
// print, and removes the directory afterwards.
constexpr const char* SAMPLE_DIR = "C:\\veltrix-lnk-samples";

std::optional<std::string> read_file(const std::string& path) {
  HANDLE h = CreateFileW(to_wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string out;
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
  CloseHandle(h);
  return out;
}

void write_file(const std::string& path, std::string_view bytes) {
  HANDLE h = CreateFileW(to_wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr));
  CloseHandle(h);
}

std::vector<std::string> list_dir(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW fd;
  HANDLE s = FindFirstFileW(to_wide(dir + "\\*").c_str(), &fd);
  if (s == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = from_wide(fd.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(s, &fd));
  FindClose(s);
  std::sort(names.begin(), names.end());
  return names;
}

void remove_tree(const std::string& dir) {
  for (const std::string& name : list_dir(dir)) {
    const std::wstring path = to_wide(dir + "\\" + name);
    const DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) {
      remove_tree(dir + "\\" + name);
    } else {
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(path.c_str());
    }
  }
  RemoveDirectoryW(to_wide(dir).c_str());
}

bool exists(const std::string& path) {
  return GetFileAttributesW(to_wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string bytes_of(const std::vector<std::uint8_t>& v) { return std::string(v.begin(), v.end()); }

// What create_link wrote to the standard streams.
struct Output {
  std::string out;
  std::string err;
};

// Runs create_link with standard output and error sent to files; the
// diagnostics ask for the handles at every write.
Output run_create_link(const std::string& scratch, const std::string& source,
                       const std::string& target) {
  const std::string out_path = scratch + "\\stdout.txt";
  const std::string err_path = scratch + "\\stderr.txt";
  HANDLE out = CreateFileW(to_wide(out_path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
  HANDLE err = CreateFileW(to_wide(err_path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
  const HANDLE old_out = GetStdHandle(STD_OUTPUT_HANDLE);
  const HANDLE old_err = GetStdHandle(STD_ERROR_HANDLE);
  SetStdHandle(STD_OUTPUT_HANDLE, out);
  SetStdHandle(STD_ERROR_HANDLE, err);
  vx::create_link(source, target);
  SetStdHandle(STD_OUTPUT_HANDLE, old_out);
  SetStdHandle(STD_ERROR_HANDLE, old_err);
  CloseHandle(out);
  CloseHandle(err);
  return {read_file(out_path).value_or("<none>"), read_file(err_path).value_or("<none>")};
}

// The trace line of an MSLinkError at `site`.
std::string trace(std::string_view site, std::string_view quoted_message) {
  return "[src\\windows_native:" + std::string(site) + "] e = MSLinkError {\n    kind: \"io\",\n" +
         "    message: " + std::string(quoted_message) + ",\n}\n";
}

// The message field of a single traced MSLinkError (still quoted).
std::string traced_message(const std::string& err) {
  const std::string key = "    message: ";
  const auto at = err.find(key);
  if (at == std::string::npos) return {};
  const auto end = err.find(",\n}", at);
  return err.substr(at + key.size(), end - at - key.size());
}

bool ends_with(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// Wine's own reader: the shell link object loading the file.
struct ShellRead {
  HRESULT load = E_FAIL;
  std::string path;
  std::string working_dir;
};

ShellRead read_with_shell(const std::string& lnk) {
  static const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  (void)init;
  ShellRead r;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return r;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    r.load = file->Load(to_wide(lnk).c_str(), STGM_READ);
    if (SUCCEEDED(r.load)) {
      wchar_t buf[4 * MAX_PATH] = {};
      if (SUCCEEDED(link->GetPath(buf, static_cast<int>(std::size(buf)), nullptr, SLGP_RAWPATH)))
        r.path = from_wide(buf);
      buf[0] = 0;
      if (SUCCEEDED(link->GetWorkingDirectory(buf, static_cast<int>(std::size(buf)))))
        r.working_dir = from_wide(buf);
    }
    file->Release();
  }
  link->Release();
  return r;
}

class CreateLink : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    ASSERT_GT(n, 0u);
    static unsigned counter = 0;
    // Unique across runs too: Wine reuses process ids.
    root_ = from_wide(std::wstring_view(temp, n)) + "vx-mslnk-" +
            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64()) + "-" +
            std::to_string(++counter);
    ASSERT_EQ(root_.substr(1, 2), ":\\") << root_;
    for (const std::string& d : {root_, dir("a"), dir("out"), dir("scratch")})
      ASSERT_TRUE(CreateDirectoryW(to_wide(d).c_str(), nullptr)) << d;
    write_file(dir("a\\b.txt"), "hello world\n");  // 12 bytes
  }
  void TearDown() override { remove_tree(root_); }

  std::string dir(std::string_view rel) const { return root_ + "\\" + std::string(rel); }
  Output run(const std::string& source, const std::string& target) const {
    return run_create_link(dir("scratch"), source, target);
  }

  // The bytes the module makes for `source` when the file system reports
  // `metadata` and the final path `final_path`.
  static std::string expected_bytes(const std::string& source, mslnk::TargetMetadata metadata,
                                    const std::string& final_path) {
    auto link = mslnk::ShellLink::from_metadata(source, metadata,
                                                vx::utf8_to_utf16("\\\\?\\" + final_path));
    EXPECT_TRUE(link.ok());
    if (!link) return {};
    auto bytes = link.value().to_bytes();
    EXPECT_TRUE(bytes.ok());
    return bytes ? bytes_of(bytes.value()) : std::string{};
  }

  // Leaves a copy of a shortcut, and the lines lnkinfo must print for it,
  // for the lnkinfo shell test.
  static void leave_sample(const std::string& name, const std::string& lnk,
                           const std::vector<std::string>& expect) {
    CreateDirectoryW(to_wide(SAMPLE_DIR).c_str(), nullptr);
    const std::string base = std::string(SAMPLE_DIR) + "\\" + name;
    ASSERT_TRUE(CopyFileW(to_wide(lnk).c_str(), to_wide(base + ".lnk").c_str(), FALSE));
    std::string lines;
    for (const auto& l : expect) lines += l + "\n";
    write_file(base + ".expect", lines);
  }

  std::string root_;
};

TEST_F(CreateLink, WritesTheShortcutThatWineReads) {
  struct Case {
    const char* name;
    std::string dir_name;   // created below the root
    std::string file_name;  // created in it
    bool lnkinfo_strings;   // lnkinfo shows the strings as they are
  } cases[] = {
      {"file", "a", "b.txt", true},
      {"nonascii", "\xc3\xa9", "\xc3\xbc.txt", true},  // é, ü
      // lnkinfo 20181227 decodes a surrogate pair wrongly (U+1F600 shows as
      // U+1F201) though the bytes are right; it must still parse the file.
      {"nonbmp", "\xc3\xa9", "\xf0\x9f\x98\x80.txt", false},  // U+1F600
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CreateDirectoryW(to_wide(dir(c.dir_name)).c_str(), nullptr);
    const std::string source = dir(c.dir_name + "\\" + c.file_name);
    write_file(source, "hello world\n");
    const std::string target = dir("out\\" + std::string(c.name) + ".lnk");

    const Output o = run(source, target);
    EXPECT_EQ(o.out, "windows file link created\n");
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(read_file(target), expected_bytes(source, {false, 12}, source));

    const ShellRead shell = read_with_shell(target);
    ASSERT_TRUE(SUCCEEDED(shell.load)) << std::hex << shell.load;
    EXPECT_EQ(shell.path, source);
    EXPECT_EQ(shell.working_dir, dir(c.dir_name));
    std::vector<std::string> expect = {"\tFile size\t\t\t: 12 bytes"};
    if (c.lnkinfo_strings) {
      expect.push_back("\tRelative path\t\t\t: ./" + c.file_name);
      expect.push_back("\tWorking directory\t\t: " + dir(c.dir_name));
    }
    leave_sample(c.name, target, expect);
  }
}

// Wine's GetFinalPathNameByHandleW fails (error 234) for any final path
// longer than 260 units, so only the writing side is checked at length.
TEST_F(CreateLink, TargetLongerThanTheClassicPathLimit) {
  const std::string long_dir = dir(std::string(240, 'd'));
  ASSERT_TRUE(CreateDirectoryW(to_wide(long_dir).c_str(), nullptr));
  const std::string target = long_dir + "\\long.lnk";
  ASSERT_GT(target.size(), 260u);
  const Output o = run(dir("a\\b.txt"), target);
  EXPECT_EQ(o.out, "windows file link created\n");
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(read_file(target), expected_bytes(dir("a\\b.txt"), {false, 12}, dir("a\\b.txt")));
  EXPECT_EQ(list_dir(long_dir), std::vector<std::string>{"long.lnk"});
}

TEST_F(CreateLink, DirectoryShortcutIsTheHeaderAlone) {
  const std::string target = dir("out\\dir.lnk");
  const Output o = run(dir("a"), target);
  EXPECT_EQ(o.out, "windows file link created\n");
  const auto bytes = read_file(target);
  ASSERT_TRUE(bytes.has_value());
  ASSERT_EQ(bytes->size(), 76u);
  EXPECT_EQ(static_cast<unsigned char>((*bytes)[20]), 0x80);
  EXPECT_EQ(static_cast<unsigned char>((*bytes)[24]), 0x10);
  EXPECT_TRUE(SUCCEEDED(read_with_shell(target).load));
  leave_sample("dir", target, {});
}

TEST_F(CreateLink, NameFromDiskWorkingDirFromTheText) {
  // Typed in capitals, stored as a\b.txt.
  const std::string typed = root_ + "\\A\\B.TXT";
  auto link = mslnk::ShellLink::from_target(typed);
  ASSERT_TRUE(link.ok()) << link.error().message;
  EXPECT_EQ(link.value().relative_path(), "./b.txt");
  EXPECT_EQ(link.value().working_dir(), root_ + "\\A");
  EXPECT_EQ(link.value().header().file_size, 12u);

  const std::string target = dir("out\\case.lnk");
  EXPECT_EQ(run(typed, target).out, "windows file link created\n");
  EXPECT_EQ(read_file(target), expected_bytes(typed, {false, 12}, dir("a\\b.txt")));
  EXPECT_EQ(read_with_shell(target).working_dir, root_ + "\\A");
}

// The host's name of a Windows path, when running under Wine.
std::optional<std::wstring> host_name(const std::string& path) {
  using UnixName = char*(CDECL*)(LPCWSTR);
  const auto unix_name = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (unix_name == nullptr) return std::nullopt;
  char* name = unix_name(to_wide(path).c_str());
  if (name == nullptr) return std::nullopt;
  std::wstring wide = to_wide(name);
  HeapFree(GetProcessHeap(), 0, name);
  return wide;
}

// Starts a host program under Wine. Wine gives no handle to wait on for a
// host process, so callers watch for its effect.
bool start_host_program(const wchar_t* exe, std::wstring cmd) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  return CreateProcessW(exe, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
}

bool wait_for_existence(const std::string& path, bool wanted) {
  for (int i = 0; i < 500 && exists(path) != wanted; ++i) Sleep(10);
  return exists(path) == wanted;
}

// A symbolic link made by the host system: Wine follows it as Windows
// follows a link, and reports the final file's path. Wine's own
// CreateSymbolicLinkW makes nothing, so the link is made by the host's ln.
TEST_F(CreateLink, SymbolicLinkSourceNamesTheFinalFile) {
  write_file(dir("a\\real.txt"), "0123456789");
  const std::string link_path = dir("a\\link.txt");
  const bool made_by_system =
      CreateSymbolicLinkW(to_wide(link_path).c_str(), to_wide(dir("a\\real.txt")).c_str(), 0) &&
      exists(link_path);
  std::optional<std::wstring> host_link;
  if (!made_by_system) {
    host_link = host_name(link_path);
    if (!host_link) GTEST_SKIP() << "symbolic links cannot be made here";
    if (!start_host_program(L"Z:\\bin\\ln", L"ln -s real.txt \"" + *host_link + L"\""))
      GTEST_SKIP() << "the host's ln cannot be run";
    if (!wait_for_existence(link_path, true)) GTEST_SKIP() << "the symbolic link did not appear";
  }

  auto link = mslnk::ShellLink::from_target(link_path);
  ASSERT_TRUE(link.ok()) << link.error().message;
  EXPECT_EQ(link.value().relative_path(), "./real.txt");
  EXPECT_EQ(link.value().working_dir(), dir("a"));
  EXPECT_EQ(link.value().header().file_size, 10u);
  const std::string target = dir("out\\symlink.lnk");
  EXPECT_EQ(run(link_path, target).out, "windows file link created\n");
  EXPECT_EQ(read_file(target), expected_bytes(link_path, {false, 10}, dir("a\\real.txt")));

  // Wine deletes a host link's target, not the link: let the host remove it.
  if (host_link) {
    start_host_program(L"Z:\\bin\\rm", L"rm -f \"" + *host_link + L"\"");
    wait_for_existence(link_path, false);
  }
}

TEST_F(CreateLink, MissingSourceIsTracedAndWritesNothing) {
  struct Case {
    std::string source;
    const char* code;
  } cases[] = {
      {dir("a\\missing.txt"), "(os error 2)"},
      {dir("nodir\\b.txt"), "(os error 3)"},
  };
  for (const auto& c : cases) {
    const std::string target = dir("out\\missing.lnk");
    const Output o = run(c.source, target);
    EXPECT_EQ(o.out, "");
    const std::string message = traced_message(o.err);
    EXPECT_EQ(o.err, trace("13:21", message));
    EXPECT_TRUE(ends_with(message, std::string(" ") + c.code + "\"")) << o.err;
    EXPECT_FALSE(read_file(target).has_value());
  }
}

TEST_F(CreateLink, MissingTargetDirectoryIsTracedWithCode3) {
  const Output o = run(dir("a\\b.txt"), dir("nodir\\x.lnk"));
  EXPECT_EQ(o.out, "");
  const std::string message = traced_message(o.err);
  EXPECT_EQ(o.err, trace("10:29", message));
  EXPECT_TRUE(ends_with(message, " (os error 3)\"")) << o.err;
  EXPECT_TRUE(list_dir(dir("out")).empty());
}

TEST_F(CreateLink, RefusedSourcesAreTracedAndTheProcessGoesOn) {
  namespace refusal = mslnk::paths::refusal;
  struct Case {
    std::string source;
    std::string_view message;
  } cases[] = {
      {"a\\b.txt", refusal::RELATIVE_PATH},
      {"b.txt", refusal::RELATIVE_PATH},
      {root_.substr(0, 2) + "b.txt", refusal::DRIVE_RELATIVE_PATH},
      {root_.substr(2) + "\\a\\b.txt", refusal::ROOTED_WITHOUT_DRIVE},
      {"\\\\veltrix-no-such-host\\share\\b.txt", refusal::UNC_PATH},
      {"\\\\?\\" + dir("a\\b.txt"), refusal::DEVICE_PATH},
      {"\\\\.\\" + dir("a\\b.txt"), refusal::DEVICE_PATH},
      {root_.substr(0, 3), refusal::NO_PARENT},
      {root_.substr(0, 2), refusal::NO_PARENT},
      {"\\", refusal::NO_PARENT},
      {dir("a\\b.txt") + std::string(1, '\0') + "x", "strings passed to WinAPI cannot contain NULs"},
  };
  const std::string target = dir("out\\refused.lnk");
  for (const auto& c : cases) {
    const Output o = run(c.source, target);
    EXPECT_EQ(o.err, trace("13:21", vx::render::quote(c.message))) << c.source;
    EXPECT_EQ(o.out, "");
    EXPECT_TRUE(list_dir(dir("out")).empty()) << c.source;
  }
  // And the next request is served as usual.
  EXPECT_EQ(run(dir("a\\b.txt"), target).out, "windows file link created\n");
}

TEST_F(CreateLink, SameTargetTwice) {
  write_file(dir("a\\c.txt"), "x");
  const std::string target = dir("out\\twice.lnk");
  ASSERT_EQ(run(dir("a\\b.txt"), target).out, "windows file link created\n");
  const auto first = read_file(target);
  ASSERT_EQ(run(dir("a\\b.txt"), target).out, "windows file link created\n");
  EXPECT_EQ(read_file(target), first);
  // A second request for another source leaves the second shortcut.
  ASSERT_EQ(run(dir("a\\c.txt"), target).out, "windows file link created\n");
  EXPECT_EQ(read_file(target), expected_bytes(dir("a\\c.txt"), {false, 1}, dir("a\\c.txt")));
  EXPECT_EQ(list_dir(dir("out")), std::vector<std::string>{"twice.lnk"});
}

TEST_F(CreateLink, TargetThatCannotBeReplacedKeepsTheOldShortcut) {
  const std::string target = dir("out\\held.lnk");
  ASSERT_EQ(run(dir("a\\b.txt"), target).out, "windows file link created\n");
  const auto old = read_file(target);
  write_file(dir("a\\c.txt"), "x");

  // Held open without any sharing, as another program might.
  HANDLE held = CreateFileW(to_wide(target).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const Output o = run(dir("a\\c.txt"), target);
  CloseHandle(held);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, trace("10:29", traced_message(o.err)));
  EXPECT_EQ(read_file(target), old);
  EXPECT_EQ(list_dir(dir("out")), std::vector<std::string>{"held.lnk"});

  // A directory in the target's place cannot be replaced either.
  const std::string dir_target = dir("out\\d.lnk");
  ASSERT_TRUE(CreateDirectoryW(to_wide(dir_target).c_str(), nullptr));
  const Output d = run(dir("a\\c.txt"), dir_target);
  EXPECT_EQ(d.err, trace("10:29", traced_message(d.err)));
  EXPECT_TRUE(list_dir(dir_target).empty());
  EXPECT_EQ(list_dir(dir("out")), (std::vector<std::string>{"d.lnk", "held.lnk"}));
}

}  // namespace
