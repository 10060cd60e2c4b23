#include "common/text_conversion.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "common/codepage936_table.h"

namespace orra {
namespace {

// Scratch buffers come from calloc, so that running out of memory is a null to check rather
// than an exception inside a conversion.
struct FreeDeleter {
  void operator()(void* memory) const { std::free(memory); }
};
template <typename T>
using ScratchBuffer = std::unique_ptr<T[], FreeDeleter>;

struct ThreadScratch {
  ScratchBuffer<char> narrow;
  size_t narrow_capacity = 0;  // bytes
  ScratchBuffer<char16_t> wide;
  size_t wide_capacity = 0;  // units
  ThreadScratch* next = nullptr;  // the list of every scratch owns this node
};

// Every ThreadScratch ever made, so that unload can free them; threads push, nobody pops
// until FreeAllThreadScratch.
std::atomic<ThreadScratch*> g_all_scratch{nullptr};
// Raised by FreeAllThreadScratch so that a thread's slot from before it is not used again.
std::atomic<uint64_t> g_generation{1};

struct ThreadSlot {
  ThreadScratch* scratch = nullptr;
  uint64_t generation = 0;
};
thread_local ThreadSlot t_slot;

constexpr char16_t kEmptyWide[1] = {0};
constexpr char kEmptyNarrow[1] = {0};

ThreadScratch* CurrentScratch() {
  const uint64_t generation = g_generation.load(std::memory_order_acquire);
  if (t_slot.scratch != nullptr && t_slot.generation == generation) return t_slot.scratch;
  std::unique_ptr<ThreadScratch> made(new (std::nothrow) ThreadScratch);
  if (!made) return nullptr;
  // From here the list owns it, until FreeAllThreadScratch takes the list apart.
  ThreadScratch* scratch = made.release();
  scratch->next = g_all_scratch.load(std::memory_order_relaxed);
  while (!g_all_scratch.compare_exchange_weak(scratch->next, scratch, std::memory_order_release,
                                              std::memory_order_relaxed)) {
  }
  t_slot = {scratch, generation};
  return scratch;
}

// Grows a scratch buffer of T to `capacity` zeroed elements; the old one is freed first.
template <typename T>
bool Regrow(ScratchBuffer<T>& buffer, size_t& capacity, size_t new_capacity) {
  buffer.reset();
  buffer.reset(static_cast<T*>(std::calloc(new_capacity, sizeof(T))));
  capacity = buffer ? new_capacity : 0;
  return buffer != nullptr;
}

// A scratch grows in whole steps with at least one step to spare, so that a thread converting
// texts of slowly rising length seldom grows it again.
constexpr size_t kScratchStep = 1024;
size_t RoundedCapacity(size_t n) { return (n + 2 * kScratchStep - 1) / kScratchStep * kScratchStep; }
// A scratch is grown before a text comes this close to its end.
constexpr size_t kScratchMargin = 32;

size_t WideLength(const char16_t* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

// Bytes of the longest prefix of `gbk` within `limit` that ends on a character boundary.
size_t WholeCharacterPrefix(std::string_view gbk, size_t limit) {
  size_t i = 0;
  while (i < gbk.size()) {
    const auto b = static_cast<unsigned char>(gbk[i]);
    const size_t width = (b >= 0x81 && b <= 0xFE && i + 1 < gbk.size()) ? 2 : 1;
    if (i + width > limit) break;
    i += width;
  }
  return i;
}

}  // namespace

const char16_t* ToWide(const char* text) {
  if (text == nullptr) return kEmptyWide;
  ThreadScratch* scratch = CurrentScratch();
  if (scratch == nullptr) return kEmptyWide;
  const size_t n = std::strlen(text);
  if (n + kScratchMargin >= scratch->wide_capacity &&
      !Regrow(scratch->wide, scratch->wide_capacity, RoundedCapacity(n))) {
    return kEmptyWide;
  }
  // Each GBK byte gives at most one unit, so the text and its terminator always fit.
  if (GbkToUtf16ByTable(text, n + 1, scratch->wide.get(), scratch->wide_capacity) == 0) scratch->wide[0] = 0;
  return scratch->wide.get();
}

const char* ToNarrow(const char16_t* text) {
  if (text == nullptr) return kEmptyNarrow;
  ThreadScratch* scratch = CurrentScratch();
  if (scratch == nullptr) return kEmptyNarrow;
  const size_t n = WideLength(text);
  if (2 * n + kScratchMargin >= scratch->narrow_capacity &&
      !Regrow(scratch->narrow, scratch->narrow_capacity, RoundedCapacity(2 * n))) {
    return kEmptyNarrow;
  }
  // Each unit gives at most two GBK bytes.
  if (Utf16ToGbkByTable(text, n + 1, scratch->narrow.get(), scratch->narrow_capacity) == 0) scratch->narrow[0] = 0;
  return scratch->narrow.get();
}

char16_t* ToWideInto(char16_t* destination, size_t max_units, const char* text) {
  if (destination == nullptr || max_units == 0) return destination;
  if (text == nullptr) text = "";
  const size_t n = std::strlen(text);
  if (GbkToUtf16ByTable(text, n + 1, destination, max_units) != 0) {
    destination[max_units - 1] = 0;
    return destination;
  }
  // Too long for the room: keep the part that fits.
  const std::u16string whole = ToWideString(std::string_view(text, n));
  const size_t keep = whole.size() < max_units - 1 ? whole.size() : max_units - 1;
  std::memcpy(destination, whole.data(), keep * sizeof(char16_t));
  std::fill(destination + keep, destination + max_units, u'\0');
  return destination;
}

size_t ToNarrowInto(char* destination, size_t max_bytes, const char16_t* text) {
  if (destination == nullptr || max_bytes == 0) return 0;
  if (text == nullptr) text = kEmptyWide;
  const size_t n = WideLength(text);
  const size_t written = Utf16ToGbkByTable(text, n + 1, destination, max_bytes);
  if (written != 0) {
    destination[max_bytes - 1] = 0;
    return written - 1;
  }
  const std::string whole = ToNarrowString(std::u16string_view(text, n));
  const size_t keep = WholeCharacterPrefix(whole, max_bytes - 1);
  std::memcpy(destination, whole.data(), keep);
  std::memset(destination + keep, 0, max_bytes - keep);
  return keep;
}

// One pass into room for the longest result (a byte gives at most one unit, a unit at most
// two bytes), then cut to what was written.
std::u16string ToWideString(std::string_view gbk) {
  if (gbk.empty()) return {};
  std::u16string out(gbk.size(), u'\0');
  out.resize(GbkToUtf16ByTable(gbk.data(), gbk.size(), out.data(), out.size()));
  return out;
}

std::string ToNarrowString(std::u16string_view text) {
  if (text.empty()) return {};
  std::string out(2 * text.size(), '\0');
  out.resize(Utf16ToGbkByTable(text.data(), text.size(), out.data(), out.size()));
  return out;
}

size_t WideScratchCapacity() {
  ThreadScratch* scratch = CurrentScratch();
  return scratch != nullptr ? scratch->wide_capacity : 0;
}

size_t NarrowScratchCapacity() {
  ThreadScratch* scratch = CurrentScratch();
  return scratch != nullptr ? scratch->narrow_capacity : 0;
}

bool PrepareThreadScratch() { return CurrentScratch() != nullptr; }

void FreeAllThreadScratch() {
  g_generation.fetch_add(1, std::memory_order_acq_rel);
  ThreadScratch* scratch = g_all_scratch.exchange(nullptr, std::memory_order_acq_rel);
  while (scratch != nullptr) {
    const std::unique_ptr<ThreadScratch> owned(scratch);
    scratch = owned->next;
  }
}

}  // namespace orra
