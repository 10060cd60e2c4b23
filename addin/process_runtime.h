#pragma once
// The DLL's one AddinRuntime, reached from the doors Excel opens. The first AcquireRuntime
// builds it (with the platform's environment and the DLL's directory) and starts its query
// worker; each door that acquired it releases it when Excel closes that door, and the last
// release stops and frees it. A later acquire builds a fresh one, as when Excel loads the
// add-in again in the same process.
//
// Never call these from DllMain or a static constructor or destructor: building starts a
// thread and the last release joins threads. Their storage is never destroyed, so a process
// that ends with the runtime still held runs nothing of it under the loader lock.
//
// Any thread, though Excel calls every door on its main thread.

#include <memory>

#include "addin/addin_runtime.h"

namespace orra {

AddinRuntime& AcquireRuntime();
// Releases one acquire; a release without one is ignored.
void ReleaseRuntime();
// An acquire held by the answer and released when its last copy goes, on whichever thread
// drops it: for a thread that must keep the runtime until its own end, however the doors
// close meanwhile. Acquire it on a thread that already holds the runtime, so that it shares
// that one rather than building a fresh one after the doors' last release.
std::shared_ptr<AddinRuntime> ShareRuntime();
// The runtime while some door holds it, or null.
AddinRuntime* CurrentRuntime();

}  // namespace orra
