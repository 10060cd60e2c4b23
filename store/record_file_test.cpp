#include "store/record_file.h"

#include <gtest/gtest.h>

#include "store/byte_reader.h"
#include "store/store_records.h"
#include "testing/literal_bytes.h"
#include "testing/scratch_folder.h"
#include "testing/terminal_files.h"

namespace orra {
namespace {

using terminal::EncodeRecordFile;
using terminal::RecordLayout;

RecordLayout Leaf(int64_t id, int64_t parent, const std::string& name, std::vector<uint8_t> payload = {},
                std::array<std::string, 6> fields = {}) {
  RecordLayout r;
  r.id = id;
  r.parent_id = parent;
  r.name = name;
  r.payload = std::move(payload);
  r.fields = std::move(fields);
  return r;
}

std::vector<RecordLayout> ThreeRecords() {
  RecordLayout folder = Leaf(7, 0, "Folder");
  folder.folder = true;
  return {folder, Leaf(8, 7, "close", terminal::IndicatorPayload(2, 3, 1, 4), {"tradedate|", "quote.close", "", "", "", "x"}),
          Leaf(9, 7, testing::Gbk("市盈率"))};
}

CRecordFile Decoded(const std::vector<uint8_t>& file, int32_t payload_size) {
  CRecordFile records(u"unused", payload_size);
  records.Decode(file);
  return records;
}

TEST(RecordFileTest, DecodesRecordsWrittenInTheStoresLayout) {
  const CRecordFile records = Decoded(EncodeRecordFile(38, 5, ThreeRecords()), 38);
  ASSERT_EQ(records.count(), 3u);
  EXPECT_EQ(records.revision(), 5);
  EXPECT_FALSE(records.NeedsRewrite());
  const RecordView folder = records.At(0);
  EXPECT_TRUE(folder.is_folder);
  EXPECT_EQ(folder.id, 7);
  const RecordView close = records.At(1);
  EXPECT_FALSE(close.is_folder);
  EXPECT_EQ(close.parent_id, 7);
  EXPECT_EQ(close.name, "close");
  const IndicatorDescriptor d = DescribeIndicator(close);
  EXPECT_EQ(d.value_kind, 2);
  EXPECT_EQ(d.decimals, 3);
  EXPECT_EQ(d.alignment, 1);
  EXPECT_EQ(d.date_style, 4);
  EXPECT_EQ(d.parameters, std::vector<std::string>{"tradedate"});
  EXPECT_EQ(d.service, "quote.close");
  EXPECT_EQ(std::string(close.fields[5].begin(), close.fields[5].end()), "x");
  EXPECT_EQ(records.At(2).name, testing::Gbk("市盈率"));
  for (size_t i = 0; i <= records.count(); ++i) {
    const RecordView view = records.At(i);
    const RecordKey key = records.KeyAt(i);
    EXPECT_EQ(key.is_folder, view.is_folder) << i;
    EXPECT_EQ(key.parent_id, view.parent_id) << i;
    EXPECT_EQ(key.id, view.id) << i;
    EXPECT_EQ(key.name, view.name) << i;
  }
  EXPECT_EQ(records.KeyAt(3).id, 0) << "past the end: an empty key";
}

TEST(RecordFileTest, NamesRunToTheFieldsFirstZeroOrFillItInEitherLayout) {
  std::vector<RecordLayout> layouts = {Leaf(1, 0, std::string(191, 'n')), Leaf(2, 0, std::string("ab\0cd", 5)),
                                       Leaf(3, 0, "")};
  std::vector<uint8_t> file = EncodeRecordFile(38, 1, layouts);
  file[64 + 21 + 191] = 'n';  // the first name fills its field, no zero after it
  const std::string full(192, 'n');
  for (const int32_t payload_size : {38, 40}) {
    const CRecordFile records = Decoded(file, payload_size);
    ASSERT_EQ(records.count(), 3u) << payload_size;
    EXPECT_EQ(records.NeedsRewrite(), payload_size != 38);
    const std::string_view names[] = {full, "ab", ""};
    for (size_t i = 0; i < records.count(); ++i) {
      EXPECT_EQ(records.At(i).name, names[i]) << payload_size << " " << i;
      EXPECT_EQ(records.KeyAt(i).name, names[i]) << payload_size << " " << i;
    }
    EXPECT_EQ(records.FindByName(std::string(192, 'N')), 0u);
    EXPECT_EQ(records.FindByName("AB"), 1u);
    EXPECT_EQ(records.FindByName("abcd"), std::nullopt);
    // What is written back carries the names as they were in the fields.
    const CRecordFile again = Decoded(records.Encode(), payload_size);
    for (size_t i = 0; i < again.count(); ++i) EXPECT_EQ(again.At(i).name, names[i]) << payload_size << " " << i;
  }
}

TEST(RecordFileTest, TruncationAtAnyLengthKeepsTheWholeRecordsBeforeIt) {
  const std::vector<uint8_t> file = EncodeRecordFile(38, 1, ThreeRecords());
  size_t previous = 0;
  for (size_t length = 0; length <= file.size(); ++length) {
    const CRecordFile records = Decoded({file.begin(), file.begin() + static_cast<ptrdiff_t>(length)}, 38);
    ASSERT_GE(records.count(), previous) << length;
    ASSERT_LE(records.record_bytes().size(), length > 64 ? length - 64 : 0) << length;
    for (size_t i = 0; i < records.count(); ++i) EXPECT_EQ(records.At(i).id, 7 + static_cast<int64_t>(i));
    previous = records.count();
  }
  EXPECT_EQ(previous, 3u);
}

TEST(RecordFileTest, WalkStopsAtIdZeroAndAtLyingOrNegativeLengths) {
  std::vector<RecordLayout> layouts = ThreeRecords();
  layouts[1].id = 0;
  EXPECT_EQ(Decoded(EncodeRecordFile(38, 1, layouts), 38).count(), 1u);

  std::vector<uint8_t> file = EncodeRecordFile(38, 1, ThreeRecords());
  const size_t second_lengths = 64 + (277 + 38 + 1) + 213;  // the first record has no fields
  StoreLittleEndian<int32_t>(file.data() + second_lengths + 4, 0x7FFFFFFF);
  EXPECT_EQ(Decoded(file, 38).count(), 1u);
  StoreLittleEndian<int32_t>(file.data() + second_lengths + 4, -20);
  EXPECT_EQ(Decoded(file, 38).count(), 1u);
}

TEST(RecordFileTest, FilesWithoutAUsableHeaderAreEmptyAndNeverWrittenBack) {
  const std::vector<uint8_t> file = EncodeRecordFile(200, 4, ThreeRecords());
  const CRecordFile short_file = Decoded({file.begin(), file.begin() + 63}, 204);
  EXPECT_EQ(short_file.count(), 0u);
  EXPECT_FALSE(short_file.NeedsRewrite());

  const CRecordFile no_records = Decoded(EncodeRecordFile(200, 4, {}), 204);
  EXPECT_EQ(no_records.count(), 0u);
  EXPECT_FALSE(no_records.NeedsRewrite());
}

TEST(RecordFileTest, AnotherPayloadSizeIsConvertedRecordByRecordAndWrittenBackInTheStoresLayout) {
  std::vector<uint8_t> wide_payload(200);
  for (size_t i = 0; i < wide_payload.size(); ++i) wide_payload[i] = static_cast<uint8_t>(i + 1);
  std::vector<RecordLayout> layouts = {Leaf(1, 0, "a", wide_payload, {"", "x#1##|", "", "", "", ""}),
                                       Leaf(2, 0, "b", wide_payload)};
  const CRecordFile converted = Decoded(EncodeRecordFile(200, 9, layouts), 204);
  ASSERT_EQ(converted.count(), 2u);
  EXPECT_EQ(converted.payload_size(), 204);
  EXPECT_EQ(converted.file_payload_size(), 200);
  EXPECT_EQ(converted.revision(), 9);
  EXPECT_EQ(converted.saved_revision(), 8);
  EXPECT_TRUE(converted.NeedsRewrite());
  const RecordView a = converted.At(0);
  EXPECT_EQ(a.payload[199], 200);
  EXPECT_EQ(a.payload[200], 0);  // the widened bytes carry nothing
  EXPECT_EQ(std::string(a.fields[1].begin(), a.fields[1].end()), "x#1##|");
  EXPECT_EQ(converted.At(1).name, "b");

  // What is written back reads again in the store's layout, unchanged and not to be rewritten.
  for (RecordLayout& s : layouts) s.payload.resize(204, 0);
  const std::vector<uint8_t> rewritten = converted.Encode();
  EXPECT_EQ(rewritten, EncodeRecordFile(204, 9, layouts));
  EXPECT_FALSE(Decoded(rewritten, 204).NeedsRewrite());

  const CRecordFile narrowed = Decoded(EncodeRecordFile(210, 1, {Leaf(3, 0, "c", std::vector<uint8_t>(210, 0xAB))}), 204);
  ASSERT_EQ(narrowed.count(), 1u);
  EXPECT_EQ(narrowed.At(0).payload.size(), 204u);
  EXPECT_EQ(narrowed.At(0).payload[203], 0xAB);
}

TEST(RecordFileTest, ConversionStopsAtTheFirstRecordThatIsNotThere) {
  std::vector<uint8_t> file = EncodeRecordFile(200, 1, {Leaf(1, 0, "a"), Leaf(2, 0, "b")});
  file.resize(file.size() - 1);
  EXPECT_EQ(Decoded(file, 204).count(), 1u);
  StoreLittleEndian<int32_t>(file.data() + CRecordFile::kHeaderCountOffset, 1000000);  // a count far beyond the bytes
  EXPECT_EQ(Decoded(file, 204).count(), 1u);
}

TEST(RecordFileTest, FindByNameFoldsOnlyAsciiLettersAndFindByIdTakesTheFirst) {
  const CRecordFile records =
      Decoded(EncodeRecordFile(38, 1, {Leaf(1, 0, "TradeDate"), Leaf(2, 0, "tradedate"), Leaf(1, 0, "dup")}), 38);
  EXPECT_EQ(records.FindByName("TRADEDATE"), 0u);
  EXPECT_EQ(records.FindByName("tradedat"), std::nullopt);
  EXPECT_EQ(records.FindById(1), 0u);
  EXPECT_EQ(records.FindById(2), 1u);
  EXPECT_EQ(records.FindById(3), std::nullopt);
}

TEST(RecordFileTest, SaveWritesOnlyAConvertedFileAndOnlyOnce) {
  testing::ScratchFolder folder;
  const std::u16string path = folder.directory() + u"system.dict";
  folder.Write(u"system.dict", EncodeRecordFile(200, 3, {Leaf(1, 0, "a")}));
  CRecordFile records(path, 204);
  records.Read(PlatformFileSystem());
  ASSERT_TRUE(records.NeedsRewrite());
  ASSERT_TRUE(records.Save(PlatformFileSystem()));
  EXPECT_FALSE(records.NeedsRewrite());
  const std::vector<uint8_t> written = folder.Read(u"system.dict");
  EXPECT_EQ(written, records.Encode());
  EXPECT_EQ(ByteReader::LoadLittleEndian<int32_t>(written.data() + 8), 204);

  CRecordFile again(path, 204);
  again.Read(PlatformFileSystem());
  EXPECT_EQ(again.count(), 1u);
  EXPECT_FALSE(again.NeedsRewrite());
}

}  // namespace
}  // namespace orra
