#include "tools/orra/sheet_formula.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "common/utf8.h"

namespace orra::cli {
namespace {

constexpr size_t kMaxXdpArguments = 16;

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

bool IsCellReference(const std::string& cell) {
  size_t i = 0;
  while (i < cell.size() && std::isalpha(static_cast<unsigned char>(cell[i]))) ++i;
  const size_t letters = i;
  while (i < cell.size() && std::isdigit(static_cast<unsigned char>(cell[i]))) ++i;
  return letters > 0 && letters <= 3 && i > letters && i == cell.size();
}

// Reads the arguments between "=XDP(" and ")" starting at `pos`.
std::optional<std::vector<std::optional<std::u16string>>> ReadArguments(const std::string& f, size_t pos,
                                                                        std::string& why) {
  std::vector<std::optional<std::u16string>> args;
  for (;;) {
    while (pos < f.size() && f[pos] == ' ') ++pos;
    if (pos >= f.size()) {
      why = "missing ')'";
      return std::nullopt;
    }
    if (f[pos] == '"') {
      std::string text;
      for (++pos;; ++pos) {
        if (pos >= f.size()) {
          why = "a quoted argument is not closed";
          return std::nullopt;
        }
        if (f[pos] == '"') {
          if (pos + 1 < f.size() && f[pos + 1] == '"') {
            text += '"';
            ++pos;
            continue;
          }
          ++pos;
          break;
        }
        text += f[pos];
      }
      args.push_back(FromUtf8(text));
    } else {
      const size_t end = f.find_first_of(",)", pos);
      if (end == std::string::npos) {
        why = "missing ')'";
        return std::nullopt;
      }
      const std::string bare = Trim(f.substr(pos, end - pos));
      if (bare.empty()) {
        args.push_back(std::nullopt);
      } else if (bare.find_first_not_of("0123456789.+-eE") == std::string::npos) {
        args.push_back(FromUtf8(bare));
      } else {
        why = "argument '" + bare + "' is neither a quoted text nor a number";
        return std::nullopt;
      }
      pos = end;
    }
    while (pos < f.size() && f[pos] == ' ') ++pos;
    if (pos < f.size() && f[pos] == ',') {
      ++pos;
      continue;
    }
    if (pos < f.size() && f[pos] == ')') {
      if (Trim(f.substr(pos + 1)).empty()) break;
      why = "text after ')'";
      return std::nullopt;
    }
    why = "expected ',' or ')'";
    return std::nullopt;
  }
  if (args.size() == 1 && !args[0]) args.clear();  // "=XDP()"
  if (args.size() > kMaxXdpArguments) {
    why = "XDP takes at most 16 arguments";
    return std::nullopt;
  }
  return args;
}

bool IsPlacementOption(const std::u16string& text) {
  std::u16string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; });
  return upper.find(u"ROW=") != std::u16string::npos && upper.find(u"COL=") != std::u16string::npos;
}

}  // namespace

std::optional<std::vector<SheetCell>> ParseSheet(const std::string& text, std::string& error) {
  std::vector<SheetCell> cells;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    const size_t space = line.find_first_of(" \t");
    const std::string cell = line.substr(0, space);
    const std::string formula = space == std::string::npos ? "" : Trim(line.substr(space));
    const auto fail = [&](const std::string& why) {
      error = "line " + std::to_string(number) + ": " + why;
      return std::nullopt;
    };
    if (!IsCellReference(cell)) return fail("'" + cell + "' is not a cell reference such as B2");
    std::string head = formula.substr(0, 5);
    std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::toupper(c); });
    if (head != "=XDP(") return fail("the formula must start with =XDP(");
    std::string why;
    auto args = ReadArguments(formula, 5, why);
    if (!args) return fail(why);
    cells.push_back({cell, number, std::move(*args)});
  }
  return cells;
}

std::u16string CallerAddress(const std::u16string& sheet_name, const std::string& cell) {
  return u"'" + sheet_name + u"'!" + FromUtf8(cell);
}

std::optional<std::vector<std::u16string>> XdpTopics(const SheetCell& cell, const std::u16string& sheet_name) {
  if (cell.arguments.size() < 2 || !cell.arguments[0] || !cell.arguments[1]) return std::nullopt;
  std::vector<std::u16string> topics = {CallerAddress(sheet_name, cell.cell), u"0"};
  for (const auto& argument : cell.arguments) {
    if (argument && !IsPlacementOption(*argument)) topics.push_back(*argument);
  }
  return topics;
}

}  // namespace orra::cli
