#pragma once

#include <functional>
#include <vector>

#include "quillo/app/shell/application_hooks.h"
#include "quillo/app/shell/launcher_panel_view.h"
#include "quillo/base/worker_pool.h"
#include "quillo/platform/accessibility.h"
#include "quillo/platform/apple_events.h"
#include "quillo/platform/bookmarks.h"
#include "quillo/platform/clock.h"
#include "quillo/platform/file_system.h"
#include "quillo/platform/folder_picker.h"
#include "quillo/platform/highlighter.h"
#include "quillo/platform/hot_keys.h"
#include "quillo/platform/instance_channel.h"
#include "quillo/platform/key_events.h"
#include "quillo/platform/main_queue.h"
#include "quillo/platform/pasteboard.h"
#include "quillo/platform/processes.h"
#include "quillo/platform/screens.h"
#include "quillo/platform/system.h"
#include "quillo/platform/workspace.h"

namespace quillo::app {

// The platform as the running program reaches it; the desktop front end makes each one and keeps
// it alive for as long as the application's components live.
struct ApplicationSeams {
  platform::MainQueue& main;
  platform::Clock& clock;
  base::WorkerPool& pool;
  platform::System& system;
  platform::FileSystem& files;
  platform::Workspace& workspace;
  platform::Processes& processes;
  platform::Pasteboard& pasteboard;
  platform::KeyEvents& keyEvents;
  platform::Accessibility& accessibility;
  platform::AppleEvents& appleEvents;
  platform::Bookmarks& bookmarks;
  platform::HotKeys& hotKeys;
  platform::Screens& screens;
  platform::InstanceChannel& instances;
  platform::FolderPicker& folderPicker;
  platform::Highlighter& highlighter;
  LauncherPanelView& panel;
};

// What only the desktop front end can do: its menus and windows, its notion of the panel's size,
// and the desktop's application-activated notifications. Copied into the application's hooks
// unchanged.
struct UiHooks {
  std::function<void(const std::vector<MenuModel>& menus)> installMainMenu{};
  std::function<void(const StatusMenu& menu)> installStatusItem{};
  std::function<void(const StatusMenu& menu)> updateStatusMenu{};
  std::function<void()> openSettings{};
  std::function<void()> showWelcome{};
  std::function<void(const std::string& message)> showUpdateMessage{};
  std::function<void()> quit{};
  std::function<Size()> launcherSize{};
  std::function<void(std::function<void(const platform::RunningApplication& application)> activated)>
      observeActivations{};
};

}  // namespace quillo::app
