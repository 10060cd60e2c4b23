#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "common/codepage936.h"

namespace orra::platform {
namespace {

// Windows' code page 936 accepts some input glibc rejects; where it does, this adapter gives
// what Windows gives (as seen through Wine's converter):
//  - a lead byte (0x81..0xFE) with any following non-zero byte that is not a valid pair
//    becomes one U+003F and consumes both bytes; a lead byte at the end becomes U+003F;
//  - the lone byte 0xFF becomes U+F8F5;
//  - a UTF-16 unit with no GBK form, lone surrogates included, becomes "?".
// Windows also maps the user-defined GBK areas to the Private Use Area (0xA2A0 -> U+E585);
// glibc has no such mapping, and those pairs become U+003F here (the tests name the case).
constexpr char16_t kWideQuestion = u'?';
constexpr char16_t kWideOfFF = 0xF8F5;

// One converter per direction and thread: iconv_open is far too slow to call per text.
struct Converters {
  iconv_t to_wide = iconv_open("UTF-16LE", "CP936");
  iconv_t to_narrow = iconv_open("CP936", "UTF-16LE");
  ~Converters() {
    if (to_wide != reinterpret_cast<iconv_t>(-1)) iconv_close(to_wide);
    if (to_narrow != reinterpret_cast<iconv_t>(-1)) iconv_close(to_narrow);
  }
};

Converters& ThreadConverters() {
  thread_local Converters converters;
  return converters;
}

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// Writes into `out` when given, else only counts. Answers false when out's room runs short.
class WideSink {
 public:
  WideSink(char16_t* out, size_t room) : out_(out), room_(room) {}
  bool Put(char16_t unit) {
    if (out_ != nullptr) {
      if (count_ >= room_) return false;
      out_[count_] = unit;
    }
    ++count_;
    return true;
  }
  size_t count() const { return count_; }

 private:
  char16_t* out_;
  size_t room_;
  size_t count_ = 0;
};

}  // namespace

size_t GbkToUtf16(const char* source, size_t length, char16_t* destination, size_t room) {
  iconv_t cd = ThreadConverters().to_wide;
  if (length == 0 || cd == reinterpret_cast<iconv_t>(-1)) return 0;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(source);
  size_t in_left = length;
  char16_t chunk[256];
  WideSink sink(room == 0 ? nullptr : destination, room);
  while (in_left > 0) {
    char* out = reinterpret_cast<char*>(chunk);
    size_t out_left = sizeof chunk;
    const size_t rc = iconv(cd, &in, &in_left, &out, &out_left);
    const int error = rc == static_cast<size_t>(-1) ? errno : 0;
    const size_t produced = (sizeof chunk - out_left) / sizeof(char16_t);
    for (size_t i = 0; i < produced; ++i) {
      if (!sink.Put(chunk[i])) return 0;
    }
    if (error == E2BIG) continue;
    if (error == EILSEQ || error == EINVAL) {
      const auto b = static_cast<unsigned char>(*in);
      size_t skip = 1;
      char16_t replacement = kWideQuestion;
      if (b == 0xFF) {
        replacement = kWideOfFF;
      } else if (IsLeadByte(b) && in_left >= 2 && in[1] != 0) {
        skip = 2;
      }
      if (!sink.Put(replacement)) return 0;
      in += skip;
      in_left -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    } else if (error != 0) {
      return 0;
    }
  }
  return sink.count();
}

size_t Utf16ToGbk(const char16_t* source, size_t length, char* destination, size_t room) {
  iconv_t cd = ThreadConverters().to_narrow;
  if (length == 0 || cd == reinterpret_cast<iconv_t>(-1)) return 0;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = reinterpret_cast<char*>(const_cast<char16_t*>(source));
  size_t in_left = length * sizeof(char16_t);
  char chunk[512];
  size_t count = 0;
  const bool counting = room == 0;
  while (in_left > 0) {
    char* out = chunk;
    size_t out_left = sizeof chunk;
    const size_t rc = iconv(cd, &in, &in_left, &out, &out_left);
    const int error = rc == static_cast<size_t>(-1) ? errno : 0;
    const size_t produced = sizeof chunk - out_left;
    if (!counting) {
      if (count + produced > room) return 0;
      std::memcpy(destination + count, chunk, produced);
    }
    count += produced;
    if (error == E2BIG) continue;
    if (error == EILSEQ || error == EINVAL) {
      if (!counting) {
        if (count + 1 > room) return 0;
        destination[count] = '?';
      }
      ++count;
      const size_t skip = in_left >= sizeof(char16_t) ? sizeof(char16_t) : in_left;
      in += skip;
      in_left -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    } else if (error != 0) {
      return 0;
    }
  }
  return count;
}

}  // namespace orra::platform
