#include "launcher/windows_native.hpp"

#include "core/render.hpp"
#include "mslnk/shell_link.hpp"
#include "win32/diag.hpp"

namespace vx {

void create_link(std::string_view source, std::string_view target) {
  namespace texts = windows_native_texts;
  auto link = mslnk::ShellLink::from_target(source);
  if (!link) {
    diag::trace(texts::TRACE_FROM_TARGET, render::pretty(mslnk::to_value(link.error())));
    return;
  }
  if (const auto e = link.value().write_file(target)) {
    diag::trace(texts::TRACE_WRITE_FILE, render::pretty(mslnk::to_value(*e)));
    return;
  }
  diag::notice(diag::Stream::out, texts::NOTICE_CREATED);
}

}  // namespace vx
