#pragma once
// GBK (code page 936) <-> UTF-16, the one road between the terminal's and server's narrow
// text and what Excel, COM and the dialogs see.
//
// ToWide / ToNarrow convert into the calling thread's scratch buffers: the result stays valid
// until the same thread's next call of the same function, so a caller that keeps it copies it.
// Any thread may call any function; no call takes a lock once the thread has its scratch.

#include <cstddef>
#include <string>
#include <string_view>

namespace orra {

// Zero-terminated GBK -> UTF-16 in the thread's wide scratch. Null gives "".
const char16_t* ToWide(const char* text);
// Zero-terminated UTF-16 -> GBK in the thread's narrow scratch. Null gives "".
const char* ToNarrow(const char16_t* text);

// Into the caller's buffer of `max_units` units, always zero-terminated (cut to at most
// max_units - 1 units when it does not fit). Returns destination.
char16_t* ToWideInto(char16_t* destination, size_t max_units, const char* text);
// Into the caller's buffer of `max_bytes` bytes, always zero-terminated. A cut never splits a
// double-byte character. Returns the bytes written, terminator not counted.
size_t ToNarrowInto(char* destination, size_t max_bytes, const char16_t* text);

// Owned copies, for texts that may hold zeros or are kept.
std::u16string ToWideString(std::string_view gbk);
std::string ToNarrowString(std::u16string_view text);

// The calling thread's scratch capacities (units / bytes); for tests and diagnostics.
size_t WideScratchCapacity();
size_t NarrowScratchCapacity();

// Gives the calling thread its scratch now (at load, for the loading thread); false when
// memory runs out.
bool PrepareThreadScratch();
// Frees every thread's scratch; threads that convert again get a fresh one. Only at unload,
// when no other thread converts.
void FreeAllThreadScratch();

}  // namespace orra
