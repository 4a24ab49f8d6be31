// ShellLink on the file system: reading what a target is, and writing the
// shortcut file so that it is never left half-written.

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/io_error.hpp"
#include "mslnk/paths.hpp"
#include "mslnk/shell_link.hpp"
#include "win32/fs.hpp"
#include "win32/handle.hpp"
#include "win32/syserr.hpp"
#include "win32/wide.hpp"

namespace mslnk {
namespace {

using vx::win32::UniqueFile;

MSLinkError last_error() { return MSLinkError::from(vx::win32::last_os_error()); }

// The path for the system, or the I/O layer's refusal of a NUL inside it
// (the system would silently cut the text there). A path too long for the
// classic rules gets its extended-length form.
Result<std::wstring> system_path(std::string_view text) {
  if (text.find('\0') != std::string_view::npos)
    return MSLinkError::from(vx::IoError::with_message(
        vx::ErrorKind::InvalidInput, "strings passed to WinAPI cannot contain NULs"));
  vx::win32::WidePath wide = vx::win32::long_path_form(vx::win32::to_wide(text));
  if (wide.error) return MSLinkError::from(*wide.error);
  return std::move(wide.path);
}

// A directory, links followed. The handle is of the final target, so a
// reparse point left on it is not a link (those were followed) unless it is
// one the system could not follow; only symbolic links and junctions count
// as links here.
Result<bool> is_directory(HANDLE h, DWORD attributes) {
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag)) return last_error();
  return tag.ReparseTag != IO_REPARSE_TAG_SYMLINK && tag.ReparseTag != IO_REPARSE_TAG_MOUNT_POINT;
}

// The target's final path with links resolved, as the system gives it
// (\\?\C:\a\b.txt).
Result<std::u16string> final_path(HANDLE h) {
  vx::win32::WidePath final = vx::win32::read_path([h](wchar_t* buf, DWORD size) {
    return GetFinalPathNameByHandleW(h, buf, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  });
  if (final.error) return MSLinkError::from(*final.error);
  return vx::win32::as_u16(final.path);
}

// A name for the temporary file in the target's directory. Created with
// CREATE_NEW, so a name already taken is never reused.
std::string temporary_name(std::string_view target, unsigned attempt) {
  static const char HEX[] = "0123456789abcdef";
  std::string name(paths::directory_prefix(target));
  name += "~veltrix-";
  for (DWORD v = GetCurrentProcessId(), i = 0; i < 8; ++i) name += HEX[(v >> (28 - 4 * i)) & 0xF];
  name += '-';
  name += std::to_string(GetTickCount64() % 1000000 + attempt);
  name += ".tmp";
  return name;
}

bool write_all(HANDLE h, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

Result<ShellLink> ShellLink::from_target(std::string_view source) {
  // On the text alone, before anything touches the file system: a UNC
  // source must never be opened.
  if (auto refused = paths::refuse_source(source)) return std::move(*refused);
  Result<std::wstring> path = system_path(source);
  if (!path) return std::move(path).error();

  // No access rights are needed for the metadata and the final name;
  // backup semantics let a directory open; links are followed.
  const UniqueFile file(CreateFileW(path.value().c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return last_error();
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.get(), &info)) return last_error();
  Result<bool> directory = is_directory(file.get(), info.dwFileAttributes);
  if (!directory) return std::move(directory).error();
  Result<std::u16string> final = final_path(file.get());
  if (!final) return std::move(final).error();

  const TargetMetadata metadata{
      directory.value(), (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow};
  return from_metadata(source, metadata, final.value());
}

std::optional<MSLinkError> ShellLink::write_file(std::string_view target) const {
  // Everything that can be refused is refused before a file exists.
  Result<std::vector<std::uint8_t>> bytes = to_bytes();
  if (!bytes) return std::move(bytes).error();
  Result<std::wstring> target_path = system_path(target);
  if (!target_path) return std::move(target_path).error();

  // The whole shortcut goes to a new file beside the target, which then
  // replaces the target in one step: whatever fails, the target holds
  // either its old content or the complete new shortcut.
  std::wstring temp;
  UniqueFile file;
  for (unsigned attempt = 0; !file; ++attempt) {
    Result<std::wstring> name = system_path(temporary_name(target, attempt));
    if (!name) return std::move(name).error();
    temp = std::move(name).value();
    file.reset(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD code = GetLastError();
      if ((code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) || attempt == 15)
        return MSLinkError::from(vx::win32::os_error(code));
    }
  }

  const auto fail = [&](DWORD code) {
    file.reset();
    DeleteFileW(temp.c_str());
    return MSLinkError::from(vx::win32::os_error(code));
  };
  if (!write_all(file.get(), bytes.value())) return fail(GetLastError());
  // On the disk before the rename makes it the target.
  if (!FlushFileBuffers(file.get())) return fail(GetLastError());
  if (!CloseHandle(file.release())) return fail(GetLastError());
  if (!MoveFileExW(temp.c_str(), target_path.value().c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return fail(GetLastError());
  return std::nullopt;
}

}  // namespace mslnk
