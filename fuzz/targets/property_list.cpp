#include "../../core/src/preferences/property_list.h"

#include <stdexcept>

#include "../fuzz_target.h"
#include "quillo/core/system/bundle_info.h"

// Property lists from disk: an application's Info.plist and the defaults file. What the defaults
// reader accepts must survive a write and a second read unchanged, or the next start would read
// other settings than were saved.
QUILLO_FUZZ_TARGET(property_list) {
  using namespace quillo;
  const std::string_view bytes = fuzz::text(data, size);
  core::BundleInfo::parse(bytes);
  core::DefaultsValue::Dictionary dictionary;
  try {
    dictionary = core::property_list::readDictionary(bytes);
  } catch (const core::property_list::ReadError&) {
    return 0;
  }
  std::string written;
  try {
    written = core::property_list::writeDictionary(dictionary);
  } catch (const std::range_error&) {
    // A value the format cannot hold (a date too far from 2001): the store refuses to write it.
    return 0;
  }
  const auto reread = core::property_list::readDictionary(written);
  fuzz::require(reread == dictionary, "a written defaults file reads back the same values");
  fuzz::require(core::property_list::writeDictionary(reread) == written,
                "a written defaults file writes the same bytes");
  return 0;
}
