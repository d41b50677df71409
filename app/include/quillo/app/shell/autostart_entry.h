#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "quillo/platform/file_system.h"
#include "quillo/platform/system.h"

namespace quillo::app {

// Starting at login could not be turned on or off; what() says why.
class AutostartError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "Start at login": the desktop's autostart entry for the program, a desktop file in the user's
// autostart folder ($XDG_CONFIG_HOME/autostart, else ~/.config/autostart) that starts the
// installed program in the background. Main thread only; the seams must outlive it.
class AutostartEntry {
 public:
  static constexpr std::string_view fileName = "dev.tarnwick.Quillo.desktop";

  // `program` is the absolute path of the installed executable the entry starts.
  AutostartEntry(platform::FileSystem& files, const platform::System& system, std::string program);

  // Whether the desktop starts the program at login: the entry is there and neither hidden nor
  // switched off (a user may have switched it off in the desktop's own settings).
  bool isEnabled() const;
  // Writes the entry, or removes it. Throws AutostartError, changing nothing.
  void setEnabled(bool on);

  std::filesystem::path path() const;
  // The entry's text as it is written.
  std::string contents() const;

 private:
  platform::FileSystem& files_;
  const platform::System& system_;
  std::string program_;
};

// The program's path as a desktop entry's Exec field reads it: quoted when it holds a space or
// a character the field reserves, with the field's escapes.
std::string execArgument(const std::string& path);

}  // namespace quillo::app
