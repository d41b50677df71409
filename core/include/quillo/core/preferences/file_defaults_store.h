#pragma once

#include <filesystem>

#include "quillo/core/preferences/defaults_store.h"
#include "quillo/platform/system.h"

namespace quillo::core {

// The program's defaults store: a binary property list, rewritten whole and atomically on every
// change (a temporary file, flushed to disk, then renamed over the old one), so that a crash
// leaves either the old file or the new one. The folder is created private to the user (0700),
// the file readable only by the user (0600). A file that cannot be read as a dictionary is moved
// aside to "<name>.corrupt-<timestamp>" with a warning, and the store starts empty.
class FileDefaultsStore final : public DefaultsStore {
 public:
  struct Options {
    // Runs after the new file is written and flushed, before it replaces the old one. Tests use
    // it to stop the process at the worst moment.
    std::function<void()> beforeReplace;
  };

  explicit FileDefaultsStore(std::filesystem::path file, Options options = {});

  // $XDG_CONFIG_HOME/quillo/defaults.plist, or ~/.config/quillo/defaults.plist.
  static std::filesystem::path standardPath(const platform::System& system);

  const std::filesystem::path& path() const noexcept { return file_; }

  std::optional<DefaultsValue> value(std::string_view key) const override;
  DefaultsValue::Dictionary all() const override { return values_; }

 protected:
  void store(std::string_view key, std::optional<DefaultsValue> value) override;

 private:
  void load();
  void write(const DefaultsValue::Dictionary& values) const;

  std::filesystem::path file_;
  Options options_;
  DefaultsValue::Dictionary values_;
};

}  // namespace quillo::core
