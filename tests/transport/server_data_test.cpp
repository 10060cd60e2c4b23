// The stand-in server's answers from its data file: which rows a query's parameters select.

#include "tools/orra-server/server_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text_conversion.h"
#include "transport/query_reply.h"
#include "transport/result_set.h"

namespace orra::server {
namespace {

// The texts of column `column` over the rows of the answer, or the error text after "error: ".
std::vector<std::u16string> Column(const std::vector<uint8_t>& answer, int column) {
  const auto reply = ReadQueryReply(answer);
  if (!reply) return {u"<damaged>"};
  if (reply->failed) return {u"error: " + ToWideString(reply->error_text)};
  ResultSet table;
  if (!table.Open(reply->table)) return {u"<damaged table>"};
  std::vector<std::u16string> texts;
  for (bool on = table.First(); on; on = table.Next()) texts.push_back(table.Text(column));
  return texts;
}

ParsedQuery Query(std::map<std::string, std::string> parameters) {
  return ParsedQuery{"xdbr", "daily", std::move(parameters)};
}

class ServerDataRows : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto document = nlohmann::json::parse(R"({
      "no_row_error": "none",
      "services": {
        "daily": {
          "columns": [{"name": "code", "type": "gbk"}, {"name": "date", "type": "int32"},
                      {"name": "volume", "type": "int64"}],
          "match": {"code": "@seccode@", "date": "date"},
          "rows": [["600000.SH", 20240102, 1], ["600000.SH", 20240103, 2], ["000001.SZ", 20240102, 3],
                   ["600000.SH", 20240102, 4], ["602", 1, 5], ["60", 21, 6]]
        },
        "all": {"columns": [{"name": "n", "type": "int32"}], "rows": [[1], [2], [3]]}
      }
    })");
    std::string error;
    ASSERT_TRUE(data_.Load(document, &error)) << error;
  }
  ServerData data_;
};

TEST_F(ServerDataRows, EveryMatchColumnSelectsAndRowsKeepTheirFileOrder) {
  EXPECT_EQ(Column(data_.Answer(Query({{"@seccode@", "600000.SH"}, {"date", "20240102"}})), 2),
            (std::vector<std::u16string>{u"1", u"4"}));
  EXPECT_EQ(Column(data_.Answer(Query({{"@seccode@", "600000.SH"}, {"date", "20240103"}, {"unit", "1"}})), 2),
            (std::vector<std::u16string>{u"2"}));
  EXPECT_EQ(Column(data_.Answer(Query({{"@seccode@", "000001.SZ"}, {"date", "20240103"}})), 2),
            (std::vector<std::u16string>{u"error: none"}));
}

TEST_F(ServerDataRows, AQueryLackingAMatchParameterGetsNoRow) {
  EXPECT_EQ(Column(data_.Answer(Query({{"@seccode@", "600000.SH"}})), 2),
            (std::vector<std::u16string>{u"error: none"}));
  EXPECT_EQ(Column(data_.Answer(Query({})), 2), (std::vector<std::u16string>{u"error: none"}));
}

// Texts that run together the same way ("602" + "1", "60" + "21") are different keys.
TEST_F(ServerDataRows, MatchValuesAreNotRunTogether) {
  EXPECT_EQ(Column(data_.Answer(Query({{"@seccode@", "602"}, {"date", "1"}})), 2),
            (std::vector<std::u16string>{u"5"}));
  EXPECT_EQ(Column(data_.Answer(Query({{"@seccode@", "60"}, {"date", "21"}})), 2),
            (std::vector<std::u16string>{u"6"}));
}

TEST_F(ServerDataRows, AServiceWithoutMatchAnswersEveryRow) {
  ParsedQuery query = Query({{"@seccode@", "600000.SH"}});
  query.path = "all";
  EXPECT_EQ(Column(data_.Answer(query), 0), (std::vector<std::u16string>{u"1", u"2", u"3"}));
}

}  // namespace
}  // namespace orra::server
