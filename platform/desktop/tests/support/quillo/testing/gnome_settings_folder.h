#pragma once

#include <cstdlib>

#include "quillo/testing/temporary_folder.h"

namespace quillo::testing {

// GNOME's settings kept in a key file of a configuration folder of the test program's own, read
// and written through GSettings as GNOME's keyboard settings would be. GLib picks its settings
// store once per process, at the first use anywhere, so the folder is chosen before any test runs.
inline TemporaryFolder& gnomeSettingsFolder() {
  static TemporaryFolder folder;
  return folder;
}
inline const bool gnomeSettingsInTestFolder = [] {
  setenv("XDG_CONFIG_HOME", gnomeSettingsFolder().path().c_str(), 1);
  setenv("GSETTINGS_BACKEND", "keyfile", 1);
  return true;
}();

}  // namespace quillo::testing
