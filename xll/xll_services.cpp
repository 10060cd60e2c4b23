#include "xll/xll_services.h"

namespace orra {

XllServices& InstalledXllServices() {
  static XllServices services;
  return services;
}

}  // namespace orra
