#pragma once

#include <string>
#include <vector>

#include "quillo/core/actions/linux_tools.h"
#include "quillo/core/index/command_index.h"
#include "quillo/core/index/named_user_folders.h"
#include "quillo/platform/system.h"

// What the command catalogue takes from a Linux session, shared by every program that builds it.
namespace quillo::core {

// The desktops of this session, in order (XDG_CURRENT_DESKTOP split at ":"), for the desktop
// entries' OnlyShowIn and NotShowIn.
std::vector<std::string> currentDesktops(const platform::System& system);

// The locale desktop entries' names are translated to ("de_CH"); empty for the untranslated
// names of the POSIX locale.
std::string desktopEntryLocale(std::string localeIdentifier);

// The catalogue's sources on a Linux desktop: the applications of its desktop entries, the panes
// and actions `tools` offer, and the user's folders: those `named` where given, else the home
// folder's "Desktop", "Documents" and "Downloads".
SystemSources linuxCatalogueSources(std::vector<DesktopApplication> applications, const LinuxTools& tools,
                                    const platform::System& system, const NamedUserFolders& named);

}  // namespace quillo::core
