// Prints the contents of a raw version resource (VS_VERSIONINFO, as
// `wrestool -x --raw -t 16` extracts it) one value a line, in UTF-8:
//
//   FixedFileVersion=1.0.3.0
//   FixedProductVersion=1.0.3.0
//   StringFileInfo/040904b0/ProductName=veltrix
//   VarFileInfo/Translation=0409 04b0
//
// Exits with 1 and a message on standard error when the bytes do not form
// a version record. Runs on the build machine, so it reads the little-endian
// layout byte by byte and needs no Windows header.
//
// Layout of every block: WORD wLength (whole block, bytes), WORD
// wValueLength, WORD wType (1 text, 0 binary), the key as NUL-terminated
// UTF-16, padding to a 4-byte boundary, the value, padding to a 4-byte
// boundary, then the child blocks up to wLength. Offsets are aligned
// relative to the start of the resource.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr uint32_t FIXED_SIGNATURE = 0xFEEF04BD;
constexpr size_t FIXED_SIZE = 52;  // VS_FIXEDFILEINFO: 13 DWORDs

struct Bad {
  std::string what;
};

class Reader {
 public:
  explicit Reader(std::vector<uint8_t> bytes) : b_(std::move(bytes)) {}

  uint16_t u16(size_t at) const {
    need(at, 2);
    return static_cast<uint16_t>(b_[at] | b_[at + 1] << 8);
  }
  uint32_t u32(size_t at) const { return static_cast<uint32_t>(u16(at)) | static_cast<uint32_t>(u16(at + 2)) << 16; }
  size_t size() const { return b_.size(); }

  // UTF-16LE text from `at` up to a NUL or `end`, as UTF-8; `next` is set
  // past the NUL.
  std::string text(size_t at, size_t end, size_t& next) const {
    std::u32string code_points;
    size_t i = at;
    for (; i + 2 <= end; i += 2) {
      uint32_t u = u16(i);
      if (u == 0) {
        i += 2;
        break;
      }
      if (u >= 0xD800 && u < 0xDC00 && i + 4 <= end && (u16(i + 2) & 0xFC00) == 0xDC00) {
        u = 0x10000 + ((u - 0xD800) << 10) + (u16(i + 2) - 0xDC00);
        i += 2;
      } else if (u >= 0xD800 && u < 0xE000) {
        throw Bad{"unpaired surrogate in text at offset " + std::to_string(i)};
      }
      code_points.push_back(u);
    }
    next = i;
    std::string out;
    for (char32_t c : code_points) {
      if (c < 0x80) {
        out += static_cast<char>(c);
      } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    return out;
  }

  void need(size_t at, size_t n) const {
    if (at + n > b_.size()) throw Bad{"record ends early at offset " + std::to_string(at)};
  }

 private:
  std::vector<uint8_t> b_;
};

size_t align4(size_t at) { return (at + 3) & ~size_t{3}; }

struct Block {
  std::string key;
  uint16_t type = 0;
  uint16_t value_length = 0;
  size_t value_at = 0;
  size_t children_at = 0;
  size_t end = 0;
};

Block read_block(const Reader& r, size_t at, size_t limit) {
  Block b;
  const uint16_t length = r.u16(at);
  b.value_length = r.u16(at + 2);
  b.type = r.u16(at + 4);
  if (length < 6 || at + length > limit) throw Bad{"block length out of range at offset " + std::to_string(at)};
  b.end = at + length;
  size_t after_key = 0;
  b.key = r.text(at + 6, b.end, after_key);
  b.value_at = align4(after_key);
  const size_t value_bytes = b.type == 1 ? size_t{b.value_length} * 2 : b.value_length;
  b.children_at = std::min(align4(b.value_at + value_bytes), b.end);
  return b;
}

std::string hex4(uint16_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04x", v);
  return buf;
}

std::string version(uint32_t ms, uint32_t ls) {
  return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." + std::to_string(ls >> 16) + "." +
         std::to_string(ls & 0xFFFF);
}

void dump(const Reader& r) {
  const Block root = read_block(r, 0, r.size());
  if (root.key != "VS_VERSION_INFO") throw Bad{"root key is \"" + root.key + "\""};
  if (root.value_length != FIXED_SIZE) throw Bad{"fixed part is " + std::to_string(root.value_length) + " bytes"};
  r.need(root.value_at, FIXED_SIZE);
  if (r.u32(root.value_at) != FIXED_SIGNATURE) throw Bad{"fixed part has no 0xFEEF04BD signature"};
  std::cout << "FixedFileVersion=" << version(r.u32(root.value_at + 8), r.u32(root.value_at + 12)) << "\n";
  std::cout << "FixedProductVersion=" << version(r.u32(root.value_at + 16), r.u32(root.value_at + 20)) << "\n";

  for (size_t at = root.children_at; at < root.end; ) {
    const Block info = read_block(r, at, root.end);
    if (info.key == "StringFileInfo") {
      for (size_t t = info.children_at; t < info.end; ) {
        const Block table = read_block(r, t, info.end);
        for (size_t s = table.children_at; s < table.end; ) {
          const Block str = read_block(r, s, table.end);
          // The value runs to the block's end; wValueLength is not counted
          // the same way by every resource compiler.
          size_t ignored = 0;
          const std::string value = str.value_at < str.end ? r.text(str.value_at, str.end, ignored) : "";
          std::cout << "StringFileInfo/" << table.key << "/" << str.key << "=" << value << "\n";
          s = align4(str.end);
        }
        t = align4(table.end);
      }
    } else if (info.key == "VarFileInfo") {
      for (size_t v = info.children_at; v < info.end; ) {
        const Block var = read_block(r, v, info.end);
        std::cout << "VarFileInfo/" << var.key << "=";
        for (size_t i = 0; i + 4 <= var.value_length; i += 4) {
          std::cout << (i ? " " : "") << hex4(r.u16(var.value_at + i)) << " " << hex4(r.u16(var.value_at + i + 2));
        }
        std::cout << "\n";
        v = align4(var.end);
      }
    } else {
      throw Bad{"unknown block \"" + info.key + "\""};
    }
    at = align4(info.end);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " <raw version resource>\n";
    return 2;
  }
  std::ifstream f(argv[1], std::ios::binary);
  if (!f) {
    std::cerr << "cannot open " << argv[1] << "\n";
    return 2;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  try {
    dump(Reader(std::move(bytes)));
  } catch (const Bad& e) {
    std::cerr << argv[1] << ": not a version record: " << e.what << "\n";
    return 1;
  }
  return 0;
}
