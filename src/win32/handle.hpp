// Move-only owners of Windows handles, one per handle kind, each with the
// empty value its creating functions return on failure: CreateFileW returns
// INVALID_HANDLE_VALUE, while processes, threads and timers come back NULL.
#pragma once

#include <windows.h>

#include <utility>

namespace vx::win32 {

template <HANDLE (*Empty)()>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h) {}
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Empty())) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, Empty()));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != Empty(); }
  HANDLE release() { return std::exchange(h_, Empty()); }
  void reset(HANDLE h = Empty()) {
    if (h_ != Empty()) CloseHandle(h_);
    h_ = h;
  }

 private:
  HANDLE h_ = Empty();
};

inline HANDLE invalid_handle_value() { return INVALID_HANDLE_VALUE; }
inline HANDLE null_handle() { return nullptr; }

using UniqueFile = UniqueHandle<invalid_handle_value>;  // CreateFileW, FindFirstFileW's kin
using UniqueKernel = UniqueHandle<null_handle>;         // processes, threads, timers, duplicates

}  // namespace vx::win32
