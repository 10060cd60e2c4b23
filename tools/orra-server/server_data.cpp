#include "tools/orra-server/server_data.h"

#include <array>
#include <fstream>
#include <limits>
#include <string_view>

#include "common/decimal_text.h"
#include "common/text_conversion.h"
#include "common/utf8.h"
#include "testing/query_document_reader.h"
#include "testing/result_set_writer.h"
#include "transport/query_payload.h"
#include "transport/query_reply.h"
#include "transport/result_set.h"

namespace orra::server {
namespace {

using nlohmann::json;

std::string Gbk(const std::string& utf8) { return ToNarrowString(FromUtf8(utf8)); }

const std::map<std::string, uint16_t>& TypeNames() {
  static const std::map<std::string, uint16_t> names = {
      {"int64", 1}, {"int32", 2},  {"int16", 3},     {"int8", 4},      {"double", 5},     {"float", 6},
      {"gbk", 7},   {"utf16", 8},  {"bigint", 9},    {"utf16-alt", 10}, {"datetime", 11}};
  return names;
}

// "2017-02-20", "2017-02-20 09:30:00" or "2017-02-20 09:30:00.250": each field whole digits,
// the last one milliseconds.
std::optional<std::vector<uint8_t>> EncodeDateTimeText(const std::string& text) {
  // What ends each field but the last: year-month-day hour:minute:second.milliseconds.
  constexpr std::string_view kSeparators = "-- ::.";
  constexpr DecimalRange kFieldRange{0, std::numeric_limits<int>::max()};
  constexpr int64_t kMaxMillisecond = 999;
  constexpr uint32_t kBillionthsPerMillisecond = 1'000'000;
  std::array<int, kSeparators.size() + 1> fields{};
  std::string_view rest = text;
  size_t read = 0;
  while (read < fields.size()) {
    const size_t end = read < kSeparators.size() ? rest.find(kSeparators[read]) : std::string_view::npos;
    const std::optional<int64_t> value = ReadWholeDecimal(rest.substr(0, end), kFieldRange);
    if (!value) return std::nullopt;
    fields[read++] = static_cast<int>(*value);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  const bool date_only = read == 3;
  const bool whole_seconds = read == 6;
  const bool milliseconds = read == fields.size() && fields.back() <= kMaxMillisecond;
  if (!date_only && !whole_seconds && !milliseconds) return std::nullopt;
  const auto [y, mo, d, h, mi, s, ms] = fields;
  return EncodeDateTime(y, mo, d, h, mi, s, static_cast<uint32_t>(ms) * kBillionthsPerMillisecond);
}

template <typename T>
std::optional<T> Integer(const json& value) {
  if (!value.is_number_integer()) return std::nullopt;
  const auto v = value.get<int64_t>();
  if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max()) return std::nullopt;
  return static_cast<T>(v);
}

}  // namespace

std::optional<uint16_t> ParseColumnType(const json& type) {
  if (type.is_number_integer()) {
    const auto v = type.get<int64_t>();
    if (v >= 0 && v <= 0xFFFF) return static_cast<uint16_t>(v);
    return std::nullopt;
  }
  if (!type.is_string()) return std::nullopt;
  const auto it = TypeNames().find(type.get<std::string>());
  if (it == TypeNames().end()) return std::nullopt;
  return it->second;
}

std::optional<std::vector<uint8_t>> EncodeValue(uint16_t type, const json& value) {
  if (value.is_null()) return std::vector<uint8_t>();
  switch (type) {
    case 1: if (auto v = Integer<int64_t>(value)) return EncodeInt64(*v); break;
    case 2: if (auto v = Integer<int32_t>(value)) return EncodeInt32(*v); break;
    case 3: if (auto v = Integer<int16_t>(value)) return EncodeInt16(*v); break;
    case 4: if (auto v = Integer<int8_t>(value)) return EncodeInt8(*v); break;
    case 5: if (value.is_number()) return EncodeDouble(value.get<double>()); break;
    case 6: if (value.is_number()) return EncodeFloat(value.get<float>()); break;
    case 7: if (value.is_string()) return EncodeGbk(Gbk(value.get<std::string>())); break;
    case 8:
    case 10: if (value.is_string()) return EncodeUtf16(FromUtf8(value.get<std::string>())); break;
    case 9: if (auto v = Integer<int64_t>(value)) return EncodeBigEndian(*v, 8); break;
    case 11: if (value.is_string()) return EncodeDateTimeText(value.get<std::string>()); break;
    default:
      // Types the reader does not know travel as the GBK text given, to test that they read as absent.
      if (value.is_string()) return EncodeGbk(Gbk(value.get<std::string>()));
  }
  return std::nullopt;
}

std::optional<ParsedQuery> ParseQuery(std::span<const uint8_t> payload) {
  const auto view = ReadQueryPayload(payload);
  if (!view) return std::nullopt;
  const auto entries = ReadQueryDocument(view->document);
  if (!entries) return std::nullopt;
  ParsedQuery query;
  query.service_name = view->service;
  if (const DocumentEntry* path = FindEntry(*entries, "!", "@")) query.path = path->Text();
  const DocumentEntry* count = FindEntry(*entries, "!", "~count");
  const int32_t pairs = count ? count->Integer() : 0;
  for (int32_t i = 0; i < pairs && i < 10000; ++i) {
    const DocumentEntry* key = FindEntry(*entries, "!", "~key" + std::to_string(i));
    const DocumentEntry* value = FindEntry(*entries, "!", "~val" + std::to_string(i));
    if (key && value) query.parameters[key->Text()] = value->Text();
  }
  return query;
}

bool ServerData::LoadFile(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot open the data file " + path;
    return false;
  }
  json document = json::parse(in, nullptr, false);
  if (document.is_discarded()) {
    *error = path + " is not valid JSON";
    return false;
  }
  return Load(document, error);
}

bool ServerData::Load(const json& document, std::string* error) {
  if (!document.is_object() || !document.contains("services") || !document["services"].is_object()) {
    *error = "the data file needs an object \"services\" (service path -> table)";
    return false;
  }
  unknown_service_gbk_ = Gbk(document.value("unknown_service_error", "无此服务"));
  no_row_gbk_ = Gbk(document.value("no_row_error", "无数据"));
  for (const auto& [path, layout] : document["services"].items()) {
    if (!LoadService(path, layout, error)) return false;
  }
  return true;
}

bool ServerData::LoadService(const std::string& path, const json& layout, std::string* error) {
  const std::string where = "services[\"" + path + "\"]";
  if (!layout.is_object()) {
    *error = where + " must be an object";
    return false;
  }
  Service service;
  if (layout.contains("error")) {
    if (!layout["error"].is_string()) {
      *error = where + ".error must be a text";
      return false;
    }
    service.error_gbk = Gbk(layout["error"].get<std::string>());
  }
  const json columns = layout.value("columns", json::array());
  if (!columns.is_array() || (columns.empty() && !service.error_gbk)) {
    *error = where + ".columns must be a non-empty array of {\"name\", \"type\"}";
    return false;
  }
  for (size_t c = 0; c < columns.size(); ++c) {
    const json& column = columns[c];
    const auto type = column.is_object() && column.contains("type") ? ParseColumnType(column["type"]) : std::nullopt;
    if (!type || !column.contains("name") || !column["name"].is_string()) {
      *error = where + ".columns[" + std::to_string(c) + "] needs a text \"name\" and a \"type\" (1..11 or a type name)";
      return false;
    }
    service.columns.push_back({Gbk(column["name"].get<std::string>()), *type});
  }
  const json rows = layout.value("rows", json::array());
  for (size_t r = 0; r < rows.size(); ++r) {
    if (!rows[r].is_array() || rows[r].size() != service.columns.size()) {
      *error = where + ".rows[" + std::to_string(r) + "] must be an array of one value per column";
      return false;
    }
    std::vector<std::vector<uint8_t>> row;
    for (size_t c = 0; c < service.columns.size(); ++c) {
      auto value = EncodeValue(service.columns[c].type, rows[r][c]);
      if (!value) {
        *error = where + ".rows[" + std::to_string(r) + "][" + std::to_string(c) + "] does not fit the column's type";
        return false;
      }
      row.push_back(std::move(*value));
    }
    service.rows.push_back(std::move(row));
  }
  const json match = layout.value("match", json::object());
  if (!match.is_object()) {
    *error = where + ".match must be an object (column name -> parameter name)";
    return false;
  }
  for (const auto& [column_name, parameter] : match.items()) {
    size_t index = service.columns.size();
    for (size_t c = 0; c < service.columns.size(); ++c) {
      if (service.columns[c].name_gbk == Gbk(column_name)) index = c;
    }
    if (index == service.columns.size() || !parameter.is_string()) {
      *error = where + ".match names column \"" + column_name + "\", which is not one of its columns";
      return false;
    }
    service.match.emplace_back(index, Gbk(parameter.get<std::string>()));
  }
  for (size_t r = 0; r < service.rows.size(); ++r) service.rows_by_key[RowKey(service, service.rows[r])].push_back(r);
  services_[Gbk(path)] = std::move(service);
  return true;
}

namespace {
// Each text after its length, so that no two lists of texts make the same key.
void AppendKeyPart(std::u16string& key, const std::u16string& text) {
  const auto length = static_cast<uint32_t>(text.size());
  key.push_back(static_cast<char16_t>(length & 0xFFFF));
  key.push_back(static_cast<char16_t>(length >> 16));
  key += text;
}
}  // namespace

std::u16string ServerData::RowKey(const Service& service, const std::vector<std::vector<uint8_t>>& row) {
  std::u16string key;
  for (const auto& [column, parameter] : service.match) AppendKeyPart(key, ValueText(service.columns[column].type, row[column]));
  return key;
}

std::optional<std::u16string> ServerData::QueryKey(const Service& service, const ParsedQuery& query) {
  std::u16string key;
  for (const auto& [column, parameter] : service.match) {
    const auto given = query.parameters.find(parameter);
    if (given == query.parameters.end()) return std::nullopt;
    AppendKeyPart(key, ToWideString(given->second));
  }
  return key;
}

std::vector<uint8_t> ServerData::Answer(const ParsedQuery& query) const {
  const auto found = services_.find(query.path);
  if (found == services_.end()) return MakeErrorReply(unknown_service_gbk_ + ": " + query.path);
  const Service& service = found->second;
  if (service.error_gbk) return MakeErrorReply(*service.error_gbk);
  ResultSetWriter writer;
  for (const Column& column : service.columns) writer.AddColumn(column.name_gbk, column.type);
  const std::optional<std::u16string> key = QueryKey(service, query);
  const auto matching = key ? service.rows_by_key.find(*key) : service.rows_by_key.end();
  if (matching != service.rows_by_key.end()) {
    for (size_t r : matching->second) writer.AddRow(service.rows[r]);
  }
  if (writer.RowCount() == 0 && !service.match.empty()) return MakeErrorReply(no_row_gbk_);
  return MakeTableReply(writer.Finish());
}

std::vector<uint8_t> ServerData::AnswerPayload(std::span<const uint8_t> payload) const {
  const auto query = ParseQuery(payload);
  if (!query) return MakeErrorReply("bad query payload");
  return Answer(*query);
}

}  // namespace orra::server
