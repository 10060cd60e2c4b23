#include "tools/orra-server/terminal_answers.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace orra::server {
namespace {

using Json = nlohmann::json;
constexpr int kPriceAdjustments = 3;  // the choices of "priceadj": 0, 1, 2

uint64_t Fnv1a(const std::string& text) {
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}


void CollectIndicators(const Json& nodes, std::vector<const Json*>& out) {
  for (const Json& node : nodes) {
    if (node.contains("children")) {
      CollectIndicators(node.at("children"), out);
    } else if (node.contains("service")) {
      out.push_back(&node);
    }
  }
}

bool TakesPriceAdjustment(const Json& indicator) {
  if (!indicator.contains("params")) return false;
  for (const Json& p : indicator.at("params")) {
    if (p.is_string() && p.get<std::string>() == "priceadj") return true;
  }
  return false;
}

Json ValueFor(const Json& indicator, const std::string& code, const std::string& name, int adjustment) {
  const std::string service = indicator.at("service").get<std::string>();
  switch (indicator.value("value_kind", 2)) {
    case 0:
      return service == "stock.info.name" ? Json(name) : Json(name + " " + service.substr(service.rfind('.') + 1));
    case 1:
      return AnswerDate(code, service);
    default:
      return AnswerNumber(code, service, adjustment, indicator.value("decimals", 2));
  }
}

const char* ValueType(const Json& indicator) {
  switch (indicator.value("value_kind", 2)) {
    case 0:
      return "gbk";
    case 1:
      return "datetime";
    default:
      return "double";
  }
}

using Securities = std::vector<std::pair<std::string, std::string>>;

Json ServiceFor(const Json& indicator, const Securities& securities) {
  const bool adjusted = TakesPriceAdjustment(indicator);
  // The cell shows column 0, so the value comes first and the columns rows are picked by after.
  Json columns = Json::array({{{"name", "value"}, {"type", ValueType(indicator)}}, {{"name", "code"}, {"type", "gbk"}}});
  Json match = {{"code", "@seccode@"}};
  if (adjusted) {
    columns.push_back({{"name", "priceadj"}, {"type", "gbk"}});
    match["priceadj"] = "priceadj";
  }
  Json rows = Json::array();
  for (const auto& [code, name] : securities) {
    for (int adjustment = 0; adjustment < (adjusted ? kPriceAdjustments : 1); ++adjustment) {
      Json row = Json::array({ValueFor(indicator, code, name, adjustment), code});
      if (adjusted) row.push_back(std::to_string(adjustment));
      rows.push_back(std::move(row));
    }
  }
  return {{"columns", columns}, {"match", match}, {"rows", rows}};
}

}  // namespace

double AnswerNumber(const std::string& code, const std::string& service, int price_adjustment, int decimals) {
  const double base = 5.0 + static_cast<double>(Fnv1a(code + "|" + service) % 1000000) / 100.0;
  const double value = base * (1.0 + 0.1 * price_adjustment);
  const double scale = std::pow(10.0, decimals < 0 ? 0 : (decimals > 6 ? 6 : decimals));
  return std::round(value * scale) / scale;
}

std::string AnswerDate(const std::string& code, const std::string& service) {
  const uint64_t h = Fnv1a(code + "|" + service);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", 1990 + static_cast<int>(h % 34), 1 + static_cast<int>((h >> 8) % 12),
                1 + static_cast<int>((h >> 16) % 28));
  return text;
}

Securities AnsweredSecurities(const Json& terminal, const TerminalAnswerOptions& options) {
  Securities shanghai, others;
  const size_t half = (options.securities + 1) / 2;
  for (const Json& s : terminal.at("securities")) {
    const std::string code = s.at(0).get<std::string>();
    const bool sh = code.size() > 3 && code.compare(code.size() - 3, 3, ".sh") == 0;
    Securities& list = sh ? shanghai : others;
    if (list.size() < half) list.emplace_back(code, s.at(1).get<std::string>());
  }
  // Fill from the other market when one has too few.
  Securities all = shanghai;
  for (const auto& s : others) {
    if (all.size() < options.securities) all.push_back(s);
  }
  return all;
}

Json AnswersForTerminal(const Json& terminal, const TerminalAnswerOptions& options) {
  std::vector<const Json*> indicators;
  CollectIndicators(terminal.at("indicators").at("tree"), indicators);
  const Securities securities = AnsweredSecurities(terminal, options);
  Json services = Json::object();
  for (const Json* indicator : indicators) {
    services[indicator->at("service").get<std::string>()] = ServiceFor(*indicator, securities);
  }
  return {{"unknown_service_error", "\xE6\x97\xA0\xE6\xAD\xA4\xE6\x9C\x8D\xE5\x8A\xA1"},  // 无此服务
          {"no_row_error", "\xE6\x97\xA0\xE6\x95\xB0\xE6\x8D\xAE"},                     // 无数据
          {"services", services}};
}

}  // namespace orra::server
