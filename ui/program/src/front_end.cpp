#include "front_end.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include "quillo/app/shell/autostart_entry.h"
#include "quillo/base/program_files.h"
#include "quillo/core/index/app_branding.h"
#include "quillo/core/index/desktop_entry_folders.h"
#include "quillo/ui/clipboard/clipboard_view.h"
#include "quillo/ui/effects/highlight_window.h"
#include "quillo/ui/effects/welcome_window.h"
#include "quillo/ui/panel/launcher_window.h"
#include "quillo/ui/settings/qt_folder_picker.h"
#include "quillo/ui/settings/settings_window.h"
#include "quillo/ui/tray/status_item.h"

namespace quillo::ui {
namespace {

using Content = app::LauncherPresentation::Content;

// The panel the components hold: the launcher window once it exists, switched to the content the
// application presents before it is shown.
class DeferredPanel final : public app::LauncherPanelView {
 public:
  void attach(LauncherWindow* window, const app::QuilloApplication* application) {
    window_ = window;
    application_ = application;
  }

  bool isVisible() const override { return window_ && window_->isVisible(); }
  void present(const platform::Rect& frame, const app::PanelTransition& transition,
               const std::optional<std::string>& activationToken) override {
    if (!window_) return;
    window_->showContent(application_->presentation().content());
    window_->present(frame, transition, activationToken);
  }
  void dismiss(const app::PanelTransition& transition, std::function<void()> completion) override {
    if (window_) {
      window_->dismiss(transition, std::move(completion));
    } else if (completion) {
      completion();
    }
  }

 private:
  LauncherWindow* window_ = nullptr;
  const app::QuilloApplication* application_ = nullptr;
};

}  // namespace

struct FrontEnd::Windows {
  explicit Windows(FrontEndContext context)
      : context(std::move(context)),
        highlighter(this->context.animationsOff),
        autostart(this->context.files, this->context.system,
                  base::executablePath().value_or("quillo").string()) {}

  FrontEndContext context;
  DeferredPanel panel;
  QtFolderPicker picker;
  HighlightWindow highlighter;
  app::AutostartEntry autostart;
  app::ApplicationComponents* components = nullptr;
  app::QuilloApplication* application = nullptr;
  std::unique_ptr<LauncherWindow> launcher;
  ClipboardView* clipboard = nullptr;  // owned by the launcher window
  std::unique_ptr<SettingsWindow> settings;
  std::unique_ptr<StatusItem> status;
  std::unique_ptr<WelcomeWindow> welcome;

  // Calls `done` (with whether the panel opened again meanwhile) once another application's window
  // is active, or after half a second.
  void whenKeyboardReturned(std::function<void(bool)> done, int attempt = 0) {
    constexpr int kAttempts = 50;
    if (panel.isVisible()) return done(true);
    if (context.otherApplicationInFront() || attempt >= kAttempts) return done(false);
    QTimer::singleShot(10, [this, done = std::move(done), attempt]() mutable {
      whenKeyboardReturned(std::move(done), attempt + 1);
    });
  }

  void showWelcome() {
    if (!application) return;
    const auto label = [](const app::ShortcutController* controller) {
      return controller ? controller->label() : std::string();
    };
    welcome = std::make_unique<WelcomeWindow>(
        WelcomeShortcuts{label(application->launcherShortcuts()), label(application->clipboardShortcuts())},
        WelcomeHooks{.openSettings = [this] { openSettings(); }, .closed = {}}, context.animationsOff);
    welcome->present();
  }

  void openSettings() {
    SettingsWindow& window = settingsWindow();
    window.refresh();
    window.show();
    window.raise();
    window.activateWindow();
  }

  SettingsWindow& settingsWindow() {
    if (!settings) {
      settings = std::make_unique<SettingsWindow>(SettingsContext{
          .preferences = components->preferences(),
          .launcherShortcut = application->launcherShortcuts(),
          .clipboardShortcut = application->clipboardShortcuts(),
          .folders = components->searchFolders(),
          .clipboard = components->clipboardSettings(),
          .clipboardModel = components->clipboardModel(),
          .telemetry = components->telemetry(),
          .autostart = autostart,
          .diagnostics = context.diagnostics,
          .version = app::programVersion(),
          .allowDesktopShortcuts = context.allowDesktopShortcuts,
      });
    }
    return *settings;
  }
};

FrontEnd::FrontEnd(FrontEndContext context) : windows_(std::make_unique<Windows>(std::move(context))) {}
FrontEnd::~FrontEnd() {
  disconnect();
}

app::LauncherPanelView& FrontEnd::panel() {
  return windows_->panel;
}
platform::FolderPicker& FrontEnd::folderPicker() {
  return windows_->picker;
}
platform::Highlighter& FrontEnd::highlighter() {
  return windows_->highlighter;
}
LauncherWindow* FrontEnd::launcherWindow() {
  return windows_->launcher.get();
}

bool FrontEnd::panelHasKeyboard() const {
  const LauncherWindow* window = windows_->launcher.get();
  const QWidget* focus = QApplication::focusWidget();
  return window && window->isActiveWindow() && focus && (focus == window || window->isAncestorOf(focus));
}
SettingsWindow& FrontEnd::settingsWindow() {
  return windows_->settingsWindow();
}

void FrontEnd::connect(app::ApplicationComponents& components, app::QuilloApplication& application) {
  Windows& w = *windows_;
  w.components = &components;
  w.application = &application;
  const auto route = [&application](const app::KeyEvent& event, const app::SearchFieldState& field) {
    return application.routeKey(event, field);
  };
  w.launcher = std::make_unique<LauncherWindow>(
      components.searchModel(), components.preferences(),
      LauncherWindow::Hooks{
          .routeKey = route,
          .moved = [&application](const platform::Rect& frame) { application.panelMoved(frame); },
          .resignedKey = [&application] { application.panelResignedKey(); },
          .dismissRequested = [&application] { application.dismiss({}); },
          .painted = w.context.painted,
          .feedbackAction = [&w](app::LauncherFeedback) { w.openSettings(); },
          .branding = [folders = core::metainfoFolders(core::desktopEntryFolders(w.context.system)),
                       &files = w.context.files](
                          const std::string& appId) { return core::readAppBranding(appId, folders, files); },
      });
  auto clipboard = std::make_unique<ClipboardView>(
      components.clipboardModel(),
      ClipboardView::Hooks{.routeKey = route, .painted = w.context.painted, .turnOnRecording = [&components] {
                             components.clipboardSettings().setEnabled(true);
                           }});
  w.clipboard = clipboard.get();
  w.launcher->setClipboardView(clipboard.release());
  w.panel.attach(w.launcher.get(), &application);
}

void FrontEnd::holdPastesUntilTheKeyboardReturns() {
  Windows& w = *windows_;
  app::ClipboardModel& model = w.components->clipboardModel();
  // The window manager gives the keyboard back to the window behind the panel a moment after the
  // panel is gone: the paste keystroke waits for that, or it would go nowhere.
  model.onDismiss = [&w, dismiss = model.onDismiss](const std::function<void(bool)>& answer) {
    const auto afterHiding = [&w, answer](bool reopened) {
      if (reopened) return answer(true);
      w.whenKeyboardReturned(answer);
    };
    if (dismiss) {
      dismiss(afterHiding);
    } else {
      afterHiding(false);
    }
  };
}

void FrontEnd::disconnect() {
  Windows& w = *windows_;
  w.panel.attach(nullptr, nullptr);
  w.welcome.reset();
  w.settings.reset();
  w.status.reset();
  w.clipboard = nullptr;
  w.launcher.reset();
  if (w.components) w.components->clipboardModel().onDismiss = {};
  w.components = nullptr;
  w.application = nullptr;
}

void FrontEnd::fill(app::UiHooks& hooks, std::function<void()> quit) {
  Windows& w = *windows_;
  hooks.installStatusItem = [&w](const app::StatusMenu& menu) {
    w.status = std::make_unique<StatusItem>([&w](app::StatusMenuItem::Action action) {
      if (w.application) w.application->perform(action);
    });
    w.status->install(menu);
  };
  hooks.updateStatusMenu = [&w](const app::StatusMenu& menu) {
    if (w.status) w.status->update(menu);
  };
  hooks.openSettings = [&w] { w.openSettings(); };
  // The welcome names the shortcuts, which the application registers after asking for it.
  hooks.showWelcome = [&w] { QTimer::singleShot(0, [&w] { w.showWelcome(); }); };
  hooks.quit = std::move(quit);
  hooks.launcherSize = [&w] {
    if (!w.launcher) return platform::Size{680, 420};
    w.launcher->showContent(w.application->presentation().content());
    return w.launcher->preferredSize();
  };
}

std::vector<SnapshotWindow> FrontEnd::snapshotWindows(Content content) {
  Windows& w = *windows_;
  if (!w.launcher) return {};
  w.launcher->showContent(content);
  const app::Size size = w.launcher->preferredSize();
  w.launcher->resize(static_cast<int>(size.width), static_cast<int>(size.height));
  if (content == Content::clipboard) return {{"clipboard", w.launcher.get()}};
  SettingsWindow& settings = w.settingsWindow();
  settings.refresh();
  return {{"panel", w.launcher.get()}, {"settings", &settings}};
}

}  // namespace quillo::ui
