#include "tools/xlhost/formula.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "common/utf8.h"
#include "tools/xlhost/cell_range.h"

namespace orra::xlhost {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The text between the quotes at the start of `text`, with "" read as one quote; `length` is
// how many bytes the quoted text took. None when the closing quote is missing.
std::optional<std::string> ReadQuoted(std::string_view text, size_t& length) {
  std::string content;
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] != '"') {
      content.push_back(text[i]);
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '"') {
      content.push_back('"');
      ++i;
      continue;
    }
    length = i + 1;
    return content;
  }
  return std::nullopt;
}

std::optional<double> ParseNumber(std::string_view text) {
  double number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(number)) {
    return std::nullopt;
  }
  return number;
}

// Splits the argument list at the commas outside quotes. None when a quote is left open.
std::optional<std::vector<std::string_view>> SplitArguments(std::string_view list) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  bool quoted = false;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i] == '"') quoted = !quoted;  // "" toggles twice and so stays inside
    if (list[i] == ',' && !quoted) {
      pieces.push_back(list.substr(start, i - start));
      start = i + 1;
    }
  }
  if (quoted) return std::nullopt;
  pieces.push_back(list.substr(start));
  return pieces;
}

bool IsFunctionName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.') return false;
  }
  return std::isalpha(static_cast<unsigned char>(name.front())) != 0;
}

}  // namespace

std::optional<GridValue> ParseConstant(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '"') {
    size_t length = 0;
    auto content = ReadQuoted(text, length);
    if (!content || length != text.size()) return std::nullopt;
    return GridValue(FromUtf8(*content));
  }
  if (EqualsIgnoringCase(text, "TRUE")) return GridValue(true);
  if (EqualsIgnoringCase(text, "FALSE")) return GridValue(false);
  if (auto number = ParseNumber(text)) return GridValue(*number);
  return std::nullopt;
}

// One cell named with its book and sheet ("[Book1]Sheet1!A1"), as the add-in's navigator writes
// a reference it took from Range.Address. The stand-in holds one sheet, so the cell is read on it.
std::optional<CellAddress> QualifiedCell(std::string_view text) {
  const std::optional<RangeReference> reference = ParseRangeReference(FromUtf8(text));
  if (!reference || !reference->sheet || reference->range.first != reference->range.last) return std::nullopt;
  return reference->range.first;
}

std::optional<Formula> ParseFormula(std::string_view text, std::string& error) {
  text = Trim(text);
  if (text.empty() || text.front() != '=') {
    error = "a formula starts with '='";
    return std::nullopt;
  }
  text.remove_prefix(1);
  const size_t open = text.find('(');
  if (open == std::string_view::npos || text.back() != ')') {
    error = "a formula is one call, NAME(arguments)";
    return std::nullopt;
  }
  Formula formula;
  formula.name = std::string(Trim(text.substr(0, open)));
  if (!IsFunctionName(formula.name)) {
    error = "no function name before '('";
    return std::nullopt;
  }
  for (char& c : formula.name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string_view list = text.substr(open + 1, text.size() - open - 2);
  if (Trim(list).empty()) return formula;
  auto pieces = SplitArguments(list);
  if (!pieces) {
    error = "a text argument has no closing quote";
    return std::nullopt;
  }
  for (std::string_view piece : *pieces) {
    piece = Trim(piece);
    if (piece.empty()) {
      formula.arguments.emplace_back(OmittedArgument{});
    } else if (auto cell = ParseA1(piece)) {
      formula.arguments.emplace_back(*cell);
    } else if (auto qualified = QualifiedCell(piece)) {
      formula.arguments.emplace_back(*qualified);
    } else if (auto constant = ParseConstant(piece)) {
      formula.arguments.emplace_back(std::move(*constant));
    } else {
      error = "argument " + std::to_string(formula.arguments.size() + 1) + " (" +
              std::string(piece) + ") is no text, number, TRUE/FALSE or cell reference";
      return std::nullopt;
    }
  }
  return formula;
}

}  // namespace orra::xlhost
