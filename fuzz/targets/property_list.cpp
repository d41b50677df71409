#include "../../core/src/preferences/property_list.h"

#include "../fuzz_target.h"
#include "quillo/core/system/bundle_info.h"

// Property lists from disk: an application's Info.plist and the defaults file. What the defaults
// reader accepts must survive a write and a second read unchanged, or the next start would read
// other settings than were saved.
QUILLO_FUZZ_TARGET(property_list) {
  using namespace quillo;
  const std::string_view bytes = fuzz::text(data, size);
  core::BundleInfo::parse(bytes);
  const auto dictionary = core::property_list::readDictionary(bytes);
  if (!dictionary) return 0;
  const std::string written = core::property_list::writeDictionary(*dictionary);
  const auto reread = core::property_list::readDictionary(written);
  fuzz::require(reread.has_value(), "a written defaults file reads back");
  fuzz::require(core::property_list::writeDictionary(*reread) == written,
                "a written defaults file reads back the same values");
  return 0;
}
