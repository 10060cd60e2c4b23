#pragma once
// ThisModule: the module this code is linked into: the add-in's DLL inside Excel, the test or
// tool program that links the libraries directly. Window classes, resources and the module's
// path are all this module's, never the process's executable.
//
// Any thread.

#include <windows.h>

namespace orra {

// Leaves the module's reference count alone: the module is loaded for as long as its code runs.
HMODULE ThisModule() noexcept;

}  // namespace orra
