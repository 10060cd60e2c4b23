#include "tools/xlhost/scenario.h"

#include <charconv>
#include <limits>
#include <sstream>
#include <string_view>
#include <utility>

#include "common/utf8.h"
#include "tools/xlhost/workbook.h"

namespace orra::xlhost {
namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

struct Keyword {
  std::string_view word;
  StepKind kind;
};

constexpr Keyword kKeywords[] = {
    {"open", StepKind::kOpen},
    {"add", StepKind::kAdd},
    {"remove", StepKind::kRemove},
    {"close", StepKind::kClose},
    {"set", StepKind::kSet},
    {"calc", StepKind::kCalc},
    {"expect", StepKind::kExpect},
    {"expect-rtd", StepKind::kExpectRtd},
    {"expect-no-rtd", StepKind::kExpectNoRtd},
    {"expect-registered", StepKind::kExpectRegistered},
    {"expect-not-registered", StepKind::kExpectNotRegistered},
    {"expect-status", StepKind::kExpectStatus},
    {"expect-status-cleared", StepKind::kExpectStatusCleared},
    {"expect-allocations", StepKind::kExpectAllocations},
    {"print", StepKind::kPrint},
    {"wait", StepKind::kWait},
    {"wait-until", StepKind::kWaitUntil},
    {"throttle", StepKind::kThrottle},
    {"expect-topics", StepKind::kExpectTopics},
    {"expect-rtd-value", StepKind::kExpectRtdValue},
    {"fill", StepKind::kFill},
    {"repeat", StepKind::kRepeat},
    {"end-repeat", StepKind::kEndRepeat},
    {"note-threads", StepKind::kNoteThreads},
    {"expect-threads", StepKind::kExpectThreads},
    {"register", StepKind::kRegister},
    {"unregister", StepKind::kUnregister},
    {"connect", StepKind::kConnect},
    {"disconnect", StepKind::kDisconnect},
    {"click", StepKind::kClick},
    {"invoke", StepKind::kInvoke},
    {"select", StepKind::kSelect},
    {"activate", StepKind::kActivate},
    {"edit", StepKind::kEdit},
    {"answer-messages", StepKind::kAnswerMessages},
    {"expect-message", StepKind::kExpectMessage},
    {"expect-messages", StepKind::kExpectMessages},
    {"expect-format", StepKind::kExpectFormat},
    {"expect-alignment", StepKind::kExpectAlignment},
    {"expect-calculation", StepKind::kExpectCalculation},
    {"expect-ribbon-image", StepKind::kExpectRibbonImage},
    {"expect-ribbon-enabled", StepKind::kExpectRibbonEnabled},
    {"expect-ribbon-xml-bytes", StepKind::kExpectRibbonXmlBytes},
    {"wait-window", StepKind::kWaitWindow},
    {"set-text", StepKind::kSetText},
    {"type", StepKind::kType},
    {"key", StepKind::kKey},
    {"press", StepKind::kPress},
    {"choose", StepKind::kChoose},
    {"select-tree", StepKind::kSelectTree},
    {"double-click-tree", StepKind::kDoubleClickTree},
    {"select-rows", StepKind::kSelectRows},
    {"expect-text", StepKind::kExpectText},
    {"expect-checked", StepKind::kExpectChecked},
    {"expect-rows", StepKind::kExpectRows},
    {"expect-window", StepKind::kExpectWindow},
    {"screenshot", StepKind::kScreenshot},
};

constexpr size_t kAnyCount = std::numeric_limits<size_t>::max();
// A control id or a column number is any that Win32 can hold.
constexpr int32_t kAnyIndex = std::numeric_limits<int32_t>::max();

struct Alignment {
  std::string_view word;
  int32_t value;
};

constexpr Alignment kAlignments[] = {
    {"general", kAlignGeneral}, {"left", kAlignLeft}, {"center", kAlignCenter}, {"right", kAlignRight}};

// The keys a key step names, by their Windows virtual-key codes (a letter or digit names its own).
struct KeyName {
  std::string_view word;
  uint16_t virtual_key;
};

constexpr KeyName kKeyNames[] = {
    {"BACK", 0x08},  {"TAB", 0x09},  {"RETURN", 0x0D}, {"ESCAPE", 0x1B}, {"SPACE", 0x20},
    {"PRIOR", 0x21}, {"NEXT", 0x22}, {"END", 0x23},    {"HOME", 0x24},   {"LEFT", 0x25},
    {"UP", 0x26},    {"RIGHT", 0x27}, {"DOWN", 0x28},  {"INSERT", 0x2D}, {"DELETE", 0x2E},
    {"F1", 0x70},    {"F2", 0x71},   {"F3", 0x72},     {"F4", 0x73},     {"F5", 0x74}};

struct PresenceName {
  std::string_view word;
  WindowPresence presence;
};

constexpr PresenceName kPresenceNames[] = {{"visible", WindowPresence::kVisible},
                                           {"active", WindowPresence::kActive},
                                           {"hidden", WindowPresence::kHidden},
                                           {"absent", WindowPresence::kAbsent}};

// A screenshot's file name: a plain name in the screenshot folder, never a path out of it.
constexpr size_t kMaxFileNameBytes = 100;
constexpr std::string_view kPictureSuffix = ".png";

bool IsPlainFileName(std::string_view name) {
  if (name.size() <= kPictureSuffix.size() || name.size() > kMaxFileNameBytes || name.front() == '.' ||
      name.substr(name.size() - kPictureSuffix.size()) != kPictureSuffix) {
    return false;
  }
  for (const char c : name) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                         c == '-' || c == '.';
    if (!allowed) return false;
  }
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Splits at blanks outside quotes. None (with `error`) when a quote is left open.
std::optional<std::vector<Token>> Tokenize(std::string_view line, std::string& error) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < line.size()) {
    if (IsBlank(line[i])) {
      ++i;
      continue;
    }
    Token token;
    if (line[i] == '"') {
      token.quoted = true;
      bool closed = false;
      for (++i; i < line.size(); ++i) {
        if (line[i] != '"') {
          token.text.push_back(line[i]);
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
          token.text.push_back('"');
          ++i;
        } else {
          closed = true;
          ++i;
          break;
        }
      }
      if (!closed) {
        error = "a text has no closing quote";
        return std::nullopt;
      }
    } else {
      while (i < line.size() && !IsBlank(line[i])) token.text.push_back(line[i++]);
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

// The number `digits` spell in decimal, all of them.
template <typename Number>
std::optional<Number> DecimalNumber(std::string_view digits) {
  Number number{};
  const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (failure != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return number;
}

// The count an operand spells in decimal digits.
bool ParseCount(const std::string& digits, size_t& count, std::string& error) {
  const auto number = DecimalNumber<size_t>(digits);
  if (number) {
    count = *number;
    return true;
  }
  error = "a count is wanted, not " + digits;
  return false;
}

// The operands of one step's line (tokens[0] is its keyword), read into the step. Every reading
// that finds a fault leaves it in `error` and answers false (or none).
class OperandReader {
 public:
  OperandReader(Step& step, const std::vector<Token>& tokens, std::string& error)
      : step_(step), tokens_(tokens), error_(error) {}

  size_t count() const { return tokens_.size() - 1; }

  bool Exactly(size_t wanted) const {
    if (count() == wanted) return true;
    error_ = "takes " + std::to_string(wanted) + " operand" + (wanted == 1 ? "" : "s") + ", not " +
             std::to_string(count());
    return false;
  }

  bool AtLeast(size_t wanted) const {
    if (count() >= wanted) return true;
    error_ = "takes at least " + std::to_string(wanted) + " operands, not " + std::to_string(count());
    return false;
  }

  // A cell reference such as B3, into the step's cell.
  bool CellAt(size_t index) const {
    if (index >= tokens_.size() || tokens_[index].quoted || !(step_.cell = ParseA1(tokens_[index].text))) {
      error_ = "a cell reference such as B3 is wanted";
      return false;
    }
    return true;
  }

  // Every operand from `first` on, each a quoted text, onto the step's texts.
  bool TextsFrom(size_t first) const {
    for (size_t i = first; i < tokens_.size(); ++i) {
      if (!tokens_[i].quoted) {
        error_ = "operand " + std::to_string(i) + " (" + tokens_[i].text + ") must be a quoted text";
        return false;
      }
      step_.texts.push_back(FromUtf8(tokens_[i].text));
    }
    return true;
  }

  // Unquoted decimal digits of a number from 0 to `most`; `wanted` says what it is in the error.
  template <typename Number>
  std::optional<Number> NumberAt(size_t index, Number most, std::string_view wanted) const {
    const Token& token = tokens_[index];
    const auto number = token.quoted ? std::nullopt : DecimalNumber<Number>(token.text);
    if (number && !std::cmp_less(*number, 0) && !std::cmp_greater(*number, most)) return number;
    error_ = std::string(wanted) + " is wanted, not " + token.text;
    return std::nullopt;
  }

  // A count from 0 to `most`, into the step's count.
  bool CountAt(size_t index, size_t most) const {
    const auto number = NumberAt(index, most, "a count from 0 to " + std::to_string(most));
    if (number) step_.count = *number;
    return number.has_value();
  }

  // One of two words, unquoted; the step's flag is whether it was the first.
  bool ChoiceAt(size_t index, std::string_view yes, std::string_view no) const {
    const Token& token = tokens_[index];
    if (!token.quoted && (token.text == yes || token.text == no)) {
      step_.flag = token.text == yes;
      return true;
    }
    error_ = std::string(yes) + " or " + std::string(no) + " is wanted, not " + token.text;
    return false;
  }

 private:
  Step& step_;
  const std::vector<Token>& tokens_;
  std::string& error_;
};

// The operands of the steps that reach Excel's COM side.
bool ParseExcelOperands(Step& step, const std::vector<Token>& tokens, std::string& error) {
  const OperandReader read(step, tokens, error);
  const size_t operands = read.count();
  switch (step.kind) {
    case StepKind::kRegister:
      if (operands > 1) return read.Exactly(1);
      if (operands == 1) step.word = tokens[1].text;
      return true;
    case StepKind::kUnregister:
    case StepKind::kDisconnect:
      return read.Exactly(0);
    case StepKind::kConnect:
    case StepKind::kClick:
    case StepKind::kInvoke:
      if (step.kind == StepKind::kConnect && operands == 0) return true;
      if (!read.Exactly(1)) return false;
      step.word = tokens[1].text;
      return true;
    case StepKind::kSelect: {
      if (!read.Exactly(1)) return false;
      const auto reference = ParseRangeReference(FromUtf8(tokens[1].text));
      if (tokens[1].quoted || !reference || reference->sheet) {
        error = "a range of the sheet such as B2 or B2:C5 is wanted";
        return false;
      }
      step.range = reference->range;
      return true;
    }
    case StepKind::kActivate:
      return read.Exactly(1) && read.CellAt(1);
    case StepKind::kEdit:
      return read.Exactly(1) && read.ChoiceAt(1, "begin", "end");
    case StepKind::kAnswerMessages:
      return read.Exactly(1) && read.ChoiceAt(1, "yes", "no");
    case StepKind::kExpectMessage:
      if (operands < 1 || operands > 2) {
        error = "takes the text and, if wanted, the caption";
        return false;
      }
      return read.TextsFrom(1);
    case StepKind::kExpectMessages:
    case StepKind::kExpectRibbonXmlBytes:
      return read.Exactly(1) && ParseCount(tokens[1].text, step.count, error);
    case StepKind::kExpectFormat:
      if (!read.Exactly(2) || !read.CellAt(1)) return false;
      if (!tokens[2].quoted) {
        error = "the format must be a quoted text";
        return false;
      }
      step.texts.push_back(FromUtf8(tokens[2].text));
      return true;
    case StepKind::kExpectAlignment:
      if (!read.Exactly(2) || !read.CellAt(1)) return false;
      for (const Alignment& alignment : kAlignments) {
        if (!tokens[2].quoted && tokens[2].text == alignment.word) {
          step.alignment = alignment.value;
          return true;
        }
      }
      error = "left, center, right or general is wanted, not " + tokens[2].text;
      return false;
    case StepKind::kExpectCalculation:
      return read.Exactly(1) && read.ChoiceAt(1, "on", "off");
    case StepKind::kExpectRibbonImage:
    case StepKind::kExpectRibbonEnabled:
      if (!read.Exactly(2)) return false;
      step.word = tokens[1].text;
      return step.kind == StepKind::kExpectRibbonImage ? read.ChoiceAt(2, "present", "none")
                                                       : read.ChoiceAt(2, "TRUE", "FALSE");
    default:
      return false;
  }
}

bool ReadPresence(const Token& token, Step& step, std::string& error) {
  for (const PresenceName& name : kPresenceNames) {
    if (!token.quoted && token.text == name.word) {
      step.presence = name.presence;
      return true;
    }
  }
  error = "visible, active, hidden or absent is wanted, not " + token.text;
  return false;
}

// The operands of the window steps: a quoted caption first, then for a control its id.
bool ParseWindowOperands(Step& step, const std::vector<Token>& tokens, std::string& error) {
  const OperandReader read(step, tokens, error);
  const size_t operands = read.count();
  if (operands == 0 || !tokens[1].quoted) {
    error = "the window's caption is wanted first, as a quoted text";
    return false;
  }
  step.control.caption = FromUtf8(tokens[1].text);
  auto control = [&] {
    const auto id = read.NumberAt(2, kAnyIndex, "a control id");
    if (id) step.control.id = *id;
    return id.has_value();
  };
  switch (step.kind) {
    case StepKind::kWaitWindow: {
      if (operands > 3) return read.Exactly(3);
      step.count = kDefaultWaitWindowMs;
      if (operands == 1) return true;
      const auto wait = read.NumberAt(2, kMaxWaitMs, "a count of milliseconds up to " + std::to_string(kMaxWaitMs));
      if (wait) step.count = *wait;
      if (!wait || operands == 2) return wait.has_value();
      if (!ReadPresence(tokens[3], step, error)) return false;
      if (step.presence == WindowPresence::kVisible || step.presence == WindowPresence::kActive) return true;
      error = "a wait is for a visible or an active window, not " + tokens[3].text;
      return false;
    }
    case StepKind::kSetText:
    case StepKind::kType:
    case StepKind::kChoose:
    case StepKind::kExpectText:
      return read.Exactly(3) && control() && read.TextsFrom(3);
    case StepKind::kKey: {
      if (!read.Exactly(3) || !control()) return false;
      const std::string& name = tokens[3].text;
      for (const KeyName& key : kKeyNames) {
        if (!tokens[3].quoted && key.word == name) {
          step.count = key.virtual_key;
          return true;
        }
      }
      if (!tokens[3].quoted && name.size() == 1 && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9'))) {
        step.count = static_cast<uint8_t>(name[0]);
        return true;
      }
      error = "a key such as DOWN, RETURN, ESCAPE, TAB or a letter is wanted, not " + name;
      return false;
    }
    case StepKind::kPress:
      return read.Exactly(2) && control();
    case StepKind::kSelectTree:
    case StepKind::kDoubleClickTree:
      return read.AtLeast(3) && control() && read.TextsFrom(3);
    case StepKind::kSelectRows:
      return read.AtLeast(2) && control() && read.TextsFrom(3);
    case StepKind::kExpectChecked:
      return read.Exactly(3) && control() && read.ChoiceAt(3, "TRUE", "FALSE");
    case StepKind::kExpectRows: {
      if (!read.AtLeast(3) || !control()) return false;
      const auto column = read.NumberAt(3, kAnyIndex, "a column number (0 for the first)");
      if (!column) return false;
      step.count = static_cast<size_t>(*column);
      return read.TextsFrom(4);
    }
    case StepKind::kExpectWindow:
      return read.Exactly(2) && ReadPresence(tokens[2], step, error);
    case StepKind::kScreenshot:
      if (!read.Exactly(2)) return false;
      if (!IsPlainFileName(tokens[2].text)) {
        error = "a file name of letters, digits, '.', '_' and '-' ending in .png is wanted, not " + tokens[2].text;
        return false;
      }
      step.word = tokens[2].text;
      return true;
    default:
      return false;
  }
}

// The operands after the keyword and, for set, the raw rest of the line after the cell.
bool ParseOperands(Step& step, const std::vector<Token>& tokens, std::string_view rest_after_cell,
                   std::string& error) {
  switch (SideOf(step.kind)) {
    case StepSide::kExcel: return ParseExcelOperands(step, tokens, error);
    case StepSide::kWindows: return ParseWindowOperands(step, tokens, error);
    case StepSide::kWorkbook: break;
  }
  const OperandReader read(step, tokens, error);
  const size_t operands = read.count();
  auto value_at = [&](size_t index) -> bool {
    if (tokens[index].quoted) {
      step.value = FromUtf8(tokens[index].text);
      return true;
    }
    auto constant = ParseConstant(tokens[index].text);
    if (!constant) {
      error = "the value " + tokens[index].text + " is no text, number or TRUE/FALSE";
      return false;
    }
    step.value = std::move(*constant);
    return true;
  };
  switch (step.kind) {
    case StepKind::kOpen:
      if (operands > 1) return read.Exactly(1);
      if (operands == 1) step.word = tokens[1].text;
      return true;
    case StepKind::kAdd:
    case StepKind::kRemove:
    case StepKind::kClose:
    case StepKind::kPrint:
    case StepKind::kExpectStatusCleared:
    case StepKind::kEndRepeat:
    case StepKind::kNoteThreads:
      return read.Exactly(0);
    case StepKind::kSet: {
      if (!read.CellAt(1)) return false;
      if (operands == 1) return true;  // clears the cell
      if (!rest_after_cell.empty() && rest_after_cell.front() == '=') {
        step.formula = ParseFormula(rest_after_cell, error);
        return step.formula.has_value();
      }
      auto constant = ParseConstant(rest_after_cell);
      if (!constant) {
        error = "the value is no text, number, TRUE/FALSE or =formula";
        return false;
      }
      step.value = std::move(*constant);
      return true;
    }
    case StepKind::kCalc:
      if (operands == 0) return true;
      return read.Exactly(1) && read.CellAt(1);
    case StepKind::kExpect: {
      if (!read.Exactly(2) || !read.CellAt(1)) return false;
      if (tokens[2].quoted) {
        step.value = FromUtf8(tokens[2].text);
        return true;
      }
      if (tokens[2].text == "empty") return true;
      auto constant = ParseConstant(tokens[2].text);
      if (!constant) {
        error = "the expected value " + tokens[2].text + " is no text, number, TRUE/FALSE or empty";
        return false;
      }
      step.value = std::move(*constant);
      return true;
    }
    case StepKind::kExpectRtd:
      if (operands < 4) {
        error = "takes a cell, the ProgID, the server and at least one topic";
        return false;
      }
      return read.CellAt(1) && read.TextsFrom(2);
    case StepKind::kExpectNoRtd:
      return read.Exactly(1) && read.CellAt(1);
    case StepKind::kExpectRegistered:
      if (!read.Exactly(3)) return false;
      step.word = tokens[1].text;
      return read.TextsFrom(2);
    case StepKind::kExpectNotRegistered:
      if (!read.Exactly(1)) return false;
      step.word = tokens[1].text;
      return true;
    case StepKind::kExpectStatus:
      return read.Exactly(1) && read.TextsFrom(1);
    case StepKind::kExpectAllocations: {
      if (!read.Exactly(1)) return false;
      const auto allocations = DecimalNumber<size_t>(tokens[1].text);
      if (!allocations) {
        error = "a count of allocations is wanted";
        return false;
      }
      step.count = *allocations;
      return true;
    }
    case StepKind::kWait:
    case StepKind::kThrottle:
      return read.Exactly(1) && read.CountAt(1, kMaxWaitMs);
    case StepKind::kWaitUntil:
      if (operands != 2 && operands != 3) return read.Exactly(3);
      if (!read.CellAt(1) || !value_at(2)) return false;
      if (operands == 2) {
        step.count = kDefaultWaitUntilMs;
        return true;
      }
      return read.CountAt(3, kMaxWaitMs);
    case StepKind::kExpectTopics:
      return read.Exactly(1) && read.CountAt(1, kAnyCount);
    case StepKind::kExpectRtdValue:
      return read.Exactly(2) && read.CellAt(1) && value_at(2);
    case StepKind::kFill: {
      if (operands < 2) return read.Exactly(2);
      const std::string& range = tokens[1].text;
      const size_t colon = range.find(':');
      const auto first = colon == std::string::npos ? std::nullopt : ParseA1(range.substr(0, colon));
      const auto last = colon == std::string::npos ? std::nullopt : ParseA1(range.substr(colon + 1));
      if (tokens[1].quoted || !first || !last || last->row < first->row || last->column < first->column) {
        error = "a range such as B1:B1000 is wanted";
        return false;
      }
      const size_t cells = static_cast<size_t>(last->row - first->row + 1) *
                           static_cast<size_t>(last->column - first->column + 1);
      if (cells > kMaxFilledCells) {
        error = "at most " + std::to_string(kMaxFilledCells) + " cells are filled at once";
        return false;
      }
      step.cell = first;
      step.last_cell = last;
      if (rest_after_cell.empty() || rest_after_cell.front() != '=') {
        error = "a =formula is wanted";
        return false;
      }
      step.formula = ParseFormula(rest_after_cell, error);
      return step.formula.has_value();
    }
    case StepKind::kRepeat:
      return read.Exactly(1) && read.CountAt(1, kMaxRepetitions);
    case StepKind::kExpectThreads:
      if (operands == 0) return true;
      return read.Exactly(1) && read.CountAt(1, kAnyCount);
    default:
      return false;
  }
}

// Pairs every repeat with its end-repeat, innermost first.
bool MatchRepetitions(std::vector<Step>& steps, std::string& error) {
  std::vector<size_t> open;
  for (size_t i = 0; i < steps.size(); ++i) {
    if (steps[i].kind == StepKind::kRepeat) {
      open.push_back(i);
    } else if (steps[i].kind == StepKind::kEndRepeat) {
      if (open.empty()) {
        error = "line " + std::to_string(steps[i].line) + ": end-repeat without a repeat";
        return false;
      }
      steps[i].partner = open.back();
      steps[open.back()].partner = i;
      open.pop_back();
    }
  }
  if (!open.empty()) {
    error = "line " + std::to_string(steps[open.back()].line) + ": repeat without an end-repeat";
    return false;
  }
  return true;
}

// What follows the keyword and the cell on a set line, trimmed.
std::string_view RestAfterCell(std::string_view line) {
  size_t i = 0;
  for (int field = 0; field < 2; ++field) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
  }
  while (i < line.size() && IsBlank(line[i])) ++i;
  size_t end = line.size();
  while (end > i && IsBlank(line[end - 1])) --end;
  return line.substr(i, end - i);
}

}  // namespace

StepSide SideOf(StepKind kind) {
  if (kind >= StepKind::kWaitWindow) return StepSide::kWindows;
  if (kind >= StepKind::kRegister) return StepSide::kExcel;
  return StepSide::kWorkbook;
}

bool IsExpectation(StepKind kind) {
  for (const Keyword& keyword : kKeywords) {
    if (keyword.kind == kind) return keyword.word.starts_with("expect");
  }
  return false;
}

std::optional<std::vector<Step>> ParseScenario(const std::string& text, std::string& error) {
  std::vector<Step> steps;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    std::string problem;
    auto tokens = Tokenize(line, problem);
    if (tokens && (tokens->empty() || (!(*tokens)[0].quoted && (*tokens)[0].text[0] == '#'))) continue;
    Step step;
    step.line = number;
    step.source = line;
    if (tokens) {
      const Keyword* keyword = nullptr;
      for (const Keyword& candidate : kKeywords) {
        if (!(*tokens)[0].quoted && candidate.word == (*tokens)[0].text) keyword = &candidate;
      }
      if (keyword == nullptr) {
        problem = "unknown step \"" + (*tokens)[0].text + "\"";
      } else {
        step.kind = keyword->kind;
        if (ParseOperands(step, *tokens, RestAfterCell(line), problem)) {
          steps.push_back(std::move(step));
          continue;
        }
        problem = std::string(keyword->word) + ": " + problem;
      }
    }
    error = "line " + std::to_string(number) + ": " + problem + ": " + line;
    return std::nullopt;
  }
  if (!MatchRepetitions(steps, error)) return std::nullopt;
  return steps;
}

}  // namespace orra::xlhost
