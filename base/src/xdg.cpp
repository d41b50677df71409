#include "quillo/base/xdg.h"

namespace quillo::base {

std::string_view xdgVariable(XdgFolder kind) {
  switch (kind) {
    case XdgFolder::config:
      return "XDG_CONFIG_HOME";
    case XdgFolder::data:
      return "XDG_DATA_HOME";
    case XdgFolder::cache:
      return "XDG_CACHE_HOME";
    case XdgFolder::state:
      return "XDG_STATE_HOME";
  }
  return "";
}

std::filesystem::path xdgFolder(XdgFolder kind, const std::optional<std::string>& value,
                                const std::filesystem::path& home) {
  if (value && !value->empty() && value->front() == '/') return std::filesystem::path(*value);
  switch (kind) {
    case XdgFolder::config:
      return home / ".config";
    case XdgFolder::data:
      return home / ".local" / "share";
    case XdgFolder::cache:
      return home / ".cache";
    case XdgFolder::state:
      return home / ".local" / "state";
  }
  return home;
}

}  // namespace quillo::base
