// The module's logging facade. The writer hands it debug records (target
// "mslnk"); the facade passes a record on only when its maximum level admits
// the record's level and a sink is installed. The launcher installs no sink
// and leaves the level at off, so no record is ever formatted or output, and
// nothing the module writes depends on the facade.
#pragma once

#include <string_view>

namespace mslnk::log {

enum class Level : int { off = 0, error, warn, info, debug, trace };

struct Record {
  Level level;
  std::string_view target;
  std::string_view message;
};

using Sink = void (*)(const Record&);

// Process-wide. Initially no sink and level off. Safe to call from any thread.
void install(Sink sink, Level max_level);

// Hands a debug record with the target "mslnk" to the sink, if admitted.
void debug(std::string_view message);

}  // namespace mslnk::log
