// A registrar script as the DLL's resource holds it (UTF-8), parsed and, when it parses, run
// forwards and backwards on an in-memory registry, machine-wide and per user.
#include <array>
#include <cstdint>
#include <string_view>

#include "addin/registrar_script.h"
#include "common/utf8.h"
#include "testing/in_memory_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::array<orra::RegistrarVariable, 2> variables = {{{u"MODULE", u"C:\\x\\OrraAddin64.xll"}, {u"APPID", u"{1}"}}};
  const std::u16string text = orra::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::optional<orra::RegistrarScript> script = orra::RegistrarScript::Parse(text, variables);
  if (!script) return 0;
  for (const orra::ClassesTarget target : {orra::ClassesTarget::kMachine, orra::ClassesTarget::kCurrentUser}) {
    orra::InMemoryRegistry registry;
    script->Register(registry, target);
    script->Unregister(registry, target);
  }
  return 0;
}
