#pragma once
// The COM server's module: the lock count DllCanUnloadNow reads (the live COrraExcel objects,
// the class factory's references and IClassFactory::LockServer's locks) for the whole process.
// DllGetClassObject and DllCanUnloadNow, the exports over it, are in class_factory_win32.cpp.
//
// Any thread.

#include "addin/module_lock_count.h"

namespace orra {

ModuleLockCount& ComServerLocks();

}  // namespace orra
