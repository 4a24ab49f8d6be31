// Command lines composed by our encoder, split back by the system's real
// parsers: CommandLineToArgvW in this process, and the C runtime's argv and
// CommandLineToArgvW inside a child (the stand-in javaw.exe). Every argument
// must come back exactly as it went in.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "../fixtures/standin_record.hpp"
#include "core/cmdline.hpp"
#include "core/text.hpp"

#ifndef VELTRIX_STANDIN_RELPATH
#error "VELTRIX_STANDIN_RELPATH: the stand-in's path relative to this test's executable"
#endif

namespace {

using Args = std::vector<std::string>;

const wchar_t* wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

std::u16string u16(const wchar_t* s) { return std::u16string(reinterpret_cast<const char16_t*>(s)); }

// Arguments that exercise every rule: quoting triggers, quotes, runs of
// backslashes before quotes, inside and at the end, and text beyond ASCII.
const Args kTable = {
    "",
    " ",
    "\t",
    "a b",
    "a\tb",
    "  two  spaces  ",
    "\"",
    "\"\"",
    "a\"b",
    "\"a b\" c",
    "a\\\"b",
    "a\\\\\"b",
    "a\\\\\\\"b",
    "\\\"",
    "\" \"",
    "\\",
    "\\\\",
    "a\\",
    "a\\\\",
    "a b\\",
    "a b\\\\\\",
    "\\\\server\\share\\",
    "C:\\Program Files\\Flow\\",
    "E:\\Program Files\\Flow\\libs\\veltrix.jar",
    "a\\\\b c\\d",
    "-Dprop=\"x y\"",
    "x\\\\\\\"\\\\ y\\",
    "caf\xc3\xa9",                      // é
    "\xe6\x97\xa5\xe6\x9c\xac \xe8\xaa\x9e",  // CJK with a space
    "\xf0\x9f\x98\x80",                 // U+1F600, a surrogate pair
    "\xf0\x9f\x98\x80 \xf0\x90\x80\x80\\",  // non-BMP, space, trailing backslash
    "\xc2\xa0",                         // no-break space: not a separator
    "\xe3\x80\x80",                     // ideographic space: not a separator
};

std::vector<std::u16string> to_u16(const Args& args) {
  std::vector<std::u16string> out;
  for (const auto& a : args) out.push_back(vx::utf8_to_utf16(a));
  return out;
}

// Deterministic random arguments over an alphabet that is all traps.
Args random_args(std::uint32_t seed, std::size_t count) {
  static const char* const kPieces[] = {"a", " ", "\t", "\"", "\\", "\\\\", "\xc3\xa9",
                                        "\xf0\x9f\x98\x80", "=", "'"};
  std::uint32_t x = seed * 2654435761u + 1;
  const auto next = [&] {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
  };
  Args out;
  for (std::size_t i = 0; i < count; ++i) {
    std::string arg;
    for (std::uint32_t n = next() % 9; n > 0; --n) arg += kPieces[next() % std::size(kPieces)];
    out.push_back(arg);
  }
  return out;
}

std::u16string standin_path() {
  std::wstring self(32768, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
  std::wstring rel = L"" VELTRIX_STANDIN_RELPATH;
  for (auto& c : rel) c = c == L'/' ? L'\\' : c;
  const std::wstring joined = self.substr(0, self.find_last_of(L'\\') + 1) + rel;
  std::wstring full(32768, L'\0');
  full.resize(GetFullPathNameW(joined.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
  return u16(full.c_str());
}

// CommandLineToArgvW of `line`, in this process.
std::vector<std::u16string> shell_split(const std::u16string& line) {
  int n = 0;
  wchar_t** argv = CommandLineToArgvW(wide(line), &n);
  std::vector<std::u16string> out;
  if (argv == nullptr) return out;
  for (int i = 0; i < n; ++i) out.push_back(u16(argv[i]));
  LocalFree(argv);
  return out;
}

std::u16string compose(const std::u16string& program, const Args& args) {
  const vx::WideResult r = vx::compose_command_line(vx::utf16_to_utf8(program), args);
  EXPECT_FALSE(r.error);
  return r.text;
}

// Starts the stand-in with `args` and returns what it recorded.
std::optional<vx::standin::Record> run_standin(const Args& args) {
  static int serial = 0;
  const std::u16string program = standin_path();
  std::wstring temp(MAX_PATH + 1, L'\0');
  temp.resize(GetTempPathW(static_cast<DWORD>(temp.size()), temp.data()));
  const std::wstring record = temp + L"veltrix_roundtrip_" + std::to_wstring(GetCurrentProcessId()) +
                              L"_" + std::to_wstring(++serial) + L".txt";
  DeleteFileW(record.c_str());
  // The child inherits this process's environment.
  EXPECT_TRUE(SetEnvironmentVariableW(L"VELTRIX_STANDIN_RECORD", record.c_str()));

  std::u16string line = compose(program, args);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(wide(program), reinterpret_cast<wchar_t*>(line.data()),
                                      nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, nullptr,
                                      nullptr, &si, &pi);
  SetEnvironmentVariableW(L"VELTRIX_STANDIN_RECORD", nullptr);
  EXPECT_TRUE(started) << "CreateProcessW failed: " << GetLastError();
  if (!started) return std::nullopt;
  // Generous: only there so a hung child cannot hang the suite.
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);

  auto rec = vx::standin::read_record(std::filesystem::path(record));
  DeleteFileW(record.c_str());
  EXPECT_TRUE(rec.has_value()) << "no whole record from the stand-in";
  return rec;
}

// What both parsers must give back: the program, then the arguments.
void expect_round_trip(const vx::standin::Record& rec, const std::u16string& program,
                       const Args& args, const std::u16string& line) {
  std::vector<std::u16string> expected = to_u16(args);
  expected.insert(expected.begin(), program);
  EXPECT_EQ(rec.command_line, line);
  const auto show = [&] { return vx::utf16_to_utf8(line); };
  ASSERT_EQ(rec.crt_argv.size(), expected.size()) << show();
  ASSERT_EQ(rec.shell_argv.size(), expected.size()) << show();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(rec.crt_argv[i], expected[i]) << "C runtime, argument " << i << " of " << show();
    EXPECT_EQ(rec.shell_argv[i], expected[i]) << "CommandLineToArgvW, argument " << i << " of " << show();
  }
}

TEST(CmdlineRoundTrip, CommandLineToArgvWInProcess) {
  const std::u16string program = u"C:\\Program Files\\Java\\bin\\javaw.exe";
  std::vector<Args> sets;
  for (const auto& arg : kTable) sets.push_back({arg});  // each one last on the line
  sets.push_back(kTable);                                  // each one followed by another
  for (std::uint32_t seed = 1; seed <= 300; ++seed) sets.push_back(random_args(seed, 1 + seed % 7));
  for (const Args& args : sets) {
    const std::u16string line = compose(program, args);
    std::vector<std::u16string> expected = to_u16(args);
    expected.insert(expected.begin(), program);
    EXPECT_EQ(shell_split(line), expected) << vx::utf16_to_utf8(line);
  }
}

TEST(CmdlineRoundTrip, ChildSeesEveryArgumentAlone) {
  const std::u16string program = standin_path();
  for (const auto& arg : kTable) {
    const Args args = {arg};
    const auto rec = run_standin(args);
    ASSERT_TRUE(rec);
    expect_round_trip(*rec, program, args, compose(program, args));
  }
}

TEST(CmdlineRoundTrip, ChildSeesTheWholeTableAndRandomArguments) {
  const std::u16string program = standin_path();
  std::vector<Args> sets = {kTable};
  for (std::uint32_t seed = 1000; seed < 1004; ++seed) sets.push_back(random_args(seed, 40));
  for (const Args& args : sets) {
    const auto rec = run_standin(args);
    ASSERT_TRUE(rec);
    expect_round_trip(*rec, program, args, compose(program, args));
  }
}

TEST(CmdlineRoundTrip, ChildSeesTheJvmArguments) {
  // The launcher's own argument list, with an installation path that
  // needs quoting.
  const Args args = {"-XX:+HeapDumpOnOutOfMemoryError", "-Xms256m", "-Xmx1g",
                     "--add-opens", "java.base/java.io=ALL-UNNAMED",
                     "--add-opens", "java.base/java.time=ALL-UNNAMED",
                     "--add-opens", "java.base/java.util=ALL-UNNAMED",
                     "-jar", "E:\\Program Files\\Flow\\libs\\veltrix.jar",
                     "aUE1uFpXewNeLGLvQMPtzItzElQywsFf", "16384"};
  const std::u16string program = standin_path();
  const auto rec = run_standin(args);
  ASSERT_TRUE(rec);
  expect_round_trip(*rec, program, args, compose(program, args));
}

}  // namespace
