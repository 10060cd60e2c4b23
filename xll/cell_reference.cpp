#include "xll/cell_reference.h"

#include <algorithm>
#include <string>

#include "common/ascii_text.h"
#include "xll/xl_constants.h"

namespace orra {
namespace {

constexpr int32_t kLettersInAlphabet = 26;

// Bijective base 26: the letters of column + 1 with the digits A = 1 to Z = 26.
void AppendColumnLetters(int32_t column, std::u16string& out) {
  char16_t letters[8];
  size_t count = 0;
  for (int32_t rest = column + 1; rest > 0 && count < std::size(letters);
       rest = (rest - 1) / kLettersInAlphabet) {
    letters[count++] = static_cast<char16_t>(u'A' + (rest - 1) % kLettersInAlphabet);
  }
  while (count > 0) out.push_back(letters[--count]);
}

void AppendCell(int32_t row, int32_t column, std::u16string& out) {
  AppendColumnLetters(std::clamp(column, 0, kLastColumn), out);
  out += WidenAscii(std::to_string(std::clamp(row, 0, kLastRow) + 1));
}

}  // namespace

std::u16string CellReferenceA1(const XLREF12& rectangle) {
  std::u16string text;
  AppendCell(rectangle.rwFirst, rectangle.colFirst, text);
  if (rectangle.rwLast != rectangle.rwFirst || rectangle.colLast != rectangle.colFirst) {
    text.push_back(u':');
    AppendCell(rectangle.rwLast, rectangle.colLast, text);
  }
  return text;
}

}  // namespace orra
