#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "quillo/core/capabilities/capability.h"
#include "quillo/platform/file_system.h"

namespace quillo::core {

// Reads an application's scripting dictionary (an XML "sdef" document) into the commands and
// settable properties the launcher can drive without a script: commands that need no value or
// one boolean, integer or enumeration value, and read-write properties of those types on the
// application object and on its preference objects one level down. The capability policy is
// applied while reading. Dictionaries are untrusted input: one that cannot be read yields
// nothing. Pure; safe from any thread.
namespace SdefReader {

std::vector<Capability> capabilities(std::string_view data, const Capability::App& app);

// Where a bundle keeps its dictionary: "Contents/Resources/" and the name its Info.plist gives
// under "OSAScriptingDefinition" (".sdef" added to a name without extension); none when the
// bundle names none.
std::optional<std::filesystem::path> dictionaryPath(const platform::FileSystem& files,
                                                    const std::filesystem::path& bundle);

}  // namespace SdefReader

}  // namespace quillo::core
