// ShellLink: construction from what the platform reports, and the bytes of
// the shortcut file.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bytes.hpp"
#include "core/text.hpp"
#include "core/winpath.hpp"
#include "mslnk/log.hpp"
#include "mslnk/paths.hpp"
#include "mslnk/shell_link.hpp"

namespace mslnk {
namespace {

// ShellLinkHeader: 76 bytes, every field little-endian.
struct Field {
  std::size_t offset;
  std::size_t width;
};
namespace header {
constexpr std::size_t LENGTH = 0x4C;
constexpr Field HEADER_SIZE{0, 4};       // 0x4C
constexpr Field LINK_CLSID{4, 16};       // {00021401-0000-0000-C000-000000000046}
constexpr Field LINK_FLAGS{20, 4};
constexpr Field FILE_ATTRIBUTES{24, 4};
constexpr Field CREATION_TIME{28, 8};    // FILETIME
constexpr Field ACCESS_TIME{36, 8};
constexpr Field WRITE_TIME{44, 8};
constexpr Field FILE_SIZE{52, 4};
constexpr Field ICON_INDEX{56, 4};       // signed
constexpr Field SHOW_COMMAND{60, 4};     // an 8-bit value widened
constexpr Field HOT_KEY{64, 2};
constexpr Field RESERVED1{66, 2};
constexpr Field RESERVED2{68, 4};
constexpr Field RESERVED3{72, 4};
constexpr std::array ALL = {HEADER_SIZE,  LINK_CLSID, LINK_FLAGS, FILE_ATTRIBUTES, CREATION_TIME,
                            ACCESS_TIME,  WRITE_TIME, FILE_SIZE,  ICON_INDEX,      SHOW_COMMAND,
                            HOT_KEY,      RESERVED1,  RESERVED2,  RESERVED3};
// The fields follow each other without gaps and fill the header exactly.
consteval bool fields_tile_header() {
  std::size_t at = 0;
  for (const Field f : ALL) {
    if (f.offset != at) return false;
    at += f.width;
  }
  return at == LENGTH;
}
static_assert(fields_tile_header());
constexpr std::array<std::uint8_t, 16> CLSID_BYTES = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                      0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
static_assert(CLSID_BYTES.size() == LINK_CLSID.width);
}  // namespace header

constexpr std::size_t MAX_STRING_UNITS = 0xFFFF;  // CountCharacters is 16 bits wide

void store(std::span<std::uint8_t> block, Field f, std::uint64_t value) {
  bytes::store_le(block, f.offset, value, f.width);
}

std::array<std::uint8_t, header::LENGTH> encode_header(std::uint32_t flags, const HeaderValues& h) {
  std::array<std::uint8_t, header::LENGTH> b{};  // reserved fields stay zero
  store(b, header::HEADER_SIZE, header::LENGTH);
  std::copy(header::CLSID_BYTES.begin(), header::CLSID_BYTES.end(),
            b.begin() + header::LINK_CLSID.offset);
  store(b, header::LINK_FLAGS, flags);
  store(b, header::FILE_ATTRIBUTES, h.file_attributes);
  store(b, header::CREATION_TIME, h.creation_time);
  store(b, header::ACCESS_TIME, h.access_time);
  store(b, header::WRITE_TIME, h.write_time);
  store(b, header::FILE_SIZE, h.file_size);
  store(b, header::ICON_INDEX, static_cast<std::uint32_t>(h.icon_index));
  store(b, header::SHOW_COMMAND, h.show_command);
  store(b, header::HOT_KEY, h.hot_key);
  return b;
}

// The StringData entries, in file order, with the debug record each gets.
struct StringEntry {
  std::uint32_t bit;
  const std::optional<std::string>& (ShellLink::*get)() const;
  std::string_view record;
  std::string_view what;  // for refusals
};
constexpr std::array<StringEntry, 5> STRING_ENTRIES = {{
    {link_flags::HAS_NAME, &ShellLink::name, "Name is marked as present. Writing.", "name"},
    {link_flags::HAS_RELATIVE_PATH, &ShellLink::relative_path,
     "Relative path is marked as present. Writing.", "relative path"},
    {link_flags::HAS_WORKING_DIR, &ShellLink::working_dir,
     "Working dir is marked as present. Writing.", "working dir"},
    {link_flags::HAS_ARGUMENTS, &ShellLink::arguments,
     "Arguments are marked as present. Writing.", "arguments"},
    {link_flags::HAS_ICON_LOCATION, &ShellLink::icon_location,
     "Icon Location is marked as present. Writing.", "icon location"},
}};

// One StringData entry: a 16-bit count of characters, then the text, as
// UTF-16LE code units (a character beyond U+FFFF counts 2) or, without
// IsUnicode, one byte per character. No terminator.
std::optional<MSLinkError> encode_string(std::vector<std::uint8_t>& out, std::string_view text,
                                         bool unicode, std::string_view what) {
  if (!unicode) {
    for (const char c : text)
      if (static_cast<unsigned char>(c) >= 0x80)
        return MSLinkError::io("the " + std::string(what) +
                               " is not ASCII and the shortcut is not marked as Unicode");
    if (text.size() > MAX_STRING_UNITS)
      return MSLinkError::io("the " + std::string(what) + " is too long for a shell link string");
    bytes::put_u16(out, static_cast<std::uint16_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
    return std::nullopt;
  }
  const std::u16string units = vx::utf8_to_utf16(text);
  if (units.size() > MAX_STRING_UNITS)
    return MSLinkError::io("the " + std::string(what) + " is too long for a shell link string");
  bytes::put_u16(out, static_cast<std::uint16_t>(units.size()));
  bytes::put_utf16le(out, units);
  return std::nullopt;
}

}  // namespace

Result<ShellLink> ShellLink::from_metadata(std::string_view source, const TargetMetadata& metadata,
                                           std::u16string_view final_path) {
  if (auto refused = paths::refuse_source(source)) return std::move(*refused);

  ShellLink link;
  if (metadata.is_directory) {
    link.header().file_attributes = FILE_ATTRIBUTE_DIRECTORY_VALUE;
    return link;
  }

  std::optional<std::string> name = paths::final_name(final_path);
  if (!name) return MSLinkError::io(std::string(paths::refusal::FINAL_NAME_NOT_UNICODE));
  Result<LinkTargetIDList> list = LinkTargetIDList::from_path(source);
  if (!list) return std::move(list).error();

  link.set_link_target_id_list(std::move(list).value());
  // The relative path comes from the name on disk (its case, the target of
  // a link), the working dir from the text as the caller wrote it.
  link.set_relative_path("./" + *name);
  link.set_working_dir(std::string(*vx::winpath::parent(source)));
  link.header().file_size = static_cast<std::uint32_t>(metadata.size);  // low 32 bits
  return link;
}

Result<std::vector<std::uint8_t>> ShellLink::to_bytes() const {
  // Refusals come first, so that a refused description leaves no trace.
  if (flags_ & link_flags::HAS_LINK_INFO)
    return MSLinkError::io("the shortcut is marked as having LinkInfo, which cannot be written");

  std::vector<std::uint8_t> out;
  log::debug("Writing header...");
  const auto head = encode_header(flags_, header_);
  out.insert(out.end(), head.begin(), head.end());

  if (flags_ & link_flags::HAS_LINK_TARGET_ID_LIST) id_list_.encode(out);

  const bool unicode = (flags_ & link_flags::IS_UNICODE) != 0;
  for (const StringEntry& e : STRING_ENTRIES) {
    if (!(flags_ & e.bit)) continue;
    log::debug(e.record);
    // The string setters keep every set bit backed by a text.
    if (auto failed = encode_string(out, *(this->*e.get)(), unicode, e.what)) return std::move(*failed);
  }
  return out;
}

}  // namespace mslnk
