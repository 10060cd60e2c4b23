#include "testing/terminal_description.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <stdexcept>

#include "common/file_system.h"
#include "common/text_conversion.h"
#include "common/utf8.h"
#include "store/self_block_list.h"
#include "store/store_files.h"
#include "testing/terminal_files.h"

namespace orra::terminal {
namespace {

using nlohmann::json;

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  throw std::runtime_error(where + ": " + what);
}

std::string Gbk(const std::string& utf8) { return ToNarrowString(FromUtf8(utf8)); }

const json& Member(const json& object, const char* key, const std::string& where) {
  if (!object.is_object()) Fail(where, "must be an object");
  const auto it = object.find(key);
  if (it == object.end()) Fail(where, std::string("\"") + key + "\" is missing");
  return *it;
}

std::string Text(const json& object, const char* key, const std::string& where, const std::string& fallback = {}) {
  if (!object.contains(key)) return fallback;
  const json& value = object.at(key);
  if (!value.is_string()) Fail(where, std::string("\"") + key + "\" must be a text");
  return value.get<std::string>();
}

int64_t Number(const json& object, const char* key, const std::string& where, int64_t fallback) {
  if (!object.contains(key)) return fallback;
  const json& value = object.at(key);
  if (!value.is_number_integer()) Fail(where, std::string("\"") + key + "\" must be a whole number");
  return value.get<int64_t>();
}

const json& List(const json& object, const char* key, const std::string& where) {
  const json& value = Member(object, key, where);
  if (!value.is_array()) Fail(where, std::string("\"") + key + "\" must be a list");
  return value;
}

std::string RequiredText(const json& object, const char* key, const std::string& where) {
  Member(object, key, where);
  return Text(object, key, where);
}

std::vector<uint8_t> Bytes(const std::string& gbk) { return {gbk.begin(), gbk.end()}; }

// --- record files -------------------------------------------------------------------------

int32_t ControlType(const json& node, const std::string& where) {
  if (!node.contains("control")) return 2;
  const json& control = node.at("control");
  if (control.is_number_integer()) return control.get<int32_t>();
  const std::string name = control.is_string() ? control.get<std::string>() : "";
  if (name == "choice") return 0;
  if (name == "date") return 1;
  if (name == "text") return 2;
  Fail(where, "\"control\" must be \"choice\", \"date\", \"text\" or a number");
}

std::string ChoiceText(const json& node, const std::string& where) {
  std::string text;
  if (!node.contains("choices")) return text;
  const json& choices = node.at("choices");
  if (!choices.is_array()) Fail(where, "\"choices\" must be a list of [display, value]");
  for (const json& item : choices) {
    if (!item.is_array() || item.size() < 2 || !item[0].is_string() || !item[1].is_string()) {
      Fail(where, "each choice must be [display, value]");
    }
    text += Gbk(item[0].get<std::string>()) + "#" + Gbk(item[1].get<std::string>()) + "##|";
  }
  return text;
}

class RecordTreeWriter {
 public:
  explicit RecordTreeWriter(bool parameters) : parameters_(parameters) {}

  void Add(const json& nodes, int64_t parent_id, const std::string& where) {
    if (!nodes.is_array()) Fail(where, "must be a list");
    for (size_t i = 0; i < nodes.size(); ++i) AddNode(nodes[i], parent_id, where + "[" + std::to_string(i) + "]");
  }

  std::vector<RecordLayout> records;

 private:
  void AddNode(const json& node, int64_t parent_id, const std::string& where) {
    RecordLayout r;
    r.parent_id = Number(node, "parent", where, parent_id);
    r.id = Number(node, "id", where, next_id_);
    next_id_ = std::max(next_id_, r.id) + 1;
    if (node.contains("folder")) {
      r.folder = true;
      r.name = Gbk(Text(node, "folder", where));
      records.push_back(r);
      if (node.contains("children")) Add(node.at("children"), r.id, where + ".children");
      return;
    }
    r.name = Gbk(RequiredText(node, "name", where));
    if (parameters_) {
      r.payload = ParameterPayload(ControlType(node, where), Gbk(Text(node, "caption", where)),
                                   Gbk(Text(node, "default", where)));
      const std::string choices = ChoiceText(node, where);
      r.fields[node.value("choices_in_field5", false) ? 5 : 1] = choices;
    } else {
      r.payload = IndicatorPayload(static_cast<uint8_t>(Number(node, "value_kind", where, 2)),
                                   static_cast<uint8_t>(Number(node, "decimals", where, 2)),
                                   static_cast<uint8_t>(Number(node, "alignment", where, 0)),
                                   static_cast<uint8_t>(Number(node, "date_style", where, 0)));
      if (node.contains("params")) {
        for (const json& p : node.at("params")) {
          r.fields[0] += (p.is_string() ? Gbk(p.get<std::string>()) : p.dump()) + "|";
        }
      }
      r.fields[1] = Gbk(Text(node, "service", where));
    }
    records.push_back(std::move(r));
  }

  bool parameters_;
  int64_t next_id_ = 1;
};

DataFile RecordFile(const json& part, std::u16string_view name, int32_t default_payload, bool parameters,
                    const std::string& where) {
  RecordTreeWriter writer(parameters);
  writer.Add(Member(part, "tree", where), 0, where + ".tree");
  const int32_t payload = static_cast<int32_t>(Number(part, "payload_size", where, default_payload));
  return {std::u16string(name),
          EncodeRecordFile(payload, static_cast<int32_t>(Number(part, "revision", where, 1)), writer.records)};
}

// --- securities and market ----------------------------------------------------------------

std::vector<SecurityLayout> Securities(const json& list, const std::string& where) {
  std::vector<SecurityLayout> securities;
  for (size_t i = 0; i < list.size(); ++i) {
    const json& s = list[i];
    if (!s.is_array() || s.size() < 2 || !s[0].is_string() || !s[1].is_string()) {
      Fail(where + "[" + std::to_string(i) + "]", "a security must be [code, name]");
    }
    securities.push_back({Gbk(s[0].get<std::string>()), Gbk(s[1].get<std::string>()), {}});
  }
  std::stable_sort(securities.begin(), securities.end(), [](const SecurityLayout& a, const SecurityLayout& b) {
    return std::lexicographical_compare(a.code.begin(), a.code.end(), b.code.begin(), b.code.end(),
                                        [](char x, char y) { return static_cast<uint8_t>(x) < static_cast<uint8_t>(y); });
  });
  return securities;
}

bool ByteLess(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return static_cast<uint8_t>(x) < static_cast<uint8_t>(y); });
}

class MarketWriter {
 public:
  MarketWriter(const std::vector<SecurityLayout>& securities) {
    for (size_t i = 0; i < securities.size(); ++i) index_of_[securities[i].code] = i;
  }

  void AddCategories(const json& nodes, const std::string& parent_key, int64_t scheme, const std::string& where) {
    if (!nodes.is_array()) Fail(where, "must be a list");
    for (size_t i = 0; i < nodes.size(); ++i) {
      const json& node = nodes[i];
      const std::string at = where + "[" + std::to_string(i) + "]";
      CategoryLayout c;
      c.scheme_id = static_cast<uint64_t>(Number(node, "scheme", at, scheme));
      c.parent_key = parent_key;
      c.code = Gbk(Text(node, "code", at));
      c.name = Gbk(RequiredText(node, "name", at));
      c.extra = Gbk(Text(node, "extra", at));
      c.has_children = node.contains("children") && !node.at("children").empty();
      categories_.push_back(c);
      if (node.contains("members")) {
        for (const json& code : node.at("members")) {
          if (!code.is_string()) Fail(at, "\"members\" must be a list of security codes");
          const auto found = index_of_.find(Gbk(code.get<std::string>()));
          if (found == index_of_.end()) Fail(at, "member " + code.get<std::string>() + " is not among the securities");
          members_.push_back({c.code, c.scheme_id, found->second});
        }
      }
      if (c.has_children) AddCategories(node.at("children"), c.code, static_cast<int64_t>(c.scheme_id), at + ".children");
    }
  }

  // The categories and members in the terminal's order, with repeated values carried.
  void Finish(MarketLayout& market) {
    std::stable_sort(categories_.begin(), categories_.end(), [](const CategoryLayout& a, const CategoryLayout& b) {
      return ByteLess(a.parent_key, b.parent_key);
    });
    std::stable_sort(members_.begin(), members_.end(), [](const MemberLayout& a, const MemberLayout& b) {
      return ByteLess(a.category_code, b.category_code);
    });
    uint64_t carried_scheme = 0;
    std::string previous_parent;
    for (size_t i = 0; i < categories_.size(); ++i) {
      CategoryLayout c = categories_[i];
      c.continues_group = i > 0 && categories_[i - 1].parent_key == c.parent_key;
      if (c.parent_key == previous_parent) c.parent_key.clear();
      previous_parent = categories_[i].parent_key;
      Carry(c.scheme_id, carried_scheme);
      market.categories.push_back(std::move(c));
    }
    std::string previous_code;
    for (MemberLayout m : members_) {
      const std::string code = m.category_code;
      if (code == previous_code) m.category_code.clear();
      previous_code = code;
      Carry(m.scheme_id, carried_scheme);
      market.members.push_back(std::move(m));
    }
  }

 private:
  static void Carry(uint64_t& scheme, uint64_t& carried) {
    if (scheme == carried) {
      scheme = 0;
    } else if (scheme != 0) {
      carried = scheme;
    }
  }

  std::map<std::string, size_t> index_of_;
  std::vector<CategoryLayout> categories_;
  std::vector<MemberLayout> members_;
};

DataFile MarketFile(const json& market, const std::vector<SecurityLayout>& securities, const std::string& where) {
  MarketLayout layout;
  layout.kind = static_cast<int32_t>(Number(market, "kind", where, 0));
  layout.security_extra = market.value("security_extra", false);
  layout.securities = securities;
  if (market.value("names_from_key_index", false)) {
    for (SecurityLayout& s : layout.securities) s.name.clear();
  }
  MarketWriter writer(securities);
  const json& schemes = List(market, "schemes", where);
  for (size_t i = 0; i < schemes.size(); ++i) {
    const std::string at = where + ".schemes[" + std::to_string(i) + "]";
    writer.AddCategories(List(schemes[i], "categories", at), "", Number(schemes[i], "scheme", at, 0), at + ".categories");
  }
  writer.Finish(layout);
  return {std::u16string(kMarketDataName), EncodeMarketData(layout)};
}

// --- self blocks --------------------------------------------------------------------------

std::string StockLines(const json& stocks, const std::string& where) {
  std::string lines;
  for (size_t i = 0; i < stocks.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    const json& s = stocks[i];
    if (s.is_string()) {
      lines += "stock" + n + "=" + Gbk(s.get<std::string>()) + "\r\n";
    } else if (s.is_array() && s.size() == 3 && s[0].is_string() && s[1].is_string() && s[2].is_string()) {
      lines += "stock" + n + "=" + Gbk(s[0].get<std::string>()) + "|" + Gbk(s[1].get<std::string>()) + "|" +
               Gbk(s[2].get<std::string>()) + "\r\n";
    } else if (s.is_object()) {
      const std::string at = where + "[" + std::to_string(i) + "]";
      lines += "stock" + n + "=" + Gbk(Text(s, "code", at)) + "\r\nname" + n + "=" + Gbk(Text(s, "name", at)) +
               "\r\ninfo" + n + "=" + Gbk(Text(s, "info", at)) + "\r\n";
    } else {
      Fail(where + "[" + std::to_string(i) + "]", "a stock must be a code, [code, name, info] or {code, name, info}");
    }
  }
  return lines;
}

DataFile SelfBlockFile(const json& groups, const std::string& where) {
  if (!groups.is_array()) Fail(where, "must be a list of groups");
  std::string system = "[#system#]\r\ncount=" + std::to_string(groups.size()) + "\r\n";
  std::string sections;
  for (size_t g = 0; g < groups.size(); ++g) {
    const std::string at = where + "[" + std::to_string(g) + "]";
    const std::string group = Gbk(RequiredText(groups[g], "group", at));
    system += "name" + std::to_string(g + 1) + "=" + group + "\r\n";
    const json& blocks = List(groups[g], "blocks", at);
    sections += "[" + group + "]\r\ncount=" + std::to_string(blocks.size()) + "\r\n";
    std::string block_sections;
    for (size_t b = 0; b < blocks.size(); ++b) {
      const std::string bat = at + ".blocks[" + std::to_string(b) + "]";
      const std::string block = Gbk(Text(blocks[b], "name", bat));
      sections += "name" + std::to_string(b + 1) + "=" + block + "\r\n";
      const json& stocks = blocks[b].contains("stocks") ? blocks[b].at("stocks") : json::array();
      block_sections += "[" + group + "@" + block + "]\r\ncount=" + std::to_string(stocks.size()) + "\r\n" +
                        StockLines(stocks, bat + ".stocks") + "\r\n";
    }
    sections += "\r\n" + block_sections;
  }
  const std::string text = system + "\r\n" + sections;
  return {std::u16string(kSelfBlockName), Bytes(text)};
}

}  // namespace

std::vector<DataFile> DescribeDataFiles(const json& description) {
  if (!description.is_object()) Fail("the description", "must be a JSON object");
  std::vector<DataFile> files;
  if (description.contains("indicators")) {
    files.push_back(RecordFile(description.at("indicators"), kIndicatorFileName, kIndicatorPayloadSize, false, "indicators"));
  }
  if (description.contains("parameters")) {
    files.push_back(RecordFile(description.at("parameters"), kSystemDictionaryName, kParameterPayloadSize, true, "parameters"));
  }
  std::vector<SecurityLayout> securities;
  if (description.contains("securities")) {
    if (!description.at("securities").is_array()) Fail("securities", "must be a list of [code, name]");
    securities = Securities(description.at("securities"), "securities");
    files.push_back({std::u16string(kKeyIndexName), EncodeKeyIndex(securities)});
  }
  if (description.contains("market")) files.push_back(MarketFile(description.at("market"), securities, "market"));
  if (description.contains("self_blocks")) files.push_back(SelfBlockFile(description.at("self_blocks"), "self_blocks"));
  return files;
}

void WriteDataFiles(const std::u16string& directory, const std::vector<DataFile>& files) {
  for (const DataFile& file : files) {
    std::u16string path = WithTrailingSeparator(directory) + file.name;
    std::replace(path.begin(), path.end(), u'\\', u'/');
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    if (error) throw std::runtime_error("cannot make the folder for " + ToUtf8(path) + ": " + error.message());
    if (!ReplaceFileContent(PlatformFileSystem(), path, file.bytes)) {
      throw std::runtime_error("cannot write " + ToUtf8(path));
    }
  }
}

}  // namespace orra::terminal
