#include "request/store_login.h"

#include <string>

#include "common/ascii_text.h"
#include "request/develop_log.h"

namespace orra {
namespace {
std::u16string Count(size_t n) { return WidenAscii(std::to_string(n)); }
}  // namespace

void StoreLogin::LoadFrom(const std::u16string& base_directory) {
  store_.SetDataDirectory(base_directory);
  store_.Load();
  if (!CLogThread::Enabled()) return;
  const auto indicators = store_.Indicators();
  CLogThread::Instance().Write(u"store loaded from " + base_directory + u" indicators=" +
                               Count(indicators ? indicators->size() : 0) + u" variables=" +
                               Count(store_.Variables().size()) + u" securities=" +
                               Count(store_.KeyIndex() ? store_.KeyIndex()->count() : 0));
}

}  // namespace orra
