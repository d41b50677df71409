#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillo::platform::desktop {

// The X keysym name of the key at a Mac key code's place on a US keyboard ("v", "space", "F1"),
// the spelling both freedesktop's shortcut triggers and GNOME's accelerators use; none for keys
// without a name there.
std::optional<std::string> keysymNameForMacKey(std::uint32_t keyCode);

}  // namespace quillo::platform::desktop
