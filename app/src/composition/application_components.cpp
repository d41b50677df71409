#include "quillo/app/composition/application_components.h"

#include <cstdlib>

#include "quillo/base/log.h"
#include "quillo/base/program_files.h"
#include "quillo/clipboard/clipboard_tagger.h"
#include "quillo/net/loader.h"

namespace quillo::app {
namespace {

constexpr base::log::Logger kAppLog("app");

using Content = LauncherPresentation::Content;

std::unique_ptr<core::FileDefaultsStore> openDefaults(const ApplicationSeams& seams,
                                                      const ApplicationComponentsOptions& options) {
  return std::make_unique<core::FileDefaultsStore>(
      options.defaultsFile.value_or(core::FileDefaultsStore::standardPath(seams.system)), seams.files);
}

TelemetrySdk usageSignals(const ApplicationSeams& seams, AnalyticsClient::TransportSource transport) {
  if (!transport) transport = [] { return net::loadHttpTransport({}); };
  return analyticsSdk([seams, transport = std::move(transport)](const std::string& appID, bool testMode) {
    const AnalyticsDestination built = builtInAnalyticsDestination().value_or(AnalyticsDestination{});
    AnalyticsClient::Options options{
        .destination = {.endpoint = built.endpoint, .appID = appID},
        .testMode = testMode,
        .keptFile = keptSignalsFile(seams.system.environment("XDG_STATE_HOME"), seams.system.homeFolder())};
    return std::make_unique<AnalyticsClient>(std::move(options), transport, seams.files, seams.pool,
                                             seams.main, seams.clock);
  });
}

TelemetryService::Options telemetryOptions(const platform::System& system) {
  const auto destination = builtInAnalyticsDestination();
  return {.appID = destination ? std::optional(destination->appID) : std::nullopt,
          .testMode = false,
          .timeZone = system.timeZoneIdentifier()};
}

FrontApp frontApp(const platform::RunningApplication& application) {
  return {.pid = application.pid, .bundleID = application.bundleID.value_or(""), .name = ""};
}

platform::FrontApplication frontApplication(const platform::RunningApplication& application) {
  return {.pid = application.pid, .id = application.bundleID.value_or("")};
}

std::string failureText(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& failure) {
    return failure.what();
  } catch (...) {
    return "unknown failure";
  }
}

}  // namespace

ApplicationComponents::ApplicationComponents(ApplicationSeams seams, ApplicationComponentsOptions options)
    : seams_(seams),
      options_(std::move(options)),
      defaults_(openDefaults(seams_, options_)),
      preferences_(*defaults_),
      usage_(*defaults_),
      telemetry_(*defaults_, seams_.clock, usageSignals(seams_, options_.analyticsTransport),
                 telemetryOptions(seams_.system)),
      children_(seams_.processes),
      keepAwake_(children_, *defaults_, options_.tools),
      appleEvents_(seams_.workspace, seams_.appleEvents),
      runner_({.children = children_,
               .keepAwake = keepAwake_,
               .workspace = seams_.workspace,
               .accessibility = seams_.accessibility,
               .appleEvents = appleEvents_,
               .pool = seams_.pool,
               .files = seams_.files,
               .clock = seams_.clock},
              options_.tools),
      settingsGuide_(
          {.accessibility = seams_.accessibility,
           .highlighter = seams_.highlighter,
           .pool = seams_.pool,
           .main = seams_.main,
           .clock = seams_.clock,
           .runCommand = [this](const core::Command& command) { runner_.run(command); },
           .processOf = [&workspace = seams_.workspace](
                            std::string_view bundleID) -> std::optional<platform::ProcessID> {
             for (const auto& running : workspace.runningApplications())
               if (running.bundleID == bundleID) return running.pid;
             return std::nullopt;
           },
           .frontProcess = [&workspace = seams_.workspace]() -> std::optional<platform::ProcessID> {
             const auto front = workspace.frontApplication();
             return front ? std::optional(front->pid) : std::nullopt;
           }}),
      clipboardSettings_(*defaults_),
      clipboardModel_({.board = seams_.pasteboard,
                       .keys = seams_.keyEvents,
                       .workspace = seams_.workspace,
                       .system = seams_.system,
                       .main = seams_.main,
                       .clock = seams_.clock,
                       .pool = seams_.pool,
                       .files = seams_.files},
                      clipboardSettings_, std::make_shared<clipboard::ClipboardTagger>(), options_.clipboard),
      backend_(options_.configuredService),
      localServiceTask_(seams_.pool, seams_.main) {
  clipboardModel_.onInteraction = [this](Interaction interaction) {
    telemetry_.actionInvoked(Feature::clipboard, interaction);
  };
  auto loadLibrary = options_.loadFileLibrary;
  if (!loadLibrary) {
    loadLibrary = [&files = seams_.files, override = seams_.system.environment("QUILLO_FFF_LIBRARY")] {
      return core::FffLibrary::load(
          files, core::FffLibrary::candidates(override ? override->c_str() : nullptr,
                                              base::executablePath().value_or("").string()));
    };
  }
  searchFolders_ = std::make_unique<SearchFolders>(
      SearchFolders::Environment{.preferences = preferences_,
                                 .bookmarks = seams_.bookmarks,
                                 .files = seams_.files,
                                 .picker = seams_.folderPicker,
                                 .pool = seams_.pool,
                                 .main = seams_.main,
                                 .homeFolder = seams_.system.homeFolder(),
                                 .loadLibrary = std::move(loadLibrary),
                                 .macOS = seams_.system.isMacOS()},
      SearchFolders::Hooks{
          .serviceClient = [this] { return backend_; },
          .inFilesScope = [this] { return searchModel_->scope() == SearchModel::Scope::files; },
          .cancelFileSearch = {},
          .clearAnswerCache = {},
          .rerunQuery = [this] { searchModel_->setQuery(searchModel_->query()); },
          .onFileAccessChange = {},
          .onChange =
              [this] {
                const SearchFolders& folders = *searchFolders_;
                searchModel_->setFileSearch({.index = folders.fileIndex(),
                                             .ranker = folders.fileRanker(),
                                             .offReason = folders.fileOffReason(),
                                             .folderFailures = folders.fileFolderFailures(),
                                             .isIndexing = folders.isIndexingFiles()});
              }});
  searchModel_ = std::make_unique<SearchModel>(SearchModelDependencies{.main = seams_.main,
                                                                       .pool = seams_.pool,
                                                                       .clock = seams_.clock,
                                                                       .preferences = preferences_,
                                                                       .usage = usage_,
                                                                       .accessibility = seams_.accessibility,
                                                                       .backend = backend_},
                                               searchHooks(), options_.search);
}

ApplicationComponents::~ApplicationComponents() = default;

SearchModelHooks ApplicationComponents::searchHooks() {
  using Scope = core::QuilloPreferences::Scope;
  return {
      .clipboardMatch = [this](const std::string& query,
                               std::stop_token stop) { return clipboardMatch(query, std::move(stop)); },
      .pasteClipboard = [this](const core::ResultRow& row) { pasteClipboardRow(row); },
      .runRow = [this](const core::ResultRow& row, bool alternate) { runRow(row, alternate); },
      .guideAppSettings =
          [this](const core::Command& menuItem, const std::string& query) {
            const auto& app = searchModel_->menuApp();
            if (!app) return;
            settingsGuide_.follow(menuItem, app->pid, searchModel_->menuAppName(), query, backend_);
          },
      .guideSettingsPane = [this](const core::Command& pane,
                                  const std::string& query) { settingsGuide_.open(pane, query, backend_); },
      .onRun =
          [this] {
            // Toggling a shown launcher dismisses it.
            if (application_ && seams_.panel.isVisible()) application_->toggle();
          },
      .featureUsed = [this](Scope scope) { telemetry_.featureUsed(featureOf(scope)); },
      .actionInvoked =
          [this](Scope scope, bool alternate) {
            const Interaction interaction = scope != Scope::files
                                                ? Interaction::run
                                                : (alternate ? Interaction::reveal : Interaction::open);
            telemetry_.actionInvoked(featureOf(scope), interaction);
          },
      .prepareFiles = [this] { searchFolders_->prepareFiles(); },
      .awakeUntil = [this] { return keepAwake_.until(); },
  };
}

ApplicationPlatform ApplicationComponents::platform(core::HttpTransport* http) {
  return {.defaults = *defaults_,
          .system = seams_.system,
          .clock = seams_.clock,
          .main = seams_.main,
          .pool = seams_.pool,
          .hotKeys = seams_.hotKeys,
          .screens = seams_.screens,
          .panel = seams_.panel,
          .http = http,
          .preferences = &preferences_};
}

ApplicationHooks ApplicationComponents::hooks(UiHooks ui) {
  return {
      .startUsageSignals = [this] { telemetry_.start(); },
      .launcherOpened = [this] { contentShown(); },
      .serviceAddressConfigured = [this] { return options_.configuredService != nullptr; },
      .startLocalRankingService = [this] { startLocalRankingService(); },
      .installMainMenu = std::move(ui.installMainMenu),
      .resumeKeepAwake = [this](base::Date now) { keepAwake_.resume(now); },
      .showWelcome = std::move(ui.showWelcome),
      .connectPanel = [this](LauncherPanelCallbacks& callbacks) { connectPanel(callbacks); },
      .launcherSize = std::move(ui.launcherSize),
      .installStatusItem = std::move(ui.installStatusItem),
      .updateStatusMenu = std::move(ui.updateStatusMenu),
      .frontApplication = [this]() -> std::optional<platform::RunningApplication> {
        const auto front = seams_.workspace.frontApplication();
        if (!front) return std::nullopt;
        return platform::RunningApplication{
            .pid = front->pid,
            .bundleID = front->id.empty() ? std::nullopt : std::optional(front->id),
            .bundlePath = std::nullopt};
      },
      .observeActivations = std::move(ui.observeActivations),
      .prefetchMenus =
          [this](const platform::RunningApplication& application) {
            if (preferences_.prefetchMenus()) searchModel_->readMenus(frontApp(application));
          },
      .setQuery = [this](const std::string& query) { searchModel_->setQuery(query); },
      .clipboardWindowClosed =
          [this] {
            if (shown_ == Content::clipboard) clipboardModel_.close();
          },
      .searchPanelClosed =
          [this] {
            if (shown_ == Content::launcher) searchModel_->panelDidClose();
            shown_.reset();
          },
      .openSettings = std::move(ui.openSettings),
      .showUpdateMessage = std::move(ui.showUpdateMessage),
      .quit = std::move(ui.quit),
      .stopClipboard = [this] { clipboardModel_.stop(); },
  };
}

bool ApplicationComponents::attach(QuilloApplication& application) {
  application_ = &application;
  // A paste hides the panel and lets the application behind it come back before the keystroke.
  clipboardModel_.onDismiss = [this](const std::function<void(bool reopened)>& answer) {
    if (!seams_.panel.isVisible()) return answer(false);
    application_->dismiss([this, answer] { answer(seams_.panel.isVisible()); });
  };
  return seams_.instances.claim(
      [&application](const platform::InstanceRequest& request) { application.handle(request); });
}

void ApplicationComponents::startLocalRankingService() {
  auto start = options_.startLocalService;
  if (!start) start = [&system = seams_.system] { return connectLocalRankingService(system); };
  // The launcher works without the service meanwhile; its rows come once the client is ready.
  localServiceTask_.start([start = std::move(start)](std::stop_token) { return start(); },
                          [this](LocalRankingService service) {
                            localService_ = std::move(service.process);
                            useBackend(std::move(service.client));
                          },
                          [](const std::exception_ptr& error) {
                            kAppLog.error("The local ranking service did not start: {}", failureText(error));
                          });
}

void ApplicationComponents::useBackend(std::shared_ptr<core::BackendClient> backend) {
  backend_ = std::move(backend);
  searchModel_->setBackend(backend_);
  if (options_.commandIndex) searchModel_->refreshCommands(options_.commandIndex);
}

void ApplicationComponents::contentShown() {
  telemetry_.launcherOpened();
  if (!application_) return;
  const Content content = application_->presentation().content();
  if (shown_ == content) return;
  // Switching in place closes what was shown before.
  if (shown_ == Content::launcher) searchModel_->panelDidClose();
  if (shown_ == Content::clipboard) clipboardModel_.close();
  shown_ = content;
  const auto& target = application_->launcherApp();
  if (content == Content::launcher) {
    searchModel_->panelDidOpen(target ? std::optional(frontApp(*target)) : std::nullopt);
  } else {
    clipboardModel_.open(ClipboardModel::Mode::paste, pasteTarget());
  }
}

void ApplicationComponents::runRow(const core::ResultRow& row, bool alternate) {
  if (const auto* file = std::get_if<core::target::File>(&row.command.target)) {
    runner_.runFile(row.command, file->url, !alternate);
    return;
  }
  runner_.run(row);
}

std::optional<core::Command> ApplicationComponents::clipboardMatch(const std::string& query,
                                                                   std::stop_token stop) const {
  const auto entry = clipboardModel_.launcherMatch(query, std::move(stop));
  if (!entry) return std::nullopt;
  return core::Command("clipboard." + entry->id.text(), entry->title, core::Command::Kind::clipboard, "",
                       entry->sourceAppName, "",
                       core::target::Clipboard{.id = entry->id, .sourceAppID = entry->sourceAppID});
}

std::optional<platform::FrontApplication> ApplicationComponents::pasteTarget() const {
  const auto& target = application_ ? application_->launcherApp() : std::nullopt;
  if (!target) return std::nullopt;
  return frontApplication(*target);
}

}  // namespace quillo::app
