#include <exception>

#include "phone_library.h"
#include "quillo/base/log.h"
#include "quillo/base/module_library.h"

namespace quillo::clipboard::phone {
namespace {

const base::log::Logger kPhoneLog("clipboard");

}  // namespace

const Library* load(const std::string& fileName, const std::string& buildFolder) {
  try {
    const base::ModuleLibrary& module =
        base::ModuleLibrary::load(fileName, buildFolder, "phone number library");
    const auto entry = reinterpret_cast<Entry>(module.symbol(kEntrySymbol));
    if (const Library* loaded = entry ? entry(kAbiVersion) : nullptr) return loaded;
    kPhoneLog.error(
        "The phone number library {} does not match this program; copies are not tagged as phone numbers.",
        fileName);
  } catch (const std::exception& error) {
    kPhoneLog.error("{} Copies are not tagged as phone numbers.", error.what());
  }
  return nullptr;
}

const Library* library() {
  static const Library* const loaded = load(kLibraryName, QUILLO_PHONE_BUILD_DIR);
  return loaded;
}

}  // namespace quillo::clipboard::phone
