#pragma once
// Where the add-in lives: the directory of its own module (develop.log goes there) and of the
// process's executable (Excel's, where the dialogs look for their resources). Both end with
// the platform's separator ("\\" on Windows, "/" elsewhere).

#include <string>

namespace orra {

std::u16string ModuleDirectory();
std::u16string ExecutableDirectory();

}  // namespace orra
