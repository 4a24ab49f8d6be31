#include "mslnk/error.hpp"

#include <gtest/gtest.h>

namespace {

TEST(MSLinkError, CarriesTheIoErrorTextAndRendersOverFourLines) {
  const auto e = mslnk::MSLinkError::from(
      vx::IoError::os(3, "The system cannot find the path specified."));
  EXPECT_EQ(e.kind, "io");
  EXPECT_EQ(e.message, "The system cannot find the path specified. (os error 3)");
  EXPECT_EQ(vx::render::pretty(mslnk::to_value(e)),
            "MSLinkError {\n"
            "    kind: \"io\",\n"
            "    message: \"The system cannot find the path specified. (os error 3)\",\n"
            "}");
  // The message is quoted like any text: a path in it shows doubled backslashes.
  EXPECT_EQ(vx::render::pretty(mslnk::to_value(mslnk::MSLinkError::io("C:\\x \"y\""))),
            "MSLinkError {\n    kind: \"io\",\n    message: \"C:\\\\x \\\"y\\\"\",\n}");
}

}  // namespace
