// Values fixed when the launcher is built.
#pragma once

namespace vx::build {

// Md5Hex of the application archive this launcher accepts: 32 lowercase
// hexadecimal digits. Defined per executable (build_config.cpp), so a test
// build can stamp the digest of its own fixture archive.
extern const char EXPECTED_JAR_MD5[];

}  // namespace vx::build
