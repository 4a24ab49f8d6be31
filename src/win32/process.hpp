// Creating the Java process.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/io_error.hpp"
#include "win32/handle.hpp"

namespace vx::win32 {

struct SpawnResult {
  UniqueKernel process;          // owned by the caller, who closes it
  UniqueKernel thread;           // likewise
  std::optional<IoError> error;  // set when nothing was started
};

// Starts `program` (an absolute path ending in .exe, used without any
// search) with `args` quoted by the Windows rules, in `working_dir`, with
// the launcher's environment and inheritable duplicates of its standard
// handles. Fails with "program path has no file name" or "nul byte found in
// provided data" (InvalidInput) or the system's error; no error leaves a
// handle open.
SpawnResult spawn_child(std::string_view program, const std::vector<std::string>& args,
                        std::string_view working_dir);

}  // namespace vx::win32
