// Allocation failure anywhere ends the process with the requested size on
// standard error; nothing in the launcher expects new to throw.
//
// The C++ runtime's default terminate handler demangles the type of an
// uncaught exception, which links a 45 KiB demangler into the program. The
// launcher never throws; should the standard library ever do so, the
// process ends by the one fatal path instead.
#include <cstdlib>
#include <new>

#include <malloc.h>

#include "win32/diag.hpp"

namespace __gnu_cxx {
[[noreturn]] void __verbose_terminate_handler() {
  vx::diag::fatal("src\\lib", "unexpected exception from the C++ runtime");
}
}  // namespace __gnu_cxx

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
