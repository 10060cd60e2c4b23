#include <gtest/gtest.h>

#include "xll/loaded_library.h"

namespace orra {
namespace {

TEST(LoadedLibraryWin32Test, ALoadedLibraryAnswersForItsOwnEntriesOnly) {
  std::unique_ptr<LoadedLibrary> kernel = PlatformLibraryLoader().Load(u"kernel32.dll");
  ASSERT_NE(kernel, nullptr);
  EXPECT_TRUE(kernel->HasEntry("GetProcAddress"));
  EXPECT_FALSE(kernel->HasEntry("Excel4v"));
}

TEST(LoadedLibraryWin32Test, AMissingLibraryIsNone) {
  EXPECT_EQ(PlatformLibraryLoader().Load(u"orra-no-such-library.dll"), nullptr);
}

}  // namespace
}  // namespace orra
