#include "store/indicator_dictionary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "store/gbk_text.h"
#include "testing/terminal_files.h"

namespace orra {
namespace {

using terminal::RecordLayout;

RecordLayout Node(bool folder, int64_t id, int64_t parent, const std::string& name) {
  RecordLayout r;
  r.folder = folder;
  r.id = id;
  r.parent_id = parent;
  r.name = name;
  return r;
}

std::shared_ptr<const CRecordFile> File(const std::vector<RecordLayout>& layouts) {
  auto file = std::make_shared<CRecordFile>(u"", 38);
  file->Decode(terminal::EncodeRecordFile(38, 1, layouts));
  return file;
}

std::vector<std::pair<std::string, int64_t>> Entries(const IndicatorDictionary& d) {
  std::vector<std::pair<std::string, int64_t>> out;
  for (const auto& [name, index] : d.SortedEntries()) out.emplace_back(std::string(name.begin(), name.end()), d.file().At(index).id);
  return out;
}

TEST(IndicatorDictionaryTest, DepthFirstFromTheTopLevelFirstLeafOfANameWins) {
  const IndicatorDictionary d(File({
      Node(true, 10, 0, "F"),
      Node(false, 11, 10, "y"),
      Node(false, 12, 0, "x"),
      Node(false, 13, 10, "x"),
      Node(false, 14, 99, "orphan"),
      Node(false, 15, 10, "y"),
  }));
  // Depth first: F's children (y:11, x:13, y:15) come before the top-level x:12.
  EXPECT_EQ(Entries(d), (std::vector<std::pair<std::string, int64_t>>{{"x", 13}, {"y", 11}}));
  EXPECT_EQ(d.Find(u"orphan"), std::nullopt);
}

TEST(IndicatorDictionaryTest, NamesAreOrderedByUtf16UnitsWhereverTheyFirstDiffer) {
  // GBK: 中 is U+4E2D, ＡＢ are U+FF21 U+FF22; the names differ at the first unit, inside and
  // after the first four and the first eight, or only in length around the eighth.
  const std::string zhong = "\xD6\xD0", wide_a = "\xA3\xC1";
  const std::vector<std::string> names = {"abcdefgz", "abcdefga", "abcd", "abcde", zhong + "x", wide_a, "z",
                                          "abcdefgh" + zhong, "abcdefgh" + wide_a, "abcdefgha", "abc",
                                          "abcdefgh", "abcdefg", "abcdefghab", "abcdefghaa", "abcdefg" + wide_a,
                                          wide_a + "bcdefgh" + zhong, wide_a + "bcdefgh", "abcdefgi"};
  std::vector<RecordLayout> layouts;
  for (size_t i = 0; i < names.size(); ++i) layouts.push_back(Node(false, static_cast<int64_t>(i + 1), 0, names[i]));
  const IndicatorDictionary d(File(layouts));
  std::vector<std::u16string> expected;
  for (const std::string& name : names) expected.push_back(WideOfGbk(name, IndicatorDictionary::kMaxNameChars));
  std::sort(expected.begin(), expected.end());
  ASSERT_EQ(d.size(), expected.size());
  const std::vector<IndicatorDictionary::Entry> sorted = d.SortedEntries();
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(sorted[i].first, expected[i]) << i;
    EXPECT_EQ(d.Find(expected[i]), sorted[i].second);
  }
}

TEST(IndicatorDictionaryTest, NamesMetTwiceKeepTheFirstLeafWhateverTheirLength) {
  // Names that begin alike, each met three times in an order that is not the record order.
  const IndicatorDictionary d(File({
      Node(true, 1, 0, "F"),
      Node(false, 2, 0, "abcdefghijkl"),
      Node(false, 3, 1, "abcdefgh"),
      Node(false, 4, 1, "abcdefghijkl"),
      Node(false, 5, 0, "abcdefgh"),
      Node(false, 6, 1, "ab"),
      Node(false, 7, 0, "ab"),
      Node(false, 8, 1, "abcdefghijkl"),
      Node(false, 9, 1, "abcdefgh"),
      Node(false, 10, 0, "abcdefghijkm"),
      Node(false, 11, 1, "ab"),
  }));
  EXPECT_EQ(Entries(d), (std::vector<std::pair<std::string, int64_t>>{
                            {"ab", 6}, {"abcdefgh", 3}, {"abcdefghijkl", 4}, {"abcdefghijkm", 10}}));
}

TEST(IndicatorDictionaryTest, ManyNamesMetMoreThanOnceAreFoundAsTheirFirstLeaf) {
  // Names from a few characters (one and two bytes), 0 to 12 of them, many met more than once,
  // many alike but for one unit or their length.
  const std::vector<std::string> alphabet = {"a", "b", "\xD6\xD0", "\xA3\xC1", "\x81\x40"};
  std::mt19937 random(7);
  std::vector<RecordLayout> layouts;
  std::map<std::u16string, int64_t> first_of_name;
  for (int64_t id = 1; id <= 3000; ++id) {
    std::string name;
    const size_t length = random() % 13;
    for (size_t k = 0; k < length; ++k) name += alphabet[random() % (k < 6 ? 2 : alphabet.size())];
    layouts.push_back(Node(false, id, 0, name));
    first_of_name.emplace(WideOfGbk(name, IndicatorDictionary::kMaxNameChars), id);
  }
  const IndicatorDictionary d(File(layouts));
  ASSERT_EQ(d.size(), first_of_name.size());
  const std::vector<IndicatorDictionary::Entry> sorted = d.SortedEntries();
  size_t i = 0;
  for (const auto& [name, id] : first_of_name) {
    ASSERT_EQ(sorted[i].first, name) << i;
    const std::optional<size_t> found = d.Find(name);
    ASSERT_TRUE(found.has_value()) << i;
    EXPECT_EQ(d.file().At(*found).id, id) << i;
    ++i;
  }
  EXPECT_EQ(d.Find(u"abababababababababab"), std::nullopt);
}

TEST(IndicatorDictionaryTest, OneNameAloneOrMetThriceAndAFolderWithoutLeaves) {
  EXPECT_EQ(Entries(IndicatorDictionary(File({Node(false, 1, 0, "x")}))),
            (std::vector<std::pair<std::string, int64_t>>{{"x", 1}}));
  EXPECT_EQ(Entries(IndicatorDictionary(File({Node(false, 4, 0, "same"), Node(false, 2, 0, "same"),
                                              Node(false, 3, 0, "same")}))),
            (std::vector<std::pair<std::string, int64_t>>{{"same", 4}}));
  EXPECT_TRUE(IndicatorDictionary(File({Node(true, 1, 0, "empty folder")})).empty());
}

TEST(IndicatorDictionaryTest, ACycleOfFoldersEndsTheVisit) {
  const IndicatorDictionary d(File({
      Node(true, 1, 0, "top"),
      Node(true, 2, 1, "inner"),
      Node(true, 1, 2, "back to top"),  // expanding it would visit "inner" again and again
      Node(true, 3, 3, "self"),
      Node(false, 4, 2, "leaf"),
      Node(false, 5, 3, "unreachable"),
  }));
  EXPECT_EQ(Entries(d), (std::vector<std::pair<std::string, int64_t>>{{"leaf", 4}}));
}

TEST(IndicatorDictionaryTest, TheWalkEndsAtTheFirstRecordWithIdZero) {
  // Read in another layout, a record of id 0 stays in the file; the dictionary stops there.
  auto file = std::make_shared<CRecordFile>(u"", 38);
  file->Decode(terminal::EncodeRecordFile(40, 1, {Node(false, 1, 0, "a"), Node(false, 0, 0, "b"), Node(false, 3, 0, "c")}));
  ASSERT_EQ(file->count(), 3u);
  const IndicatorDictionary d(file);
  EXPECT_EQ(Entries(d), (std::vector<std::pair<std::string, int64_t>>{{"a", 1}}));

  const IndicatorDictionary empty(File({Node(false, 0, 0, "a"), Node(false, 2, 0, "b")}));
  EXPECT_TRUE(empty.empty());
}

}  // namespace
}  // namespace orra
