#pragma once
// Port: the platform's code page 936 (GBK) converter, with no flags and no default character.
// Windows: MultiByteToWideChar / WideCharToMultiByte. Linux: iconv "CP936", made to treat
// input it rejects the way Windows does (see codepage936_posix.cpp).
//
// Both calls convert exactly `length` source units (a terminator, if wanted, is part of the
// length). With room 0 they answer the units the result needs. Otherwise they answer the units
// written, or 0 when the result does not fit the room (nothing useful is then in destination).

#include <cstddef>

namespace orra::platform {

size_t GbkToUtf16(const char* source, size_t length, char16_t* destination, size_t room);
size_t Utf16ToGbk(const char16_t* source, size_t length, char* destination, size_t room);

}  // namespace orra::platform
