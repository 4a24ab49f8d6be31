#include "core/io_error.hpp"

#include <iterator>
#include <utility>

#include "core/text.hpp"

namespace vx {

namespace {

struct KindText {
  std::string_view name;
  std::string_view description;
};

// Indexed by ErrorKind; the order must follow the enumeration.
constexpr KindText KINDS[] = {
    {"NotFound", "entity not found"},
    {"PermissionDenied", "permission denied"},
    {"ConnectionRefused", "connection refused by the peer"},
    {"ConnectionReset", "connection reset by the peer"},
    {"HostUnreachable", "host cannot be reached"},
    {"NetworkUnreachable", "network cannot be reached"},
    {"ConnectionAborted", "connection aborted"},
    {"NotConnected", "not connected"},
    {"AddrInUse", "address already in use"},
    {"AddrNotAvailable", "address not available"},
    {"NetworkDown", "network is down"},
    {"BrokenPipe", "the other end of the pipe is closed"},
    {"AlreadyExists", "entity already exists"},
    {"WouldBlock", "operation would block"},
    {"NotADirectory", "not a directory"},
    {"IsADirectory", "is a directory"},
    {"DirectoryNotEmpty", "directory is not empty"},
    {"ReadOnlyFilesystem", "file system is read-only"},
    {"FilesystemLoop", "loop in the file system"},
    {"StaleNetworkFileHandle", "network file handle is stale"},
    {"InvalidInput", "invalid input"},
    {"InvalidData", "invalid data"},
    {"TimedOut", "timed out"},
    {"WriteZero", "no bytes could be written"},
    {"StorageFull", "no space left on the device"},
    {"NotSeekable", "cannot seek"},
    {"FilesystemQuotaExceeded", "file system quota exceeded"},
    {"FileTooLarge", "file is too large"},
    {"ResourceBusy", "resource is busy"},
    {"ExecutableFileBusy", "executable file is busy"},
    {"Deadlock", "deadlock avoided"},
    {"CrossesDevices", "link or rename across devices"},
    {"TooManyLinks", "too many links"},
    {"InvalidFilename", "invalid file name"},
    {"ArgumentListTooLong", "argument list is too long"},
    {"Interrupted", "operation interrupted"},
    {"Unsupported", "operation not supported"},
    {"UnexpectedEof", "unexpected end of file"},
    {"OutOfMemory", "out of memory"},
    {"Other", "other error"},
    {"Uncategorized", "uncategorized error"},
};
static_assert(std::size(KINDS) == static_cast<std::size_t>(ErrorKind::Uncategorized) + 1);

const KindText& kind_text(ErrorKind kind) { return KINDS[static_cast<std::size_t>(kind)]; }

void append_decimal(std::string& out, std::uint64_t v) { out += std::to_string(v); }

}  // namespace

std::string_view kind_name(ErrorKind kind) { return kind_text(kind).name; }

std::string_view kind_description(ErrorKind kind) { return kind_text(kind).description; }

ErrorKind kind_from_os_code(std::uint32_t code) {
  using K = ErrorKind;
  switch (code) {
    case 2: case 3: case 15: case 53: case 67: return K::NotFound;
    case 5: case 10013: return K::PermissionDenied;
    case 8: case 14: return K::OutOfMemory;
    case 17: return K::CrossesDevices;
    case 19: return K::ReadOnlyFilesystem;
    case 39: case 112: return K::StorageFull;
    case 80: case 183: return K::AlreadyExists;
    case 87: case 10022: return K::InvalidInput;
    case 109: case 232: return K::BrokenPipe;
    case 120: return K::Unsupported;
    case 121: case 258: case 594: case 995: case 1053: case 1121: case 1460: case 5910:
    case 7012: case 7040: case 8014: case 8226: case 9705: case 10060: case 13805:
    case 15402: case 15403:
      return K::TimedOut;
    case 123: case 161: case 206: return K::InvalidFilename;
    case 132: return K::NotSeekable;
    case 145: return K::DirectoryNotEmpty;
    case 170: return K::ResourceBusy;
    case 223: return K::FileTooLarge;
    case 267: return K::NotADirectory;
    case 336: return K::IsADirectory;
    case 1131: return K::Deadlock;
    case 1142: return K::TooManyLinks;
    case 1231: case 10051: return K::NetworkUnreachable;
    case 1232: case 10065: return K::HostUnreachable;
    case 1295: return K::FilesystemQuotaExceeded;
    case 10035: return K::WouldBlock;
    case 10048: return K::AddrInUse;
    case 10049: return K::AddrNotAvailable;
    case 10050: return K::NetworkDown;
    case 10053: return K::ConnectionAborted;
    case 10054: return K::ConnectionReset;
    case 10057: return K::NotConnected;
    case 10061: return K::ConnectionRefused;
    default: return K::Uncategorized;
  }
}

IoError IoError::os(std::uint32_t code, std::string system_text) {
  IoError e(Repr::os, kind_from_os_code(code));
  e.code_ = code;
  e.message_ = std::move(system_text);
  return e;
}

IoError IoError::with_message(ErrorKind kind, std::string message) {
  IoError e(Repr::message, kind);
  e.message_ = std::move(message);
  return e;
}

IoError IoError::from_kind(ErrorKind kind) { return IoError(Repr::kind, kind); }

IoError IoError::wrapping(ErrorKind kind, const IoError& inner) {
  return wrapping(kind, to_value(inner), text(inner));
}

IoError IoError::wrapping(ErrorKind kind, render::Value inner_detail, std::string inner_text) {
  IoError e(Repr::custom, kind);
  e.inner_ = std::make_unique<Wrapped>(Wrapped{std::move(inner_detail), std::move(inner_text)});
  return e;
}

IoError::IoError(const IoError& other)
    : repr_(other.repr_),
      kind_(other.kind_),
      code_(other.code_),
      message_(other.message_),
      inner_(other.inner_ ? std::make_unique<Wrapped>(*other.inner_) : nullptr) {}

IoError& IoError::operator=(const IoError& other) {
  if (this != &other) *this = IoError(other);
  return *this;
}

IoError::~IoError() = default;

std::optional<std::uint32_t> IoError::os_code() const {
  if (repr_ == Repr::os) return code_;
  return std::nullopt;
}

render::Value to_value(const IoError& e) {
  using render::Value;
  const Value kind = Value::name(kind_name(e.kind_));
  switch (e.repr_) {
    case IoError::Repr::os:
      return Value::record("Os")
          .field("code", Value::integer(e.code_))
          .field("kind", kind)
          .field("message", Value::text(e.message_));
    case IoError::Repr::message:
      return Value::record("Error").field("kind", kind).field("message", Value::text(e.message_));
    case IoError::Repr::kind:
      return Value::tuple("Kind").push(kind);
    case IoError::Repr::custom:
      break;
  }
  return Value::record("Custom").field("kind", kind).field("error", e.inner_->detail);
}

std::string detail(const IoError& e) { return render::compact(to_value(e)); }

std::string text(const IoError& e) {
  switch (e.repr_) {
    case IoError::Repr::os: {
      std::string out = e.message_;
      out += " (os error ";
      append_decimal(out, e.code_);
      out += ')';
      return out;
    }
    case IoError::Repr::message:
      return e.message_;
    case IoError::Repr::kind:
      return std::string(kind_description(e.kind_));
    case IoError::Repr::custom:
      break;
  }
  return e.inner_->text;
}

std::optional<Utf8Error> find_utf8_error(std::string_view bytes) {
  const std::size_t n = bytes.size();
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  std::size_t i = 0;
  while (i < n) {
    const unsigned char lead = at(i);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    // The lead byte fixes the length and, to rule out overlong forms,
    // surrogates and values above U+10FFFF, the range of the second byte.
    std::size_t width = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      width = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      width = 3;
      if (lead == 0xE0) lo = 0xA0;
      if (lead == 0xED) hi = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      width = 4;
      if (lead == 0xF0) lo = 0x90;
      if (lead == 0xF4) hi = 0x8F;
    } else {
      // A continuation byte without a lead, C0, C1 or F5 to FF.
      return Utf8Error{i, 1};
    }
    for (std::size_t k = 1; k < width; ++k) {
      if (i + k >= n) return Utf8Error{i, std::nullopt};
      const unsigned char b = at(i + k);
      const bool fits = k == 1 ? (b >= lo && b <= hi) : (b >= 0x80 && b <= 0xBF);
      if (!fits) return Utf8Error{i, k};
    }
    i += width;
  }
  return std::nullopt;
}

std::string from_utf8_detail(std::string_view bytes, const Utf8Error& error) {
  using render::Value;
  const Value error_len =
      error.error_len ? Value::some(Value::integer(*error.error_len)) : Value::none();
  return render::compact(
      Value::record("FromUtf8Error")
          .field("bytes", Value::bytes(bytes))
          .field("error", Value::record("Utf8Error")
                              .field("valid_up_to", Value::integer(error.valid_up_to))
                              .field("error_len", error_len)));
}

std::string system_text_from_message(std::uint32_t code, std::u16string_view message) {
  for (std::size_t i = 0; i < message.size(); ++i) {
    const char16_t u = message[i];
    if (u < 0xD800 || u > 0xDFFF) continue;
    if (u <= 0xDBFF && i + 1 < message.size() && message[i + 1] >= 0xDC00 && message[i + 1] <= 0xDFFF) {
      ++i;
      continue;
    }
    std::string out = "OS Error ";
    append_decimal(out, code);
    out += " (FormatMessageW() returned invalid UTF-16)";
    return out;
  }
  // Messages end in "\r\n"; trailing white space is any White_Space
  // character, all of which are single UTF-16 units.
  const auto white = [](char16_t u) {
    return (u >= 0x09 && u <= 0x0D) || u == 0x20 || u == 0x85 || u == 0xA0 || u == 0x1680 ||
           (u >= 0x2000 && u <= 0x200A) || u == 0x2028 || u == 0x2029 || u == 0x202F ||
           u == 0x205F || u == 0x3000;
  };
  std::size_t end = message.size();
  while (end > 0 && white(message[end - 1])) --end;
  return utf16_to_utf8(message.substr(0, end));
}

std::string system_text_unavailable(std::uint32_t code, std::uint32_t format_error) {
  std::string out = "OS Error ";
  append_decimal(out, code);
  out += " (FormatMessageW() returned error ";
  append_decimal(out, format_error);
  out += ')';
  return out;
}

}  // namespace vx
