#include "addin/shell_document_opener_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace orra {

void ShellDocumentOpener::Open(std::u16string_view address) {
  const std::wstring target(address.begin(), address.end());
  ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace orra
