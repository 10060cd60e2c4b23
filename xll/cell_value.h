#pragma once
// What a single-value worksheet function gives its cell: a number or a UTF-16 text. The XLL
// layer turns it into an XLOPER12 (a number or a string); `orra sheet` prints it.

#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace orra {

class CellValue {
 public:
  static CellValue Number(double number) noexcept { return CellValue(number); }
  static CellValue Text(std::u16string_view text) { return CellValue(std::u16string(text)); }

  bool IsNumber() const noexcept { return std::holds_alternative<double>(content_); }
  // The number (0 for a text) and the text (empty for a number).
  double number() const noexcept { return IsNumber() ? std::get<double>(content_) : 0; }
  std::u16string_view text() const noexcept {
    return IsNumber() ? std::u16string_view() : std::u16string_view(std::get<std::u16string>(content_));
  }

  friend bool operator==(const CellValue&, const CellValue&) = default;

 private:
  explicit CellValue(std::variant<double, std::u16string> content) noexcept : content_(std::move(content)) {}
  std::variant<double, std::u16string> content_;
};

}  // namespace orra
