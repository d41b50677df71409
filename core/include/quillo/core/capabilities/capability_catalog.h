#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/core/capabilities/capability.h"
#include "quillo/core/commands/command.h"
#include "quillo/platform/file_system.h"

namespace quillo::core {

// Turns the scripting dictionaries of application bundles into launcher commands of kind
// `capability`, each carrying its Capability. Reads the file system; otherwise stateless and
// safe from any thread.
namespace CapabilityCatalog {

// The applications read besides the installed ones: the system's scripting host.
const std::vector<std::filesystem::path>& systemApps();

// One command per capability of each bundle, in the order of the bundles and then of their
// dictionaries. A bundle without an identifier or a readable dictionary contributes nothing.
std::vector<Command> commands(const platform::FileSystem& files,
                              const std::vector<std::filesystem::path>& bundles);

// The capabilities of one bundle; empty when it has none that can be read.
std::vector<Capability> capabilities(const platform::FileSystem& files, const std::filesystem::path& bundle);

// "capability." + bundle identifier + "/" + the event code, or the property path joined by ".".
std::string commandID(const Capability& capability);
// "System: Dark Mode of Appearance Preferences".
std::string title(const Capability& capability);
Command command(const Capability& capability);

// Each space-separated word with its first character upper-cased, joined by single spaces.
std::string titled(std::string_view text);

}  // namespace CapabilityCatalog

}  // namespace quillo::core
