#pragma once
// The stand-in server's answers: a table per service path, read from a JSON data file (see
// README.md), and the reading of a query payload into a service path and parameters. Immutable
// after Load; any thread may answer.

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

namespace orra::server {

// A query as the server sees it: the service path from "@" and the "~key%d"/"~val%d" pairs, all
// GBK as they travel.
struct ParsedQuery {
  std::string service_name;  // the payload's service field ("xdbr")
  std::string path;
  std::map<std::string, std::string> parameters;
};

// Nothing when the payload or its document is malformed.
std::optional<ParsedQuery> ParseQuery(std::span<const uint8_t> payload);

class ServerData {
 public:
  // False with a message naming the place in the file that is wrong.
  bool Load(const nlohmann::json& document, std::string* error);
  bool LoadFile(const std::string& path, std::string* error);

  // The query reply body: the table of the query's service with the rows its parameters
  // select, or an error reply when the service or the row is unknown.
  std::vector<uint8_t> Answer(const ParsedQuery& query) const;
  // The same for a raw query payload; an error reply when it cannot be read.
  std::vector<uint8_t> AnswerPayload(std::span<const uint8_t> payload) const;

  size_t ServiceCount() const { return services_.size(); }

 private:
  struct Column {
    std::string name_gbk;
    uint16_t type = 0;
  };
  struct Service {
    std::vector<Column> columns;
    std::vector<std::vector<std::vector<uint8_t>>> rows;  // encoded values
    std::vector<std::pair<size_t, std::string>> match;   // column index, parameter name (GBK)
    std::optional<std::string> error_gbk;                // answer every query with this error
    // The rows by the texts of their match columns (MatchKey), in file order: a query finds
    // its rows by one lookup instead of converting and comparing every row's values.
    std::unordered_map<std::u16string, std::vector<size_t>> rows_by_key;
  };
  bool LoadService(const std::string& path, const nlohmann::json& layout, std::string* error);
  // The key of a row's match columns, or of the parameters a query gives for them; nothing
  // when the query lacks one of them.
  static std::u16string RowKey(const Service& service, const std::vector<std::vector<uint8_t>>& row);
  static std::optional<std::u16string> QueryKey(const Service& service, const ParsedQuery& query);

  std::map<std::string, Service> services_;  // by path, GBK
  std::string unknown_service_gbk_;
  std::string no_row_gbk_;
};

// A column type from its number (1..11) or name ("int64", "double", "gbk", "datetime", ...).
std::optional<uint16_t> ParseColumnType(const nlohmann::json& type);
// A JSON value as the wire bytes of a column type; nothing when it does not fit the type.
std::optional<std::vector<uint8_t>> EncodeValue(uint16_t type, const nlohmann::json& value);

}  // namespace orra::server
