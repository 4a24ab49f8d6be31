// The link target ID list: the shell item identifiers that name a shortcut's
// target from the shell's Computer folder down to the file.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "mslnk/error.hpp"

namespace mslnk {

// One shell item identifier, held as its complete byte string: the first two
// bytes are its ItemIDSize (little-endian), which always equals the length of
// the string; the item's Data are the bytes after them.
class ItemID {
 public:
  std::span<const std::uint8_t> bytes() const { return bytes_; }
  std::span<const std::uint8_t> data() const { return bytes().subspan(2); }
  std::uint16_t size() const { return static_cast<std::uint16_t>(bytes_.size()); }

 private:
  friend class LinkTargetIDList;
  explicit ItemID(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::vector<std::uint8_t> bytes_;
};

class LinkTargetIDList {
 public:
  // An empty list: no items.
  LinkTargetIDList() = default;

  // The list for an absolute path with a drive letter (C:\a\b.txt): the root
  // folder item, a drive item carrying the path's first byte unchanged, then
  // one file entry item per name, directories for every name but the last,
  // which is the file. Backslash and slash both separate; empty and "."
  // names are skipped, ".." is kept as a name. The file system is not
  // consulted. Refused (kind "io") when the path does not start with a drive
  // letter, a colon and a separator, names nothing after the root, or needs
  // more than the 16-bit sizes of an item or of the list can count.
  static Result<LinkTargetIDList> from_path(std::string_view path);

  const std::vector<ItemID>& items() const { return items_; }

  // 2 (the terminal ID) plus the sizes of all items; 2 for an empty list.
  // from_path guarantees it fits in 16 bits.
  std::uint16_t id_list_size() const;

  // Appends the encoding: IDListSize, each item, then the 2-byte terminal
  // ID, 2 + id_list_size() bytes in all.
  void encode(std::vector<std::uint8_t>& out) const;

 private:
  std::vector<ItemID> items_;
};

}  // namespace mslnk
