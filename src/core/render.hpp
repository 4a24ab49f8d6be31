// Renderings of the values that trace lines and fatal errors show.
//
// Two renderings exist: pretty, spread over several lines with four spaces
// per level of indentation (trace lines), and compact, on one line (the
// detail of a fatal error). A text renders the same in both: quoted, with
// escapes. Nothing here writes output; every function returns text.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace vx::render {

// Appends the quoted rendering of a UTF-8 text: a double quote; then each
// character as itself, except \0 \t \n \r \" and \\ for NUL, tab, line feed,
// carriage return, double quote and backslash, and \u{hex} (lowercase, no
// leading zeros) for a Grapheme_Extend or not printable character; then a
// double quote. A single quote stays as it is. The text must be valid UTF-8.
void append_quoted(std::string& out, std::string_view text);

// The quoted rendering of a text, as above.
std::string quote(std::string_view text);

// A value to render: built once from the builders below, then handed to
// pretty() or compact().
class Value {
 public:
  // A quoted text.
  static Value text(std::string_view text);
  // An integer in decimal.
  template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>)
  static Value integer(T v) {
    if constexpr (std::is_signed_v<T>)
      return bare(std::to_string(static_cast<long long>(v)));
    else
      return bare(std::to_string(static_cast<unsigned long long>(v)));
  }
  // A name written as it is, without quotes: an error kind, "None", or a
  // record that has no fields.
  static Value name(std::string_view name);
  // An empty list; add elements with push().
  static Value list();
  // A list of integers, one per byte, each in decimal.
  static Value bytes(std::string_view bytes);
  // An empty map; add entries with entry(), in the map's own order.
  static Value map();
  // A record with named fields; add them with field(), in declaration order.
  // Without fields it renders as its name alone.
  static Value record(std::string_view name);
  // A tuple record: name(values...); add the values with push().
  static Value tuple(std::string_view name);
  // The optional value Some(v), and its absence None.
  static Value some(Value v);
  static Value none();

  Value& push(Value element) &;
  Value&& push(Value element) && { return std::move(push(std::move(element))); }
  Value& entry(Value key, Value value) &;
  Value&& entry(Value key, Value value) && { return std::move(entry(std::move(key), std::move(value))); }
  Value& field(std::string_view name, Value value) &;
  Value&& field(std::string_view name, Value value) && { return std::move(field(name, std::move(value))); }

 private:
  enum class Shape : unsigned char { bare, text, list, map, record, tuple };

  Value() = default;
  Value(Shape shape, std::string_view text) : shape_(shape), text_(text) {}
  static Value bare(std::string text);

  Shape shape_ = Shape::bare;
  std::string text_;                 // bare: the text; text: the raw text; record, tuple: the name
  std::vector<std::string> names_;   // record: the field names
  std::vector<Value> items_;         // list, tuple: the elements; map: key, value, key, value, ...;
                                     // record: the field values

  friend struct Renderer;
};

// The multi-line rendering:
//   list    [] or "[\n" + per element: 4 spaces, element, ",\n" + "]"
//   map     {} or "{\n" + per entry: 4 spaces, key, ": ", value, ",\n" + "}"
//   record  Name, or "Name {\n" + per field: 4 spaces, field, ": ", value, ",\n" + "}"
//   tuple   Name, or "Name(\n" + per value: 4 spaces, value, ",\n" + ")"
// Every line feed inside a nested element is followed by four more spaces.
std::string pretty(const Value& v);

// The one-line rendering: [a, b], {k: v}, Name { f: v, g: w }, Name(a, b),
// Some(v), None; integers in decimal; names bare; texts quoted.
std::string compact(const Value& v);

// Shorthands for the values that trace lines show most.

// Pretty rendering of a list of texts.
std::string pretty_list(const std::vector<std::string>& texts);

// Pretty rendering of a map from text to text, given as any range of pairs
// (first: key, second: value) in the map's own iteration order.
template <class Entries>
std::string pretty_map(const Entries& entries) {
  std::string out = "{";
  bool any = false;
  for (const auto& [key, value] : entries) {
    out += "\n    ";
    append_quoted(out, key);
    out += ": ";
    append_quoted(out, value);
    out += ',';
    any = true;
  }
  out += any ? "\n}" : "}";
  return out;
}

}  // namespace vx::render
