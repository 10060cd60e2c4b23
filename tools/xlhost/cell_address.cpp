#include "tools/xlhost/cell_address.h"

#include "xll/xl_constants.h"

namespace orra::xlhost {
namespace {

constexpr int32_t kLetters = 26;
// "XFD" is the last column; a longer run of letters is no column.
constexpr size_t kMaxColumnLetters = 3;
// "1048576" is the last row.
constexpr size_t kMaxRowDigits = 7;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<CellAddress> ParseA1(std::string_view text) {
  size_t i = 0;
  int32_t column = 0;
  while (i < text.size() && IsLetter(text[i])) {
    if (i == kMaxColumnLetters) return std::nullopt;
    const char upper = static_cast<char>(text[i] & ~0x20);
    column = column * kLetters + (upper - 'A' + 1);
    ++i;
  }
  const size_t letters = i;
  int32_t row = 0;
  while (i < text.size() && IsDigit(text[i])) {
    if (i - letters == kMaxRowDigits) return std::nullopt;
    row = row * 10 + (text[i] - '0');
    ++i;
  }
  if (letters == 0 || i == letters || i != text.size() || text[letters] == '0') return std::nullopt;
  if (column - 1 > kLastColumn || row - 1 > kLastRow) return std::nullopt;
  return CellAddress{row - 1, column - 1};
}

std::string ColumnLetters(int32_t column) {
  std::string letters;
  for (int32_t rest = column + 1; rest > 0; rest = (rest - 1) / kLetters) {
    letters.insert(letters.begin(), static_cast<char>('A' + (rest - 1) % kLetters));
  }
  return letters;
}

std::string A1Text(CellAddress cell) {
  return ColumnLetters(cell.column) + std::to_string(cell.row + 1);
}

}  // namespace orra::xlhost
