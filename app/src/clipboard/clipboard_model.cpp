#include "quillo/app/clipboard/clipboard_model.h"

#include <algorithm>

#include "payload_images.h"
#include "quillo/base/errors.h"
#include "quillo/clipboard/clipboard_error.h"
#include "quillo/clipboard/clipboard_text_recognition.h"
#include "quillo/core/system/platform_texts.h"

namespace quillo::app {
namespace {

using clipboard::ClipboardComposition;
using clipboard::ClipboardEntry;
using clipboard::ClipboardKind;
using clipboard::ClipboardPayload;
using clipboard::ClipboardStore;

constexpr std::string_view kNotOpen = "Clipboard history is not open yet.";

// The row `delta` rows from `from` (the first row when there is none), kept within the list.
std::size_t movedIndex(std::optional<std::size_t> from, int delta, std::size_t count) {
  if (!from) return 0;
  const long last = static_cast<long>(count) - 1;
  return static_cast<std::size_t>(std::clamp(static_cast<long>(*from) + delta, 0L, last));
}

std::optional<std::size_t> indexOf(const std::vector<ClipboardEntry>& entries, const base::Uuid& id) {
  const auto at = std::find_if(entries.begin(), entries.end(),
                               [&](const ClipboardEntry& entry) { return entry.id == id; });
  if (at == entries.end()) return std::nullopt;
  return static_cast<std::size_t>(at - entries.begin());
}

struct SearchResult {
  std::vector<ClipboardEntry> entries;
  std::size_t count = 0;
  std::int64_t bytes = 0;
};

}  // namespace

ClipboardModel::ClipboardModel(Services services, ClipboardSettings& settings,
                               std::shared_ptr<const clipboard::ClipboardTagger> tagger,
                               ClipboardModelOptions options)
    : services_(services),
      settings_(settings),
      tagger_(std::move(tagger)),
      options_(std::move(options)),
      paste_({services.board, services.keys, services.workspace, services.system}, options_.ownApplicationID),
      opening_(services.pool, services.main),
      search_(services.pool, services.main),
      action_(services.pool, services.main),
      recognition_(services.pool, services.main) {}

ClipboardModel::~ClipboardModel() {
  copiedMark_.cancel();
}

void ClipboardModel::changed() {
  changes_.notify();
}

void ClipboardModel::start(std::optional<std::filesystem::path> file, bool monitorsClipboard) {
  if (store_ || starting_) return;
  starting_ = true;
  const std::filesystem::path location =
      file ? *file
           : ClipboardStore::standardPath(services_.system.environment("XDG_DATA_HOME"),
                                          services_.system.homeFolder());
  opening_.start(
      [location, limits = settings_.limits(), now = services_.clock.now()](std::stop_token) {
        auto store = std::make_shared<ClipboardStore>(location);
        store->prune(limits, now);
        return store;
      },
      [this, monitorsClipboard](std::shared_ptr<ClipboardStore> store) {
        starting_ = false;
        store_ = std::move(store);
        {
          const std::lock_guard lock(launcherMutex_);
          launcherStore_ = store_;
        }
        state_.isReady = true;
        if (monitorsClipboard && !stopped_) {
          monitor_ = std::make_unique<ClipboardMonitor>(
              ClipboardMonitor::Services{services_.board, services_.workspace, services_.main,
                                         services_.clock, services_.pool},
              settings_, store_, tagger_, options_.monitor);
          monitor_->onChange = [this] {
            refresh();
            recogniseImageText();
          };
          monitor_->onStatus = [this](std::optional<std::string> message) {
            state_.status = std::move(message);
            changed();
          };
          monitor_->start();
        }
        refresh();
        recogniseImageText();
      },
      [this](const std::exception_ptr& error) {
        starting_ = false;
        showError(error);
      });
}

void ClipboardModel::stop() {
  stopped_ = true;
  if (monitor_) monitor_->stop();
}

void ClipboardModel::open(Mode mode, std::optional<platform::FrontApplication> target) {
  state_.mode = mode;
  state_.target = std::move(target);
  state_.isOpen = true;
  state_.query.clear();
  state_.filter = clipboard::ClipboardFilter::all;
  state_.limit = 100;
  state_.selection.clear();
  state_.focusedID.reset();
  state_.rangeAnchor.reset();
  state_.selectionBeforeRange.clear();
  state_.isPreviewing = false;
  state_.cleanPreview.reset();
  state_.isRenaming = false;
  refresh();
}

void ClipboardModel::close() {
  state_.isOpen = false;
  state_.cleanPreview.reset();
  state_.isPreviewing = false;
  changed();
}

void ClipboardModel::setQuery(std::string query) {
  state_.query = std::move(query);
  refresh();
}

void ClipboardModel::setFilter(clipboard::ClipboardFilter filter) {
  state_.filter = filter;
  refresh();
}

void ClipboardModel::nextFilter() {
  const auto& all = clipboard::kAllClipboardFilters;
  const auto at = std::find(all.begin(), all.end(), state_.filter);
  setFilter(at + 1 == all.end() ? all.front() : *(at + 1));
}

void ClipboardModel::previousFilter() {
  const auto& all = clipboard::kAllClipboardFilters;
  const auto at = std::find(all.begin(), all.end(), state_.filter);
  setFilter(at == all.begin() ? all.back() : *(at - 1));
}

void ClipboardModel::refresh() {
  if (!store_) {
    changed();
    return;
  }
  ++state_.searchRevision;
  state_.isSearching = true;
  search_.start(
      [store = store_, query = state_.query, filter = state_.filter,
       limit = state_.limit](std::stop_token stop) {
        SearchResult result;
        result.entries = store->search(query, filter, limit, stop);
        result.count = store->count();
        result.bytes = store->byteCount();
        return result;
      },
      [this](SearchResult result) {
        state_.entries = std::move(result.entries);
        state_.totalCount = result.count;
        state_.storedBytes = result.bytes;
        state_.isSearching = false;
        if (!state_.focusedID && !state_.entries.empty()) state_.focusedID = state_.entries.front().id;
        changed();
      },
      [this](const std::exception_ptr& error) {
        state_.isSearching = false;
        showError(error);
      });
  changed();
}

void ClipboardModel::loadMore() {
  if (state_.entries.size() < state_.limit) return;
  state_.limit += 100;
  refresh();
}

void ClipboardModel::focus(const base::Uuid& id) {
  state_.rangeAnchor.reset();
  state_.focusedID = id;
  if (state_.isPreviewing) {
    state_.isPreviewing = false;
    togglePreview();
  }
  changed();
}

std::optional<std::size_t> ClipboardModel::focusedIndex() const {
  if (!state_.focusedID) return std::nullopt;
  return indexOf(state_.entries, *state_.focusedID);
}

void ClipboardModel::moveFocus(int delta) {
  const auto& entries = state_.entries;
  if (entries.empty()) return;
  const std::size_t to = movedIndex(focusedIndex(), delta, entries.size());
  const base::Uuid id = entries[to].id;
  // Reaching the last row of a full page asks for the next hundred.
  if (to + 1 == entries.size()) loadMore();
  focus(id);
}

void ClipboardModel::startRange() {
  const auto focused = focusedIndex();
  state_.rangeAnchor = state_.entries[focused.value_or(0)].id;
  state_.selectionBeforeRange = state_.selection;
}

void ClipboardModel::extendSelection(int delta) {
  const auto& entries = state_.entries;
  if (entries.empty()) return;
  // A list that changed under the range starts a new one.
  if (!state_.rangeAnchor || !indexOf(entries, *state_.rangeAnchor)) startRange();
  const std::size_t anchor = *indexOf(entries, *state_.rangeAnchor);
  const std::size_t to = movedIndex(focusedIndex().value_or(anchor), delta, entries.size());
  state_.focusedID = entries[to].id;
  auto selection = state_.selectionBeforeRange;
  const int step = to >= anchor ? 1 : -1;
  for (std::size_t index = anchor;; index = static_cast<std::size_t>(static_cast<long>(index) + step)) {
    if (std::find(selection.begin(), selection.end(), entries[index].id) == selection.end())
      selection.push_back(entries[index].id);
    if (index == to) break;
  }
  state_.selection = std::move(selection);
  state_.cleanPreview.reset();
  changed();
}

void ClipboardModel::toggleSelection(const base::Uuid& id) {
  auto& selection = state_.selection;
  if (const auto at = std::find(selection.begin(), selection.end(), id); at != selection.end()) {
    selection.erase(at);
  } else {
    selection.push_back(id);
  }
  state_.focusedID = id;
  state_.rangeAnchor.reset();
  state_.cleanPreview.reset();
  changed();
}

bool ClipboardModel::closeDetail() {
  if (state_.isRenaming) {
    cancelRename();
    return true;
  }
  if (state_.cleanPreview) {
    state_.cleanPreview.reset();
    changed();
    return true;
  }
  if (state_.isPreviewing) {
    togglePreview();
    changed();
    return true;
  }
  return false;
}

std::vector<base::Uuid> ClipboardModel::chosen() const {
  if (!state_.selection.empty()) return state_.selection;
  if (state_.focusedID) return {*state_.focusedID};
  return {};
}

bool ClipboardModel::selectionIsPinned() const {
  const auto ids = chosen();
  if (ids.empty() || !store_) return false;
  return std::all_of(ids.begin(), ids.end(), [&](const base::Uuid& id) {
    const auto entry = store_->entry(id);
    return entry && entry->isPinned;
  });
}

std::string ClipboardModel::title(ClipboardAction action) const {
  if (action == ClipboardAction::preview)
    return std::string(core::platformText(core::PlatformText::previewTitle, services_.system));
  return app::title(action, chosen().size(), selectionIsPinned());
}

std::optional<ClipboardPlaceholder> ClipboardModel::placeholder() const {
  if (!state_.isReady) return ClipboardPlaceholder{"Opening history…", ""};
  if (state_.totalCount == 0)
    return ClipboardPlaceholder{"Nothing copied yet",
                                "Copy text, a link, an image, or a file. It appears here."};
  if (state_.entries.empty() && !state_.isSearching)
    return ClipboardPlaceholder{
        "Nothing in your history matches “" + state_.query + "”. Press ⇥ to change the filter.", ""};
  return std::nullopt;
}

const clipboard::Bytes& ClipboardModel::thumbnail(const base::Uuid& id) {
  if (const auto found = thumbnails_.find(id); found != thumbnails_.end()) return found->second;
  clipboard::Bytes bytes = store_ ? store_->thumbnail(id).value_or(clipboard::Bytes{}) : clipboard::Bytes{};
  // Bounded: emptied once it holds twice the results a window asks for.
  if (thumbnails_.size() > 2 * state_.limit) thumbnails_.clear();
  return thumbnails_.emplace(id, std::move(bytes)).first->second;
}

std::optional<ClipboardPlaceholder> ClipboardModel::recordingNotice() const {
  if (settings_.values().isEnabled) return std::nullopt;
  return ClipboardPlaceholder{"Recording paused", "Turn On Clipboard History"};
}

std::string ClipboardModel::selectionNote() const {
  const auto& ids = state_.selection;
  if (ids.size() < 2 || !store_) return {};
  std::vector<ClipboardKind> kinds;
  for (const base::Uuid& id : ids)
    if (const auto entry = store_->entry(id)) kinds.push_back(entry->kind);
  std::string note = std::to_string(ids.size()) + " items, in the order of their numbers";
  if (ClipboardComposition::leavesOutImages(kinds)) {
    note += ". Images are left out.";
  } else if (std::all_of(kinds.begin(), kinds.end(),
                         [](ClipboardKind k) { return k == ClipboardKind::image; })) {
    note += ". The receiving app decides whether it takes several images.";
  }
  return note;
}

std::shared_ptr<ClipboardStore> ClipboardModel::storeOrReport() {
  if (!store_) {
    state_.status = std::string(kNotOpen);
    changed();
  }
  return store_;
}

std::optional<std::string> ClipboardModel::errorMessage(const std::exception_ptr& error) const {
  try {
    std::rethrow_exception(error);
  } catch (const base::Cancelled&) {
    return std::nullopt;
  } catch (const clipboard::ClipboardError& failure) {
    if (failure.code() == clipboard::ClipboardError::Code::unavailableFile)
      return std::string(core::platformText(core::PlatformText::unavailableFile, services_.system));
    return std::string(failure.what());
  } catch (const std::exception& failure) {
    return std::string(failure.what());
  }
}

void ClipboardModel::showError(const std::exception_ptr& error) {
  auto message = errorMessage(error);
  if (!message) return;
  state_.status = std::move(message);
  changed();
}

void ClipboardModel::settingsChanged() {
  if (!store_) return changed();
  run([limits = settings_.limits(), now = services_.clock.now()](ClipboardStore& store) {
    store.prune(limits, now);
  });
}

std::optional<ClipboardEntry> ClipboardModel::launcherMatch(std::string_view query,
                                                            std::stop_token stop) const {
  std::shared_ptr<ClipboardStore> store;
  {
    const std::lock_guard lock(launcherMutex_);
    store = launcherStore_;
  }
  if (!store) return std::nullopt;
  auto match = store->strongMatch(query, stop);
  if (match && match->isToken()) return std::nullopt;
  return match;
}

void ClipboardModel::recogniseImageText() {
  if (!options_.recognisesImageText || !store_ || recognition_.busy()) return;
  recognition_.start(
      [store = store_, limits = settings_.limits(),
       languages = options_.recognitionLanguages](std::stop_token stop) {
        bool found = false;
        for (const base::Uuid& id : store->imagesWithoutText()) {
          if (stop.stop_requested()) throw base::Cancelled();
          std::string text;
          try {
            const ClipboardPayload payload = store->payload(id);
            if (const auto* image = firstImage(payload))
              text = clipboard::ClipboardTextRecognition::text(image->data, stop, languages);
          } catch (const clipboard::ClipboardError&) {
            // Not an image the recogniser reads: marked done with no text, so it is not tried again.
          }
          store->setImageText(id, text, limits);
          found = found || !text.empty();
        }
        return found;
      },
      [this](bool found) {
        if (found) refresh();
      },
      [](const std::exception_ptr&) {
        // Recognition is unavailable (no language data) or failed: images stay findable by title.
      });
}

}  // namespace quillo::app
