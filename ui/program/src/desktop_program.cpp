#include "desktop_program.h"

#include <unistd.h>

#include <QCoreApplication>
#include <cstdlib>

#include "program_state.h"
#include "quillo/app/file_search_answer.h"
#include "quillo/base/log.h"
#include "quillo/base/program_files.h"
#include "quillo/core/files/fff_library.h"
#include "quillo/ui/style/desktop_appearance.h"

namespace quillo::ui {
namespace {

constexpr base::log::Logger kProgramLog("desktop");

platform::desktop::SessionFacts withoutSession() {
  return {};
}

}  // namespace

DesktopProgram::DesktopProgram(const platform::desktop::SessionFacts& facts, DesktopProgramOptions options)
    : options_(options),
      paintLog_(PaintLog::fromEnvironment()),
      seams_(options.attach ? facts : withoutSession()),
      frontEnd_(std::make_unique<FrontEnd>(FrontEndContext{
          .files = seams_.files(),
          .system = seams_.system(),
          .diagnostics =
              [&hotKeys = seams_.hotKeys()] {
                auto facts = platform::desktop::probeSession();
                facts.globalShortcutsRefused = hotKeys.refusal().has_value();
                return platform::desktop::assess(facts);
              },
          .animationsOff = [] { return desktopReducesMotion(); },
          .otherApplicationInFront =
              [&workspace = seams_.workspace()] {
                const auto front = workspace.frontApplication();
                return front && front->pid != static_cast<platform::ProcessID>(getpid());
              },
          .painted = paintLog_ ? std::function<void()>([log = &*paintLog_] { log->painted(); })
                               : std::function<void()>(),
          .allowDesktopShortcuts = seams_.desktopShortcuts() ? std::function<void(bool)>([this](bool on) {
            allowDesktopShortcuts(on);
          })
                                                             : std::function<void(bool)>(),
      })) {
  const DesktopCatalogue& catalogue = seams_.catalogue();
  platform::FileSystem& files = seams_.files();
  components_ = std::make_unique<app::ApplicationComponents>(
      seams_.seams(frontEnd_->folderPicker(), frontEnd_->highlighter(), frontEnd_->panel()),
      app::ApplicationComponentsOptions{
          .commandIndex = [&catalogue] { return catalogue.index(); },
          .tools = app::ActionTools::of(catalogue.calls()),
          .loadFileLibrary =
              [&files] {
                return core::FffLibrary::load(
                    files, core::FffLibrary::candidates(std::getenv("QUILLO_FFF_LIBRARY"),
                                                        base::executablePath().value_or("").string()));
              },
      });
  // Before the shortcuts are first registered, so that they go where the user allowed.
  if (ConsentedHotKeys* shortcuts = seams_.desktopShortcuts()) {
    try {
      shortcuts->setConsent(components_->preferences().desktopShortcutsAllowed());
    } catch (const std::exception& error) {
      kProgramLog.warning("GNOME's keyboard settings cannot take Quillo's shortcuts: {}", error.what());
    }
  }
  application_ = std::make_unique<app::QuilloApplication>(
      components_->platform(), components_->hooks(uiHooks()),
      app::ApplicationOptions{.ownProcess = static_cast<platform::ProcessID>(getpid())});
  frontEnd_->connect(*components_, *application_);
  state_ = std::make_unique<StateService>([this] { return stateJson(); });
  fileSearch_ = std::make_unique<FileSearchService>(
      [this]() -> std::shared_ptr<core::FileIndex> {
        app::SearchFolders& folders = components_->searchFolders();
        if (!folders.isSetUp()) return nullptr;
        // Asked for files from the command line: index them from now on, for the next ask.
        if (!folders.fileIndex()) folders.prepareFiles();
        return folders.fileIndex();
      },
      [this](std::function<void()> work) { seams_.pool().submit(std::move(work)); });
}

DesktopProgram::~DesktopProgram() {
  shutdown();
}

app::UiHooks DesktopProgram::uiHooks() {
  app::UiHooks hooks;
  frontEnd_->fill(hooks, [] { QCoreApplication::quit(); });
  hooks.observeActivations = [this](std::function<void(const platform::RunningApplication&)> activated) {
    seams_.observeActivations(std::move(activated));
  };
  return hooks;
}

void DesktopProgram::allowDesktopShortcuts(bool allowed) {
  ConsentedHotKeys* shortcuts = seams_.desktopShortcuts();
  if (!shortcuts) return;
  // Stored only once GNOME's settings took it, so that a failure leaves the switch off.
  shortcuts->setConsent(allowed);
  components_->preferences().setDesktopShortcutsAllowed(allowed);
  for (app::ShortcutController* controller :
       {application_->launcherShortcuts(), application_->clipboardShortcuts()})
    if (controller) controller->restore();
}

void DesktopProgram::holdFileSearchLock() {
  const std::optional<std::filesystem::path> path = app::fileSearchLockPath(seams_.system());
  if (!path) return;
  try {
    fileSearchLock_ = seams_.files().lockShared(*path);
  } catch (const platform::FileSystemError& error) {
    // quillo-cli then searches by itself, as it does while the program is not running.
    kProgramLog.warning("quillo-cli will not ask this program for files: {}", error.what());
  }
}

bool DesktopProgram::start(const std::vector<std::string>& arguments) {
  if (options_.attach) {
    if (!components_->attach(*application_)) {
      kProgramLog.info("Quillo already runs in this session.");
      return false;
    }
    frontEnd_->holdPastesUntilTheKeyboardReturns();
    if (!state_->publish()) kProgramLog.warning("The State method is not on the session bus.");
    if (fileSearch_->publish())
      holdFileSearchLock();
    else
      kProgramLog.warning("The SearchFiles method is not on the session bus.");
  }
  running_ = true;
  application_->start(arguments);
  return true;
}

void DesktopProgram::shutdown() {
  if (!application_) return;
  if (running_) application_->terminate();
  running_ = false;
  state_.reset();
  fileSearchLock_.reset();
  fileSearch_.reset();
  frontEnd_->disconnect();
  // GNOME's custom shortcuts run `quillo --toggle`, which starts the program again: they stay
  // until the user withdraws consent, not only while this process runs.
  if (ConsentedHotKeys* shortcuts = seams_.desktopShortcuts()) shortcuts->leaveInDesktop();
  // Called-off tasks may still reach the components: let them finish first.
  seams_.pool().waitUntilIdle();
  application_.reset();
  components_.reset();
  seams_.pool().waitUntilIdle();
}

std::string DesktopProgram::stateJson() const {
  const ProgramState state{.search = components_->searchModel(),
                           .clipboard = components_->clipboardModel(),
                           .presentation = application_->presentation(),
                           .panelVisible = frontEnd_->panel().isVisible(),
                           .panelFocused = frontEnd_->panelHasKeyboard()};
  const auto at =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started_);
  return programStateJson(state, at, platform::SystemClock().now())
      .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool DesktopProgram::settled() const {
  const app::SearchModel& search = components_->searchModel();
  return search.commandCount() > 0 && !search.busy() && components_->clipboardModel().state().isReady &&
         !components_->clipboardModel().state().isSearching;
}

}  // namespace quillo::ui
