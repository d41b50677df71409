// Scopes, opening and closing the panel, and the two command sources.
#include "quillo/app/search_model.h"
#include "quillo/base/errors.h"
#include "quillo/base/memory.h"
#include "quillo/core/service/backend_error.h"
#include "quillo/core/system/menu_privacy.h"
#include "quillo/core/system/menu_reader.h"

namespace quillo::app {
namespace {

using Scope = SearchModel::Scope;

// What the menus source says while there are no menus to rank.
constexpr std::string_view kNoMenus = "no menus to read";

std::string notConfigured() {
  return std::string(core::BackendError::message(core::BackendError::notConfigured));
}

// The source over `index`, its ranker given the commands the service may see. Safe on any thread.
SearchModel::Source makeSource(std::shared_ptr<core::BackendClient> backend, core::RavoQuestions::Scope scope,
                               std::shared_ptr<const core::CommandIndex> index, bool hideMenuData) {
  SearchModel::Source source{std::move(index), nullptr, backend ? "" : notConfigured()};
  if (!backend) return source;
  if (!hideMenuData) {
    source.ranker = std::make_shared<const core::SemanticRanker>(
        std::move(backend), std::move(scope), [index = source.index] { return index->commands(); });
    return source;
  }
  std::vector<core::Command> candidates = source.index->commands();
  // Menu commands that name the user's data stay in the local index only.
  std::erase_if(candidates, [](const core::Command& command) { return core::MenuPrivacy::isData(command); });
  source.ranker = std::make_shared<const core::SemanticRanker>(std::move(backend), std::move(scope),
                                                               std::move(candidates));
  return source;
}

}  // namespace

void SearchModel::toggleScope() {
  const Scope next = scope_ == Scope::menus      ? Scope::commands
                     : scope_ == Scope::commands ? Scope::files
                                                 : Scope::menus;
  fileShortcutPreviousScope_.reset();
  deps_.preferences.rememberScope(next);
  changeScope(next);
}

void SearchModel::changeScope(Scope scope) {
  scope_ = scope;
  if (scope_ == Scope::files && hooks_.prepareFiles) hooks_.prepareFiles();
  answers_.forgetLast();
  setQuery("");
}

void SearchModel::showFilesFromShortcut() {
  if (scope_ == Scope::files) return;
  fileShortcutPreviousScope_ = scope_;
  changeScope(Scope::files);
}

bool SearchModel::goBackAScope() {
  if (fileShortcutPreviousScope_) {
    const Scope previous = *fileShortcutPreviousScope_;
    fileShortcutPreviousScope_.reset();
    changeScope(previous);
    return true;
  }
  // Tab reaches the files from the commands: that is the way back.
  if (scope_ != Scope::files) return false;
  deps_.preferences.rememberScope(Scope::commands);
  changeScope(Scope::commands);
  return true;
}

void SearchModel::panelDidOpen(const std::optional<FrontApp>& app) {
  fileShortcutPreviousScope_.reset();
  answers_.removeAll();
  readMenus(app);
  scope_ = deps_.preferences.scopeOnOpen(app.has_value());
  if (scope_ == Scope::files && hooks_.prepareFiles) hooks_.prepareFiles();
  setQuery("");
}

void SearchModel::panelDidClose() {
  if (fileShortcutPreviousScope_) {
    scope_ = *fileShortcutPreviousScope_;
    fileShortcutPreviousScope_.reset();
  }
  menuTask_.cancel();
  setQuery("");
}

void SearchModel::readMenus(const std::optional<FrontApp>& app) {
  menuTask_.cancel();
  menus_ = Source{std::make_shared<const core::CommandIndex>(std::vector<core::Command>{}), nullptr,
                  deps_.backend ? std::string(kNoMenus) : notConfigured()};
  menuApp_ = app;
  menuAppName_ = app ? app->name : "";
  if (!app) {
    menuState_ = menu::Unavailable{};
  } else if (!deps_.accessibility.isTrusted(platform::Accessibility::TrustCheck::silent)) {
    menuState_ = menu::NeedsPermission{};
  } else {
    menuState_ = menu::Reading{};
    menuTask_.start(
        [&accessibility = deps_.accessibility, app = *app, backend = deps_.backend,
         hide = deps_.preferences.hideMenuData()](std::stop_token stop) {
          std::vector<core::Command> commands =
              core::MenuReader(accessibility).commands(app.pid, app.bundleID);
          base::throwIfCancelled(stop);
          return makeSource(backend, core::RavoQuestions::scope::Menu{app.name},
                            std::make_shared<const core::CommandIndex>(std::move(commands)), hide);
        },
        [this](Source source) {
          menuState_ = menu::Ready{source.index->size()};
          menus_ = std::move(source);
          // What was typed while reading is searched in the menus now read.
          if (scope_ == Scope::menus) {
            setQuery(query_);
          } else {
            changed();
          }
        });
  }
  changed();
}

void SearchModel::refreshCommands(std::function<core::CommandIndex()> build) {
  commandsTask_.start(
      [build = std::move(build)](std::stop_token) {
        auto index = std::make_shared<const core::CommandIndex>(build());
        // Reading every application's entry peaks well above what the index keeps.
        base::releaseFreedMemory();
        return index;
      },
      [this, backend = deps_.backend](std::shared_ptr<const core::CommandIndex> built) {
        // Built on a worker, the index lies scattered among the catalogue's freed texts, in pages
        // the allocator cannot hand back. Copied here, what it keeps lies together on this
        // thread's heap, and the worker's pages come free whole. The ranker's copies of the
        // commands are made here for the same reason.
        auto index = std::make_shared<const core::CommandIndex>(*built);
        built.reset();
        Source source = makeSource(backend, core::RavoQuestions::scope::Commands{}, std::move(index), false);
        commandCount_ = source.index->size();
        answers_.removeAll();
        mac_ = std::move(source);
        base::releaseFreedMemory();
        ++commandIndexRevision_;
        setQuery(query_);
      });
}

}  // namespace quillo::app
