#pragma once
// Port: a library loaded into the process, kept loaded for as long as the object lives, and
// the loader that finds one by file name. The add-in holds Excel's "XLCALL32.DLL" this way
// from opening to closing.
//
// Excel's main thread only.

#include <memory>
#include <string_view>

namespace orra {

class LoadedLibrary {
 public:
  virtual ~LoadedLibrary() = default;
  // Whether the library exports an entry of that name.
  virtual bool HasEntry(const char* name) const = 0;
};

class LibraryLoader {
 public:
  // None when the library cannot be found or loaded.
  virtual std::unique_ptr<LoadedLibrary> Load(std::u16string_view file_name) = 0;

 protected:
  ~LibraryLoader() = default;
};

// The platform's loader (Windows only); it holds no state.
LibraryLoader& PlatformLibraryLoader();

}  // namespace orra
