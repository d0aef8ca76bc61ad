// Loading and unloading the kernel library builds and frees the grid
// classes' process-wide objects (the sanitizers report any leak at exit).
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(KernelLibrary, LoadsAndUnloadsTwice) {
  const std::filesystem::path lib = std::filesystem::path(RIGEL_BUILD_ROOT) / "bin" / "libTovik.so";
  ASSERT_TRUE(std::filesystem::exists(lib)) << lib;
  for (int round = 0; round < 2; ++round) {
    void* handle = dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    EXPECT_EQ(dlclose(handle), 0) << dlerror();
  }
}

}  // namespace
