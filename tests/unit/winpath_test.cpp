#include "core/winpath.hpp"

#include <gtest/gtest.h>

namespace {

TEST(WinPath, Parent) {
  struct Case {
    const char* path;
    const char* parent;  // nullptr: none
  } cases[] = {
      {"C:\\a\\b.txt", "C:\\a"},
      {"C:\\b.txt", "C:\\"},
      {"C:/a/b.txt", "C:/a"},
      {"C:\\a\\\\b.txt", "C:\\a"},
      {"C:\\a\\.\\b.txt", "C:\\a"},
      {"C:\\a\\..\\b.txt", "C:\\a\\.."},
      {"C:\\a\\b\\", "C:\\a"},
      {"a\\b.txt", "a"},
      {"b.txt", ""},
      {"C:b.txt", "C:"},
      {"E:\\Tools\\veltrix.exe", "E:\\Tools"},
      {"E:\\veltrix.exe", "E:\\"},
      {"\\\\?\\C:\\x\\veltrix.exe", "\\\\?\\C:\\x"},
      {"\\\\?\\C:\\veltrix.exe", "\\\\?\\C:\\"},
      {"\\\\?\\C:\\a/b", "\\\\?\\C:\\"},  // verbatim: the slash is part of the name
      {"\\\\server\\share\\x.exe", "\\\\server\\share\\"},
      {"\\\\?\\UNC\\server\\share\\d\\x.exe", "\\\\?\\UNC\\server\\share\\d"},
      {"\\\\.\\pipe\\x", "\\\\.\\pipe\\"},
      {"C:\\", nullptr},
      {"C:", nullptr},
      {"\\", nullptr},
      {"/", nullptr},
      {"", nullptr},
      {"\\\\server\\share\\", nullptr},
      {"\\\\?\\C:\\", nullptr},
  };
  for (const auto& c : cases) {
    const auto got = vx::winpath::parent(c.path);
    if (c.parent == nullptr) {
      EXPECT_FALSE(got.has_value()) << c.path << " -> " << *got;
    } else {
      ASSERT_TRUE(got.has_value()) << c.path;
      EXPECT_EQ(*got, c.parent) << c.path;
    }
  }
}

}  // namespace
