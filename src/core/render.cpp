#include "core/render.hpp"

#include "core/text.hpp"
#include "core/unicode.hpp"

namespace vx::render {

namespace {

void append_hex_escape(std::string& out, char32_t cp) {
  static constexpr char DIGITS[] = "0123456789abcdef";
  char buf[8];
  int n = 0;
  do {
    buf[n++] = DIGITS[cp & 0xF];
    cp >>= 4;
  } while (cp != 0);
  out += "\\u{";
  while (n > 0) out += buf[--n];
  out += '}';
}

}  // namespace

void append_quoted(std::string& out, std::string_view text) {
  out.reserve(out.size() + text.size() + 2);
  out += '"';
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    const char32_t cp = next_scalar(text, pos);
    switch (cp) {
      case U'\0': out += "\\0"; break;
      case U'\t': out += "\\t"; break;
      case U'\n': out += "\\n"; break;
      case U'\r': out += "\\r"; break;
      case U'"': out += "\\\""; break;
      case U'\\': out += "\\\\"; break;
      default:
        // A combining mark is escaped even though it is printable: shown
        // as itself it would fuse with the quote or the escape before it.
        if (is_grapheme_extend(cp) || !is_printable(cp))
          append_hex_escape(out, cp);
        else
          out.append(text, start, pos - start);
    }
  }
  out += '"';
}

std::string quote(std::string_view text) {
  std::string out;
  append_quoted(out, text);
  return out;
}

Value Value::bare(std::string text) { return Value(Shape::bare, text); }

Value Value::text(std::string_view text) { return Value(Shape::text, text); }

Value Value::name(std::string_view name) { return bare(std::string(name)); }

Value Value::list() { return Value(Shape::list, {}); }

Value Value::bytes(std::string_view bytes) {
  Value v = list();
  v.items_.reserve(bytes.size());
  for (const char b : bytes) v.items_.push_back(integer(static_cast<unsigned char>(b)));
  return v;
}

Value Value::map() { return Value(Shape::map, {}); }

Value Value::record(std::string_view name) { return Value(Shape::record, name); }

Value Value::tuple(std::string_view name) { return Value(Shape::tuple, name); }

Value Value::some(Value inner) { return tuple("Some").push(std::move(inner)); }

Value Value::none() { return name("None"); }

Value& Value::push(Value element) & {
  items_.push_back(std::move(element));
  return *this;
}

Value& Value::entry(Value key, Value value) & {
  items_.push_back(std::move(key));
  items_.push_back(std::move(value));
  return *this;
}

Value& Value::field(std::string_view name, Value value) & {
  names_.emplace_back(name);
  items_.push_back(std::move(value));
  return *this;
}

// One walk for both renderings. Pretty puts every element on a line of its
// own, indented four spaces per level and followed by a comma; compact
// separates elements with ", " on one line.
//
// Indentation is carried as a depth rather than by re-indenting a nested
// rendering afterwards: texts never hold a raw line feed (it is escaped), so
// every line feed is one written here, and each is followed by four spaces
// per enclosing level.
struct Renderer {
  std::string& out;
  bool multiline;

  void newline(unsigned depth) {
    out += '\n';
    out.append(4 * std::size_t{depth}, ' ');
  }

  // Before element `index` of a container at `depth`.
  void open_element(unsigned depth, std::size_t index) {
    if (multiline) {
      newline(depth + 1);
    } else if (index != 0) {
      out += ", ";
    }
  }

  void close_element() {
    if (multiline) out += ',';
  }

  // After the elements of a non-empty container, before its closing mark.
  void close_container(unsigned depth) {
    if (multiline) newline(depth);
  }

  void render(const Value& v, unsigned depth) {
    using Shape = Value::Shape;
    switch (v.shape_) {
      case Shape::bare: out += v.text_; return;
      case Shape::text: append_quoted(out, v.text_); return;
      case Shape::list:
      case Shape::tuple: {
        const bool list = v.shape_ == Shape::list;
        if (!list) {
          out += v.text_;
          if (v.items_.empty()) return;
        }
        out += list ? '[' : '(';
        for (std::size_t i = 0; i < v.items_.size(); ++i) {
          open_element(depth, i);
          render(v.items_[i], depth + 1);
          close_element();
        }
        if (!v.items_.empty()) close_container(depth);
        out += list ? ']' : ')';
        return;
      }
      case Shape::map: {
        out += '{';
        for (std::size_t i = 0; i + 1 < v.items_.size(); i += 2) {
          open_element(depth, i);
          render(v.items_[i], depth + 1);
          out += ": ";
          render(v.items_[i + 1], depth + 1);
          close_element();
        }
        if (!v.items_.empty()) close_container(depth);
        out += '}';
        return;
      }
      case Shape::record: {
        out += v.text_;
        if (v.names_.empty()) return;
        out += multiline ? " {" : " { ";
        for (std::size_t i = 0; i < v.names_.size(); ++i) {
          open_element(depth, i);
          out += v.names_[i];
          out += ": ";
          render(v.items_[i], depth + 1);
          close_element();
        }
        if (multiline) {
          close_container(depth);
        } else {
          out += ' ';
        }
        out += '}';
        return;
      }
    }
  }
};

std::string pretty(const Value& v) {
  std::string out;
  Renderer{out, true}.render(v, 0);
  return out;
}

std::string compact(const Value& v) {
  std::string out;
  Renderer{out, false}.render(v, 0);
  return out;
}

std::string pretty_list(const std::vector<std::string>& texts) {
  std::string out = "[";
  for (const std::string& t : texts) {
    out += "\n    ";
    append_quoted(out, t);
    out += ',';
  }
  out += texts.empty() ? "]" : "\n]";
  return out;
}

}  // namespace vx::render
