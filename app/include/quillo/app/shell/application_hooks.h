#pragma once

#include <functional>
#include <string>
#include <vector>

#include "quillo/app/shell/launcher_position.h"
#include "quillo/app/shell/launcher_routing.h"
#include "quillo/app/shell/main_menu.h"
#include "quillo/app/shell/status_menu.h"
#include "quillo/base/date.h"
#include "quillo/platform/workspace.h"

namespace quillo::app {

// How the application object reaches the long-lived parts it starts and wires together: the usage
// signals, the search model, the clipboard model, the keep-awake runner, the local ranking service,
// the windows of the desktop front end. Each is a function, so that the object is built and tested
// before those parts and the desktop front end are; a missing function does nothing (and one that
// answers, answers "no"). All are called on the main thread.
struct ApplicationHooks {
  // Usage signals: started first; told every time the launcher opens.
  std::function<void()> startUsageSignals{};
  std::function<void()> launcherOpened{};

  // Whether a ranking service address is configured; without one the local service is started,
  // right after the usage signals and without waiting for it.
  std::function<bool()> serviceAddressConfigured{};
  std::function<void()> startLocalRankingService{};

  std::function<void(const std::vector<MenuModel>& menus)> installMainMenu{};
  // Resumes a keep-awake that was running when the program last quit, relative to `now`.
  std::function<void(base::Date now)> resumeKeepAwake{};
  std::function<void()> showWelcome{};

  // Connects the panel's keys to the search and clipboard models.
  std::function<void(LauncherPanelCallbacks& callbacks)> connectPanel{};
  // The panel's size for the launcher's current content.
  std::function<Size()> launcherSize{};

  std::function<void(const StatusMenu& menu)> installStatusItem{};
  // The status menu changed (the launcher shortcut's label, the update item).
  std::function<void(const StatusMenu& menu)> updateStatusMenu{};

  // The application in front now, as the desktop reports it; none when unknown.
  std::function<std::optional<platform::RunningApplication>()> frontApplication{};
  // Starts delivering the desktop's application-activated notifications on the main queue.
  std::function<void(std::function<void(const platform::RunningApplication& application)> activated)>
      observeActivations{};
  // The search model's menu prefetch for the application that became active.
  std::function<void(const platform::RunningApplication& application)> prefetchMenus{};
  // The search model's query, set by "--query".
  std::function<void(const std::string& query)> setQuery{};

  // The panel closed: the clipboard model's window and the search model's panel.
  std::function<void()> clipboardWindowClosed{};
  std::function<void()> searchPanelClosed{};

  std::function<void()> openSettings{};
  // Shows the outcome of "Check for Updates…".
  std::function<void(const std::string& message)> showUpdateMessage{};
  // Ends the application (after `terminate`).
  std::function<void()> quit{};
  // Stops the clipboard model at termination.
  std::function<void()> stopClipboard{};
};

}  // namespace quillo::app
