#pragma once
// Code page 936 as tables read off the platform's own converter once per process, so that the
// many short conversions (every name the store loads, every topic, every cell text) cost a
// table lookup per character instead of a converter call per text. The answers are those of
// the platform converter (codepage936.h), byte for byte and unit for unit: GBK is stateless,
// so a text converts as its characters do one by one; a character the converter does not treat
// as one unit alone (or as one or two bytes the other way) is marked, and a text that holds one
// is handed to the converter whole. Any thread may call; the tables are immutable once built.

#include <cstddef>

namespace orra {

// Same contract as platform::GbkToUtf16 / platform::Utf16ToGbk: exactly `length` source units;
// room 0 answers the units needed; otherwise the units written, or 0 when they do not fit.
size_t GbkToUtf16ByTable(const char* source, size_t length, char16_t* destination, size_t room);
size_t Utf16ToGbkByTable(const char16_t* source, size_t length, char* destination, size_t room);

}  // namespace orra
