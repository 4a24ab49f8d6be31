// Link target ID list: building it from a path text, and its bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bytes.hpp"
#include "core/text.hpp"
#include "core/winpath.hpp"
#include "mslnk/link_target.hpp"

namespace mslnk {
namespace {

using bytes::put_u16;
using bytes::put_u32;
using bytes::put_u8;
using bytes::put_zeros;

constexpr std::size_t MAX_COUNT = 0xFFFF;  // every size field is 16 bits wide

// Root folder item: size 20, type 0x1F, sort index 0x50, then the CLSID of
// the shell's Computer folder {20D04FE0-3AEA-1069-A2D8-08002B30309D} in its
// mixed-endian GUID byte order.
constexpr std::array<std::uint8_t, 20> ROOT_FOLDER_ITEM = {
    0x14, 0x00, 0x1F, 0x50, 0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A,
    0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
static_assert(ROOT_FOLDER_ITEM[0] == ROOT_FOLDER_ITEM.size());

// Drive item: size, type 0x2F, the drive letter byte, ":\", then zeros.
namespace drive_item {
constexpr std::size_t SIZE = 25;
constexpr std::uint8_t TYPE = 0x2F;
constexpr std::size_t PATH_TEXT = 2 + 1 + 1 + 2;  // size, type, letter, ":\"
static_assert(SIZE - PATH_TEXT == 19);
}  // namespace drive_item

// File entry item: size(2) type(1) 0x00(1) zero(8) attributes(2), then the
// primary name (P bytes, not aligned) and the extension block (E bytes).
namespace file_entry {
constexpr std::size_t FIXED = 2 + 1 + 1 + 8 + 2;
static_assert(FIXED == 14);
constexpr std::uint8_t TYPE_ASCII_DIRECTORY = 0x31;
constexpr std::uint8_t TYPE_ASCII_FILE = 0x32;
constexpr std::uint8_t TYPE_WIDE_DIRECTORY = 0x35;
constexpr std::uint8_t TYPE_WIDE_FILE = 0x36;
constexpr std::uint16_t ATTR_DIRECTORY = 0x0010;
constexpr std::uint16_t ATTR_FILE = 0x0020;
}  // namespace file_entry

// Version-8 extension block: size(2) version(2) signature(4) zero(4)
// zero(4) 0x002A(2) zero(4), the name in UTF-16LE with its terminator
// (2u + 2), then a 16-bit tail that is the constant 0x0014 in every item
// (it is not the block's offset inside the item, which is 14 + P).
namespace extension {
constexpr std::size_t BEFORE_NAME = 2 + 2 + 4 + 4 + 4 + 2 + 4;
constexpr std::size_t TAIL = 2;
constexpr std::size_t FIXED = BEFORE_NAME + 2 /* name terminator */ + TAIL;
static_assert(FIXED == 26);  // E = 2u + 26
constexpr std::uint16_t VERSION = 0x0008;
constexpr std::uint32_t SIGNATURE = 0xBEEF0004;
constexpr std::uint16_t FIELD_2A = 0x002A;
constexpr std::uint16_t TAIL_VALUE = 0x0014;
}  // namespace extension

using vx::winpath::is_separator;

bool is_ascii(std::string_view name) {
  for (const char c : name)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// The names after the root: empty names (doubled or trailing separators)
// and "." are skipped; ".." is a name like any other.
std::vector<std::string_view> names_after_root(std::string_view path, std::size_t root_end) {
  std::vector<std::string_view> names;
  std::size_t pos = root_end;
  while (pos <= path.size()) {
    std::size_t end = pos;
    while (end < path.size() && !is_separator(path[end])) ++end;
    const std::string_view name = path.substr(pos, end - pos);
    if (!name.empty() && name != ".") names.push_back(name);
    pos = end + 1;
  }
  return names;
}

// The complete bytes of one file entry item, or nothing when the item would
// not fit its 16-bit size.
std::optional<std::vector<std::uint8_t>> file_entry_item(std::string_view name, bool is_file) {
  const std::u16string wide = vx::utf8_to_utf16(name);
  const bool ascii = is_ascii(name);
  const std::size_t primary = ascii ? name.size() + 1 : 2 * wide.size() + 2;
  const std::size_t ext_size = 2 * wide.size() + extension::FIXED;
  const std::size_t item_size = file_entry::FIXED + primary + ext_size;
  if (item_size > MAX_COUNT) return std::nullopt;

  std::vector<std::uint8_t> out;
  out.reserve(item_size);
  put_u16(out, static_cast<std::uint16_t>(item_size));
  if (ascii)
    put_u8(out, is_file ? file_entry::TYPE_ASCII_FILE : file_entry::TYPE_ASCII_DIRECTORY);
  else
    put_u8(out, is_file ? file_entry::TYPE_WIDE_FILE : file_entry::TYPE_WIDE_DIRECTORY);
  put_u8(out, 0x00);
  put_zeros(out, 8);
  put_u16(out, is_file ? file_entry::ATTR_FILE : file_entry::ATTR_DIRECTORY);
  if (ascii) {
    out.insert(out.end(), name.begin(), name.end());
    put_u8(out, 0x00);
  } else {
    bytes::put_utf16le(out, wide);
    put_u16(out, 0x0000);
  }

  put_u16(out, static_cast<std::uint16_t>(ext_size));
  put_u16(out, extension::VERSION);
  put_u32(out, extension::SIGNATURE);
  put_zeros(out, 4);
  put_zeros(out, 4);
  put_u16(out, extension::FIELD_2A);
  put_zeros(out, 4);
  bytes::put_utf16le(out, wide);
  put_u16(out, 0x0000);
  put_u16(out, extension::TAIL_VALUE);
  return out;
}

}  // namespace

Result<LinkTargetIDList> LinkTargetIDList::from_path(std::string_view path) {
  if (!vx::winpath::starts_with_drive_root(path))
    return MSLinkError::io("source path does not start with a drive letter and a root separator");
  const std::vector<std::string_view> names = names_after_root(path, 3);
  if (names.empty()) return MSLinkError::io("source path names nothing below its drive root");

  LinkTargetIDList list;
  list.items_.push_back(ItemID({ROOT_FOLDER_ITEM.begin(), ROOT_FOLDER_ITEM.end()}));

  std::vector<std::uint8_t> drive;
  put_u16(drive, drive_item::SIZE);
  put_u8(drive, drive_item::TYPE);
  put_u8(drive, static_cast<std::uint8_t>(path[0]));  // as typed: no case conversion
  put_u8(drive, ':');
  put_u8(drive, '\\');
  put_zeros(drive, drive_item::SIZE - drive_item::PATH_TEXT);
  list.items_.push_back(ItemID(std::move(drive)));

  std::size_t total = 2 + ROOT_FOLDER_ITEM.size() + drive_item::SIZE;
  for (std::size_t i = 0; i < names.size(); ++i) {
    auto item = file_entry_item(names[i], i + 1 == names.size());
    if (!item || (total += item->size()) > MAX_COUNT)
      return MSLinkError::io("source path is too long for a shell link ID list");
    list.items_.push_back(ItemID(std::move(*item)));
  }
  return list;
}

std::uint16_t LinkTargetIDList::id_list_size() const {
  std::size_t total = 2;
  for (const ItemID& item : items_) total += item.size();
  return static_cast<std::uint16_t>(total);
}

void LinkTargetIDList::encode(std::vector<std::uint8_t>& out) const {
  put_u16(out, id_list_size());
  for (const ItemID& item : items_) bytes::put_bytes(out, item.bytes());
  put_u16(out, 0x0000);  // TerminalID
}

}  // namespace mslnk
