// Anchor for the platform library; the conversions are inline in wide.hpp.
#include "win32/wide.hpp"
