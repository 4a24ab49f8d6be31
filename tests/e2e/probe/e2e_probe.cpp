// A small GUI-subsystem program that the e2e harness runs under Wine to check
// its own footing: which current directory a run gets, which standard
// handles, what a failed write reports and which exit statuses the Unix side
// sees. It is built like the launcher (GUI subsystem, static), so it gets the
// same standard handles from Wine.
//
// Arguments are commands, run in order:
//   cwd <out|err>          writes the current directory and a line feed
//   print <out|err> <text> writes the text as UTF-8
//   env <name>             writes the variable's value and a line feed to stdout
//   exit <n>               ExitProcess(n)
//   fastfail               __fastfail(FAST_FAIL_FATAL_APP_EXIT)
//   sleep <ms>             Sleep(ms)
//   start-bare <program>   starts the program (a Windows path) in the current
//                          directory with STARTF_USESTDHANDLES and three NULL
//                          handles, the way a desktop shortcut starts a GUI
//                          program, waits for it and exits with its status
// A failed write ends the probe at once with the system error code as its
// exit status (ERROR_INVALID_HANDLE 6 for a closed descriptor,
// ERROR_PIPE_NOT_CONNECTED 233 for a pipe without a reader). An unknown
// command exits with 99.
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

std::string utf8(const wchar_t* text, int units) {
  if (units == 0) return {};
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, units, out.data(), bytes, nullptr, nullptr);
  return out;
}

void write_or_exit(const wchar_t* stream, const std::string& bytes) {
  const HANDLE h = GetStdHandle(std::wcscmp(stream, L"out") == 0 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD written = 0;
  if (!WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    ExitProcess(GetLastError());
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const int argc = __argc;
  wchar_t** const argv = __wargv;
  for (int i = 1; i < argc; ++i) {
    const std::wstring cmd = argv[i];
    const bool has1 = i + 1 < argc;
    const bool has2 = i + 2 < argc;
    if (cmd == L"cwd" && has1) {
      const DWORD units = GetCurrentDirectoryW(0, nullptr);
      std::wstring dir(units, L'\0');
      const DWORD got = GetCurrentDirectoryW(units, dir.data());
      write_or_exit(argv[++i], utf8(dir.data(), static_cast<int>(got)) + "\n");
    } else if (cmd == L"print" && has2) {
      const wchar_t* stream = argv[++i];
      const wchar_t* text = argv[++i];
      write_or_exit(stream, utf8(text, static_cast<int>(std::wcslen(text))));
    } else if (cmd == L"env" && has1) {
      const wchar_t* name = argv[++i];
      const DWORD units = GetEnvironmentVariableW(name, nullptr, 0);
      std::wstring value(units, L'\0');
      const DWORD got = units ? GetEnvironmentVariableW(name, value.data(), units) : 0;
      write_or_exit(L"out", utf8(value.data(), static_cast<int>(got)) + "\n");
    } else if (cmd == L"exit" && has1) {
      ExitProcess(static_cast<UINT>(std::wcstoul(argv[++i], nullptr, 10)));
    } else if (cmd == L"fastfail") {
      // __fastfail(FAST_FAIL_FATAL_APP_EXIT), which mingw-w64 does not declare.
      __asm__ volatile("int $0x29" ::"c"(7) : "memory");
      __builtin_unreachable();
    } else if (cmd == L"sleep" && has1) {
      Sleep(static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10)));
    } else if (cmd == L"start-bare" && has1) {
      std::wstring line = L"\"" + std::wstring(argv[++i]) + L"\"";
      STARTUPINFOW si{};
      si.cb = sizeof si;
      si.dwFlags = STARTF_USESTDHANDLES;  // all three stay NULL
      PROCESS_INFORMATION pi{};
      if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ExitProcess(GetLastError());
      }
      WaitForSingleObject(pi.hProcess, INFINITE);
      DWORD status = 0;
      GetExitCodeProcess(pi.hProcess, &status);
      ExitProcess(status);
    } else {
      ExitProcess(99);
    }
  }
  return 0;
}
