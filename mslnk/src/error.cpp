#include "mslnk/error.hpp"

namespace mslnk {

vx::render::Value to_value(const MSLinkError& e) {
  return vx::render::Value::record("MSLinkError")
      .field("kind", vx::render::Value::text(e.kind))
      .field("message", vx::render::Value::text(e.message));
}

}  // namespace mslnk
