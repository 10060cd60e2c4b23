#pragma once
// Every load of the DLL registers it again, ignoring the result, so that a copy moved to
// another directory points Excel at itself the next time it is loaded. This writes the
// registry and reads the type library: it must not run under the loader lock, so it is called
// from the start-up of the process's composition root (the first door Excel opens: xlAutoOpen
// or the first DllGetClassObject), never from DllMain. Both doors call it; only the first call
// of a load registers. Never throws.

namespace orra {

void RegisterAtLoad() noexcept;

}  // namespace orra
