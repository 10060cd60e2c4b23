#include "request/server_query_preparer.h"

#include <gtest/gtest.h>

#include <vector>

#include "testing/query_document_reader.h"
#include "testing/test_env.h"

namespace orra {
namespace {

std::vector<DocumentEntry> Serialised(const dozodavu_netcfg& document) {
  std::vector<uint8_t> bytes(document.Size());
  document.Serialise(bytes.data());
  return ReadQueryDocument(bytes).value();
}

std::string Text(const std::vector<DocumentEntry>& entries, const char* key) {
  const DocumentEntry* e = FindEntry(entries, "!", key);
  return e != nullptr ? e->Text() : "<none>";
}

class QueryDocumentFromRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    record.parameters = {{u"@seccode@", u"600000.sh"}, {u"date", u"20200101"}};
    descriptor.service = "xdbr.close";
  }
  tagRequest record{7};
  IndicatorDescriptor descriptor;
  testing::TestEnv env;
  COrraData store{env};
};

TEST_F(QueryDocumentFromRecord, PairsFollowTheDescriptorsParameterList) {
  descriptor.parameters = {"date", "code"};
  store.SetVariable(u"@@UserName", u"trader");
  dozodavu_netcfg document;
  ASSERT_TRUE(BuildQueryDocument(record, descriptor, store, document));
  const auto entries = Serialised(document);
  EXPECT_EQ(Text(entries, "~key0"), "@seccode@");
  EXPECT_EQ(Text(entries, "~val0"), "600000.sh");
  EXPECT_EQ(Text(entries, "~key1"), "date");
  EXPECT_EQ(Text(entries, "~val1"), "20200101");
  EXPECT_EQ(Text(entries, "~key2"), "@@UserName") << "code is in neither the request nor the variables";
  EXPECT_EQ(Text(entries, "~val2"), "trader");
  EXPECT_EQ(FindEntry(entries, "!", "~count")->Integer(), 3);
  EXPECT_EQ(FindEntry(entries, "!", "~ver")->Integer(), 2);
  EXPECT_EQ(Text(entries, "@"), "xdbr.close");
}

TEST_F(QueryDocumentFromRecord, VariablesFillGapsAndAnEmptyNameEndsTheList) {
  descriptor.parameters = {"unit", "", "date"};
  store.SetVariable(u"unit", u"\u5143");  // 元
  dozodavu_netcfg document;
  ASSERT_TRUE(BuildQueryDocument(record, descriptor, store, document));
  const auto entries = Serialised(document);
  EXPECT_EQ(Text(entries, "~key1"), "unit");
  EXPECT_EQ(Text(entries, "~val1"), "\xD4\xAA") << "texts travel as GBK";
  EXPECT_EQ(Text(entries, "~key2"), "@@UserName") << "date after the empty name is never asked for";
  EXPECT_EQ(Text(entries, "~val2"), "GetUserNameFailed");
  EXPECT_EQ(FindEntry(entries, "!", "~count")->Integer(), 3);
}

TEST_F(QueryDocumentFromRecord, UnknownIndicatorIsRefusedWithoutAJob) {
  JobQueue queue;
  ServerQueryPreparer preparer(store, queue);
  std::copy_n(u"nosuch", 6, record.indicator_name);
  EXPECT_EQ(preparer.Prepare(record).outcome, PreparedQuery::Outcome::kNoIndicator);
}

}  // namespace
}  // namespace orra
