#include "store/store_files.h"

namespace orra {

std::u16string WithTrailingSeparator(std::u16string directory) {
  if (directory.empty() || (directory.back() != u'/' && directory.back() != u'\\')) directory += u'/';
  return directory;
}

}  // namespace orra
