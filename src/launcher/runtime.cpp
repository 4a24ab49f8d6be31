// Allocation failure anywhere ends the process with the requested size on
// standard error; nothing in the launcher expects new to throw.
//
// The launcher is built without exceptions, but the standard library's
// containers still call its throw helpers on impossible sizes, and those
// bring the whole exception runtime along (unwinder, emulated TLS, a
// threads library, and a 45 KiB demangler in the default terminate
// handler). Defining the helpers here ends such a failure by the one fatal
// path instead, and keeps all of that out of the program.
#include <cstdlib>
#include <new>
#include <string_view>

#include <malloc.h>

#include "win32/diag.hpp"

namespace {

constexpr std::string_view RUNTIME_SITE = "src\\runtime";

[[noreturn]] void library_failure(std::string_view what) { vx::diag::fatal(RUNTIME_SITE, what); }

}  // namespace

namespace __gnu_cxx {
[[noreturn]] void __verbose_terminate_handler() { library_failure("unexpected exception from the C++ runtime"); }
[[noreturn]] void __throw_insufficient_space(const char* what, const char*) { library_failure(what); }
[[noreturn]] void __throw_concurrence_lock_error() { library_failure("concurrence lock error"); }
[[noreturn]] void __throw_concurrence_unlock_error() { library_failure("concurrence unlock error"); }
}  // namespace __gnu_cxx

namespace std {
[[noreturn]] void __throw_bad_exception() { library_failure("bad exception"); }
[[noreturn]] void __throw_bad_alloc() { library_failure("memory allocation failed"); }
[[noreturn]] void __throw_bad_array_new_length() { library_failure("bad array new length"); }
[[noreturn]] void __throw_bad_cast() { library_failure("bad cast"); }
[[noreturn]] void __throw_bad_typeid() { library_failure("bad typeid"); }
[[noreturn]] void __throw_bad_function_call() { library_failure("bad function call"); }
[[noreturn]] void __throw_logic_error(const char* what) { library_failure(what); }
[[noreturn]] void __throw_domain_error(const char* what) { library_failure(what); }
[[noreturn]] void __throw_invalid_argument(const char* what) { library_failure(what); }
[[noreturn]] void __throw_length_error(const char* what) { library_failure(what); }
[[noreturn]] void __throw_out_of_range(const char* what) { library_failure(what); }
[[noreturn]] void __throw_out_of_range_fmt(const char* what, ...) { library_failure(what); }
[[noreturn]] void __throw_runtime_error(const char* what) { library_failure(what); }
[[noreturn]] void __throw_range_error(const char* what) { library_failure(what); }
[[noreturn]] void __throw_overflow_error(const char* what) { library_failure(what); }
[[noreturn]] void __throw_underflow_error(const char* what) { library_failure(what); }
}  // namespace std

namespace {

void* allocate(std::size_t n) {
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  vx::diag::out_of_memory(n);
}

void* allocate_aligned(std::size_t n, std::align_val_t al) {
  if (void* p = _aligned_malloc(n == 0 ? 1 : n, static_cast<std::size_t>(al))) return p;
  vx::diag::out_of_memory(n);
}

}  // namespace

void* operator new(std::size_t n) { return allocate(n); }
void* operator new[](std::size_t n) { return allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n == 0 ? 1 : n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n == 0 ? 1 : n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

void* operator new(std::size_t n, std::align_val_t al) { return allocate_aligned(n, al); }
void* operator new[](std::size_t n, std::align_val_t al) { return allocate_aligned(n, al); }
void operator delete(void* p, std::align_val_t) noexcept { _aligned_free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { _aligned_free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { _aligned_free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { _aligned_free(p); }
