#include "tools/xlhost/host_memory.h"

#include <algorithm>

#include "xll/xl_constants.h"

namespace orra::xlhost {

XCHAR* HostMemory::NewText(std::u16string_view text) {
  const size_t length = std::min<size_t>(text.size(), kMaxXlTextUnits);
  auto storage = std::make_unique<XCHAR[]>(length + 1);
  storage[0] = static_cast<XCHAR>(length);
  std::copy_n(text.data(), length, storage.get() + 1);
  XCHAR* address = storage.get();
  blocks_.emplace(address, std::move(storage));
  return address;
}

XLMREF12* HostMemory::NewReference(const XLREF12& area) {
  auto storage = std::make_unique<XLMREF12>();
  storage->count = 1;
  storage->reftbl[0] = area;
  XLMREF12* address = storage.get();
  blocks_.emplace(address, std::move(storage));
  return address;
}

void HostMemory::Free(const XLOPER12& value) {
  switch (BaseType(value)) {
    case xltypeStr:
      Release(value.val.str);
      break;
    case xltypeRef:
      Release(value.val.mref.lpmref);
      break;
    case xltypeMulti:
      ++bad_frees_;
      break;
    default:
      break;
  }
}

void HostMemory::Release(const void* address) {
  if (blocks_.erase(address) == 0) ++bad_frees_;
}

}  // namespace orra::xlhost
