#pragma once
// The memory the stand-in Excel hands an XLL inside C API results (texts and references),
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

  // Gives back what `value` holds (a text, a reference). Values that hold no memory are fine
  // to give back; memory this host did not hand out, or handed out and has had back, is left
  // alone and counted as a bad give-back. No C API function here answers an array, so an
  // array given back is always one of the XLL's own.
  void Free(const XLOPER12& value);

  size_t outstanding() const { return blocks_.size(); }
  size_t bad_frees() const { return bad_frees_; }

 private:
  using Block = std::variant<std::unique_ptr<XCHAR[]>, std::unique_ptr<XLMREF12>>;
  void Release(const void* address);

  std::map<const void*, Block> blocks_;
  size_t bad_frees_ = 0;
};

}  // namespace orra::xlhost
