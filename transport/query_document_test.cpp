#include "transport/query_document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/query_document_reader.h"
#include "transport/wire_bytes.h"

namespace orra {
namespace {

using L = ConfigEntryLayout;

std::vector<uint8_t> Serialised(const dozodavu_config& document) {
  std::vector<uint8_t> bytes(document.Size());
  EXPECT_EQ(document.Serialise(bytes.data()), bytes.size());
  return bytes;
}

std::vector<std::string> Keys(const dozodavu_config& document) {
  // Held here: a range-for over the reader's temporary result would outlive it.
  const auto entries = ReadQueryDocument(Serialised(document));
  std::vector<std::string> keys;
  EXPECT_TRUE(entries);
  if (entries) {
    for (const DocumentEntry& e : *entries) keys.push_back(e.key);
  }
  return keys;
}

TEST(QueryDocument, AnIntegerEntryIsOneHundredBytesInTheRecordLayout) {
  dozodavu_netcfg document;
  ASSERT_TRUE(document.SetVersion());
  const auto bytes = Serialised(document);
  ASSERT_EQ(bytes.size(), 100u);
  EXPECT_EQ(GetI32(&bytes[L::kRecordLengthOffset]), 100);
  EXPECT_EQ(GetI32(&bytes[L::kValueLengthOffset]), 4);
  EXPECT_EQ(GetI32(&bytes[8]), 0);
  EXPECT_EQ(GetFixedText(&bytes[L::kSectionOffset], L::kSectionWidth), "!");
  EXPECT_EQ(GetFixedText(&bytes[L::kKeyOffset], L::kKeyWidth), "~ver");
  EXPECT_EQ(GetI32(&bytes[L::kValueOffset]), 2);
  EXPECT_EQ(GetI32(&bytes[96]), 0);
  for (size_t i = 13; i < 76; ++i) ASSERT_EQ(bytes[i], 0) << i;
}

TEST(QueryDocument, TextRecordLengthsFollowTheValueLength) {
  struct Case {
    std::u16string text;
    int32_t record, value;
  } cases[] = {{u"", 100, 1}, {u"1234567", 100, 8}, {u"12345678", 101, 9}, {u"上海", 100, 5}};
  for (const Case& c : cases) {
    dozodavu_config document;
    ASSERT_TRUE(document.SetText("!", "k", c.text));
    const auto bytes = Serialised(document);
    EXPECT_EQ(GetI32(&bytes[L::kRecordLengthOffset]), c.record);
    EXPECT_EQ(GetI32(&bytes[L::kValueLengthOffset]), c.value);
    EXPECT_EQ(static_cast<int32_t>(bytes.size()), c.record);
    EXPECT_EQ(bytes[L::kValueOffset + c.value - 1], 0);
  }
}

TEST(QueryDocument, SortsCaseInsensitivelyAndPairTenBeforePairTwo) {
  dozodavu_netcfg document;
  document.SetVersion();
  for (int i = 0; i <= 10; ++i) ASSERT_TRUE(document.SetPair(i, u"name", u"value"));
  document.SetPairCount(11);
  document.SetServicePath(u"stock/quote");
  const auto keys = Keys(document);
  ASSERT_EQ(keys.size(), 25u);
  EXPECT_EQ(keys[0], "@");
  EXPECT_EQ(keys[1], "~count");
  EXPECT_EQ(keys[2], "~key0");
  EXPECT_EQ(keys[3], "~key1");
  EXPECT_EQ(keys[4], "~key10");
  EXPECT_EQ(keys[5], "~key2");
  EXPECT_EQ(keys[13], "~val0");
  EXPECT_EQ(keys[24], "~ver");

  dozodavu_config folded;
  folded.SetInteger("Sec", "B", 1);
  folded.SetInteger("sec", "a", 2);
  folded.SetInteger("SEC", "Z_", 3);  // '_' sorts after folded letters, before them unfolded
  EXPECT_EQ(Keys(folded), (std::vector<std::string>{"a", "B", "Z_"}));
}

TEST(QueryDocument, KeysDifferingInCaseShareOneEntryAndLargerValuesReplaceIt) {
  dozodavu_config document;
  ASSERT_TRUE(document.SetText("!", "Code", u"600000"));
  ASSERT_TRUE(document.SetText("!", "CODE", u"1"));  // fits: reused, record length kept
  EXPECT_EQ(document.EntryCount(), 1u);
  auto bytes = Serialised(document);
  EXPECT_EQ(GetI32(&bytes[L::kRecordLengthOffset]), 100);
  EXPECT_EQ(GetI32(&bytes[L::kValueLengthOffset]), 2);
  EXPECT_EQ(GetFixedText(&bytes[L::kKeyOffset], L::kKeyWidth), "Code");  // the first spelling stays
  EXPECT_EQ(GetFixedText(&bytes[L::kValueOffset], 8), "1");

  ASSERT_TRUE(document.SetText("!", "code", u"a much longer code value"));
  EXPECT_EQ(document.EntryCount(), 1u);
  bytes = Serialised(document);
  EXPECT_EQ(GetI32(&bytes[L::kRecordLengthOffset]), static_cast<int32_t>(L::kValueOffset + 25));
  EXPECT_EQ(GetFixedText(&bytes[L::kValueOffset], 25), "a much longer code value");

  document.SetInteger("!", "n", 7);
  document.SetInteger("!", "N", -3);
  EXPECT_EQ(document.GetInteger("!", "n", 0), -3);
  EXPECT_EQ(document.GetInteger("!", "missing", 42), 42);
  EXPECT_EQ(document.GetInteger("other", "n", 5), 5);
}

TEST(QueryDocument, RefusesNamesThatDoNotFitTheirFields) {
  dozodavu_config document;
  EXPECT_FALSE(document.SetInteger(std::string(64, 's'), "k", 1));
  EXPECT_FALSE(document.SetInteger("s", std::string(16, 'k'), 1));
  EXPECT_TRUE(document.SetInteger(std::string(63, 's'), std::string(15, 'k'), 1));
  EXPECT_EQ(document.EntryCount(), 1u);
}

TEST(QueryDocument, TheTableGrowsFromItsFirstThousandAndTwentyTwoEntries) {
  dozodavu_config document;
  ASSERT_TRUE(document.SetInteger("!", "k0", 0));
  EXPECT_EQ(document.TableCapacity(), 1022u);
  for (int i = 1; i < 1500; ++i) ASSERT_TRUE(document.SetInteger("!", "k" + std::to_string(i), i));
  // The next table is one pool block for 8 x 1022 + 8009 bytes, the 16384-byte class.
  EXPECT_EQ(document.TableCapacity(), (16384u - 9) / 8);
  EXPECT_EQ(document.Size(), 1500u * 100);
  for (int i = 0; i < 1500; i += 37) EXPECT_EQ(document.GetInteger("!", "K" + std::to_string(i), -1), i);
}

TEST(QueryDocument, ARequestDocumentReadsBackOnTheServerSide) {
  dozodavu_netcfg document;
  document.SetVersion();
  int32_t i = document.PairCount();
  document.SetPair(i++, u"@seccode@", u"600000.SH");
  document.SetPair(i++, u"date", u"20200101");
  document.SetPair(i++, u"@@UserName", u"张三");
  document.SetPairCount(i);
  document.SetServicePath(u"stock/close");
  const auto entries = ReadQueryDocument(Serialised(document));
  ASSERT_TRUE(entries);
  EXPECT_EQ(FindEntry(*entries, "!", "~COUNT")->Integer(), 3);
  EXPECT_EQ(FindEntry(*entries, "!", "@")->Text(), "stock/close");
  EXPECT_EQ(FindEntry(*entries, "!", "~val1")->Text(), "20200101");
  EXPECT_EQ(FindEntry(*entries, "!", "~val2")->Text(), "\xD5\xC5\xC8\xFD");  // GBK
}

TEST(QueryDocumentReader, RejectsRecordsThatPassTheEndAtEveryCut) {
  dozodavu_netcfg document;
  document.SetVersion();
  document.SetServicePath(u"a long service path for the test");
  const auto bytes = Serialised(document);
  for (size_t cut = 1; cut < bytes.size(); ++cut) {
    const bool whole_records = cut == static_cast<size_t>(GetI32(&bytes[L::kRecordLengthOffset]));
    EXPECT_EQ(ReadQueryDocument({bytes.data(), cut}).has_value(), whole_records) << cut;
  }
  auto damaged = bytes;
  PutI32(&damaged[4], 1 << 30);
  EXPECT_FALSE(ReadQueryDocument(damaged));
  PutI32(&damaged[4], 4);
  PutI32(&damaged[0], -100);
  EXPECT_FALSE(ReadQueryDocument(damaged));
}

}  // namespace
}  // namespace orra
