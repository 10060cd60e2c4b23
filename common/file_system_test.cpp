#include "common/file_system.h"

#include <gtest/gtest.h>

#include "testing/literal_bytes.h"
#include "testing/scratch_folder.h"

namespace orra {
namespace {

// The platform's files, except that the temporary copy dies halfway (a full disk, a crash)
// or the platform refuses to put it in place.
class FailingFileSystem : public FileSystem {
 public:
  bool fail_temporary_write = false;
  bool refuse_replace = false;

  std::optional<std::vector<uint8_t>> ReadAll(const std::u16string& path, Access access) override {
    return real_.ReadAll(path, access);
  }
  std::optional<std::u16string> WriteTemporaryBeside(const std::u16string& target, std::span<const uint8_t> bytes) override {
    if (!fail_temporary_write) return real_.WriteTemporaryBeside(target, bytes);
    // Half the bytes reach the disk, then the write fails; the real adapter cleans up after
    // itself, which the partial copy left behind here shows is needed.
    const std::optional<std::u16string> partial = real_.WriteTemporaryBeside(target, bytes.first(bytes.size() / 2));
    if (partial) real_.Remove(*partial);
    return std::nullopt;
  }
  bool Replace(const std::u16string& source, const std::u16string& target) override {
    return !refuse_replace && real_.Replace(source, target);
  }
  bool WriteInPlace(const std::u16string& path, std::span<const uint8_t> bytes) override {
    ++in_place_writes;
    return real_.WriteInPlace(path, bytes);
  }
  bool Remove(const std::u16string& path) override { return real_.Remove(path); }

  int in_place_writes = 0;

 private:
  FileSystem& real_ = PlatformFileSystem();
};

class ReplaceFileContentTest : public ::testing::Test {
 protected:
  std::u16string Target() const { return folder_.directory() + u"locache\\system\\0000000038.orrarpt"; }
  testing::ScratchFolder folder_;
  FailingFileSystem files_;
  const std::vector<uint8_t> old_ = testing::BytesOf("the terminal's old file");
  const std::vector<uint8_t> new_ = testing::BytesOf("the rewritten file, longer than the old one");
};

TEST_F(ReplaceFileContentTest, ReplacesTheFileAndLeavesNothingBeside) {
  folder_.Write(u"locache/system/0000000038.orrarpt", old_);
  ASSERT_TRUE(ReplaceFileContent(files_, Target(), new_));
  EXPECT_EQ(folder_.Read(u"locache/system/0000000038.orrarpt"), new_);
  EXPECT_EQ(folder_.FilesBeside(u"locache/system/0000000038.orrarpt"), std::vector<std::string>{"0000000038.orrarpt"});
  EXPECT_EQ(files_.in_place_writes, 0);
}

TEST_F(ReplaceFileContentTest, AnInterruptedWriteLeavesTheOldFileIntact) {
  folder_.Write(u"locache/system/0000000038.orrarpt", old_);
  files_.fail_temporary_write = true;
  EXPECT_FALSE(ReplaceFileContent(files_, Target(), new_));
  EXPECT_EQ(folder_.Read(u"locache/system/0000000038.orrarpt"), old_);
  EXPECT_EQ(folder_.FilesBeside(u"locache/system/0000000038.orrarpt").size(), 1u);
  EXPECT_EQ(files_.in_place_writes, 0);
}

TEST_F(ReplaceFileContentTest, ARefusedReplacementFallsBackToWritingInPlace) {
  folder_.Write(u"locache/system/0000000038.orrarpt", old_);
  files_.refuse_replace = true;
  ASSERT_TRUE(ReplaceFileContent(files_, Target(), new_));
  EXPECT_EQ(folder_.Read(u"locache/system/0000000038.orrarpt"), new_);
  EXPECT_EQ(folder_.FilesBeside(u"locache/system/0000000038.orrarpt").size(), 1u);
  EXPECT_EQ(files_.in_place_writes, 1);
}

TEST(PlatformFileSystemTest, FoldersWithChineseNamesAndEitherSeparatorOpen) {
  testing::ScratchFolder folder(u"数据目录");
  folder.Write(u"userdata/selfblock.ini", std::string("x"));
  FileSystem& files = PlatformFileSystem();
  const auto slashes = files.ReadAll(folder.directory() + u"userdata/selfblock.ini", FileSystem::Access::kReadWrite);
  const auto backslashes = files.ReadAll(folder.directory() + u"userdata\\selfblock.ini", FileSystem::Access::kRead);
  ASSERT_TRUE(slashes);
  ASSERT_TRUE(backslashes);
  EXPECT_EQ(*slashes, testing::BytesOf("x"));
  EXPECT_FALSE(files.ReadAll(folder.directory() + u"userdata/missing.ini", FileSystem::Access::kRead));
  EXPECT_FALSE(files.ReadAll(folder.directory() + u"userdata", FileSystem::Access::kRead));
}

TEST(PlatformFileSystemTest, OnlyAnExistingFileIsAFile) {
  testing::ScratchFolder folder(u"帮助");
  folder.Write(u"help/OrraAddin64.chm", std::string(""));
  FileSystem& files = PlatformFileSystem();
  EXPECT_TRUE(files.IsFile(folder.directory() + u"help\\OrraAddin64.chm"));
  EXPECT_FALSE(files.IsFile(folder.directory() + u"help"));
  EXPECT_FALSE(files.IsFile(folder.directory() + u"help/missing.chm"));
}

}  // namespace
}  // namespace orra
