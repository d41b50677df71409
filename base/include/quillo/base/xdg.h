#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quillo::base {

// The user's base folders of the XDG base-directory rules.
enum class XdgFolder { config, data, cache, state };

// "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME".
std::string_view xdgVariable(XdgFolder kind);

// The folder the variable names when it holds an absolute path. An unset, empty or relative value
// is invalid and ignored: then ~/.config, ~/.local/share, ~/.cache or ~/.local/state under `home`.
std::filesystem::path xdgFolder(XdgFolder kind, const std::optional<std::string>& value,
                                const std::filesystem::path& home);

}  // namespace quillo::base
