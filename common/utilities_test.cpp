#include "common/utilities.h"

#include <gtest/gtest.h>

#include <string>

namespace orra {
namespace {

// The process's directory is process-wide: the case holds whichever way the process started
// (filled by StartUtilities or still empty), and leaves a filled one behind either way.
TEST(UtilitiesTest, AdoptExecutableDirectoryFillsOnlyAnEmptyOneAndRefusesUnusableDirectories) {
  const std::u16string before = ProcessExecutableDirectory();
  EXPECT_FALSE(AdoptExecutableDirectory(std::u16string(261, u'a'))) << "longer than a Windows path";
  EXPECT_FALSE(AdoptExecutableDirectory(u""));
  EXPECT_EQ(ProcessExecutableDirectory(), before);

  const std::u16string module = u"C:\\Addin\\";
  EXPECT_EQ(AdoptExecutableDirectory(module), before.empty());
  const std::u16string filled = ProcessExecutableDirectory();
  EXPECT_EQ(filled, before.empty() ? module : before);

  EXPECT_FALSE(AdoptExecutableDirectory(u"D:\\Other\\")) << "a filled directory is kept";
  EXPECT_EQ(ProcessExecutableDirectory(), filled);
}

}  // namespace
}  // namespace orra
