#include "win32/process.hpp"

#include <windows.h>

#include "core/cmdline.hpp"
#include "win32/fs.hpp"
#include "win32/syserr.hpp"
#include "win32/wide.hpp"

namespace vx::win32 {
namespace {

// Only one thread at a time may hold inheritable duplicates of the standard
// handles: another CreateProcessW with inheritance on would leak them into
// its child.
struct CreationLock {
  CRITICAL_SECTION cs;
  CreationLock() { InitializeCriticalSection(&cs); }
};
CreationLock g_creation_lock;

class Held {
 public:
  Held() { EnterCriticalSection(&g_creation_lock.cs); }
  ~Held() { LeaveCriticalSection(&g_creation_lock.cs); }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
};

const wchar_t* wide_ptr(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

SpawnResult failed(IoError e) { return {UniqueKernel(), UniqueKernel(), std::move(e)}; }

}  // namespace

SpawnResult spawn_child(std::string_view program, const std::vector<std::string>& args,
                        std::string_view working_dir) {
  if (auto e = check_program(program)) return failed(std::move(*e));

  // Application name: the program itself, or its extended-length form.
  WideResult app_name = application_name(program, [](const std::u16string& p) -> WideResult {
    WidePath full = full_path(as_wide(p));
    if (full.error) return {{}, std::move(full.error)};
    return {as_u16(full.path), std::nullopt};
  });
  if (app_name.error) return failed(std::move(*app_name.error));

  WideResult command_line = compose_command_line(program, args);
  if (command_line.error) return failed(std::move(*command_line.error));

  WideResult dir = to_system_text(working_dir);
  if (dir.error) return failed(std::move(*dir.error));

  Held lock;

  // Inheritable duplicates of whatever standard handles the launcher has;
  // an absent one stays NULL, which is not an error.
  UniqueKernel dup[3];
  const DWORD which[3] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  bool any = false;
  for (int i = 0; i < 3; ++i) {
    const HANDLE h = GetStdHandle(which[i]);
    if (h == nullptr || h == INVALID_HANDLE_VALUE) continue;
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
      return failed(last_os_error());  // the duplicates made so far close on the way out
    }
    dup[i].reset(copy);
    any = true;
  }

  STARTUPINFOW si{};
  si.cb = sizeof si;
  static_assert(sizeof(STARTUPINFOW) == 104);
  if (any) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = dup[0].get();
    si.hStdOutput = dup[1].get();
    si.hStdError = dup[2].get();
  }

  PROCESS_INFORMATION pi{};
  const BOOL ok = CreateProcessW(wide_ptr(app_name.text), reinterpret_cast<wchar_t*>(command_line.text.data()),
                                 nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT, nullptr,
                                 wide_ptr(dir.text), &si, &pi);
  const DWORD code = ok ? 0 : GetLastError();
  // Error, then output, then input.
  dup[2].reset();
  dup[1].reset();
  dup[0].reset();
  if (!ok) return failed(os_error(code));
  return {UniqueKernel(pi.hProcess), UniqueKernel(pi.hThread), std::nullopt};
}

}  // namespace vx::win32
