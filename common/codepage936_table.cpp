#include "common/codepage936_table.h"

#include <bitset>
#include <cstdint>
#include <vector>

#include "common/codepage936.h"

namespace orra {
namespace {

constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kLastLead = 0xFE;
constexpr size_t kLeadCount = kLastLead - kFirstLead + 1;
constexpr size_t kByteValues = 256;
constexpr size_t kUnitValues = 65536;
constexpr char16_t kFirstSurrogate = 0xD800;
constexpr char16_t kLastSurrogate = 0xDFFF;

bool IsLead(unsigned char b) { return b >= kFirstLead && b <= kLastLead; }
bool IsSurrogate(char16_t u) { return u >= kFirstSurrogate && u <= kLastSurrogate; }

// GBK -> UTF-16. A lead byte followed by a non-zero byte is read as a pair (valid or not, the
// converter answers one unit for it); any other byte, a lead byte at the end or before a zero
// included, is read alone. An irregular character's unit is 0, so that a conversion looks at
// the marks only when it meets a 0, not at every character of every name the store loads.
struct WideTable {
  char16_t single[kByteValues] = {};
  std::vector<char16_t> pairs = std::vector<char16_t>(kLeadCount * kByteValues);
  std::bitset<kByteValues> irregular_single;
  std::bitset<kLeadCount * kByteValues> irregular_pairs;

  WideTable() {
    for (unsigned b = 0; b < kByteValues; ++b) {
      const char alone[1] = {static_cast<char>(b)};
      char16_t out[4] = {};
      if (platform::GbkToUtf16(alone, 1, out, 4) == 1) {
        single[b] = out[0];
      } else {
        irregular_single.set(b);
      }
      if (IsLead(static_cast<unsigned char>(b))) {
        // Before a zero a lead byte must read as it does alone.
        const char with_zero[2] = {static_cast<char>(b), 0};
        if (platform::GbkToUtf16(with_zero, 2, out, 4) != 2 || out[0] != single[b] || out[1] != 0) {
          irregular_single.set(b);
        }
      }
      if (irregular_single[b]) single[b] = 0;
    }
    for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead) {
      for (unsigned trail = 1; trail < kByteValues; ++trail) {
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        char16_t out[4] = {};
        const size_t index = (lead - kFirstLead) * kByteValues + trail;
        if (platform::GbkToUtf16(pair, 2, out, 4) == 1) {
          pairs[index] = out[0];
        } else {
          irregular_pairs.set(index);
        }
      }
    }
  }

  // The unit of the character at in[i] and the bytes it takes; 0 bytes when the table does not
  // describe it.
  size_t Read(const unsigned char* in, size_t length, size_t i, char16_t& unit) const {
    const unsigned char b = in[i];
    if (IsLead(b) && i + 1 < length && in[i + 1] != 0) {
      const size_t index = (b - kFirstLead) * kByteValues + in[i + 1];
      unit = pairs[index];
      return unit == 0 && irregular_pairs[index] ? 0 : 2;
    }
    unit = single[b];
    return unit == 0 && irregular_single[b] ? 0 : 1;
  }

  // False when the text holds a character the table does not describe.
  bool Convert(const unsigned char* in, size_t length, char16_t* out, size_t room, size_t& written) const {
    size_t count = 0;
    size_t i = 0;
    // A byte gives at most one unit: with room for a unit per byte, as the store's many name
    // conversions give, no unit needs the room checked.
    if (room >= length) {
      while (i < length) {
        char16_t unit;
        const size_t step = Read(in, length, i, unit);
        if (step == 0) return false;
        out[count++] = unit;
        i += step;
      }
      written = count;
      return true;
    }
    while (i < length) {
      char16_t unit;
      const size_t step = Read(in, length, i, unit);
      if (step == 0) return false;
      i += step;
      if (room != 0) {
        if (count >= room) {
          written = 0;
          return true;
        }
        out[count] = unit;
      }
      ++count;
    }
    written = count;
    return true;
  }
};

// UTF-16 -> GBK: a unit gives one byte (stored below 0x100) or a lead and a trail byte (stored
// as lead * 256 + trail, at least 0x8100). Surrogates, alone or paired, are the converter's.
struct NarrowTable {
  std::vector<uint16_t> codes = std::vector<uint16_t>(kUnitValues);
  std::bitset<kUnitValues> irregular;

  NarrowTable() {
    for (size_t u = 0; u < kUnitValues; ++u) {
      const char16_t unit = static_cast<char16_t>(u);
      if (IsSurrogate(unit)) {
        irregular.set(u);
        continue;
      }
      char out[8] = {};
      const size_t n = platform::Utf16ToGbk(&unit, 1, out, sizeof out);
      const auto first = static_cast<unsigned char>(out[0]);
      const auto second = static_cast<unsigned char>(out[1]);
      if (n == 1) {
        codes[u] = first;
      } else if (n == 2 && IsLead(first)) {
        codes[u] = static_cast<uint16_t>(first << 8 | second);
      } else {
        irregular.set(u);
      }
    }
  }

  bool Convert(const char16_t* in, size_t length, char* out, size_t room, size_t& written) const {
    size_t count = 0;
    for (size_t i = 0; i < length; ++i) {
      if (irregular[in[i]]) return false;
      const uint16_t code = codes[in[i]];
      const size_t width = code > 0xFF ? 2 : 1;
      if (room != 0) {
        if (count + width > room) {
          written = 0;
          return true;
        }
        if (width == 2) {
          out[count] = static_cast<char>(code >> 8);
          out[count + 1] = static_cast<char>(code & 0xFF);
        } else {
          out[count] = static_cast<char>(code);
        }
      }
      count += width;
    }
    written = count;
    return true;
  }
};

// Each built at its first use, a few tens of thousands of converter calls once per process.
const WideTable& Wide() {
  static const WideTable table;
  return table;
}

const NarrowTable& Narrow() {
  static const NarrowTable table;
  return table;
}

}  // namespace

size_t GbkToUtf16ByTable(const char* source, size_t length, char16_t* destination, size_t room) {
  size_t written = 0;
  if (Wide().Convert(reinterpret_cast<const unsigned char*>(source), length, destination, room, written)) {
    return written;
  }
  return platform::GbkToUtf16(source, length, destination, room);
}

size_t Utf16ToGbkByTable(const char16_t* source, size_t length, char* destination, size_t room) {
  size_t written = 0;
  if (Narrow().Convert(source, length, destination, room, written)) return written;
  return platform::Utf16ToGbk(source, length, destination, room);
}

}  // namespace orra
