#pragma once
// The memory the stand-in Excel hands an XLL inside C API results (texts, references, arrays),
// kept until the XLL gives it back with xlFree, or returns it flagged xlbitXLFree. Counting what
// is outstanding is how a scenario finds an XLL that forgets to free, and a give-back of memory
// that was never handed out (or was already given back) is counted too: under real Excel either
// one corrupts its heap.
//
// Excel's main thread only, like the C API.

#include <cstddef>
#include <map>
#include <memory>
#include <string_view>
#include <variant>

#include "xll/xloper.h"

namespace orra::xlhost {

class HostMemory {
 public:
  HostMemory() = default;
  HostMemory(const HostMemory&) = delete;
  HostMemory& operator=(const HostMemory&) = delete;

  // A counted text (length unit first, no terminator); at most kMaxXlTextUnits are kept.
  XCHAR* NewText(std::u16string_view text);
  XLMREF12* NewReference(const XLREF12& area);
  // `count` elements, each of no type (all zero) until filled.
  XLOPER12* NewArray(size_t count);

  // Gives back what `value` holds (a text, a reference, an array and the texts inside it).
  // Values that hold no memory are fine to give back; memory this host did not hand out, or
  // handed out and has had back, is left alone and counted as a bad give-back.
  void Free(const XLOPER12& value);

  size_t outstanding() const { return blocks_.size(); }
  size_t bad_frees() const { return bad_frees_; }

 private:
  struct ArrayBlock {
    std::unique_ptr<XLOPER12[]> elements;
    size_t count = 0;
  };
  using Block = std::variant<std::unique_ptr<XCHAR[]>, std::unique_ptr<XLMREF12>, ArrayBlock>;
  void Release(const void* address);

  std::map<const void*, Block> blocks_;
  size_t bad_frees_ = 0;
};

}  // namespace orra::xlhost
