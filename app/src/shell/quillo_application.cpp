#include "quillo/app/shell/quillo_application.h"

#include "quillo/app/shell/main_menu.h"

namespace quillo::app {
namespace {

using Content = LauncherPresentation::Content;

template <class Hook, class... Arguments>
void call(const Hook& hook, Arguments&&... arguments) {
  if (hook) hook(std::forward<Arguments>(arguments)...);
}

// The panel's size before the search model answers: the launcher's empty height.
constexpr Size kFallbackPanelSize{680, 72};

}  // namespace

QuilloApplication::QuilloApplication(ApplicationPlatform platform, ApplicationHooks hooks,
                                     ApplicationOptions options)
    : platform_(platform),
      hooks_(std::move(hooks)),
      options_(std::move(options)),
      ownPreferences_(platform.preferences ? std::nullopt
                                           : std::optional<core::QuilloPreferences>(platform.defaults)),
      preferences_(platform.preferences ? *platform.preferences : *ownPreferences_),
      position_(platform.defaults),
      hotKeyCenter_(platform.hotKeys) {
  panelState_.commandIsControl = !platform.system.isMacOS();
}

QuilloApplication::~QuilloApplication() = default;

void QuilloApplication::start(const std::vector<std::string>& arguments) {
  const auto launch = LaunchArguments::parse(arguments);
  call(hooks_.startUsageSignals);
  if (!(hooks_.serviceAddressConfigured && hooks_.serviceAddressConfigured())) {
    call(hooks_.startLocalRankingService);
  }
  call(hooks_.installMainMenu, mainMenu());
  call(hooks_.resumeKeepAwake, platform_.clock.now());
  showWelcomeOnce(launch.welcome);
  connectPanel();
  shortcuts_ = std::make_unique<ShortcutController>(
      preferences_, ShortcutController::Kind::launcher, hotKeyCenter_,
      ShortcutController::Hooks{.action = [this] { toggle(); }, .onChange = [this] { statusMenuChanged(); }});
  clipboardShortcuts_ =
      std::make_unique<ShortcutController>(preferences_, ShortcutController::Kind::clipboard, hotKeyCenter_,
                                           ShortcutController::Hooks{.action = [this] { showClipboard(); }});
  updater_ = std::make_unique<UpdateChecker>(
      UpdateChecker::Options{.feedUrl = options_.releaseFeed, .currentVersion = options_.version},
      platform_.http, platform_.pool, platform_.main);
  updater_->setObserver([this] {
    if (!std::holds_alternative<update::Checking>(updater_->state())) {
      call(hooks_.showUpdateMessage, updater_->message());
    }
  });
  call(hooks_.installStatusItem, statusMenu());
  statusItemInstalled_ = true;
  call(hooks_.observeActivations,
       [this](const platform::RunningApplication& application) { activated(application); });
  if (launch.show) show(Content::launcher);
  if (launch.query) call(hooks_.setQuery, *launch.query);
  if (launch.clipboard) show(Content::clipboard);
  if (launch.toggle) toggle();
}

void QuilloApplication::showWelcomeOnce(bool asked) {
  const auto shown = platform_.defaults.value(welcomeShownKey);
  const bool alreadyShown = shown && shown->boolean().value_or(false);
  if (!alreadyShown) platform_.defaults.set(welcomeShownKey, true);
  if (!alreadyShown || asked) call(hooks_.showWelcome);
}

void QuilloApplication::connectPanel() {
  call(hooks_.connectPanel, panelCallbacks_);
}

void QuilloApplication::toggle() {
  if (platform_.panel.isVisible() && presentation_.content() == Content::launcher) {
    dismissThenHide();
  } else {
    show(Content::launcher);
  }
}

void QuilloApplication::showClipboard() {
  if (platform_.panel.isVisible() && presentation_.content() == Content::clipboard) {
    dismissThenHide();
  } else {
    show(Content::clipboard);
  }
}

void QuilloApplication::show(Content content) {
  if (!platform_.panel.isVisible()) {
    panelDisplay_ = displayUnderPointer();
    auto front = hooks_.frontApplication ? hooks_.frontApplication() : std::nullopt;
    // Our own settings window in front is no application to act on: keep the one from before.
    if (front && front->pid != options_.ownProcess) launcherApp_ = std::move(front);
  }
  presentation_.open(content);
  const Size size = hooks_.launcherSize ? hooks_.launcherSize() : kFallbackPanelSize;
  const auto frame = panelDisplay_ ? position_.frame(size, *panelDisplay_) : platform::Rect{{}, size};
  platform_.panel.present(frame, panelTransition(platform_.screens.reduceMotion()),
                          std::exchange(activationToken_, {}));
  call(hooks_.launcherOpened);
}

void QuilloApplication::hide() {
  call(hooks_.clipboardWindowClosed);
  call(hooks_.searchPanelClosed);
}

void QuilloApplication::dismissThenHide() {
  dismiss({});
}

void QuilloApplication::dismiss(std::function<void()> completion) {
  platform_.panel.dismiss(panelTransition(platform_.screens.reduceMotion()),
                          [this, completion = std::move(completion)] {
                            hide();
                            if (completion) completion();
                          });
}

void QuilloApplication::handle(const platform::InstanceRequest& request) {
  activationToken_ = request.activationToken;
  using Kind = platform::InstanceRequest::Kind;
  switch (request.kind) {
    case Kind::show:
      show(Content::launcher);
      break;
    case Kind::toggle:
      toggle();
      break;
    case Kind::clipboard:
      showClipboard();
      break;
    case Kind::query:
      show(Content::launcher);
      if (request.query) call(hooks_.setQuery, *request.query);
      break;
  }
  activationToken_.reset();
}

void QuilloApplication::perform(StatusMenuItem::Action action) {
  using Action = StatusMenuItem::Action;
  switch (action) {
    case Action::showQuillo:
      show(Content::launcher);
      break;
    case Action::openSettings:
      call(hooks_.openSettings);
      break;
    case Action::checkForUpdates:
      if (updater_ && updater_->hasFeed()) {
        updater_->checkNow();
      } else if (updater_) {
        call(hooks_.showUpdateMessage, updater_->message());
      }
      break;
    case Action::quit:
      terminate();
      call(hooks_.quit);
      break;
    case Action::none:
      break;
  }
}

void QuilloApplication::reopen() {
  call(hooks_.openSettings);
}

void QuilloApplication::terminate() {
  call(hooks_.stopClipboard);
}

Routing QuilloApplication::routeKey(const KeyEvent& event, const SearchFieldState& field) const {
  return routeLauncherKey(event, field, panelState_, panelCallbacks_);
}

void QuilloApplication::panelMoved(const platform::Rect& frame) {
  if (panelDisplay_) position_.save(frame, *panelDisplay_);
}

void QuilloApplication::panelResignedKey() {
  if (platform_.panel.isVisible()) dismissThenHide();
}

StatusMenu QuilloApplication::statusMenu() const {
  const std::string label = shortcuts_ ? shortcuts_->label() : "";
  const bool canCheck = updater_ && updater_->hasFeed();
  const std::string updateTitle = updater_ ? updater_->menuTitle() : "Check for Updates…";
  return app::statusMenu(label, updateTitle, canCheck, options_.version);
}

void QuilloApplication::activated(const platform::RunningApplication& application) {
  if (application.pid == options_.ownProcess) return;
  lastApp_ = application;
  call(hooks_.prefetchMenus, application);
}

void QuilloApplication::statusMenuChanged() const {
  if (statusItemInstalled_) call(hooks_.updateStatusMenu, statusMenu());
}

platform::Display QuilloApplication::displayUnderPointer() const {
  const auto displays = platform_.screens.displays();
  if (displays.empty()) return platform::Display{};
  const auto pointer = platform_.screens.pointer();
  for (const auto& display : displays) {
    if (display.frame.contains(pointer)) return display;
  }
  return displays.front();
}

}  // namespace quillo::app
