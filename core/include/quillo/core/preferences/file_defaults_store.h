#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "quillo/core/preferences/defaults_store.h"
#include "quillo/platform/file_system.h"
#include "quillo/platform/system.h"

namespace quillo::core {

// The program's defaults store: a binary property list shared by every Quillo process of the user.
//
// The store reads the file once and keeps those values, as settings take effect at the next start.
// A change locks the file against the other processes, reads it again, applies only this one change
// to what it finds and replaces the file atomically (a flushed temporary file renamed over the old
// one), so no process ever loses another's change and a crash leaves the old file or the new one.
// The folder is made private to the user (0700), the file readable only by the user (0600).
//
// A file that is not a property list the store can read (damaged, too large, nested too deep) is
// moved aside to "<name>.corrupt-<timestamp>[-N]", never over an earlier one, with a warning, and
// the store starts empty. A file that exists but cannot be read (no permission, say) is an error,
// never "no file yet": nothing is ever written over it.
class FileDefaultsStore final : public DefaultsStore {
 public:
  enum class WhenUnreadable {
    fail,           // the constructor throws DefaultsError
    runOnDefaults,  // the store starts empty; every change throws DefaultsError until it can read the file
  };

  struct Options {
    WhenUnreadable whenUnreadable = WhenUnreadable::fail;
  };

  // The file system must outlive the store.
  FileDefaultsStore(std::filesystem::path file, platform::FileSystem& files);
  FileDefaultsStore(std::filesystem::path file, platform::FileSystem& files, Options options);

  // $XDG_CONFIG_HOME/quillo/defaults.plist, or ~/.config/quillo/defaults.plist.
  static std::filesystem::path standardPath(const platform::System& system);

  const std::filesystem::path& path() const noexcept { return file_; }
  // Why the file could not be read, while the store runs on defaults; none once it was read.
  const std::optional<std::string>& readFailure() const noexcept { return readFailure_; }

  std::optional<DefaultsValue> value(std::string_view key) const override;
  DefaultsValue::Dictionary all() const override { return values_; }

 protected:
  bool store(std::string_view key, const Transform& transform) override;

 private:
  // What the file holds now: empty when there is none or it was moved aside as damaged. Throws
  // DefaultsError when it exists but cannot be read, or, `forChange`, when a damaged file could not
  // be moved out of the way of the write.
  DefaultsValue::Dictionary read(bool forChange) const;
  // False when the file stayed where it is.
  bool moveAside(const std::string& reason) const;

  std::filesystem::path file_;
  platform::FileSystem& files_;
  DefaultsValue::Dictionary values_;
  std::optional<std::string> readFailure_;
};

}  // namespace quillo::core
