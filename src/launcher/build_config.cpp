#include "launcher/build_config.hpp"

namespace vx::build {

// VELTRIX_EXPECTED_JAR_MD5 comes from the build (veltrix_add_launcher).
const char EXPECTED_JAR_MD5[] = VELTRIX_EXPECTED_JAR_MD5;

}  // namespace vx::build
