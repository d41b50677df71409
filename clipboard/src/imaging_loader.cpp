#include <exception>

#include "imaging_library.h"
#include "quillo/base/log.h"
#include "quillo/base/module_library.h"

namespace quillo::clipboard::imaging {
namespace {

const base::log::Logger kImagingLog("clipboard");

void warn(std::string_view message) {
  kImagingLog.warning("Image library: {}", message);
}

const Library* load() {
  try {
    const base::ModuleLibrary& module =
        base::ModuleLibrary::load(kLibraryName, QUILLO_IMAGING_BUILD_DIR, "image library");
    const auto entry = reinterpret_cast<Entry>(module.symbol(kEntrySymbol));
    if (const Library* loaded = entry ? entry(kAbiVersion, warn) : nullptr) return loaded;
    kImagingLog.error("The image library {} does not match this program, or could not start.", kLibraryName);
  } catch (const std::exception& error) {
    kImagingLog.error("{}", error.what());
  }
  return nullptr;
}

}  // namespace

const Library* library() {
  static const Library* const loaded = load();
  return loaded;
}

}  // namespace quillo::clipboard::imaging
