#include "desktop_seams.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "absent_facilities.h"
#include "consented_hot_keys.h"
#include "front_workspace.h"
#include "quillo/base/log.h"
#include "quillo/base/program_files.h"
#include "quillo/platform/desktop/atspi_accessibility.h"
#include "quillo/platform/desktop/atspi_front_application.h"
#include "quillo/platform/desktop/gnome_custom_shortcuts.h"
#include "quillo/platform/desktop/kwin_front_application.h"
#include "quillo/platform/desktop/mime_pasteboard.h"
#include "quillo/platform/desktop/portal_global_shortcuts.h"
#include "quillo/platform/desktop/portal_remote_desktop.h"
#include "quillo/platform/desktop/wayland_data_control.h"
#include "quillo/platform/desktop/x11_front_application.h"
#include "quillo/platform/desktop/x11_hot_keys.h"
#include "quillo/platform/desktop/x11_key_events.h"
#include "quillo/platform/desktop/x11_selection.h"
#include "quillo/platform/posix/posix_accessibility.h"

namespace quillo::ui {
namespace {

using platform::desktop::SessionFacts;

constexpr base::log::Logger kSeamsLog("desktop");

std::string kdeGlobals(const platform::System& system) {
  const auto config = system.environment("XDG_CONFIG_HOME");
  const std::string folder = config && !config->empty() ? *config : system.homeFolder() + "/.config";
  return folder + "/kdeglobals";
}

// The program's state folder (XDG_STATE_HOME/quillo): what it keeps between runs that is neither
// a preference nor the user's data.
std::filesystem::path stateFolder(const platform::System& system) {
  const auto state = system.environment("XDG_STATE_HOME");
  const std::filesystem::path folder = state && !state->empty()
                                           ? std::filesystem::path(*state)
                                           : std::filesystem::path(system.homeFolder()) / ".local/state";
  return folder / "quillo";
}

bool onX11(const SessionFacts& facts) {
  return facts.displayServer == SessionFacts::DisplayServer::x11 && facts.xDisplay;
}

}  // namespace

DesktopSeams::DesktopSeams(const SessionFacts& facts) {
  chooseFrontApplication(facts);
  choosePasteboard(facts);
  chooseHotKeys(facts);
  chooseKeyEvents(facts);
  chooseAccessibility(facts);
  screens_ = std::make_unique<platform::desktop::QtScreens>(
      [desktop = system_.environment("XDG_CURRENT_DESKTOP").value_or(""), file = kdeGlobals(system_)] {
        return platform::desktop::desktopAnimationsOff(desktop, file);
      });
  for (const std::string& choice : choices_)
    kSeamsLog.info("{}", choice);
}

DesktopSeams::~DesktopSeams() {
  pool_.waitUntilIdle();
}

void DesktopSeams::chooseFrontApplication(const SessionFacts& facts) {
  using platform::desktop::FrontEntry;
  auto entryOf = [this](const std::string& className,
                        const std::string& instanceName) -> std::optional<FrontEntry> {
    const auto entry = catalogue_.entryOfClass(className, instanceName);
    if (!entry) return std::nullopt;
    return FrontEntry{entry->id, entry->name};
  };
  auto activated = [this](const platform::FrontApplication& reported) {
    const platform::FrontApplication front = frontWorkspace_->seen(reported);
    if (activated_)
      activated_({.pid = front.pid,
                  .bundleID = front.id.empty() ? std::nullopt : std::optional(front.id),
                  .bundlePath = std::nullopt});
  };
  // The first source the session lets us use; the next one when it refuses.
  auto attempt = [this](const char* source, auto make) {
    if (front_) return;
    try {
      front_ = make();
      choices_.push_back(std::string("front application: ") + source);
    } catch (const std::exception& error) {
      kSeamsLog.warning("The front application cannot come from {}: {}", source, error.what());
    }
  };
  if (onX11(facts)) {
    attempt("the X11 active window", [&] {
      return std::make_unique<platform::desktop::X11FrontApplication>(
          main_,
          [entryOf](const platform::desktop::ActiveWindow& window) {
            return entryOf(window.className, window.instanceName);
          },
          activated);
    });
  } else if (facts.displayServer == SessionFacts::DisplayServer::wayland) {
    if (facts.desktop == SessionFacts::Desktop::kde && facts.kwinScripting) {
      attempt("a KWin script", [&] {
        return std::make_unique<platform::desktop::KWinFrontApplication>(
            main_,
            [entryOf](const platform::desktop::KWinFrontApplication::Window& window) {
              // The desktop-file name is the entry's id where the window names one.
              if (!window.desktopFileName.empty()) return entryOf(window.desktopFileName, "");
              return entryOf(window.resourceClass, "");
            },
            activated);
      });
    }
    attempt("the accessibility bus's active window", [&] {
      return std::make_unique<platform::desktop::AtspiFrontApplication>(
          main_,
          [entryOf](const platform::desktop::AtspiFrontApplication::Published& published) {
            if (!published.process.desktopFileId.empty()) return entryOf(published.process.desktopFileId, "");
            return entryOf(published.applicationName, published.process.executable);
          },
          activated);
    });
  }
  if (!front_) choices_.push_back("front application: unknown in this session");
  platform::desktop::FrontApplicationSource* front = front_.get();
  auto workspace = std::make_unique<FrontWorkspace>(
      catalogue_.workspace(),
      [front]() -> std::optional<platform::FrontApplication> {
        return front ? front->front() : std::nullopt;
      },
      FrontWorkspace::Identity{.pid = static_cast<platform::ProcessID>(getpid()),
                               .id = "dev.tarnwick.Quillo"});
  frontWorkspace_ = workspace.get();
  workspace_ = std::move(workspace);
}

void DesktopSeams::choosePasteboard(const SessionFacts& facts) {
  if (facts.displayServer == SessionFacts::DisplayServer::wayland && facts.dataControl) {
    try {
      pasteboard_ = std::make_unique<platform::desktop::MimePasteboard>(
          std::make_unique<platform::desktop::WaylandDataControl>());
      choices_.push_back("clipboard: Wayland " + *facts.dataControl);
      return;
    } catch (const std::exception& error) {
      kSeamsLog.warning("The Wayland clipboard is not available: {}", error.what());
    }
  }
  // An X server: X11 itself, or the XWayland beside a compositor that mirrors its clipboard.
  if (facts.xDisplay && facts.xFixes) {
    try {
      pasteboard_ = std::make_unique<platform::desktop::MimePasteboard>(
          std::make_unique<platform::desktop::X11Selection>());
      choices_.push_back("clipboard: the X11 selection");
      return;
    } catch (const std::exception& error) {
      kSeamsLog.warning("The X11 clipboard is not available: {}", error.what());
    }
  }
  pasteboard_ = std::make_unique<UnavailablePasteboard>();
  choices_.push_back("clipboard: unavailable in this session");
}

void DesktopSeams::chooseHotKeys(const SessionFacts& facts) {
  if (onX11(facts)) {
    try {
      hotKeys_ = std::make_unique<platform::desktop::X11HotKeys>(main_);
      choices_.push_back("shortcuts: X11 key grabs");
      return;
    } catch (const std::exception& error) {
      kSeamsLog.warning("Global shortcuts cannot be grabbed: {}", error.what());
    }
  }
  if (facts.displayServer == SessionFacts::DisplayServer::wayland && facts.globalShortcutsPortal) {
    hotKeys_ = std::make_unique<platform::desktop::PortalGlobalShortcuts>();
    choices_.push_back("shortcuts: the GlobalShortcuts portal");
    return;
  }
  if (facts.displayServer == SessionFacts::DisplayServer::wayland &&
      facts.desktop == SessionFacts::Desktop::gnome && facts.gnomeKeyboardSettings) {
    auto consented = std::make_unique<ConsentedHotKeys>(std::make_unique<UnavailableHotKeys>(), [] {
      // GNOME starts the command without our PATH: name this very program.
      return std::make_unique<platform::desktop::GnomeCustomShortcuts>(
          base::executablePath().value_or("quillo").string());
    });
    desktopShortcuts_ = consented.get();
    hotKeys_ = std::move(consented);
    choices_.push_back("shortcuts: GNOME's custom shortcuts, once the user allows them");
    return;
  }
  hotKeys_ = std::make_unique<UnavailableHotKeys>();
  choices_.push_back("shortcuts: the desktop's own key bindings running quillo --toggle");
}

void DesktopSeams::chooseAccessibility(const SessionFacts& facts) {
  if (facts.displayServer == SessionFacts::DisplayServer::none) {
    accessibility_ = std::make_unique<platform::posix::PosixAccessibility>();
    choices_.push_back("menus: none without a session");
    return;
  }
  accessibility_ = std::make_unique<platform::desktop::AtspiAccessibility>();
  choices_.push_back("menus: the accessibility bus");
}

void DesktopSeams::chooseKeyEvents(const SessionFacts& facts) {
  if (onX11(facts) && facts.xTest) {
    keyEvents_ = std::make_unique<platform::desktop::X11KeyEvents>();
    choices_.push_back("paste: XTest key presses");
    return;
  }
  // XTest on XWayland would reach X windows only: on Wayland the desktop's portal types for us.
  if (facts.displayServer == SessionFacts::DisplayServer::wayland && facts.remoteDesktopPortal) {
    keyEvents_ =
        std::make_unique<platform::desktop::PortalRemoteDesktop>(stateFolder(system_) / "paste-token");
    choices_.push_back("paste: the RemoteDesktop portal");
    return;
  }
  keyEvents_ = std::make_unique<UntrustedKeyEvents>();
  choices_.push_back("paste: by hand");
}

app::ApplicationSeams DesktopSeams::seams(platform::FolderPicker& folderPicker,
                                          platform::Highlighter& highlighter, app::LauncherPanelView& panel) {
  return {main_,      clock_,       pool_,       system_,         files_,       *workspace_,
          processes_, *pasteboard_, *keyEvents_, *accessibility_, appleEvents_, bookmarks_,
          *hotKeys_,  *screens_,    instances_,  folderPicker,    highlighter,  panel};
}

void DesktopSeams::observeActivations(std::function<void(const platform::RunningApplication&)> activated) {
  activated_ = std::move(activated);
}

}  // namespace quillo::ui
