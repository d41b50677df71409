#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Header-only: libquillo-gio fills these records and links no part of core.
namespace quillo::core {

// One of an application's own actions ("New Private Window"), from its desktop entry.
struct DesktopAction {
  std::string id;    // the action's key in the entry ("new-private-window")
  std::string name;  // localised
  bool operator==(const DesktopAction&) const = default;
};

// An application the desktop shows, read from its desktop entry: every text already localised
// for the user, and only entries this desktop shows (not hidden, not filtered out for the
// current desktop, its TryExec program present).
struct DesktopApplication {
  // The desktop-file id: the file's path below its applications folder, "/" read as "-",
  // without ".desktop" ("org.gnome.Calculator", "kde-konsole").
  std::string id;
  std::filesystem::path path;  // the entry file that won for this id
  std::string name;
  std::string genericName;
  std::string comment;
  std::vector<std::string> keywords;
  std::string icon;  // an icon name of the theme or an absolute path; empty without one
  std::vector<std::string> categories;
  std::vector<DesktopAction> actions;
  bool operator==(const DesktopApplication&) const = default;
};

}  // namespace quillo::core
