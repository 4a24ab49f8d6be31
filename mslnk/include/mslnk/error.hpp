// The one error of the shell-link module, and the result type its fallible
// operations return. Nothing in the module throws.
#pragma once

#include <string>
#include <utility>
#include <variant>

#include "core/io_error.hpp"
#include "core/render.hpp"

namespace mslnk {

// `kind` is always "io". `message` is the text of the failed I/O operation:
// for a system error the system's description followed by " (os error N)",
// for a refusal by the module itself a fixed sentence saying why.
struct MSLinkError {
  std::string kind;
  std::string message;

  static MSLinkError io(std::string message) { return {"io", std::move(message)}; }
  // The error of a failed I/O operation: its plain text as the message.
  static MSLinkError from(const vx::IoError& e) { return io(vx::text(e)); }
  friend bool operator==(const MSLinkError&, const MSLinkError&) = default;
};

// For trace lines: the record "MSLinkError" with `kind`, then `message`,
// each a quoted text. Its pretty rendering takes four lines.
vx::render::Value to_value(const MSLinkError& e);

// A value of T or an MSLinkError. Accessing the side that is not held is a
// programming error (the accessors assume the caller checked ok()).
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
  Result(MSLinkError error) : v_(std::in_place_index<1>, std::move(error)) {}

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return *std::get_if<0>(&v_); }
  const T& value() const& { return *std::get_if<0>(&v_); }
  T&& value() && { return std::move(*std::get_if<0>(&v_)); }
  MSLinkError& error() & { return *std::get_if<1>(&v_); }
  const MSLinkError& error() const& { return *std::get_if<1>(&v_); }
  MSLinkError&& error() && { return std::move(*std::get_if<1>(&v_)); }

 private:
  std::variant<T, MSLinkError> v_;
};

}  // namespace mslnk
