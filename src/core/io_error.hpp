// I/O errors as values: what failed (a kind), how it shows in the detail of
// a fatal error (detail()) and as plain text (text()), plus the detail of
// bytes that were not valid UTF-8 where text was required.
//
// The platform layer makes the operating-system errors (win32/syserr.hpp):
// it reads the error code at the failure site and fetches the system's text
// for it there, so an IoError is complete and never looks anything up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/render.hpp"

namespace vx {

// What an I/O error is about. The names are shown as they are written here.
enum class ErrorKind : unsigned char {
  NotFound,
  PermissionDenied,
  ConnectionRefused,
  ConnectionReset,
  HostUnreachable,
  NetworkUnreachable,
  ConnectionAborted,
  NotConnected,
  AddrInUse,
  AddrNotAvailable,
  NetworkDown,
  BrokenPipe,
  AlreadyExists,
  WouldBlock,
  NotADirectory,
  IsADirectory,
  DirectoryNotEmpty,
  ReadOnlyFilesystem,
  FilesystemLoop,
  StaleNetworkFileHandle,
  InvalidInput,
  InvalidData,
  TimedOut,
  WriteZero,
  StorageFull,
  NotSeekable,
  FilesystemQuotaExceeded,
  FileTooLarge,
  ResourceBusy,
  ExecutableFileBusy,
  Deadlock,
  CrossesDevices,
  TooManyLinks,
  InvalidFilename,
  ArgumentListTooLong,
  Interrupted,
  Unsupported,
  UnexpectedEof,
  OutOfMemory,
  Other,
  Uncategorized,
};

// The kind's name, e.g. "NotFound".
std::string_view kind_name(ErrorKind kind);

// The plain text of an error that carries only this kind.
std::string_view kind_description(ErrorKind kind);

// The kind of a Windows system error code (GetLastError, WSAGetLastError);
// every code without a kind of its own is Uncategorized.
ErrorKind kind_from_os_code(std::uint32_t code);

class IoError {
 public:
  enum class Repr : unsigned char { os, message, kind, custom };

  // An operating-system error: the code and the system's text for it.
  static IoError os(std::uint32_t code, std::string system_text);
  // An error the I/O layer raises itself, with a fixed message such as
  // "failed to write whole buffer".
  static IoError with_message(ErrorKind kind, std::string message);
  // An error that carries only a kind.
  static IoError from_kind(ErrorKind kind);
  // An error of the given kind that wraps another I/O error.
  static IoError wrapping(ErrorKind kind, const IoError& inner);
  // An error of the given kind that wraps an error of another type, given
  // by its detail value and its plain text.
  static IoError wrapping(ErrorKind kind, render::Value inner_detail, std::string inner_text);

  IoError(const IoError& other);
  IoError& operator=(const IoError& other);
  IoError(IoError&&) noexcept = default;
  IoError& operator=(IoError&&) noexcept = default;
  ~IoError();

  Repr repr() const { return repr_; }
  // The kind; for an operating-system error, the kind of its code.
  ErrorKind kind() const { return kind_; }
  // The code of an operating-system error; none for the other forms.
  std::optional<std::uint32_t> os_code() const;

 private:
  struct Wrapped {
    render::Value detail;
    std::string text;
  };

  IoError(Repr repr, ErrorKind kind) : repr_(repr), kind_(kind) {}

  Repr repr_;
  ErrorKind kind_;
  std::uint32_t code_ = 0;               // os
  std::string message_;                  // os: the system text; message: the message
  // custom. Copied deeply rather than shared: a shared_ptr control block
  // is a polymorphic object, and the core is built without RTTI.
  std::unique_ptr<Wrapped> inner_;

  friend render::Value to_value(const IoError& e);
  friend std::string text(const IoError& e);
};

// The error as a value to render:
//   Os { code: 2, kind: NotFound, message: "..." }
//   Error { kind: WriteZero, message: "failed to write whole buffer" }
//   Kind(NotFound)
//   Custom { kind: InvalidInput, error: <the wrapped error's detail> }
render::Value to_value(const IoError& e);

// The compact rendering of to_value(e): the detail of a fatal error.
std::string detail(const IoError& e);

// The plain text: for an operating-system error the system text + " (os
// error " + code + ")"; otherwise the fixed message, the kind's
// description, or the wrapped error's own text.
std::string text(const IoError& e);

// Where bytes that should be UTF-8 go wrong.
struct Utf8Error {
  // Count of leading bytes that form valid UTF-8.
  std::size_t valid_up_to;
  // Length of the invalid sequence that follows (1 to 3 bytes: its lead
  // byte and the continuation bytes that still fitted); none when the
  // bytes end inside a sequence that could still have been completed.
  std::optional<std::size_t> error_len;
};

// The first error of the bytes by the UTF-8 well-formedness rules
// (no overlong forms, no surrogates, nothing above U+10FFFF); none when
// the bytes are valid UTF-8.
std::optional<Utf8Error> find_utf8_error(std::string_view bytes);

// "FromUtf8Error { bytes: [..], error: Utf8Error { valid_up_to: N,
// error_len: Some(n) } }" (or error_len: None) for the invalid `bytes` and
// their error.
std::string from_utf8_detail(std::string_view bytes, const Utf8Error& error);

// The last steps of fetching the system text of `code`, kept here so they
// are testable everywhere. `message` is what the system wrote (without a
// terminator): it gives the text with trailing white space removed, or
// "OS Error <code> (FormatMessageW() returned invalid UTF-16)" when it holds
// an unpaired surrogate.
std::string system_text_from_message(std::uint32_t code, std::u16string_view message);

// The text of a code for which the system has no message:
// "OS Error <code> (FormatMessageW() returned error <format_error>)".
std::string system_text_unavailable(std::uint32_t code, std::uint32_t format_error);

}  // namespace vx
