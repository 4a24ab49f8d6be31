// Standard streams, the orderly exit and the fatal path.
//
// The stream handle is asked for at every write: the launcher normally has
// no standard streams at all (GUI subsystem), and a parent may hand it a
// file, a pipe or a console. Diagnostics are best effort: a write that
// fails for any reason drops its text, exactly as if the stream were absent.
// A launcher whose stderr reader went away must not die at its next trace.
#include "win32/diag.hpp"

#include <windows.h>
#include <winsock2.h>

#include <string>

#include "core/stream_buffer.hpp"
#include "win32/wide.hpp"

namespace vx::diag {
namespace {

// A re-entrant, process-wide lock per stream, ready before any code of the
// program runs.
struct StreamLock {
  CRITICAL_SECTION cs;
  StreamLock() { InitializeCriticalSection(&cs); }
  StreamLock(const StreamLock&) = delete;
  StreamLock& operator=(const StreamLock&) = delete;
};

struct StreamState {
  StreamLock lock;
  ConsolePieces console;  // UTF-8 carried between console writes
};

StreamState g_out;
StreamState g_err;
LineBuffer g_out_buffer;  // guarded by g_out.lock
volatile LONG g_out_used = 0;
volatile LONG g_socket_library_started = 0;
volatile LONG g_exit_cleanup_done = 0;
volatile LONG g_first_fatal = 1;
volatile DWORD g_main_thread_id = 0;

// The thread that is writing a fatal error, so a second one raised while
// writing it is recognised (kept without thread_local storage, which would
// drag a threads runtime into the program).
volatile DWORD g_fatal_thread = 0;

// Console: UTF-16 through WriteConsoleW, in whole-character pieces.
void write_console(HANDLE h, ConsolePieces& console, std::string_view bytes) {
  bool failed = false;
  console.write(bytes, [&](std::string_view piece) {
    if (failed) return;
    const std::wstring wide = win32::to_wide(piece);
    const wchar_t* p = wide.data();
    DWORD left = static_cast<DWORD>(wide.size());
    while (left > 0) {
      DWORD done = 0;
      if (!WriteConsoleW(h, p, left, &done, nullptr) || done == 0) {
        failed = true;  // dropped
        return;
      }
      p += done;
      left -= done;
    }
  });
}

// Passes bytes to the system: discarded without a handle, converted for a
// console, written unchanged (partial writes continued) to anything else.
void write_raw(DWORD which, StreamState& stream, std::string_view bytes) {
  if (bytes.empty()) return;
  const HANDLE h = GetStdHandle(which);
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  if (GetConsoleMode(h, &mode)) {
    write_console(h, stream.console, bytes);
    return;
  }
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
    DWORD done = 0;
    if (!WriteFile(h, bytes.data(), chunk, &done, nullptr) || done == 0) return;  // dropped
    bytes.remove_prefix(done);
  }
}

void write_err(std::string_view bytes) { write_raw(STD_ERROR_HANDLE, g_err, bytes); }

void write_out_buffered(std::string_view text) {
  InterlockedExchange(&g_out_used, 1);
  g_out_buffer.write(text, [](std::string_view block) { write_raw(STD_OUTPUT_HANDLE, g_out, block); });
}

class Locked {
 public:
  explicit Locked(StreamState& s) : s_(s) { EnterCriticalSection(&s_.lock.cs); }
  ~Locked() { LeaveCriticalSection(&s_.lock.cs); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  StreamState& s_;
};

[[noreturn]] void fast_fail() {
  // __fastfail(FAST_FAIL_FATAL_APP_EXIT): ends the process at once, no
  // handlers, no clean-up.
  __asm__ volatile("int $0x29" ::"c"(7) : "memory");
  __builtin_unreachable();
}

}  // namespace

void set_main_thread() { g_main_thread_id = GetCurrentThreadId(); }

void note_socket_library_started() { InterlockedExchange(&g_socket_library_started, 1); }

void trace(std::string_view prefix, std::string_view rendered) {
  std::string line;
  line.reserve(prefix.size() + rendered.size() + 1);
  line.append(prefix).append(rendered).push_back('\n');
  Locked lock(g_err);
  write_err(line);
}

void notice(Stream stream, std::string_view text) {
  if (stream == Stream::err) {
    Locked lock(g_err);
    write_err(text);
  } else {
    Locked lock(g_out);
    write_out_buffered(text);
  }
}

void notice_and_exit(std::string_view text) {
  notice(Stream::err, text);
  exit_process(0);
}

void exit_process(unsigned status) {
  if (InterlockedExchange(&g_exit_cleanup_done, 1) == 0) {
    // Never wait for the stdout lock: another thread may be stuck holding it.
    if (g_out_used && TryEnterCriticalSection(&g_out.lock.cs)) {
      g_out_buffer.flush([](std::string_view block) { write_raw(STD_OUTPUT_HANDLE, g_out, block); });
      g_out_buffer.make_unbuffered();
      LeaveCriticalSection(&g_out.lock.cs);
    }
    if (g_socket_library_started) WSACleanup();
  }
  ExitProcess(status);
}

void fatal(std::string_view site, std::string_view message) {
  // No lock on the way out: a fatal error never waits for another thread.
  if (g_fatal_thread == GetCurrentThreadId()) {
    write_err("thread panicked while processing panic. aborting.\n");
    fast_fail();
  }
  InterlockedExchange(reinterpret_cast<volatile LONG*>(&g_fatal_thread), static_cast<LONG>(GetCurrentThreadId()));
  const bool main = g_main_thread_id != 0 && GetCurrentThreadId() == g_main_thread_id;
  write_err("thread '");
  write_err(main ? "main" : "<unnamed>");
  write_err("' panicked at ");
  write_err(site);
  write_err(":\n");
  write_err(message);
  write_err("\n");
  if (InterlockedExchange(&g_first_fatal, 0) == 1) {
    write_err("note: no stack backtrace is recorded; the site above names where the launcher stopped\n");
  }
  fast_fail();
}

void out_of_memory(std::size_t requested) {
  // Built without allocating: there is no memory left to build it with.
  char digits[24];
  char* p = digits + sizeof digits;
  do {
    *--p = static_cast<char>('0' + requested % 10);
    requested /= 10;
  } while (requested != 0);
  write_err("memory allocation of ");
  write_err(std::string_view(p, static_cast<std::size_t>(digits + sizeof digits - p)));
  write_err(" bytes failed\n");
  fast_fail();
}

}  // namespace vx::diag
