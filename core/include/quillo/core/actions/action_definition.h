#pragma once

#include <optional>
#include <string_view>
#include <variant>

#include "quillo/base/hashing.h"
#include "quillo/core/capabilities/capability.h"

namespace quillo::core {

// Whether the display may sleep while the Mac is kept awake.
enum class AwakeScope { macAndDisplay, mac };

enum class VolumeChannel { output, alert, input };
std::string_view rawValue(VolumeChannel channel);
std::optional<VolumeChannel> volumeChannelFromRaw(std::string_view name);

enum class ScreenshotMode { selection, window, screen };
std::string_view rawValue(ScreenshotMode mode);
std::optional<ScreenshotMode> screenshotModeFromRaw(std::string_view name);

enum class ScreenshotDestination { clipboard, file };

// The cases of ActionDefinition: a parameterised action, run through an invocation resolved
// from the value the user typed.
namespace definition {

struct KeepAwake {
  AwakeScope scope;
  bool operator==(const KeepAwake&) const = default;
  friend void hashInto(base::Hasher& h, const KeepAwake& d) { h.add(d.scope); }
};

struct SetVolume {
  VolumeChannel channel;
  bool operator==(const SetVolume&) const = default;
  friend void hashInto(base::Hasher& h, const SetVolume& d) { h.add(d.channel); }
};

struct Screenshot {
  ScreenshotMode mode;
  ScreenshotDestination destination;
  bool operator==(const Screenshot&) const = default;
  friend void hashInto(base::Hasher& h, const Screenshot& d) { h.addAll(d.mode, d.destination); }
};

// A command of a scriptable application, carried out by an Apple event.
struct ScriptableCapability {
  Capability capability;
  bool operator==(const ScriptableCapability&) const = default;
  friend void hashInto(base::Hasher& h, const ScriptableCapability& d) { h.add(d.capability); }
};

}  // namespace definition

using ActionDefinition = std::variant<definition::KeepAwake, definition::SetVolume, definition::Screenshot,
                                      definition::ScriptableCapability>;

}  // namespace quillo::core
