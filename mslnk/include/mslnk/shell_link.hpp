// ShellLink: the description of one shortcut file, how it is built from the
// path of its target, and how it becomes bytes and a file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mslnk/error.hpp"
#include "mslnk/link_target.hpp"

namespace mslnk {

// LinkFlags bits this module reads or writes.
namespace link_flags {
inline constexpr std::uint32_t HAS_LINK_TARGET_ID_LIST = 0x00000001;
inline constexpr std::uint32_t HAS_LINK_INFO = 0x00000002;
inline constexpr std::uint32_t HAS_NAME = 0x00000004;
inline constexpr std::uint32_t HAS_RELATIVE_PATH = 0x00000008;
inline constexpr std::uint32_t HAS_WORKING_DIR = 0x00000010;
inline constexpr std::uint32_t HAS_ARGUMENTS = 0x00000020;
inline constexpr std::uint32_t HAS_ICON_LOCATION = 0x00000040;
inline constexpr std::uint32_t IS_UNICODE = 0x00000080;
// The bits owned by the string setters.
inline constexpr std::uint32_t STRING_BITS =
    HAS_NAME | HAS_RELATIVE_PATH | HAS_WORKING_DIR | HAS_ARGUMENTS | HAS_ICON_LOCATION;
}  // namespace link_flags

inline constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY_VALUE = 0x00000010;
inline constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL_VALUE = 0x00000080;

// The variable header values other than LinkFlags.
struct HeaderValues {
  std::uint32_t file_attributes = FILE_ATTRIBUTE_NORMAL_VALUE;
  std::uint64_t creation_time = 0;  // FILETIME
  std::uint64_t access_time = 0;
  std::uint64_t write_time = 0;
  std::uint32_t file_size = 0;
  std::int32_t icon_index = 0;
  std::uint16_t hot_key = 0;        // low byte the key, high byte the modifiers
  std::uint8_t show_command = 1;    // SW_SHOWNORMAL; written as 32 bits
};

// What the file system says about a link target, as construction uses it.
struct TargetMetadata {
  bool is_directory = false;  // a directory, links followed
  std::uint64_t size = 0;     // bytes, links followed
};

class ShellLink {
 public:
  // The initial description: LinkFlags IsUnicode only, FILE_ATTRIBUTE_NORMAL,
  // zero times and size, show command SW_SHOWNORMAL, no ID list, no strings.
  ShellLink() = default;

  // Builds the description of a shortcut to the file or directory `source`
  // (UTF-8, an absolute path with a drive letter). Reads the file system
  // (links followed) and writes nothing. Sources the ID list cannot name
  // (relative, drive-relative, rooted without drive, UNC, device and
  // verbatim forms, paths without a parent, reserved device names) are refused
  // before any file-system call. Windows only.
  static Result<ShellLink> from_target(std::string_view source);

  // The pure part of from_target: the description for `source` given what
  // the file system reported about it and its final path (the platform's
  // UTF-16 name of the target with links resolved; only its last component
  // is used). For a directory: attributes FILE_ATTRIBUTE_DIRECTORY and
  // nothing else. For a file: relative path "./" + last final component,
  // working dir the parent of `source` as written, file size (low 32 bits)
  // and the ID list of `source`. Applies the same refusals as from_target,
  // and refuses a final name that is not valid Unicode.
  static Result<ShellLink> from_metadata(std::string_view source, const TargetMetadata& metadata,
                                         std::u16string_view final_path);

  // Writes the shortcut file `target` (UTF-8): the bytes of to_bytes() go to
  // a new file beside `target` that then replaces it, so `target` either
  // keeps its old content or holds the whole new shortcut. On failure the
  // temporary file is removed. Windows only.
  [[nodiscard]] std::optional<MSLinkError> write_file(std::string_view target) const;

  // The complete file: the 76-byte header, the ID list when its bit is set,
  // then the strings whose bits are set, in the order name, relative path,
  // working dir, arguments, icon location; no ExtraData. Refused when
  // HasLinkInfo is set (no LinkInfo encoding exists) or a string needs more
  // than 65535 UTF-16 units; without IsUnicode, when a string is not ASCII.
  Result<std::vector<std::uint8_t>> to_bytes() const;

  // LinkFlags. The string bits always agree with the strings: they are set
  // and cleared by the string setters only, and set_link_flags() leaves
  // them as they are.
  std::uint32_t link_flags() const { return flags_; }
  void set_link_flags(std::uint32_t flags) {
    flags_ = (flags & ~link_flags::STRING_BITS) | (flags_ & link_flags::STRING_BITS);
  }

  HeaderValues& header() { return header_; }
  const HeaderValues& header() const { return header_; }

  // Replaces the list and sets HasLinkTargetIDList.
  void set_link_target_id_list(LinkTargetIDList list) {
    id_list_ = std::move(list);
    flags_ |= link_flags::HAS_LINK_TARGET_ID_LIST;
  }
  const LinkTargetIDList& link_target_id_list() const { return id_list_; }

  // Storing a text sets the string's bit, storing nothing clears it; any
  // earlier value is replaced.
  void set_name(std::optional<std::string> v) { set(name_, std::move(v), link_flags::HAS_NAME); }
  void set_relative_path(std::optional<std::string> v) {
    set(relative_path_, std::move(v), link_flags::HAS_RELATIVE_PATH);
  }
  void set_working_dir(std::optional<std::string> v) {
    set(working_dir_, std::move(v), link_flags::HAS_WORKING_DIR);
  }
  void set_arguments(std::optional<std::string> v) {
    set(arguments_, std::move(v), link_flags::HAS_ARGUMENTS);
  }
  void set_icon_location(std::optional<std::string> v) {
    set(icon_location_, std::move(v), link_flags::HAS_ICON_LOCATION);
  }
  const std::optional<std::string>& name() const { return name_; }
  const std::optional<std::string>& relative_path() const { return relative_path_; }
  const std::optional<std::string>& working_dir() const { return working_dir_; }
  const std::optional<std::string>& arguments() const { return arguments_; }
  const std::optional<std::string>& icon_location() const { return icon_location_; }

 private:
  void set(std::optional<std::string>& slot, std::optional<std::string> v, std::uint32_t bit) {
    flags_ = v ? (flags_ | bit) : (flags_ & ~bit);
    slot = std::move(v);
  }

  std::uint32_t flags_ = link_flags::IS_UNICODE;
  HeaderValues header_;
  LinkTargetIDList id_list_;
  std::optional<std::string> name_;
  std::optional<std::string> relative_path_;
  std::optional<std::string> working_dir_;
  std::optional<std::string> arguments_;
  std::optional<std::string> icon_location_;
};

}  // namespace mslnk
